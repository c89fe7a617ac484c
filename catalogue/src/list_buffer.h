// The bytes of a list file at hand and where the reading stands in them.
//
// The file streams through a buffer a chunk at a time. The reading goes by units (a catalogue record, say):
// the bytes of the current unit stay in the buffer until the next unit begins, and refilling moves them to
// its front. The careful reading (list_reader.cpp) and the block kernels (block_kernel_*.cpp) both move
// the reading on through the public positions below.
#pragma once

#include "catalogue/failure.h"
#include "catalogue/regular_file.h"
#include "line_tally.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

class ListBuffer {
  public:
    explicit ListBuffer(std::size_t chunkBytes);

    Status open(const std::string& path);
    // Reads from a file already open instead.
    void open(RegularFile file);
    // Reads from bytes in memory instead (they must outlive the buffer).
    void openMemory(std::string_view bytes);
    void close();

    // Moves the current unit to the front of the buffer and appends the next chunk. False at the end of the
    // file, and on a read failure (failure then says why).
    bool refill();
    // Gives up the bytes from `from` to the end of the buffer (blanks, the rest of an overlong item): they
    // are not kept, so long runs of them cost no memory.
    void drop(std::size_t from) {
        tallyTo(end);
        base += end - from;
        pos = end = from;
    }

    char* data() { return buffer_.data(); }
    const char* data() const { return buffer_.data(); }
    // Where the current unit begins in the file.
    std::uint64_t unitFileOffset() const { return base + unit; }

    void beginUnit() {
        unit = pos;
        unitAfterComma = afterComma;
    }
    void rewindUnit() {
        pos = unit;
        afterComma = unitAfterComma;
    }
    // Begins the next unit `offset` bytes into the current one, right after an item's terminator.
    void startUnitAt(std::size_t offset) {
        pos = unit + offset;
        afterComma = buffer_[pos - 1] == ',';
        beginUnit();
    }

    // Keeps the bytes from `from` on in the buffer (a unit already read) until the next call, however the
    // buffer is refilled: bytes move, but are not given up. moved() is how far the kept bytes have moved in
    // all since the file was opened (as addresses, in bytes), for views of them to follow.
    void hold(std::size_t from) {
        holding_ = true;
        held_ = from;
    }
    std::ptrdiff_t moved() const { return moved_; }

    // Counts lines from here on (see line_tally.h): lineAt() then names the line of a byte in the buffer.
    void countLines() { lines.on = true; }
    // The line (from 1) of the byte at `at`, which lies at or after every byte asked about before.
    std::uint64_t lineAt(std::size_t at) {
        tallyTo(at);
        return lines.line(at < end ? buffer_[at] : '\0');
    }
    // Counts the bytes up to `at`, when lines are counted.
    void tallyTo(std::size_t at) {
        if (lines.on && base + at > lines.counted)
            lines.count(buffer_.data() + (lines.counted - base), buffer_.data() + at);
    }

    std::size_t unit = 0;        // where the current unit begins in the buffer
    std::size_t pos = 0;         // next byte to read
    std::size_t end = 0;         // end of the bytes in the buffer
    std::uint64_t base = 0;      // file offset of buffer position 0
    bool afterComma = false;     // the last item read ended with a comma
    bool unitAfterComma = false; // the same, where the current unit begins
    bool endOfFile = true;
    LineTally lines;                // counted only after countLines()
    std::optional<Failure> failure; // why the file could not be read further; none while it can

  private:
    RegularFile file_;
    std::string_view memory_;
    bool fromMemory_ = false;
    std::vector<char> buffer_;
    std::size_t chunk_;
    bool holding_ = false;
    std::size_t held_ = 0;     // kept from here while holding_
    std::ptrdiff_t moved_ = 0; // how far the bytes kept have moved
};

} // namespace specialty
