#include "picture_set.h"

namespace specialty {

QImage PictureSet::picture(const std::string& path) {
    auto known = decoded_.find(path);
    if (known != decoded_.end()) return known->second;
    QImage image = loadPicture(path, left_).image;
    left_ -= static_cast<std::int64_t>(image.sizeInBytes());
    return decoded_.emplace(path, std::move(image)).first->second;
}

} // namespace specialty
