#include "picture_source.h"

#include <QDeadlineTimer>

#include <new>

namespace specialty {

namespace {

// Decodes `input` at its own size, only `part` of it when that is valid; null when it does not fit
// kDecodingBytes, does not decode or takes longer than one picture may.
QImage decodeBounded(const PictureInput& input, QRect part) {
    const std::int64_t bytes = decodingBytesOf(input, QSize(), part);
    if (bytes > kDecodingBytes) return QImage();
    const int kilobytes = decodingKilobytesOf(bytes);
    if (!decodingKilobytes().tryAcquire(kilobytes, kPictureTimeMs)) return QImage();
    QImage image;
    try {
        const DecodingStop stop{nullptr, QDeadlineTimer(kPictureTimeMs)};
        const Result<QImage> decoded = decodePicture(input, stop, QSize(), part);
        if (decoded) image = *decoded;
    } catch (const std::bad_alloc&) {
        image = QImage();
    }
    decodingKilobytes().release(kilobytes);
    return image;
}

} // namespace

QSemaphore& decodingKilobytes() {
    static QSemaphore kilobytes(static_cast<int>(kDecodingBytes / kKilobyte));
    return kilobytes;
}

int decodingKilobytesOf(std::int64_t bytes) {
    return static_cast<int>(std::max<std::int64_t>(1, (bytes + kKilobyte - 1) / kKilobyte));
}

QImage PictureSource::whole() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!pending_) return whole_;
    pending_ = false;
    whole_ = decodeBounded(input_, QRect());
    input_ = PictureInput(); // decoded once, whatever came of it
    return whole_;
}

QImage PictureSource::part(QRect area) {
    const QRect cut = area & QRect(QPoint(0, 0), size_);
    const std::lock_guard<std::mutex> lock(mutex_);
    if (cut.isEmpty()) return QImage();
    if (!pending_) return cut == whole_.rect() ? whole_ : whole_.copy(cut);
    return decodeBounded(input_, cut);
}

} // namespace specialty
