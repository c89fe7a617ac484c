// How a catalogue's fields fall on its lines, for check: one record a line is the rule; a record spread over
// lines, or records sharing a line, are layouts the reader accepts; anything else shifts every record after
// it, and is reported once, where it begins.
#pragma once

#include "catalogue/catalogue_record.h"
#include "tools/check/catalogue_check.h"
#include "tools/check/finding_stream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace specialty {

enum class CheckFault : std::uint16_t; // its faults: tools/check/check_fault.h

class LineLayout {
  public:
    LineLayout(FindingStream& out, const std::string& file) : out_(out), file_(file) {}

    // One field, on `line`; `position` is its record's and `number` its place in the record (from 1).
    void field(std::uint64_t line, std::int64_t position, int number) {
        if (line != line_) endLine();
        if (count_ == 0) {
            line_ = line;
            lineStartsRecord_ = number == 1;
            firstPosition_ = position;
        }
        if (number == 1) {
            trusted_ = count_ == 0 && run_.empty() && !streaming_;
            recordsStartMidLine_ = recordsStartMidLine_ || count_ != 0;
        }
        ++count_;
    }
    // Fields 1 to `count` of one record, all on `line`: the same as field() for each of them.
    void fieldsOnOneLine(std::uint64_t line, std::int64_t position, int count) {
        field(line, position, 1);
        count_ += count - 1;
    }
    // True when the record last begun starts a line that the layout reached in step: the record is what its
    // line says. A record after a shift is not, and the shift is reported instead.
    bool recordTrusted() const { return trusted_; }
    // Forgets the fields of a record cut short at the end of the file, which is reported on its own.
    void abandon() {
        count_ = 0;
        run_.clear();
    }
    // Closes the last line; true when the file ends in a run that never came back into line.
    bool finish() {
        endLine();
        if (run_.empty() && !streaming_) return false;
        reportRun(false);
        return true;
    }
    // The first line of the stretch read out of step with the lines, while one is open (0 when none is).
    std::uint64_t shiftedSince() const {
        return streaming_ ? runFirstLine_ : !run_.empty() ? run_.front().number : 0;
    }
    // The lines of a shift that hold other than a whole record: their fields cannot be judged as any
    // record, the viewer's or the one the line was meant to hold.
    std::uint64_t unjudgedLines() const { return unjudgedLines_; }
    std::uint64_t firstUnjudgedLine() const { return firstUnjudged_; }
    // The first line a finding of the layout may still be added for, or UINT64_MAX.
    std::uint64_t heldFrom() const {
        return !run_.empty() ? run_.front().number : count_ > 0 ? line_ : UINT64_MAX;
    }

  private:
    struct Line {
        std::uint64_t number;
        std::int64_t fields;
    };

    void endLine();

    void reportRun(bool closed);
    void shiftedLine(const Line& line, bool first);
    void notJudged(const Line& line);
    // A finding about line `l`, in the run that begins with the record at runPosition_.
    Failure lineFault(CheckFault fault, const Line& l) const;

    FindingStream& out_;
    const std::string& file_;
    std::uint64_t line_ = 0;
    std::int64_t count_ = 0; // a damaged line can hold billions of fields
    bool lineStartsRecord_ = false;
    std::int64_t firstPosition_ = -1;
    bool trusted_ = true;
    std::int64_t total_ = 0;
    std::vector<Line> run_;
    std::int64_t runPosition_ = 0;
    bool recordsStartMidLine_ = false;
    bool linesStartMidRecord_ = false;
    // A run longer than a record has fields can only be a shift: its lines are reported as they come,
    // so that a shifted file of any length is never held in memory.
    bool streaming_ = false;
    std::uint64_t runFirstLine_ = 0;
    std::uint64_t unjudgedLines_ = 0;
    std::uint64_t firstUnjudged_ = 0;
};

} // namespace specialty
