// The block kernel, written once for every instruction set. No include guard on purpose: each file that
// builds a kernel includes it inside its own namespace, after the two steps that differ by instruction set:
//
//   BlockMasks classify(const char* p, char w0, char w1, char w2);  // the masks of the 64 bytes at p
//   std::uint64_t quoteParity(std::uint64_t quotes);  // bit i: the parity of the quote bits 0 to i
//
// and then block_pass_generic.h, which builds on this file. Everything here is compiled for the including
// file's instruction set, the population count included.
//
// Bit i of a mask stands for byte i of a block; `mask << 1` moves each byte's bit onto the byte after it,
// so `(x << 1) | before.x` asks "is the byte before this one an x?", with the answer for the block's first
// byte carried over from the block before (LineState).

namespace {

// One block taken from the state the bytes before it leave.
struct BlockStep {
    std::uint64_t ends;     // item ends: commas outside quotes, and the first line end of a run outside them
    std::uint64_t notPlain; // any bit set: the careful reading must take the block
    std::uint64_t quoted;   // inside quotes: opening quotes included, closing ones not
    std::uint64_t lines;    // line ends outside quotes
    std::uint64_t ender;    // commas and line ends, quoted or not
};

SPECIALTY_ALWAYS_INLINE BlockStep stepBlock(const BlockMasks& m, const LineState& before) {
    BlockStep step;
    // The parity of the quotes up to each byte is 1 from an opening quote up to its closing quote; xor with
    // all ones turns it round when the block begins inside quotes.
    step.quoted = quoteParity(m.quote) ^ before.inside;
    step.ender = m.comma | m.lineEnd;
    step.lines = m.lineEnd & ~step.quoted;
    // Not plain: an opening quote whose byte before is not an item's end (the careful reading takes such a
    // quote as text), or a line end after a blank (it may close a blank-only line, which ends no item).
    step.notPlain = ((m.quote & step.quoted) & ~((step.ender << 1) | before.endBefore)) |
                    (step.lines & ((m.blank << 1) | before.blankBefore));
    // A run of line ends (CR LF, or empty lines) ends one item: only the line end whose byte before is not
    // one counts.
    step.ends = (m.comma & ~step.quoted) | (step.lines & ~((step.lines << 1) | before.lineBefore));
    return step;
}

// What the block leaves for the next: its last byte's bits moved down to bit 0. `0 - bit` is all ones for
// a bit of 1 and none for 0.
SPECIALTY_ALWAYS_INLINE LineState stateAfter(const BlockStep& step, const BlockMasks& m) {
    return {std::uint64_t(0) - (step.quoted >> 63), step.lines >> 63, step.ender >> 63, m.blank >> 63};
}

// Position of set bit number k (from 0) of x, which has more than k bits set: halves of 32, 16 and 8 bits
// are skipped while the bits below them are k or fewer, then the last few bits cleared one by one
// (x & (x - 1) clears the lowest set bit).
SPECIALTY_ALWAYS_INLINE int selectBit(std::uint64_t x, int k) {
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

// One item of bytes known to be plain: from `from` to its terminator at `to`, both from the unit's start
// (`base`), the unit beginning at a line's start when `unitLineStart`. A quoted item holds exactly its two
// quotes (the block step saw to that), the closing one usually right before the terminator.
SPECIALTY_ALWAYS_INLINE std::string_view plainItem(const char* base, std::size_t from, std::size_t to,
                                                   bool unitLineStart) {
    // Most items need neither trimming nor skipping: an empty one, one whose first byte is neither a quote
    // nor a blank, line end or other control byte and whose last is not a blank, and a quoted one that
    // ends with its closing quote.
    if (from == to) return {base + from, to - from}; // empty, where it stands
    const auto head = static_cast<unsigned char>(base[from]);
    const auto tail = static_cast<unsigned char>(base[to - 1]);
    if (head > ' ' && head != '"' && tail > ' ') return {base + from, to - from};
    if (head == '"' && tail == '"' && to - from >= 2) return {base + from + 1, to - from - 2};
    // At a line's start (the unit's first item, or one after a line end) line ends are skipped too.
    const bool lineStart = from == 0 ? unitLineStart : base[from - 1] != ',';
    while (from < to && (isListBlank(base[from]) || (lineStart && isLineEnd(base[from]))))
        ++from;
    if (from < to && base[from] == '"') {
        std::size_t close = from + 1;
        if (base[to - 1] == '"' && to - 1 > from)
            close = to - 1;
        else
            while (close < to && base[close] != '"')
                ++close;
        return {base + from + 1, close - from - 1};
    }
    while (to > from && isListBlank(base[to - 1]))
        --to;
    return {base + from, to - from};
}

// The item whose first byte is at `at` (not the block's first) and whose terminator is at `end`, as the
// careful reading gives it.
std::string_view itemAt(const char* block, int at, int end) {
    if (block[at - 1] == '"') {
        int close = at;
        while (close < end && block[close] != '"')
            ++close;
        return std::string_view(block + at, static_cast<std::size_t>(close - at));
    }
    while (end > at && isListBlank(block[end - 1]))
        --end;
    return std::string_view(block + at, static_cast<std::size_t>(end - at));
}

// Classifies the block `offset` bytes into the current unit, reading on until it is whole, and takes it
// from `known.after`. False when the file ends first or the block is not plain; otherwise its item ends,
// masks and bytes are given, and `known` describes it.
SPECIALTY_ALWAYS_INLINE bool nextBlock(ListBuffer& in, KnownBlock& known, std::size_t offset,
                                       const char* watch, std::uint64_t& ends, BlockMasks& m,
                                       const char*& block) {
    while (in.end - in.unit - offset < 64)
        if (!in.refill()) return false;
    block = in.data() + in.unit + offset;
    m = classify(block, watch[0], watch[1], watch[2]);
    const BlockStep step = stepBlock(m, known.after);
    if (step.notPlain) return false;
    ends = step.ends;
    known.start = in.unitFileOffset() + offset;
    known.ends = ends;
    known.after = stateAfter(step, m);
    return true;
}

// The item ends of a unit's first block, which may begin before the unit (`offset` then counts back to
// it) when the last unit ended inside a block that is still known.
SPECIALTY_ALWAYS_INLINE bool firstBlock(ListBuffer& in, KnownBlock& known, std::ptrdiff_t& offset,
                                        std::uint64_t& ends) {
    const std::uint64_t unit = in.unitFileOffset();
    if (known.valid && unit >= known.start && unit < known.start + 64) {
        offset = -static_cast<std::ptrdiff_t>(unit - known.start);
        // All ones shifted left by the bytes before the unit keeps only the ends from its first byte on.
        ends = known.ends & (~std::uint64_t(0) << (unit - known.start));
        return true;
    }
    known = KnownBlock{};
    known.after.lineBefore = in.afterComma ? 0 : 1;
    BlockMasks masks;
    const char* block = nullptr;
    return nextBlock(in, known, 0, ",,,", ends, masks, block);
}

bool splitUnit(ListBuffer& in, KnownBlock& known, std::size_t maxItem, int items, int wanted,
               ItemSpan* spans) {
    in.beginUnit();
    // Offsets count from the unit's start; the first block may begin before it.
    std::ptrdiff_t offset = 0;
    std::uint64_t ends = 0;
    if (firstBlock(in, known, offset, ends)) {
        BlockMasks masks; // of the blocks after the first, of which only the item ends are wanted
        const char* block = nullptr;
        // Each wanted item is made as soon as its end is found: it begins after the one before it. The
        // items after the wanted ones are only counted.
        int count = 0;
        std::size_t from = 0;
        const bool lineStart = !in.afterComma; // for the unit's first item
        const std::uint64_t unitStart = in.unitFileOffset();
        for (;;) {
            const char* base = in.data() + in.unit; // the buffer may move between blocks
            for (; ends != 0 && count < wanted; ends &= ends - 1) {
                const auto end = static_cast<std::size_t>(offset + __builtin_ctzll(ends));
                const std::string_view item = plainItem(base, from, end, lineStart);
                const auto at = static_cast<std::size_t>(item.data() - base);
                // Field by field: the line is left to those who ask (ListReader::lineOf()).
                ItemSpan& span = spans[count++];
                span.offset = at;
                span.length = item.size();
                span.fileOffset = unitStart + at;
                span.truncated = false;
                from = end + 1;
            }
            const int here = __builtin_popcountll(ends);
            if (count + here >= items) {
                const std::size_t last =
                    count == items ? from - 1
                                   : static_cast<std::size_t>(offset + selectBit(ends, items - count - 1));
                if (last >= maxItem) break;
                in.pos = in.unit + last + 1;
                in.afterComma = base[last] == ',';
                known.valid = true;
                return true;
            }
            count += here;
            offset += 64;
            if (offset > static_cast<std::ptrdiff_t>(maxItem) ||
                !nextBlock(in, known, static_cast<std::size_t>(offset), ",,,", ends, masks, block))
                break;
        }
    }
    in.rewindUnit();
    known.valid = false;
    return false;
}

} // namespace
