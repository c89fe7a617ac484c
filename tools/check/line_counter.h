// Line numbers of file offsets (CR LF, LF and a lone CR each end a line), counted as the offsets asked for
// grow: the file streams through a fixed buffer, so memory stays the same however many lines it has.
#pragma once

#include "catalogue/regular_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace specialty {

class LineCounter {
  public:
    Status open(const std::string& path);

    // The line (from 1) that holds `offset`. Offsets asked for must not decrease from call to call.
    std::uint64_t lineOf(std::uint64_t offset) {
        if (offset <= next_) return line_;
        if (offset <= clearTo_) { // before the line end last found: no line end to count
            next_ = offset;
            return line_;
        }
        return countLinesTo(offset);
    }
    // True when `offset` is known, without reading on, to lie on the line of the offset last asked for.
    bool onLastLine(std::uint64_t offset) const { return offset <= next_ || offset <= clearTo_; }

    // Whether the file could be read to the offset last asked for: once a read fails, the reason, and the
    // lines of later offsets are no longer counted.
    Status status() const { return failure_ ? Status::failure(*failure_) : Status(Done{}); }

  private:
    std::uint64_t countLinesTo(std::uint64_t offset);
    // Keeps the bytes from `next_` on and reads more after them; false at the end of the file.
    bool refill();

    RegularFile file_;
    std::vector<char> buffer_;
    std::uint64_t bufferStart_ = 0; // file offset of buffer_[0]
    std::size_t filled_ = 0;        // bytes of buffer_ that hold file bytes
    std::uint64_t next_ = 0;        // first byte not yet counted
    std::uint64_t line_ = 1;        // line of next_
    std::uint64_t clearTo_ = 0;     // no line ends in [next_, clearTo_): offsets there are on line_
    bool endOfFile_ = false;
    std::optional<Failure> failure_;
};

} // namespace specialty
