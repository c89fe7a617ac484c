// One XML part of a zip container read as a stream: the part's declared size is checked before a byte is
// inflated, and the bytes inflated are counted against the same bound as they arrive, so a part that lies
// about its size costs no more; so is what waits in the reader for its token to end. A document type
// declaration or an entity reference ends the reading.
#pragma once

#include "catalogue/result.h"

#include <QString>
#include <QXmlStreamReader>

#include <cstdint>

namespace specialty {

// A fault of the container's part `part` (see failure.h): `limit` for the bounds it passes.
Failure partFault(Fault fault, const QString& part, std::uint64_t limit = 0);

class XmlPart {
  public:
    XmlPart();
    ~XmlPart();
    XmlPart(const XmlPart&) = delete;
    XmlPart& operator=(const XmlPart&) = delete;

    // Opens part `name` of the container `zip` (an unzFile, whose current file it changes, so one part is
    // open at a time); `mostBytes` bounds it inflated.
    Status open(void* zip, const QString& name, std::uint64_t mostBytes);
    // Closes the part; the container must still be open.
    void close();
    // Moves to the next token: true, false at the end of the document, or a failure.
    Result<bool> next();
    QXmlStreamReader& xml() { return xml_; }
    const QString& name() const { return name_; }

  private:
    void* zip_ = nullptr; // set while a part is open
    QXmlStreamReader xml_;
    QString name_;
    std::uint64_t most_ = 0;
    std::uint64_t read_ = 0;
    // The raw bytes, looked at before the reader gets them: whether the last was "<", how many "<" there
    // were, and how many bytes since the last.
    bool afterTag_ = false;
    std::uint64_t tags_ = 0;
    std::uint64_t sinceTag_ = 0;
};

} // namespace specialty
