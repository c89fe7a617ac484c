// The reader's quick look at a unit: its item ends found 64 bytes at a time.
#include "list_reader.h"

#include "byte_scan.h"

#if defined(__x86_64__)
#define SPECIALTY_POPCNT __attribute__((target("popcnt")))
#else
#define SPECIALTY_POPCNT
#endif

namespace specialty {

namespace {

// One item of bytes known to be plain: from `from` to its terminator at `to`.
std::string_view plainItem(const char* base, std::size_t from, std::size_t to, bool lineStart) {
    while (from < to && (isListBlank(base[from]) || (lineStart && isLineEnd(base[from]))))
        ++from;
    if (from < to && base[from] == '"') {
        const char* close = findQuote(base + from + 1, base + to);
        return {base + from + 1, static_cast<std::size_t>(close - (base + from + 1))};
    }
    while (to > from && isListBlank(base[to - 1]))
        --to;
    return {base + from, to - from};
}

// Position of set bit number k (from 0) of x, which has more than k bits set.
SPECIALTY_POPCNT int selectBit(std::uint64_t x, int k) {
    int at = 0;
    for (int width = 32; width >= 8; width /= 2) {
        const int low = __builtin_popcountll(x & ((std::uint64_t(1) << width) - 1));
        if (k >= low) {
            k -= low;
            x >>= width;
            at += width;
        }
    }
    for (; k > 0; --k)
        x &= x - 1;
    return at + __builtin_ctzll(x);
}

} // namespace

bool ListReader::skimBlock(std::size_t offset, std::uint64_t& ends) {
    while (end_ - unit_ - offset < 64)
        if (!refill())
            return false;
    const char* block = buffer_.data() + unit_ + offset;
    const BlockMasks m = classify64(block);
    const std::uint64_t quoted = prefixXor(m.quote) ^ skim_.inside;
    const std::uint64_t ender = m.comma | m.lineEnd;
    // A quote that opens quoted text must follow an item's end; anywhere else it is text.
    if ((m.quote & quoted) & ~((ender << 1) | skim_.endBefore))
        return false;
    const std::uint64_t lines = m.lineEnd & ~quoted;
    // A line end after a blank may close a blank-only line, which ends no item.
    for (std::uint64_t l = lines; l != 0; l &= l - 1) {
        const int i = __builtin_ctzll(l);
        if ((i > 0 || offset > 0) && isListBlank(block[i - 1]))
            return false;
    }
    ends = (m.comma & ~quoted) | (lines & ~((lines << 1) | skim_.lineBefore));
    skim_.start = static_cast<std::ptrdiff_t>(unit_ + offset);
    skim_.ends = ends;
    skim_.inside = (quoted >> 63) ? ~std::uint64_t(0) : 0;
    skim_.lineBefore = lines >> 63;
    skim_.endBefore = ender >> 63;
    return true;
}

SPECIALTY_POPCNT bool ListReader::skimUnit(int items, Skim& skim) {
    beginUnit();
    // Offsets count from the unit's start; the first block may begin before it, when the last unit ended
    // inside a block whose item ends are still known.
    std::ptrdiff_t offset = 0;
    std::uint64_t ends = 0;
    const std::ptrdiff_t unit = static_cast<std::ptrdiff_t>(unit_);
    if (skim_.valid && unit >= skim_.start && unit < skim_.start + 64) {
        offset = skim_.start - unit;
        ends = skim_.ends & (~std::uint64_t(0) << (unit - skim_.start));
    } else {
        skim_.inside = 0;
        skim_.lineBefore = afterComma_ ? 0 : 1;
        skim_.endBefore = 1;
        skim_.valid = false;
        if (!skimBlock(0, ends)) {
            rewindUnit();
            return false;
        }
    }
    std::ptrdiff_t found[3] = {};
    int count = 0;
    for (;;) {
        while (ends != 0 && count < 3) {
            found[count++] = offset + __builtin_ctzll(ends);
            ends &= ends - 1;
        }
        const int here = __builtin_popcountll(ends);
        if (count + here >= items) {
            const std::size_t last = static_cast<std::size_t>(offset + selectBit(ends, items - count - 1));
            if (last >= maxItem_)
                break;
            const char* base = buffer_.data() + unit_;
            const auto end0 = static_cast<std::size_t>(found[0]);
            const auto end1 = static_cast<std::size_t>(found[1]);
            skim.first = plainItem(base, 0, end0, !afterComma_);
            skim.third = plainItem(base, end1 + 1, static_cast<std::size_t>(found[2]), base[end1] != ',');
            pos_ = unit_ + last + 1;
            afterComma_ = base[last] == ',';
            skim_.valid = true;
            return true;
        }
        count += here;
        offset += 64;
        if (offset > static_cast<std::ptrdiff_t>(maxItem_) || !skimBlock(static_cast<std::size_t>(offset), ends))
            break;
    }
    rewindUnit();
    return false;
}

} // namespace specialty
