// The catalogue file read record by record: open, at end, read record, close.
#pragma once

#include "catalogue/catalogue_record.h"
#include "list_reader.h"

#include <string>

namespace specialty {

class CatalogueFile {
  public:
    using Read = RecordRead; // how reading the next record went, one enum for both readers

    explicit CatalogueFile(std::size_t chunkBytes = ListReader::kDefaultChunkBytes,
                           SimdKernel kernel = SimdKernel::Best);

    Status open(const std::string& path) { return reader_.open(path); }
    void openMemory(std::string_view bytes) { reader_.openMemory(bytes); }
    void close() { reader_.close(); }
    // True when no field is left before the end of the file (or the file could not be read further).
    bool atEnd() { return reader_.atEnd(); }
    // Reads the next 23 fields. The views in `raw` stay valid until the next atEnd() or readRecord().
    Read readRecord(RawRecord& raw);

    // Quick looks at records, for the search to pass over records that cannot be its result. Skimming
    // gives each record's VehicleId (skim.first) and Make (skim.third) and consumes it, until `stop(skim,
    // passed)` holds for one (consumed, `stopped` set; rewindRecord() goes back to its start) or one is not
    // plain (not consumed). Returns how many records went by.
    void rewindRecord() { reader_.rewindUnit(); }
    template <typename Stop>
    std::int64_t skimRecords(Stop&& stop, ListReader::Skim& skim, bool& stopped, std::int64_t most) {
        return reader_.skimUnits(kRecordFields, stop, skim, stopped, most);
    }
    // Passes over whole records, many at a time, while none can begin its VehicleId with a byte of
    // `firstBytes` or its Make with one of `thirdBytes`, and at most `most` of them. Returns how many went
    // by. `makeTest` (with `context`) may clear a Make that begins with one of `thirdBytes` on the spot.
    std::int64_t passRecords(std::string_view firstBytes, std::string_view thirdBytes, std::int64_t most,
                             bool (*makeTest)(std::string_view, const void*) = nullptr,
                             const void* context = nullptr) {
        return reader_.passUnits(kRecordFields, {firstBytes, thirdBytes, most, makeTest, context});
    }

    int fieldsRead() const { return fieldsRead_; } // after CutShort: how many fields there were
    // Where field `number` (from 1) of the record just read begins in the file.
    std::uint64_t fieldOffset(int number) const {
        return spans_[static_cast<std::size_t>(number - 1)].fileOffset;
    }
    // Where the next byte to read lies in the file.
    std::uint64_t fileOffset() const { return reader_.fileOffset(); }

    // Names the line of each field from the next record on, counted in the one reading of the file.
    void countLines() { reader_.countLines(); }
    // Once lines are counted: the line (from 1) field `number` of the record just read begins on, ...
    std::uint64_t fieldLine(int number) const {
        return oneLine_ ? firstLine_ : spans_[static_cast<std::size_t>(number - 1)].line;
    }
    // ... the line of the next byte to read, ...
    std::uint64_t lineHere() { return reader_.lineHere(); }
    // ... and, after a record read whole, whether a byte from its first field's start to its last field's
    // end is not ASCII (the bytes between fields, such as text after a closing quote, included).
    bool highBytes() const { return high_; }

    // Keeps the bytes of each record read in the buffer until the one after the next is read, so that
    // views of the record before the last stay readable once moved on by how far moved() has grown since
    // they were read (refilling moves the buffer's bytes).
    void keepRecordBefore() { keepBefore_ = true; }
    std::ptrdiff_t moved() const { return reader_.moved(); }
    int overlongField() const { return overlong_; }  // after TooLong: the first field cut (from 1)
    std::uint32_t cutFields() const { return cut_; } // after TooLong: every field cut, as fieldBit()s
    bool failed() const { return reader_.failed(); }
    const Failure& failure() const { return reader_.failure(); } // once failed()
    std::size_t maxFieldBytes() const { return reader_.maxItemBytes(); }
    // Why the record at `position` of `catalogue` is not there, after a readRecord() that gave `read`
    // (anything but Record).
    Failure whyNoRecord(Read read, const std::string& catalogue, std::int64_t position) const;

  private:
    void nameLines();

    ListReader reader_;
    std::array<ItemSpan, kRecordFields> spans_;
    int fieldsRead_ = 0;
    int overlong_ = 0;
    std::uint32_t cut_ = 0;
    bool high_ = false;
    bool keepBefore_ = false;
    bool oneLine_ = false;        // the record just read lies on one line, ...
    std::uint64_t firstLine_ = 0; // ... this one
};

} // namespace specialty
