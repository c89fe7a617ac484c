#include "list_reader.h"

#include "byte_scan.h"

#include <algorithm>

namespace specialty {

ListReader::ListReader(std::size_t maxItemBytes, std::size_t chunkBytes, SimdKernel kernel)
    : in_(chunkBytes), maxItem_(std::max<std::size_t>(maxItemBytes, 1)), kernel_(blockKernelFor(kernel)) {}

bool ListReader::skimUnit(int items, Skim& skim) {
    ItemSpan spans[3];
    if (items < 3 || kernel_ == nullptr || !kernel_->splitUnit(in_, known_, maxItem_, items, 3, spans))
        return false;
    skim.first = text(spans[0]);
    skim.third = text(spans[2]);
    return true;
}

// Skips blanks, and line ends too when asked. Skipped bytes are dropped from the buffer, so a long run of
// them costs no memory. Returns false when the file ends first.
bool ListReader::skipBlanks(bool lineEndsToo) {
    for (;;) {
        const std::size_t from = in_.pos;
        const char* const bytes = in_.data();
        while (in_.pos < in_.end) {
            const char c = bytes[in_.pos];
            if (!isListBlank(c) && !(lineEndsToo && isLineEnd(c))) return true;
            ++in_.pos;
        }
        in_.drop(from);
        known_.valid = false; // the dropped bytes are about to be overwritten
        if (!in_.refill()) return false;
    }
}

bool ListReader::scanItem(std::size_t itemStart, bool quoted, bool& truncated) {
    for (;;) {
        const char* base = in_.data();
        const char* stop = quoted ? findQuote(base + in_.pos, base + in_.end)
                                  : findCommaOrLineEnd(base + in_.pos, base + in_.end);
        in_.pos = static_cast<std::size_t>(stop - base);
        if (in_.pos < in_.end) return true;
        const std::size_t keepEnd = in_.unit + itemStart + maxItem_;
        if (in_.pos > keepEnd) {
            in_.drop(keepEnd); // the rest of an overlong item is not kept
            truncated = true;
        }
        if (!in_.refill()) return false;
    }
}

bool ListReader::skipToTerminator() {
    for (;;) {
        const std::size_t from = in_.pos;
        const char* base = in_.data();
        in_.pos = static_cast<std::size_t>(findCommaOrLineEnd(base + in_.pos, base + in_.end) - base);
        if (in_.pos < in_.end) return true;
        in_.drop(from);
        if (!in_.refill()) return false;
    }
}

// Consumes the comma or line end at the reading position (a CR followed by LF counts as one line end).
void ListReader::consumeTerminator() {
    const char c = in_.data()[in_.pos++];
    in_.afterComma = c == ',';
    if (c == '\r' && (in_.pos < in_.end || in_.refill()) && in_.data()[in_.pos] == '\n') ++in_.pos;
}

bool ListReader::atEnd() {
    if (in_.afterComma) return false;
    return !skipBlanks(true);
}

bool ListReader::readItem(ItemSpan& item) {
    item = ItemSpan{};
    known_.valid = false;
    const bool afterComma = in_.afterComma;
    in_.afterComma = false;
    if (!skipBlanks(!afterComma)) {
        // A comma right before the end of the file still gives one empty item.
        item.offset = in_.pos - in_.unit;
        item.fileOffset = in_.base + in_.pos;
        if (in_.lines.on) item.line = in_.lineAt(in_.pos);
        return afterComma && !failed();
    }
    item.offset = in_.pos - in_.unit;
    item.fileOffset = in_.base + in_.pos;
    // Named now: the bytes up to the item's end may leave the buffer while it is read.
    if (in_.lines.on) item.line = in_.lineAt(in_.pos);
    if (isLineEnd(in_.data()[in_.pos])) { // only after a comma: an empty item
        consumeTerminator();
        in_.afterComma = false;
        return true;
    }
    const bool quoted = in_.data()[in_.pos] == '"';
    if (quoted) item.offset = ++in_.pos - in_.unit;
    item.fileOffset = in_.unitFileOffset() + item.offset;
    bool terminated = scanItem(item.offset, quoted, item.truncated);
    std::size_t length = in_.pos - in_.unit - item.offset;
    if (length > maxItem_) {
        length = maxItem_;
        item.truncated = true;
    }
    if (quoted) {
        if (terminated) {
            ++in_.pos; // the closing quote
            terminated = skipToTerminator();
        }
    } else {
        const char* start = in_.data() + in_.unit + item.offset;
        while (length > 0 && isListBlank(start[length - 1]))
            --length;
    }
    item.length = length;
    if (terminated) consumeTerminator();
    return !failed();
}

} // namespace specialty
