// One XML part of a zip container read as a stream, bounded whatever it holds: the part's declared size is
// checked before a byte is inflated, and the bytes inflated are counted against the same bound as they
// arrive, and against a multiple of the bytes stored, so that the work is bounded by the file's size; so is
// what waits in the reader for its token to end (the bytes of one text and of one tag, the attributes of a
// tag), and how deep its elements nest. A part must be UTF-8, so that every bound counts what the reader
// holds. A document type declaration, an entity reference, a comment, a CDATA section or an instruction
// ends the reading. At the end of the part its bytes are compared with their checksum.
#pragma once

#include "catalogue/result.h"

#include <QString>
#include <QXmlStreamReader>

#include <cstdint>

namespace specialty {

enum class SpreadsheetFault : std::uint16_t; // its faults: tools/spreadsheet/spreadsheet_fault.h

// A fault of the container's part `part` (see failure.h): `limit` for the bounds it passes.
Failure partFault(SpreadsheetFault fault, const QString& part, std::uint64_t limit = 0);

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
    std::uint64_t stored_ = 0; // the part's bytes in the container
    std::uint64_t depth_ = 0;  // elements open
    // The raw bytes, looked at before the reader gets them.
    struct Scan {
        bool afterTag = false;      // the last byte was "<"
        bool inTag = false;         // between "<" and its ">"
        char quote = 0;             // the quote an attribute's value in the tag began with, or 0
        std::uint64_t tags = 0;     // "<" seen
        std::uint64_t sinceTag = 0; // bytes since the last "<"
        std::uint64_t attributes = 0;
    } scan_;

    Result<bool> fail(SpreadsheetFault fault, std::uint64_t limit = 0) const;
    // Looks at the next raw bytes: a failure when they pass a bound.
    Result<bool> look(const char* bytes, std::size_t size);
    // At the end of the document: the rest of the part read, its checksum compared.
    Result<bool> finish();
};

} // namespace specialty
