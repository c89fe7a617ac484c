#include "jpeg_scans.h"

#include <algorithm>
#include <cstring>

namespace specialty {

namespace {

constexpr unsigned char kMarker = 0xFF;
constexpr unsigned char kStartOfImage = 0xD8;
constexpr unsigned char kEndOfImage = 0xD9;
constexpr unsigned char kStartOfScan = 0xDA;
constexpr unsigned char kComment = 0xFE;
constexpr unsigned char kJfif = 0xE0;  // APP0
constexpr unsigned char kAdobe = 0xEE; // APP14

// Markers that stand alone, without a length: restarts, TEM, and the start and end of the image.
bool standsAlone(unsigned char marker) {
    return (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01 || marker == kStartOfImage ||
           marker == kEndOfImage;
}

bool carriesOnlyMetadata(unsigned char marker) {
    return marker == kComment || (marker >= 0xE0 && marker <= 0xEF && marker != kJfif && marker != kAdobe);
}

bool beginsLikeJpeg(std::string_view bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == kMarker &&
           static_cast<unsigned char>(bytes[1]) == kStartOfImage;
}

// Calls `segment(marker, begin, end)` for every marker segment with a length, [begin, end) covering the
// marker and its length field; scan data between segments is passed over. Returns where the walk ended:
// just after the end-of-image marker, or the end of the bytes.
template <typename Segment>
std::size_t walkSegments(std::string_view bytes, Segment segment) {
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    std::size_t i = 2;
    while (i + 1 < bytes.size()) {
        if (at(i) != kMarker) { // entropy-coded data of a scan: on to the next marker
            const void* next = std::memchr(bytes.data() + i, kMarker, bytes.size() - i);
            if (!next) break;
            i = static_cast<std::size_t>(static_cast<const char*>(next) - bytes.data());
            continue;
        }
        const unsigned char marker = at(i + 1);
        if (marker == kMarker) { // fill byte
            ++i;
            continue;
        }
        if (marker == 0x00 || standsAlone(marker)) { // a stuffed 0xFF inside scan data, or no length
            i += 2;
            if (marker == kEndOfImage) return i;
            continue;
        }
        if (i + 3 >= bytes.size()) break;
        const std::size_t length = static_cast<std::size_t>(at(i + 2)) << 8 | at(i + 3);
        const std::size_t end = std::min(bytes.size(), i + 2 + length);
        segment(marker, i, end);
        i = end; // a scan's header; its data follows and is walked byte by byte above
    }
    return bytes.size();
}

} // namespace

std::optional<std::int64_t> jpegScanCount(std::string_view bytes) {
    if (!beginsLikeJpeg(bytes)) return std::nullopt;
    std::int64_t scans = 0;
    walkSegments(bytes, [&](unsigned char marker, std::size_t, std::size_t) {
        if (marker == kStartOfScan) ++scans;
    });
    return scans;
}

void takeOutJpegMetadata(std::string& bytes) {
    if (!beginsLikeJpeg(bytes)) return;
    // The segments kept move down over those taken out; the walk reads only past what is written.
    std::size_t written = 0;
    std::size_t keptFrom = 0;
    const std::size_t end =
        walkSegments(bytes, [&](unsigned char marker, std::size_t begin, std::size_t end) {
            if (!carriesOnlyMetadata(marker)) return;
            if (written != keptFrom) std::memmove(&bytes[written], &bytes[keptFrom], begin - keptFrom);
            written += begin - keptFrom;
            keptFrom = end;
        });
    if (written != keptFrom) std::memmove(&bytes[written], &bytes[keptFrom], end - keptFrom);
    bytes.resize(written + end - keptFrom);
}

std::string jpegWithoutMetadata(std::string_view bytes) {
    std::string kept(bytes);
    takeOutJpegMetadata(kept);
    return kept;
}

} // namespace specialty
