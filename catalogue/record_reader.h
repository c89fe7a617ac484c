// The catalogue read record by record, for programs that need every record and where its fields lie, as
// the maintainers' tool does. The search has a faster way of its own.
#pragma once

#include "catalogue_record.h"
#include "result.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace specialty {

class CatalogueFile;

class RecordReader {
  public:
    using Read = RecordRead; // how reading the next record went, one enum for both readers

    RecordReader();
    ~RecordReader();
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    Status open(const std::string& path);
    // Reads catalogue text held in memory instead; `bytes` must outlive the reading.
    void openMemory(std::string_view bytes);
    void close();
    // True when no field is left before the end of the file. False once the file could not be read
    // further, so that the next readRecord() gives Failed: a loop up to the end never takes a read error
    // for the end.
    bool atEnd();
    // Reads the next 23 fields. The views in `raw` stay valid until the next atEnd() or readRecord(). After
    // TooLong the record is there all the same, its overlong fields holding their first maxFieldBytes().
    Read readRecord(RawRecord& raw);

    int fieldsRead() const;
    int overlongField() const;       // after TooLong: the first field cut (from 1)
    std::uint32_t cutFields() const; // after TooLong: every field cut, as fieldBit()s
    bool failed() const;
    const Failure& failure() const; // once failed()
    std::size_t maxFieldBytes() const;
    // Why the record at `position` of `catalogue` is not there, after a readRecord() that gave `read`
    // (anything but Record): cut short, a field too long, or the file could not be read.
    Failure whyNoRecord(Read read, const std::string& catalogue, std::int64_t position) const;
    // Where field `number` (from 1) of the record just read begins in the file.
    std::uint64_t fieldOffset(int number) const;
    // Where the next byte to read lies in the file.
    std::uint64_t fileOffset() const;

    // Counts lines in the same reading, from the next record on (CR LF, LF and a lone CR each end a line),
    // for programs that name each field's line. Then fieldLine() is the line (from 1) field `number` of the
    // record just read begins on, and lineHere() that of the next byte to read.
    void countLines();
    std::uint64_t fieldLine(int number) const;
    std::uint64_t lineHere();
    // Once lines are counted, after Record or TooLong: whether a byte from the record's first field to the
    // end of its last is not ASCII (bytes between fields included): only then can its text be UTF-8 other
    // than ASCII.
    bool highBytes() const;

    // Keeps the bytes of each record read until the one after the next is read, for programs that look at
    // a record once the next one is read: the views of the record before the last stay readable once
    // moved on by how far moved() has grown since they were read (follow() does that).
    void keepRecordBefore();
    std::ptrdiff_t moved() const;

  private:
    std::unique_ptr<CatalogueFile> file_;
};

// Moves the views of `raw` on by `distance` bytes: where bytes kept by keepRecordBefore() now are.
void follow(RawRecord& raw, std::ptrdiff_t distance);

// The first CR or LF in [p, end), or end: the scan the reader uses, for code that counts lines.
const char* findLineEndIn(const char* p, const char* end);

} // namespace specialty
