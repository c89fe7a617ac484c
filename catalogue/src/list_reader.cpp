#include "list_reader.h"

#include "byte_scan.h"

#include <algorithm>
#include <cstring>

namespace specialty {

ListReader::ListReader(std::size_t maxItemBytes, std::size_t chunkBytes, SimdKernel kernel)
    : maxItem_(std::max<std::size_t>(maxItemBytes, 1)), chunk_(std::max<std::size_t>(chunkBytes, 1)),
      avx2_(kernel != SimdKernel::Sse2 && processorHasAvx2()) {}

Status ListReader::open(const std::string& path) {
    close();
    if (Status opened = file_.open(path); !opened) return opened;
    endOfFile_ = false;
    return Done{};
}

void ListReader::openMemory(std::string_view bytes) {
    close();
    memory_ = bytes;
    fromMemory_ = true;
    endOfFile_ = false;
}

void ListReader::close() {
    file_.close();
    memory_ = {};
    fromMemory_ = false;
    unit_ = pos_ = end_ = 0;
    base_ = 0;
    endOfFile_ = true;
    afterComma_ = false;
    skim_.valid = false;
    failure_.clear();
}

// Moves the current unit to the front of the buffer and appends the next chunk of the file.
bool ListReader::refill() {
    if (endOfFile_) return false;
    if (unit_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + unit_, end_ - unit_);
        skim_.start -= static_cast<std::ptrdiff_t>(unit_);
        base_ += unit_;
        pos_ -= unit_;
        end_ -= unit_;
        unit_ = 0;
    }
    if (buffer_.size() - end_ < chunk_) buffer_.resize(std::max(buffer_.size() * 2, end_ + chunk_));
    std::size_t room = std::min(buffer_.size() - end_, chunk_);
    std::size_t got = 0;
    if (fromMemory_) {
        got = std::min(room, memory_.size());
        std::memcpy(buffer_.data() + end_, memory_.data(), got);
        memory_.remove_prefix(got);
    } else {
        Result<std::size_t> read = file_.read(buffer_.data() + end_, room);
        if (!read) failure_ = read.reason().empty() ? "read error" : read.reason();
        got = read ? read.value() : 0;
    }
    if (got == 0) {
        endOfFile_ = true;
        return false;
    }
    end_ += got;
    return true;
}

// Skips blanks, and line ends too when asked. Skipped bytes are dropped from the buffer, so a long run of
// them costs no memory. Returns false when the file ends first.
bool ListReader::skipBlanks(bool lineEndsToo) {
    for (;;) {
        std::size_t from = pos_;
        while (pos_ < end_) {
            char c = buffer_[pos_];
            if (!isListBlank(c) && !(lineEndsToo && isLineEnd(c))) return true;
            ++pos_;
        }
        base_ += end_ - from;
        pos_ = end_ = from;
        skim_.valid = false; // the dropped bytes are about to be overwritten
        if (!refill()) return false;
    }
}

bool ListReader::scanItem(std::size_t itemStart, bool quoted, bool& truncated) {
    for (;;) {
        const char* base = buffer_.data();
        const char* stop =
            quoted ? findQuote(base + pos_, base + end_) : findCommaOrLineEnd(base + pos_, base + end_);
        pos_ = static_cast<std::size_t>(stop - base);
        if (pos_ < end_) return true;
        std::size_t keepEnd = unit_ + itemStart + maxItem_;
        if (pos_ > keepEnd) {
            base_ += end_ - keepEnd;
            pos_ = end_ = keepEnd; // the rest of an overlong item is not kept
            truncated = true;
        }
        if (!refill()) return false;
    }
}

bool ListReader::skipToTerminator() {
    for (;;) {
        std::size_t from = pos_;
        const char* base = buffer_.data();
        pos_ = static_cast<std::size_t>(findCommaOrLineEnd(base + pos_, base + end_) - base);
        if (pos_ < end_) return true;
        base_ += end_ - from;
        pos_ = end_ = from;
        if (!refill()) return false;
    }
}

// Consumes the comma or line end at pos_ (a CR followed by LF counts as one line end).
void ListReader::consumeTerminator() {
    char c = buffer_[pos_++];
    afterComma_ = c == ',';
    if (c == '\r' && (pos_ < end_ || refill()) && buffer_[pos_] == '\n') ++pos_;
}

bool ListReader::atEnd() {
    if (afterComma_) return false;
    return !skipBlanks(true);
}

bool ListReader::readItem(ItemSpan& item) {
    item = ItemSpan{};
    skim_.valid = false;
    bool afterComma = afterComma_;
    afterComma_ = false;
    if (!skipBlanks(!afterComma)) {
        // A comma right before the end of the file still gives one empty item.
        item.offset = pos_ - unit_;
        item.fileOffset = base_ + pos_;
        return afterComma && !failed();
    }
    item.offset = pos_ - unit_;
    item.fileOffset = base_ + pos_;
    if (isLineEnd(buffer_[pos_])) { // only after a comma: an empty item
        consumeTerminator();
        afterComma_ = false;
        return true;
    }
    bool quoted = buffer_[pos_] == '"';
    if (quoted) item.offset = ++pos_ - unit_;
    item.fileOffset = base_ + unit_ + item.offset;
    bool terminated = scanItem(item.offset, quoted, item.truncated);
    std::size_t length = pos_ - unit_ - item.offset;
    if (length > maxItem_) {
        length = maxItem_;
        item.truncated = true;
    }
    if (quoted) {
        if (terminated) {
            ++pos_; // the closing quote
            terminated = skipToTerminator();
        }
    } else {
        const char* start = buffer_.data() + unit_ + item.offset;
        while (length > 0 && isListBlank(start[length - 1]))
            --length;
    }
    item.length = length;
    if (terminated) consumeTerminator();
    return !failed();
}

} // namespace specialty
