// The block kernel for every x86-64 processor: SSE2 classifies 16 bytes an instruction, the population
// count (which the reader checks for) counts item ends. On other processors, a plain loop classifies.
#include "block_kernel.h"
#include "byte_scan.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__x86_64__) && defined(__clang__)
#pragma clang attribute push(__attribute__((target("popcnt"))), apply_to = function)
#elif defined(__x86_64__) && defined(__GNUC__)
#pragma GCC push_options
#pragma GCC target("popcnt")
#endif

namespace specialty::sse2 {

namespace {

#if defined(__SSE2__)
// One bit a byte of a 16-byte comparison (all ones where equal), placed at bit `16 * k` of the block.
SPECIALTY_ALWAYS_INLINE std::uint64_t bits(__m128i hit, int k) {
    return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(hit))) << (16 * k);
}

SPECIALTY_ALWAYS_INLINE BlockMasks classify(const char* p, char w0, char w1, char w2) {
    // Each byte of a comparison is all ones where the 16 bytes hold the value.
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i v0 = _mm_set1_epi8(w0);
    const __m128i v1 = _mm_set1_epi8(w1);
    const __m128i v2 = _mm_set1_epi8(w2);
    BlockMasks m{0, 0, 0, 0, 0};
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        m.comma |= bits(_mm_cmpeq_epi8(v, comma), k);
        m.quote |= bits(_mm_cmpeq_epi8(v, quote), k);
        m.lineEnd |= bits(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)), k);
        m.blank |= bits(_mm_or_si128(_mm_cmpeq_epi8(v, space), _mm_cmpeq_epi8(v, tab)), k);
        m.watched |= bits(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, v0), _mm_cmpeq_epi8(v, v1)), _mm_cmpeq_epi8(v, v2)),
            k);
    }
    return m;
}
#else
SPECIALTY_ALWAYS_INLINE BlockMasks classify(const char* p, char w0, char w1, char w2) {
    BlockMasks m{0, 0, 0, 0, 0};
    for (int i = 0; i < 64; ++i) {
        const char c = p[i];
        m.comma |= static_cast<std::uint64_t>(c == ',') << i;
        m.quote |= static_cast<std::uint64_t>(c == '"') << i;
        m.lineEnd |= static_cast<std::uint64_t>(isLineEnd(c)) << i;
        m.blank |= static_cast<std::uint64_t>(isListBlank(c)) << i;
        m.watched |= static_cast<std::uint64_t>(c == w0 || c == w1 || c == w2) << i;
    }
    return m;
}
#endif

// Bit i of the result is the parity of bits 0 to i of x: each step xors in x moved up by twice the
// distance of the step before, so that after six steps every bit holds the xor of all the bits below it.
SPECIALTY_ALWAYS_INLINE std::uint64_t quoteParity(std::uint64_t x) {
    x ^= x << 1;
    x ^= x << 2;
    x ^= x << 4;
    x ^= x << 8;
    x ^= x << 16;
    x ^= x << 32;
    return x;
}

} // namespace

#include "block_kernel_generic.h"
#include "block_pass_generic.h"

const BlockKernel kKernel = {splitUnit, passUnits};

} // namespace specialty::sse2

#if defined(__x86_64__) && defined(__clang__)
#pragma clang attribute pop
#elif defined(__x86_64__) && defined(__GNUC__)
#pragma GCC pop_options
#endif
