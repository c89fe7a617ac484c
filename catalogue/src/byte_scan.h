// Finding the structure characters of the list syntax, 16 bytes at a time where SSE2 is at hand. The block
// kernels (block_kernel.h) find all of them in 64 bytes at once.
#pragma once

#include "catalogue/list_syntax.h"

#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace specialty {

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
