#include "jpeg_scans.h"

namespace specialty {

namespace {

constexpr unsigned char kMarker = 0xFF;
constexpr unsigned char kStartOfImage = 0xD8;
constexpr unsigned char kEndOfImage = 0xD9;
constexpr unsigned char kStartOfScan = 0xDA;

// Markers that stand alone, without a length: restarts, TEM, and the start and end of the image.
bool standsAlone(unsigned char marker) {
    return (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01 || marker == kStartOfImage ||
           marker == kEndOfImage;
}

} // namespace

std::optional<std::int64_t> jpegScanCount(std::string_view bytes) {
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() < 2 || at(0) != kMarker || at(1) != kStartOfImage) return std::nullopt;
    std::int64_t scans = 0;
    std::size_t i = 2;
    while (i + 1 < bytes.size()) {
        if (at(i) != kMarker) { // entropy-coded data of a scan: on to the next marker
            ++i;
            continue;
        }
        const unsigned char marker = at(i + 1);
        if (marker == kMarker) { // fill byte
            ++i;
            continue;
        }
        if (marker == 0x00 || standsAlone(marker)) { // a stuffed 0xFF inside scan data, or no length
            if (marker == kEndOfImage) break;
            i += 2;
            continue;
        }
        if (i + 3 >= bytes.size()) break;
        const std::size_t length = static_cast<std::size_t>(at(i + 2)) << 8 | at(i + 3);
        if (marker == kStartOfScan) ++scans;
        i += 2 + length; // a scan's header; its data follows and is walked byte by byte above
    }
    return scans;
}

} // namespace specialty
