// Loading a part's picture file, within limits that bound the memory and the time one picture can take.
//
// Loading is two steps, so that a set of pictures can be judged against a memory budget before any of
// them is decoded: reading the file (checked, its metadata removed, its size taken from its header), then
// decoding it, which may be stopped.
#pragma once

#include "catalogue/result.h"

#include <QDeadlineTimer>
#include <QImage>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace specialty {

struct PictureFormat;

// The most one decoded picture may take in memory; a file that claims larger dimensions is refused
// instead of decoded. main() sets the image reader's allocation limit to the same figure.
constexpr std::int64_t kMaxPictureBytes = 64 * 1024 * 1024;
// The largest picture file read at all.
constexpr std::size_t kMaxPictureFileBytes = 32 * 1024 * 1024;
// Progressive JPEGs are decoded scan by scan, each scan a pass over every pixel. Ordinary ones have about
// ten scans; more than this is refused outright, and so is a picture whose scans would pass over more
// pixels than sixteen passes over the largest picture allowed (about a second of decoding).
constexpr std::int64_t kMaxJpegScans = 64;
constexpr std::int64_t kMaxDecodedPixelPasses = 16 * (kMaxPictureBytes / 4);
// A JPEG of several scans is decoded into a buffer of all its coefficients first: up to 6 bytes a pixel.
constexpr std::int64_t kScanBufferBytesPerPixel = 6;

// A picture file read and checked, its metadata removed: what decoding it takes.
struct PictureInput {
    std::string bytes; // the file without its metadata
    const PictureFormat* format = nullptr;
    QSize size;
    std::int64_t scans = 1;
    std::int64_t pixelBytes = 0;    // the decoded picture's memory, at the most
    std::int64_t decodingBytes = 0; // what decoding holds besides: the bytes and the decoder's buffers
    std::optional<Failure> problem; // refused, and why
};

// Reads the picture at `path` (only an ordinary file) and checks it against the limits above; nothing of
// it is decoded but its header.
PictureInput readPicture(const std::string& path);

// Whether `input` is decoded within `maxPixelBytes` of memory, and when not, why.
Status pictureFits(const PictureInput& input, std::int64_t maxPixelBytes);

// When a decoding gives up: once `stop` is set, or `deadline` has passed, the decoder reads no further and
// the picture counts as not decodable.
struct DecodingStop {
    const std::atomic<bool>* stop = nullptr;
    QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever);
    bool reached() const { return (stop && stop->load()) || deadline.hasExpired(); }
};

// Decodes `input` (which must have no problem), in its own format and no other; at `scaledTo` when that is
// valid, which the JPEG decoder reaches by decoding at 1/2, 1/4 or 1/8 of the size, at a fraction of the
// work, before it scales smoothly (the others decode whole and scale). The picture is never null.
Result<QImage> decodePicture(const PictureInput& input, const DecodingStop& stop = {},
                             QSize scaledTo = QSize());

// Whether the picture at `path` shows whole, for the catalogue's maintainers; when not, why: it is refused
// or does not decode, or it decodes only partly (a JPEG cut short shows grey below the cut), with the
// decoder's warnings. The warnings are collected, never printed.
Status pictureShowsWhole(const std::string& path);

// Reads and decodes the picture at `path` if its pixels fit in `maxPixelBytes`; never null.
Result<QImage> loadPicture(const std::string& path, std::int64_t maxPixelBytes = kMaxPictureBytes);

} // namespace specialty
