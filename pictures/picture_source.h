// A picture a presentation shows, kept so that it can be shown at its own size later without reading its
// file again: either already decoded whole, or the file's bytes as they were read and checked (metadata
// cut, at most 32 MB, usually a few MB), from which the parts asked for are decoded.
#pragma once

#include "picture_loader.h"

#include <QImage>
#include <QRect>
#include <QSemaphore>

#include <cstdint>
#include <mutex>

namespace specialty {

// The kilobytes of kDecodingBytes that the decodings under way take: each takes its share while it runs.
constexpr int kKilobyte = 1024;
QSemaphore& decodingKilobytes();
// The kilobytes of decodingKilobytes() that decoding `bytes` takes, at least one.
int decodingKilobytesOf(std::int64_t bytes);
// How long a picture may take to decode before it counts as not decodable.
constexpr int kPictureTimeMs = 4000;

class PictureSource {
  public:
    explicit PictureSource(QImage whole) : size_(whole.size()), whole_(std::move(whole)) {}
    // `input` must have no problem.
    explicit PictureSource(PictureInput input)
        : size_(input.size), input_(std::move(input)), pending_(true) {}
    PictureSource(const PictureSource&) = delete;
    PictureSource& operator=(const PictureSource&) = delete;

    // The picture's own size.
    QSize size() const { return size_; }

    // The picture at its own size, shared by every caller. Kept bytes are decoded at the first call, once,
    // within the time of one picture, and let go; null when they do not decode or their decoding would
    // not fit kDecodingBytes.
    QImage whole();

    // The pixels of the picture within `area` (cut to the picture), its top left corner at the area's: a
    // picture of any size costs one area, held by the caller alone. From kept bytes only that part is
    // decoded (see decodingBytesOf), within the time of one picture. Null when the area holds no pixel of
    // the picture, or the part does not decode.
    QImage part(QRect area);

  private:
    std::mutex mutex_;
    const QSize size_;
    PictureInput input_;
    bool pending_ = false;
    QImage whole_;
};

} // namespace specialty
