// Loading a part's picture file, within limits that bound the memory and the time one picture can take.
#pragma once

#include <QImage>

#include <cstdint>
#include <string>

namespace specialty {

// The most one decoded picture may take in memory (4 bytes a pixel); a file that claims larger dimensions
// is refused instead of decoded.
constexpr std::int64_t kMaxPictureBytes = 64 * 1024 * 1024;
// The largest picture file read at all.
constexpr std::size_t kMaxPictureFileBytes = 32 * 1024 * 1024;
// Progressive JPEGs are decoded scan by scan, each scan a pass over every pixel. Ordinary ones have about
// ten scans; more than this is refused outright, and so is a picture whose scans would pass over more
// pixels than sixteen passes over the largest picture allowed (about a second of decoding).
constexpr std::int64_t kMaxJpegScans = 64;
constexpr std::int64_t kMaxDecodedPixelPasses = 16 * (kMaxPictureBytes / 4);

struct Picture {
    QImage image;        // null when the file was not shown
    std::string problem; // then why, for the user (UTF-8): "it has 10000 scans, more than 64"
};

// What keeps the picture at `path` from showing whole, for the catalogue's maintainers: why it is refused
// or does not decode, or the decoder's warnings when it decodes only partly (a JPEG cut short shows grey
// below the cut); empty when it shows whole. The warnings are collected, never printed.
std::string pictureProblem(const std::string& path);

// Decodes the picture at `path` (only an ordinary file) if its pixels fit in `maxPixelBytes`. The format is
// taken from the content, so a picture of another kind named ".jpg" still shows.
Picture loadPicture(const std::string& path, std::int64_t maxPixelBytes = kMaxPictureBytes);

} // namespace specialty
