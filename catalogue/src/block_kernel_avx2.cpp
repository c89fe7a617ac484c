// The block kernel for processors with AVX2: 32 bytes an instruction, and the quote parity in one
// carry-less multiplication. Chosen at run time where the processor has AVX2 and PCLMUL.
#include "block_kernel.h"

#if SPECIALTY_AVX2_KERNEL

#include "byte_scan.h"

#include <algorithm>
#include <cstdint>
#include <immintrin.h>
#include <string_view>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,popcnt,pclmul"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,popcnt,pclmul")
#endif

namespace specialty::avx2 {

namespace {

// One bit a byte of two 32-byte comparisons (all ones where equal): the low half's bits, then the high's.
SPECIALTY_ALWAYS_INLINE std::uint64_t bits(__m256i low, __m256i high) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(low))) |
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high))) << 32;
}

SPECIALTY_ALWAYS_INLINE __m256i eq(__m256i v, char c) {
    return _mm256_cmpeq_epi8(v, _mm256_set1_epi8(c));
}

SPECIALTY_ALWAYS_INLINE __m256i either(__m256i v, char a, char b) {
    return _mm256_or_si256(eq(v, a), eq(v, b));
}

SPECIALTY_ALWAYS_INLINE BlockMasks classify(const char* p, char w0, char w1, char w2) {
    const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    BlockMasks m;
    m.comma = bits(eq(lo, ','), eq(hi, ','));
    m.quote = bits(eq(lo, '"'), eq(hi, '"'));
    m.lineEnd = bits(either(lo, '\r', '\n'), either(hi, '\r', '\n'));
    m.blank = bits(either(lo, ' ', '\t'), either(hi, ' ', '\t'));
    m.watched = bits(_mm256_or_si256(either(lo, w0, w1), eq(lo, w2)),
                     _mm256_or_si256(either(hi, w0, w1), eq(hi, w2)));
    return m;
}

// Bit i of the result is the parity of quote bits 0 to i. Multiplying without carries by all ones sums
// (by xor) every bit with all the bits below it: the low 64 bits of the product are exactly that.
SPECIALTY_ALWAYS_INLINE std::uint64_t quoteParity(std::uint64_t quotes) {
    const __m128i product = _mm_clmulepi64_si128(_mm_set_epi64x(0, static_cast<long long>(quotes)),
                                                 _mm_set1_epi8(static_cast<char>(0xFF)), 0);
    return static_cast<std::uint64_t>(_mm_cvtsi128_si64(product));
}

} // namespace

#include "block_kernel_generic.h"
#include "block_pass_generic.h"

const BlockKernel kKernel = {splitUnit, passUnits};

} // namespace specialty::avx2

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif
