#include "picture_set.h"

#include <algorithm>
#include <new>

namespace specialty {

PictureSet::~PictureSet() {
    if (!ahead_) return;
    ahead_->next = ahead_->paths.size(); // nothing more is started
    worker_.join();
}

void PictureSet::decodeAhead(std::vector<Wanted> wanted) {
    finishDecodingAhead();
    ahead_ = std::make_unique<Ahead>();
    for (Wanted& picture : wanted) {
        if (decoded_.count(picture.path)) continue;
        const auto known = std::find(ahead_->paths.begin(), ahead_->paths.end(), picture.path);
        const auto i = static_cast<std::size_t>(known - ahead_->paths.begin());
        if (known == ahead_->paths.end()) {
            ahead_->paths.push_back(std::move(picture.path));
            ahead_->previewSizes.emplace_back();
        }
        std::vector<QSize>& sizes = ahead_->previewSizes[i];
        if (picture.previewSize.isValid() &&
            std::find(sizes.begin(), sizes.end(), picture.previewSize) == sizes.end())
            sizes.push_back(picture.previewSize);
    }
    ahead_->images.resize(ahead_->paths.size());
    ahead_->previews.resize(ahead_->paths.size());
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
            for (const QSize& size : ahead.previewSizes[i])
                if (!image.isNull())
                    ahead.previews[i].push_back(
                        image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
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
    for (std::size_t i = 0; i < ahead->paths.size(); ++i)
        for (QImage& preview : ahead->previews[i]) {
            const auto bytes = static_cast<std::int64_t>(preview.sizeInBytes());
            if (bytes > left_ || decoded_.at(ahead->paths[i]).isNull()) continue;
            left_ -= bytes;
            previews_.emplace(ahead->paths[i], std::move(preview));
        }
}

QImage PictureSet::picture(const std::string& path) {
    finishDecodingAhead();
    return decode(path);
}

QImage PictureSet::preview(const std::string& path, QSize size) {
    finishDecodingAhead();
    for (auto [first, last] = previews_.equal_range(path); first != last; ++first)
        if (first->second.size() == size) return first->second;
    return QImage();
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
