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
SPECIALTY_INLINE std::string_view plainItem(const char* base, std::size_t from, std::size_t to, bool lineStart) {
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

// The SSE2 build, for every x86-64 processor (and the plain loop elsewhere).
#pragma GCC push_options
#if defined(__x86_64__)
#pragma GCC target("popcnt")
#endif
#define SKIM_UNIT skimUnitSse2
#define SKIM_BLOCK skimBlockSse2
#define SKIM_CLASSIFY classify64
#include "list_skim.inc"
#undef SKIM_UNIT
#undef SKIM_BLOCK
#undef SKIM_CLASSIFY
#pragma GCC pop_options

#if defined(__x86_64__)
// The AVX2 build, chosen at run time on processors that have it.
#pragma GCC push_options
#pragma GCC target("avx2,popcnt")
namespace {

BlockMasks classifyAvx2(const char* p) {
    const __m256i comma = _mm256_set1_epi8(',');
    const __m256i quote = _mm256_set1_epi8('"');
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    auto bits = [](__m256i a, __m256i b) {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(a))) |
               static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(b))) << 32;
    };
    BlockMasks m;
    m.comma = bits(_mm256_cmpeq_epi8(low, comma), _mm256_cmpeq_epi8(high, comma));
    m.quote = bits(_mm256_cmpeq_epi8(low, quote), _mm256_cmpeq_epi8(high, quote));
    m.lineEnd = bits(_mm256_or_si256(_mm256_cmpeq_epi8(low, cr), _mm256_cmpeq_epi8(low, lf)),
                     _mm256_or_si256(_mm256_cmpeq_epi8(high, cr), _mm256_cmpeq_epi8(high, lf)));
    return m;
}

} // namespace
#define SKIM_UNIT skimUnitAvx2
#define SKIM_BLOCK skimBlockAvx2
#define SKIM_CLASSIFY classifyAvx2
#include "list_skim.inc"
#undef SKIM_UNIT
#undef SKIM_BLOCK
#undef SKIM_CLASSIFY
#pragma GCC pop_options
#else
bool ListReader::skimUnitAvx2(int items, Skim& skim) { return skimUnitSse2(items, skim); }
bool ListReader::skimBlockAvx2(std::size_t offset, std::uint64_t& ends) { return skimBlockSse2(offset, ends); }
#endif

bool ListReader::skimUnit(int items, Skim& skim) { return avx2_ ? skimUnitAvx2(items, skim) : skimUnitSse2(items, skim); }

} // namespace specialty
