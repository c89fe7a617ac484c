#include "png_chunks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

namespace specialty {

namespace {

constexpr std::string_view kSignature("\x89PNG\r\n\x1A\n", 8);
// Length, type, then the chunk's data and a four-byte checksum.
constexpr std::size_t kChunkHead = 8;
constexpr std::size_t kChunkCheck = 4;

constexpr std::array<std::string_view, 10> kDrawingChunks{"IHDR", "PLTE", "IDAT", "IEND", "tRNS",
                                                          "gAMA", "cHRM", "sRGB", "sBIT", "pHYs"};

std::uint32_t bigEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

bool drawsThePicture(std::string_view type) {
    return std::find(kDrawingChunks.begin(), kDrawingChunks.end(), type) != kDrawingChunks.end();
}

} // namespace

void takeOutPngMetadata(std::string& bytes) {
    if (std::string_view(bytes).substr(0, kSignature.size()) != kSignature) return;
    // The chunks kept move down over those taken out; the walk reads only past what is written.
    std::size_t written = kSignature.size();
    std::size_t at = kSignature.size();
    while (at + kChunkHead <= bytes.size()) {
        const std::uint64_t length = bigEndian32(bytes, at);
        const std::string type = bytes.substr(at + 4, 4);
        const std::size_t end = static_cast<std::size_t>(
            std::min<std::uint64_t>(bytes.size(), at + kChunkHead + length + kChunkCheck));
        if (drawsThePicture(type)) {
            if (written != at) std::memmove(&bytes[written], &bytes[at], end - at);
            written += end - at;
        }
        if (type == "IEND") break;
        at = end;
    }
    bytes.resize(written);
}

std::string pngWithoutMetadata(std::string_view bytes) {
    std::string kept(bytes);
    takeOutPngMetadata(kept);
    return kept;
}

namespace {

// The byte of the header chunk at `offset` from its data (after width and height: depth 8, interlace
// 12), or nothing when the bytes do not begin with the header chunk.
std::optional<unsigned char> headerByte(std::string_view bytes, std::size_t offset) {
    const std::size_t at = kSignature.size() + kChunkHead + offset;
    if (bytes.size() <= at || bytes.substr(0, kSignature.size()) != kSignature ||
        bytes.substr(kSignature.size() + 4, 4) != "IHDR")
        return std::nullopt;
    return static_cast<unsigned char>(bytes[at]);
}

} // namespace

int pngBitDepth(std::string_view bytes) {
    return headerByte(bytes, 8).value_or(0);
}

bool pngInterlaced(std::string_view bytes) {
    return headerByte(bytes, 12).value_or(0) != 0;
}

} // namespace specialty
