// The lines of a list file, counted as its bytes stream through the reader's buffer, so that a program
// that names each field's line (check) reads the file once. CR LF, LF and a lone CR each end a line.
//
// The tally goes in file order and never back: each byte is counted once, before it leaves the buffer.
// A line end is every CR, and every LF that no CR comes right before; the byte at a place asked about says
// whether a CR right before it ends a line there (it does not when that byte is the LF of a CR LF).
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace specialty {

struct LineTally {
    bool on = false;
    std::uint64_t counted = 0; // file offset of the first byte not yet counted
    std::uint64_t ends = 0;    // line ends before `counted`
    bool crLast = false;       // the byte before `counted` is a CR
    bool high = false;         // a byte counted since `high` was last cleared is not ASCII

    // Counts the bytes [p, end), which are the next ones in the file.
    void count(const char* p, const char* end) {
        counted += static_cast<std::uint64_t>(end - p);
#if defined(__SSE2__)
        if (end - p >= 16) {
            countRows(p, end);
            return;
        }
#endif
        for (; p < end; ++p)
            countByte(*p);
    }
#if defined(__SSE2__)
    // At least 16 bytes, 16 at a time: each byte of `sums` counts the line ends at its place in up to 255
    // rows, as a byte holds no more. The bytes right before a row's are loaded one byte back (for the first
    // row, taken from `crLast`), to tell the LF of a CR LF. A last row shorter than 16 bytes is the range's
    // last 16, its first bytes (counted already) masked out.
    void countRows(const char* p, const char* end) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i sums = _mm_sub_epi8(
            _mm_setzero_si128(),
            lineEndsOf(v, _mm_or_si128(_mm_slli_si128(v, 1), _mm_cvtsi32_si128(crLast ? '\r' : 0))));
        __m128i highs = v;
        int rows = 1; // in `sums`: at most 254, and the last, short row
        for (p += 16; end - p >= 16; p += 16, ++rows) {
            if (rows == 254) {
                add(sums);
                sums = _mm_setzero_si128();
                rows = 0;
            }
            v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            sums =
                _mm_sub_epi8(sums, lineEndsOf(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p - 1))));
            highs = _mm_or_si128(highs, v);
        }
        if (p < end) {
            const char* const at = end - 16;
            // Bytes of the row not counted yet: those from p on.
            const __m128i fresh =
                _mm_cmpgt_epi8(_mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15),
                               _mm_set1_epi8(static_cast<char>(p - at - 1)));
            v = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), fresh);
            sums = _mm_sub_epi8(
                sums, _mm_and_si128(lineEndsOf(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(at - 1))),
                                    fresh));
            highs = _mm_or_si128(highs, v);
        }
        add(sums);
        crLast = end[-1] == '\r';
        high = high || _mm_movemask_epi8(highs) != 0; // the top bit of any byte
    }
    // All ones at each line end of `v`, whose bytes one place back are `before`: a CR, or an LF that no
    // CR comes right before. As a byte, all ones is -1: subtracting it counts one.
    static __m128i lineEndsOf(__m128i v, __m128i before) {
        return _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                            _mm_andnot_si128(_mm_cmpeq_epi8(before, _mm_set1_epi8('\r')),
                                             _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
    }
    void add(__m128i sums) {
        const __m128i total = _mm_sad_epu8(sums, _mm_setzero_si128());
        ends += static_cast<std::uint64_t>(_mm_cvtsi128_si64(total)) +
                static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(total, total)));
    }
#endif
    void countByte(char c) {
        ends += static_cast<std::uint64_t>(c == '\r' || (c == '\n' && !crLast));
        crLast = c == '\r';
        high = high || static_cast<unsigned char>(c) >= 0x80;
    }
    // The line (from 1) of the byte right after the counted ones, `next` being that byte ('\0' when there
    // is none).
    std::uint64_t line(char next) const {
        return 1 + ends - (crLast && next == '\n' ? 1 : 0);
    }
};

} // namespace specialty
