#include "picture_source.h"

#include <QDeadlineTimer>

#include <new>

namespace specialty {

QSemaphore& decodingKilobytes() {
    static QSemaphore kilobytes(static_cast<int>(kDecodingBytes / kKilobyte));
    return kilobytes;
}

int decodingKilobytesOf(const PictureInput& input) {
    return static_cast<int>((input.decodingBytes + kKilobyte - 1) / kKilobyte);
}

QImage PictureSource::whole() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!pending_) return whole_;
    pending_ = false;
    const DecodingStop stop{nullptr, QDeadlineTimer(kPictureTimeMs)};
    const int kilobytes = decodingKilobytesOf(input_);
    if (decodingKilobytes().tryAcquire(kilobytes, kPictureTimeMs)) {
        try {
            const Result<QImage> decoded = decodePicture(input_, stop);
            whole_ = decoded ? *decoded : QImage();
        } catch (const std::bad_alloc&) {
            whole_ = QImage();
        }
        decodingKilobytes().release(kilobytes);
    }
    input_ = PictureInput(); // decoded once, whatever came of it
    return whole_;
}

} // namespace specialty
