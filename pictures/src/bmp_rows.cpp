#include "bmp_rows.h"

#include <cstdlib>

namespace specialty {

namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kCoreHeader = 12; // the oldest header: 16-bit width and height
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kRunLength8 = 1;
constexpr std::uint32_t kRunLength4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

std::uint32_t little(std::string_view bytes, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = count; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0; // rows, whichever way they run
    std::int64_t bitsPerPixel = 0;
    std::uint32_t compression = kUncompressed;
    std::size_t pixelsAt = 0;
};

std::optional<Header> headerOf(std::string_view bytes) {
    if (bytes.size() < kFileHeader + 4 || bytes.substr(0, 2) != "BM") return std::nullopt;
    Header header;
    header.pixelsAt = little(bytes, 10, 4);
    const std::size_t size = little(bytes, kFileHeader, 4);
    const std::size_t at = kFileHeader + 4;
    if (size == kCoreHeader && bytes.size() >= kFileHeader + kCoreHeader) {
        header.width = little(bytes, at, 2);
        header.height = little(bytes, at + 2, 2);
        header.bitsPerPixel = little(bytes, at + 6, 2);
    } else if (size >= 40 && bytes.size() >= kFileHeader + 20) {
        header.width = static_cast<std::int32_t>(little(bytes, at, 4));
        header.height = std::llabs(static_cast<std::int32_t>(little(bytes, at + 4, 4)));
        header.bitsPerPixel = little(bytes, at + 10, 2);
        header.compression = little(bytes, at + 12, 4);
    } else {
        return std::nullopt;
    }
    if (header.width <= 0 || header.height <= 0 || header.bitsPerPixel <= 0) return std::nullopt;
    return header;
}

// Rows of uncompressed pixels: each padded to four bytes.
std::int64_t uncompressedRows(std::string_view bytes, const Header& header) {
    const std::int64_t stride = (header.width * header.bitsPerPixel + 31) / 32 * 4;
    if (header.pixelsAt >= bytes.size()) return 0;
    return static_cast<std::int64_t>(bytes.size() - header.pixelsAt) / stride;
}

// Rows of run-length coded pixels ended before the data stops, or all of them once the end-of-picture
// mark is reached.
std::int64_t runLengthRows(std::string_view bytes, const Header& header) {
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const bool fourBits = header.compression == kRunLength4;
    std::int64_t rows = 0;
    for (std::size_t i = header.pixelsAt; i + 1 < bytes.size();) {
        const unsigned count = at(i);
        const unsigned code = at(i + 1);
        i += 2;
        if (count > 0) continue; // a run of one value
        if (code == 0) {
            ++rows; // end of a row
        } else if (code == 1) {
            return header.height; // end of the picture: the decoder leaves what is left as it was told
        } else if (code == 2) {
            if (i + 2 > bytes.size()) break;
            rows += at(i + 1); // a jump down this many rows
            i += 2;
        } else {
            const std::size_t data = fourBits ? (code + 1) / 2 : code;
            i += (data + 1) / 2 * 2; // literal pixels, padded to two bytes
        }
    }
    return rows;
}

} // namespace

std::optional<BmpRows> bmpRowsCutShort(std::string_view bytes) {
    const std::optional<Header> header = headerOf(bytes);
    if (!header) return std::nullopt;
    // The rows the file gives; for a compression not counted here, all of them.
    const std::int64_t supplied = [&]() -> std::int64_t {
        switch (header->compression) {
        case kUncompressed:
        case kBitFields:
        case kAlphaBitFields:
            return uncompressedRows(bytes, *header);
        case kRunLength8:
        case kRunLength4:
            return runLengthRows(bytes, *header);
        default:
            return header->height;
        }
    }();
    if (supplied >= header->height) return std::nullopt;
    return BmpRows{supplied, header->height};
}

} // namespace specialty
