// The records a catalogue's lines were meant to hold, where the reader is out of step with them: after a
// line of other than 23 fields the reader takes fields from two lines for each record, while each later
// line of 23 fields still holds the record its maintainer wrote, up to the line that holds the end record.
// Those lines are handed on as records, numbered as if every line were one, so that check judges them as the
// maintainer meant them, the way a compiler goes on after a syntax error.
#pragma once

#include "catalogue/catalogue_record.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace specialty {

// A record made of one line's fields: their bytes end to end in one buffer, and views of them.
struct LineRecord {
    RawRecord raw;
    std::uint64_t line = 0;
    std::int64_t position = 0; // as if each line since the last one read in step held one record
    std::uint64_t offset[kRecordFields] = {}; // where each field begins in the file
};

class LineRecords {
  public:
    using Sink = std::function<void(const LineRecord&)>;
    explicit LineRecords(Sink sink) : sink_(std::move(sink)) {}

    // One field as the reader read it, on `line`: field `number` (from 1) of the reader's record at
    // `position`. Lines must come in order. Without `known` bytes (a record cut short) the line is not
    // handed on.
    void field(std::uint64_t line, std::string_view bytes, int number, std::int64_t position,
               std::uint64_t offset, bool known = true);
    // A line whose first field begins a reader's record: the reader is in step there.
    void inStepLine(std::uint64_t line, std::int64_t position) {
        if (line != line_) field(line, {}, 1, position, 0);
    }
    // Ends the last line (at the end of the file, or at the end record).
    void finish();
    // True once a line held the end record: no line after it is handed on.
    bool sawEnd() const { return stopped_; }

  private:
    void endLine();

    Sink sink_;
    std::uint64_t line_ = 0;
    bool collecting_ = false; // the line began in the middle of a reader's record
    int count_ = 0;           // fields of the line, counted up to one more than a record has
    std::int64_t base_ = -1;  // the reader's record that began the last line read in step
    std::int64_t linesSince_ = 0;
    bool stopped_ = false;
    std::string bytes_;
    std::size_t ends_[kRecordFields] = {};
    std::uint64_t offsets_[kRecordFields] = {};
};

} // namespace specialty
