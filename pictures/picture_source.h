// A picture a presentation shows, kept so that it can be shown at its own size later without reading its
// file again: either already decoded whole, or the file's bytes as they were read and checked (metadata
// cut, at most 32 MB, usually tens of KB), decoded whole when first asked for and then kept.
#pragma once

#include "picture_loader.h"

#include <QImage>
#include <QSemaphore>

#include <cstdint>
#include <mutex>

namespace specialty {

// What the decodings under way in the process may hold besides their pictures: the files' bytes and the
// decoders' buffers. Each decoding takes its share from decodingKilobytes() while it runs.
constexpr std::int64_t kDecodingBytes = 64 * 1024 * 1024;
constexpr int kKilobyte = 1024;
QSemaphore& decodingKilobytes();
// The kilobytes of decodingKilobytes() that decoding `input` takes.
int decodingKilobytesOf(const PictureInput& input);
// How long a picture may take to decode before it counts as not decodable.
constexpr int kPictureTimeMs = 4000;

class PictureSource {
  public:
    explicit PictureSource(QImage whole) : whole_(std::move(whole)) {}
    // `input` must have no problem.
    explicit PictureSource(PictureInput input) : input_(std::move(input)), pending_(true) {}
    PictureSource(const PictureSource&) = delete;
    PictureSource& operator=(const PictureSource&) = delete;

    // The picture at its own size, shared by every caller. Kept bytes are decoded at the first call, once,
    // within the time of one picture, and let go; null when they do not decode.
    QImage whole();

  private:
    std::mutex mutex_;
    PictureInput input_;
    bool pending_ = false;
    QImage whole_;
};

} // namespace specialty
