// Finding the structure characters of the list syntax many bytes at a time.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace specialty {

inline bool isListBlank(char c) {
    return c == ' ' || c == '\t';
}
inline bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// First comma, CR or LF in [p, end), or end.
inline const char* findCommaOrLineEnd(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, comma), _mm_cmpeq_epi8(v, cr)),
                                   _mm_cmpeq_epi8(v, lf));
        int mask = _mm_movemask_epi8(hit);
        if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p < end && *p != ',' && !isLineEnd(*p))
        ++p;
    return p;
}

// First CR or LF in [p, end), or end.
inline const char* findLineEnd(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p < end && !isLineEnd(*p))
        ++p;
    return p;
}

// First double quote in [p, end), or end.
inline const char* findQuote(const char* p, const char* end) {
    const void* hit = std::memchr(p, '"', static_cast<std::size_t>(end - p));
    return hit ? static_cast<const char*>(hit) : end;
}

} // namespace specialty

namespace specialty {

// The structure characters of 64 bytes, one bit a byte, and the bytes equal to any of three watched values.
struct BlockMasks {
    std::uint64_t comma;
    std::uint64_t quote;
    std::uint64_t lineEnd;
    std::uint64_t blank;
    std::uint64_t watched;
};

inline BlockMasks classify64(const char* p, char w0, char w1, char w2) {
    BlockMasks m{0, 0, 0, 0, 0};
#if defined(__SSE2__)
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i v0 = _mm_set1_epi8(w0);
    const __m128i v1 = _mm_set1_epi8(w1);
    const __m128i v2 = _mm_set1_epi8(w2);
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        auto bits = [](__m128i hit) {
            return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(hit)));
        };
        m.comma |= bits(_mm_cmpeq_epi8(v, comma)) << (16 * k);
        m.quote |= bits(_mm_cmpeq_epi8(v, quote)) << (16 * k);
        m.lineEnd |= bits(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))) << (16 * k);
        m.blank |= bits(_mm_or_si128(_mm_cmpeq_epi8(v, space), _mm_cmpeq_epi8(v, tab))) << (16 * k);
        m.watched |= bits(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, v0), _mm_cmpeq_epi8(v, v1)),
                                       _mm_cmpeq_epi8(v, v2)))
                     << (16 * k);
    }
#else
    for (int i = 0; i < 64; ++i) {
        const char c = p[i];
        m.comma |= static_cast<std::uint64_t>(c == ',') << i;
        m.quote |= static_cast<std::uint64_t>(c == '"') << i;
        m.lineEnd |= static_cast<std::uint64_t>(isLineEnd(c)) << i;
        m.blank |= static_cast<std::uint64_t>(isListBlank(c)) << i;
        m.watched |= static_cast<std::uint64_t>(c == w0 || c == w1 || c == w2) << i;
    }
#endif
    return m;
}

// The quick look at records counts bits with the processor's population count.
inline bool processorCanSkim() {
#if defined(__x86_64__)
    return __builtin_cpu_supports("popcnt");
#else
    return true;
#endif
}

inline bool processorHasAvx2() {
#if defined(__x86_64__)
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") &&
           __builtin_cpu_supports("pclmul");
#else
    return false;
#endif
}

// Bit i of the result is the parity of bits 0 to i: 1 from an opening quote up to its closing quote.
inline std::uint64_t prefixXor(std::uint64_t x) {
    x ^= x << 1;
    x ^= x << 2;
    x ^= x << 4;
    x ^= x << 8;
    x ^= x << 16;
    x ^= x << 32;
    return x;
}

} // namespace specialty
