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

} // namespace

// The SSE2 build, for every x86-64 processor (and the plain loop elsewhere). GCC compiles the two builds
// for their instruction sets; other compilers get the portable build twice.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define SPECIALTY_PER_TARGET_BUILDS 1
#endif
#if SPECIALTY_PER_TARGET_BUILDS
#pragma GCC push_options
#pragma GCC target("popcnt")
#endif
#define SKIM_UNIT skimUnitSse2
#define SKIM_BLOCK skimBlockSse2
#define SKIM_CLASSIFY classify64
#define SKIM_PASS passUnitsSse2
#include "list_skim.inc"
#undef SKIM_UNIT
#undef SKIM_BLOCK
#undef SKIM_CLASSIFY
#undef SKIM_PASS
#if SPECIALTY_PER_TARGET_BUILDS
#pragma GCC pop_options
#endif

#if SPECIALTY_PER_TARGET_BUILDS
// The AVX2 build, chosen at run time on processors that have it.
#pragma GCC push_options
#pragma GCC target("avx2,popcnt")
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

} // namespace
#define SKIM_UNIT skimUnitAvx2
#define SKIM_BLOCK skimBlockAvx2
#define SKIM_CLASSIFY classifyAvx2
#define SKIM_PASS passUnitsAvx2
#include "list_skim.inc"
#undef SKIM_UNIT
#undef SKIM_BLOCK
#undef SKIM_CLASSIFY
#undef SKIM_PASS
#pragma GCC pop_options
#else
bool ListReader::skimUnitAvx2(int items, Skim& skim) {
    return skimUnitSse2(items, skim);
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

} // namespace specialty
