// The reader's quick look at a unit: its item ends found 64 bytes at a time.
//
// The loop is written once and compiled twice: for processors with AVX2, which classify 32 bytes an
// instruction, and for the SSE2 that every x86-64 processor has. The choice is made when the reader is made.
#include "list_reader.h"

#include "byte_scan.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define SPECIALTY_INLINE __attribute__((always_inline)) inline
#else
#define SPECIALTY_INLINE inline
#endif

namespace specialty {

namespace {

// One item of bytes known to be plain: from `from` to its terminator at `to`. A quoted item holds exactly
// its two quotes (the block test saw to that), the closing one usually right before the terminator.
SPECIALTY_INLINE std::string_view plainItem(const char* base, std::size_t from, std::size_t to,
                                            bool lineStart) {
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

// What the bytes before a block leave for it: all ones inside quotes, and whether the byte before it is a
// line end, an item's end (comma or line end), a blank.
struct LineState {
    std::uint64_t inside;
    std::uint64_t lineBefore;
    std::uint64_t endBefore;
    std::uint64_t blankBefore;
};

// One classified block taken from the state before it: its item ends, and whether it is not plain (any bit
// set), when the careful reading must take it. stateAfter() gives what it leaves for the next block.
struct BlockStep {
    std::uint64_t ends;
    std::uint64_t notPlain;
    std::uint64_t quoted; // inside quotes, opening quotes included
    std::uint64_t lines;  // line ends outside quotes
    std::uint64_t ender;  // commas and line ends, quoted or not
};

// `quoteParity`: the running parity of the block's quote bits (prefixXor).
SPECIALTY_INLINE BlockStep stepBlock(const BlockMasks& m, std::uint64_t quoteParity,
                                     const LineState& before) {
    BlockStep step;
    step.quoted = quoteParity ^ before.inside;
    step.ender = m.comma | m.lineEnd;
    step.lines = m.lineEnd & ~step.quoted;
    // A quote that opens quoted text must follow an item's end; anywhere else it is text. A line end after
    // a blank may close a blank-only line, which ends no item.
    step.notPlain = ((m.quote & step.quoted) & ~((step.ender << 1) | before.endBefore)) |
                    (step.lines & ((m.blank << 1) | before.blankBefore));
    step.ends = (m.comma & ~step.quoted) | (step.lines & ~((step.lines << 1) | before.lineBefore));
    return step;
}

SPECIALTY_INLINE LineState stateAfter(const BlockStep& step, const BlockMasks& m) {
    return {std::uint64_t(0) - (step.quoted >> 63), step.lines >> 63, step.ender >> 63, m.blank >> 63};
}

// Position of set bit number k (from 0) of x, which has more than k bits set.
SPECIALTY_INLINE int selectBit(std::uint64_t x, int k) {
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

// Fills `watched` with the bytes a pass watches, unused places repeating the first so that they add no
// candidates. Returns how many there are, or -1 when there are more than three.
int watchedBytes(const ListReader::PassTarget& target, char (&watched)[3]) {
    int count = 0;
    for (std::string_view set : {target.firstBytes, target.thirdBytes})
        for (char c : set) {
            if (count == 3) return -1;
            watched[count++] = c;
        }
    for (int i = count; i > 0 && i < 3; ++i)
        watched[i] = watched[0];
    return count;
}

// The unit (from the unit start) to which the first candidate that may matter belongs, or INT64_MAX.
// `candidates` are watched bytes right after an item's end, a quote or a blank; `ends` the block's item ends;
// `itemsBefore` the items that ended since the unit start before the block.
std::int64_t firstWatchedUnit(const ListReader::PassTarget& goal, int items, const char* block,
                              std::uint64_t candidates, std::uint64_t ends, std::int64_t itemsBefore) {
    for (; candidates != 0; candidates &= candidates - 1) {
        const int at = __builtin_ctzll(candidates);
        const std::int64_t item = itemsBefore + __builtin_popcountll(ends & ((std::uint64_t(1) << at) - 1));
        const std::int64_t place = item % items;
        const std::string_view set = place == 0   ? goal.firstBytes
                                     : place == 2 ? goal.thirdBytes
                                                  : std::string_view();
        if (set.find(block[at]) == std::string_view::npos) continue;
        // A third item that lies whole in the block, its first byte not the block's first (whose quote, if
        // any, is in the block before), is tested on the spot.
        const std::uint64_t after = ends & ~((std::uint64_t(2) << at) - 1);
        if (place == 2 && goal.thirdTest != nullptr && at > 0 && after != 0 &&
            !goal.thirdTest(itemAt(block, at, __builtin_ctzll(after)), goal.context))
            continue;
        return item / items;
    }
    return INT64_MAX;
}

// The item ends of the last few blocks in which items ended, to find a stopping point a little back.
class RecentBlocks {
  public:
    void remember(std::ptrdiff_t offset, std::uint64_t ends, std::int64_t itemsBefore) {
        blocks_[count_++ % 4] = {offset, ends, itemsBefore};
    }
    // Where item `last` (from the unit start) ends: the byte after its terminator, and whether that lies in
    // the block at `current`. False when it lies further back than the blocks kept.
    bool endOf(std::int64_t last, std::ptrdiff_t current, std::ptrdiff_t& end, bool& inCurrent) const {
        for (std::uint32_t r = 0; r < std::min(count_, 4u); ++r) {
            const Block& b = blocks_[(count_ - 1 - r) % 4];
            if (last >= b.itemsBefore && last < b.itemsBefore + __builtin_popcountll(b.ends)) {
                end = b.offset + selectBit(b.ends, static_cast<int>(last - b.itemsBefore)) + 1;
                inCurrent = b.offset == current;
                return true;
            }
        }
        return false;
    }
    // The unit start moved `bytes` on, past `itemsPassed` items.
    void shift(std::ptrdiff_t bytes, std::int64_t itemsPassed) {
        for (std::uint32_t r = 0; r < std::min(count_, 4u); ++r) {
            blocks_[r].offset -= bytes;
            blocks_[r].itemsBefore -= itemsPassed;
        }
    }

  private:
    struct Block {
        std::ptrdiff_t offset;
        std::uint64_t ends;
        std::int64_t itemsBefore;
    } blocks_[4];
    std::uint32_t count_ = 0; // unsigned: the ring's index is count_ % 4 without a sign to mind
};

} // namespace

// The SSE2 build, for every x86-64 processor (and the plain loop elsewhere). GCC and clang compile the two
// builds for their instruction sets, each in its own way of saying so; other compilers get the portable
// build twice.
#if defined(__x86_64__) && defined(__clang__)
#define SPECIALTY_PER_TARGET_BUILDS 1
#define SPECIALTY_TARGET_POPCNT                                                                              \
    _Pragma("clang attribute push(__attribute__((target(\"popcnt\"))), apply_to = function)")
#define SPECIALTY_TARGET_AVX2                                                                                \
    _Pragma("clang attribute push(__attribute__((target(\"avx2,popcnt,pclmul\"))), apply_to = function)")
#define SPECIALTY_TARGET_END _Pragma("clang attribute pop")
#elif defined(__x86_64__) && defined(__GNUC__)
#define SPECIALTY_PER_TARGET_BUILDS 1
#define SPECIALTY_TARGET_POPCNT _Pragma("GCC push_options") _Pragma("GCC target(\"popcnt\")")
#define SPECIALTY_TARGET_AVX2 _Pragma("GCC push_options") _Pragma("GCC target(\"avx2,popcnt,pclmul\")")
#define SPECIALTY_TARGET_END _Pragma("GCC pop_options")
#endif
#if SPECIALTY_PER_TARGET_BUILDS
SPECIALTY_TARGET_POPCNT
#endif
#define SKIM_START skimStartSse2
#define SKIM_UNIT skimUnitSse2
#define SKIM_ITEMS skimItemsSse2
#define SKIM_BLOCK skimBlockSse2
#define SKIM_CLASSIFY classify64
#define SKIM_PREFIX_XOR prefixXor
#define SKIM_PASS passUnitsSse2
#include "list_skim.inc"
#if SPECIALTY_PER_TARGET_BUILDS
SPECIALTY_TARGET_END
#endif

#if SPECIALTY_PER_TARGET_BUILDS
// The AVX2 build, chosen at run time on processors that have it.
SPECIALTY_TARGET_AVX2
namespace {

__attribute__((always_inline)) inline std::uint64_t bitsAvx2(__m256i low, __m256i high) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(low))) |
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high))) << 32;
}

