#include "tools/check/line_counter.h"

#include "catalogue/record_reader.h"

#include <algorithm>
#include <cstring>

namespace specialty {

namespace {
constexpr std::size_t kBufferBytes = 1 << 18;
}

Status LineCounter::open(const std::string& path) {
    buffer_.assign(kBufferBytes, '\0');
    bufferStart_ = next_ = 0;
    filled_ = 0;
    line_ = 1;
    clearTo_ = 0;
    endOfFile_ = false;
    failure_.reset();
    return file_.open(path);
}

bool LineCounter::refill() {
    if (endOfFile_) return false;
    const std::size_t keep = static_cast<std::size_t>(next_ - bufferStart_);
    std::memmove(buffer_.data(), buffer_.data() + keep, filled_ - keep);
    filled_ -= keep;
    bufferStart_ = next_;
    const Result<std::size_t> got = file_.read(buffer_.data() + filled_, buffer_.size() - filled_);
    if (!got) failure_ = got.error();
    if (!got || got.value() == 0) {
        endOfFile_ = true;
        return false;
    }
    filled_ += got.value();
    return true;
}

std::uint64_t LineCounter::countLinesTo(std::uint64_t offset) {
    // A line begins after each LF, and after each CR that no LF follows; CR LF is one line end.
    // Offsets come many to a line (one a field), so each search for a line end looks past the offset
    // asked for, and the offsets up to the line end it finds are answered without looking again.
    while (next_ < offset) {
        if (next_ < clearTo_) {
            next_ = std::min(offset, clearTo_);
            continue;
        }
        const std::size_t at = static_cast<std::size_t>(next_ - bufferStart_);
        if (at >= filled_) {
            if (!refill()) break;
            continue;
        }
        const char* const base = buffer_.data();
        const char* end = findLineEndIn(base + at, base + filled_);
        const std::size_t lineEnd = static_cast<std::size_t>(end - base);
        if (bufferStart_ + lineEnd > next_) {
            clearTo_ = bufferStart_ + lineEnd;
            continue;
        }
        if (*end == '\r' && lineEnd + 1 >= filled_ && !endOfFile_) { // what follows the CR is not read yet
            next_ = bufferStart_ + lineEnd;
            refill();
            continue;
        }
        if (*end == '\n' || lineEnd + 1 >= filled_ || base[lineEnd + 1] != '\n') ++line_;
        next_ = bufferStart_ + lineEnd + 1;
    }
    // Where this line ends, if the buffer holds it: the offsets up to there need no more looking.
    if (clearTo_ <= next_ && next_ >= bufferStart_ && next_ - bufferStart_ < filled_) {
        const char* const base = buffer_.data();
        clearTo_ = bufferStart_ + static_cast<std::uint64_t>(
                                      findLineEndIn(base + (next_ - bufferStart_), base + filled_) - base);
    }
    return line_;
}

} // namespace specialty
