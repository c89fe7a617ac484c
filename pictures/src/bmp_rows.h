// A look at a BMP's pixel data before it is decoded: whether it holds every row its header names.
//
// The BMP decoder fills a picture row by row and stops where the file stops, leaving the rows it never
// reached as the memory held before, which may be pieces of other pictures. A BMP whose rows stop early
// is therefore refused before it is decoded.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace specialty {

// How far the pixel rows of a BMP reach.
struct BmpRows {
    std::int64_t supplied = 0; // whole rows the file gives
    std::int64_t named = 0;    // rows its header names
};

// The rows of the BMP in `bytes` when they stop before the last one its header names; nothing when every
// row is there, and for bytes this cannot judge (not a BMP, a header cut short, a coding it does not
// know), which the decoder then refuses or decodes whole. Uncompressed rows are counted by their length;
// run-length coded ones (8 and 4 bits) by walking the runs to the end-of-picture mark.
std::optional<BmpRows> bmpRowsCutShort(std::string_view bytes);

} // namespace specialty
