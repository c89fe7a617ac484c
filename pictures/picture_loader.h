// Loading a part's picture file, within limits that bound the memory and the time one picture can take.
//
// Loading is two steps, so that a set of pictures can be judged against a memory budget before any of
// them is decoded: reading the file (checked, its metadata removed, its size taken from its header), then
// decoding it, which may be stopped.
#pragma once

#include "catalogue/regular_file.h"
#include "catalogue/result.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QRect>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace specialty {

struct PictureFormat;

// What the decodings under way in the process may hold at once while they run: each decoder's buffers and
// the pictures it makes. What a presentation keeps afterwards is bounded apart (picture_set.h). A picture
// whose decoding alone would take more is refused instead of decoded; main() sets the image reader's
// allocation limit to the same figure.
//
// What a decoding holds depends on the format and on the size asked for. A JPEG of one scan is decoded
// straight to 1/2, 1/4 or 1/8 of its size, or only the rows and columns of a part of it: a picture of any
// size costs what is asked for. A PNG (not interlaced) is read row by row into a smaller picture, but its
// part is cut from the picture decoded whole. A BMP, an interlaced PNG and the coefficients of a JPEG of
// several scans are held whole whatever is asked for: 80 MB take a 20-megapixel PNG or BMP, or a
// progressive JPEG of 13 megapixels.
constexpr std::int64_t kDecodingBytes = 80 * 1024 * 1024;
// The largest picture file read at all.
constexpr std::size_t kMaxPictureFileBytes = 32 * 1024 * 1024;
// Progressive JPEGs are decoded scan by scan, each scan a pass over every pixel. Ordinary ones have about
// ten scans; more than this is refused outright, and so is a picture whose scans would pass over more
// pixels than sixteen passes over 16 megapixels (about a second of decoding).
constexpr std::int64_t kMaxJpegScans = 64;
constexpr std::int64_t kMaxDecodedPixelPasses = 16 * 16 * 1024 * 1024;
// A JPEG of several scans is decoded into a buffer of all its coefficients first: up to 6 bytes a pixel.
constexpr std::int64_t kScanBufferBytesPerPixel = 6;

// A picture file read and checked, its metadata removed: what decoding it takes.
struct PictureInput {
    std::string bytes; // the file without its metadata
    const PictureFormat* format = nullptr;
    QSize size;
    std::int64_t scans = 1;
    std::int64_t pixelBytes = 0;    // the picture decoded whole, at its own size
    bool heldWhole = false;         // the decoder holds the whole picture whatever size is asked for
    std::optional<Failure> problem; // refused, and why
};

// Reads the picture at `path` (only an ordinary file) and checks it against the limits above; nothing of
// it is decoded but its header.
PictureInput readPicture(const std::string& path);
// The same from a picture file already open: what is read is what was opened.
PictureInput readPicture(RegularFile& file);
// The same from a picture file's bytes, already read (at most kMaxPictureFileBytes of them).
PictureInput pictureFromBytes(std::string bytes);

// What decoding `input` holds while it runs: at `scaledTo` when that is valid, else only `part` of it when
// that is valid, else whole. The bytes it reads from are counted too.
std::int64_t decodingBytesOf(const PictureInput& input, QSize scaledTo = QSize(), QRect part = QRect());

// Whether `input` decodes as asked (see decodingBytesOf) within kDecodingBytes, and `keptBytes`, what is
// kept of it afterwards, fit `bytesLeft`; when not, why.
Status pictureFits(const PictureInput& input, std::int64_t keptBytes, std::int64_t bytesLeft,
                   QSize scaledTo = QSize(), QRect part = QRect());

// When a decoding gives up: once `stop` is set, or `deadline` has passed, the decoder reads no further and
// the picture counts as not decodable.
struct DecodingStop {
    const std::atomic<bool>* stop = nullptr;
    QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever);
    bool reached() const { return (stop && stop->load()) || deadline.hasExpired(); }
};

// Decodes `input` (which must have no problem), in its own format and no other; at `scaledTo` when that is
// valid, which the JPEG decoder reaches by decoding at 1/2, 1/4 or 1/8 of the size, at a fraction of the
// work, before it scales smoothly; else only the pixels within `part` when that is valid (it must lie in
// the picture). The picture is never null.
Result<QImage> decodePicture(const PictureInput& input, const DecodingStop& stop = {},
                             QSize scaledTo = QSize(), QRect part = QRect());

// Whether the picture at `path` shows whole, for the catalogue's maintainers; when not, why: it is refused
// (a BMP whose rows stop early, a PNG cut short) or does not decode, or it decodes only partly (a JPEG cut
// short shows grey below the cut), with the decoder's warnings. Every byte of it is decoded, a JPEG or PNG
// at an eighth of its size. The warnings are collected, never printed.
Status pictureShowsWhole(const std::string& path);

// A picture decoded to fit a size, and what that same decoding tells of pictureShowsWhole's judgement.
struct JudgedPicture {
    Result<QImage> picture;
    // What pictureShowsWhole would say of the same bytes, when this decoding tells it: a picture it would
    // refuse before decoding, or a JPEG that decoded (its decoder reads every byte, and warns alike, at
    // whatever size it decodes). Empty otherwise, and the picture is to be judged apart.
    std::optional<Status> showsWhole;
};

// Decodes a picture file's `bytes` as loadPicture() does, the decoder's warnings collected as
// pictureShowsWhole() collects them.
JudgedPicture loadJudgedPicture(std::string bytes, QSize within);

// Reads and decodes the picture at `path`, whole, or scaled down to fit within `within` (keeping its
// proportions, never enlarged) when that is valid; never null.
Result<QImage> loadPicture(const std::string& path, QSize within = QSize());
Result<QImage> loadPicture(RegularFile& file, QSize within = QSize());
// The same from a picture already read.
Result<QImage> loadPicture(const PictureInput& input, QSize within = QSize());

} // namespace specialty