__attribute__((always_inline)) inline __m256i eq(__m256i v, char c) {
    return _mm256_cmpeq_epi8(v, _mm256_set1_epi8(c));
}

__attribute__((always_inline)) inline __m256i either(__m256i v, char a, char b) {
    return _mm256_or_si256(eq(v, a), eq(v, b));
}

__attribute__((always_inline)) inline BlockMasks classifyAvx2(const char* p, char w0, char w1, char w2) {
    const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    BlockMasks m;
    m.comma = bitsAvx2(eq(lo, ','), eq(hi, ','));
    m.quote = bitsAvx2(eq(lo, '"'), eq(hi, '"'));
    m.lineEnd = bitsAvx2(either(lo, '\r', '\n'), either(hi, '\r', '\n'));
    m.blank = bitsAvx2(either(lo, ' ', '\t'), either(hi, ' ', '\t'));
    m.watched = bitsAvx2(_mm256_or_si256(either(lo, w0, w1), eq(lo, w2)),
                         _mm256_or_si256(either(hi, w0, w1), eq(hi, w2)));
    return m;
}

// The running parity of the quote bits (see prefixXor) in one carry-less multiplication by all ones.
__attribute__((always_inline)) inline std::uint64_t prefixXorClmul(std::uint64_t quotes) {
    const __m128i product = _mm_clmulepi64_si128(_mm_set_epi64x(0, static_cast<long long>(quotes)),
                                                 _mm_set1_epi8(static_cast<char>(0xFF)), 0);
    return static_cast<std::uint64_t>(_mm_cvtsi128_si64(product));
}

} // namespace
#define SKIM_START skimStartAvx2
#define SKIM_UNIT skimUnitAvx2
#define SKIM_ITEMS skimItemsAvx2
#define SKIM_BLOCK skimBlockAvx2
#define SKIM_CLASSIFY classifyAvx2
#define SKIM_PREFIX_XOR prefixXorClmul
#define SKIM_PASS passUnitsAvx2
#include "list_skim.inc"
SPECIALTY_TARGET_END
#else
bool ListReader::skimUnitAvx2(int items, Skim& skim) {
    return skimUnitSse2(items, skim);
}
bool ListReader::skimItemsAvx2(int items, ItemSpan* spans) {
    return skimItemsSse2(items, spans);
}
std::int64_t ListReader::passUnitsAvx2(int items, const PassTarget& target) {
    return passUnitsSse2(items, target);
}
#endif

std::int64_t ListReader::passUnits(int items, const PassTarget& target) {
    return avx2_ ? passUnitsAvx2(items, target) : passUnitsSse2(items, target);
}

void ListReader::startUnitAt(std::size_t offset) {
    pos_ = unit_ + offset;
    afterComma_ = buffer_[pos_ - 1] == ',';
    beginUnit();
}

bool ListReader::skimUnit(int items, Skim& skim) {
    return avx2_ ? skimUnitAvx2(items, skim) : skimUnitSse2(items, skim);
}

bool ListReader::skimItems(int items, ItemSpan* spans) {
    if (items < 1 || items > kMostSkimItems) return false;
    return avx2_ ? skimItemsAvx2(items, spans) : skimItemsSse2(items, spans);
}

} // namespace specialty
