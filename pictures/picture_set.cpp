#include "picture_set.h"

#include <algorithm>
#include <new>

namespace specialty {

PictureSet::~PictureSet() {
    if (!ahead_) return;
    ahead_->next = ahead_->paths.size(); // nothing more is started
    worker_.join();
}

void PictureSet::decodeAhead(std::vector<std::string> paths) {
    finishDecodingAhead();
    ahead_ = std::make_unique<Ahead>();
    for (std::string& path : paths)
        if (!decoded_.count(path) &&
            std::find(ahead_->paths.begin(), ahead_->paths.end(), path) == ahead_->paths.end())
            ahead_->paths.push_back(std::move(path));
    ahead_->images.resize(ahead_->paths.size());
    worker_ = std::thread([this] { decodeSomeAhead(); });
}

void PictureSet::decodeSomeAhead() {
    Ahead& ahead = *ahead_;
    for (std::size_t i; (i = ahead.next++) < ahead.paths.size();) {
        try {
            QImage image = loadPicture(ahead.paths[i], left_).image;
            // Decoded pictures held at once stay within the budget; beyond it one is dropped and decoded
            // again in turn, when it is known whether it fits.
            const auto bytes = static_cast<std::int64_t>(image.sizeInBytes());
            if ((ahead.held += bytes) > left_) {
                ahead.held -= bytes;
                continue;
            }
            ahead.images[i] = std::move(image);
        } catch (const std::bad_alloc&) {
            // Decoded again in turn, on the caller's thread, where running out of memory is handled.
        }
    }
}

void PictureSet::finishDecodingAhead() {
    if (!ahead_) return;
    decodeSomeAhead(); // the caller's thread helps with what is left
    worker_.join();
    const std::unique_ptr<Ahead> ahead = std::move(ahead_);
    // Settled in order against the budget, as if decoded one by one: a failure would fail again, and a
    // picture that fits what is left would decode the same; anything else is decoded again in turn.
    for (std::size_t i = 0; i < ahead->paths.size(); ++i) {
        const std::optional<QImage>& image = ahead->images[i];
        const std::int64_t pixels = image ? static_cast<std::int64_t>(image->width()) * image->height() : 0;
        if (image && pixels * 4 <= std::min(left_, kMaxPictureBytes)) {
            left_ -= static_cast<std::int64_t>(image->sizeInBytes());
            decoded_.emplace(ahead->paths[i], *image);
        } else {
            decode(ahead->paths[i]);
        }
    }
}

QImage PictureSet::picture(const std::string& path) {
    finishDecodingAhead();
    return decode(path);
}

std::int64_t PictureSet::bytesLeft() {
    finishDecodingAhead();
    return left_;
}

QImage PictureSet::decode(const std::string& path) {
    auto known = decoded_.find(path);
    if (known != decoded_.end()) return known->second;
    QImage image = loadPicture(path, left_).image;
    left_ -= static_cast<std::int64_t>(image.sizeInBytes());
    return decoded_.emplace(path, std::move(image)).first->second;
}

} // namespace specialty
