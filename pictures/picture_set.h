// The pictures of one presentation: each picture file is decoded once however many slots show it, and all
// of them together stay within one memory budget. A picture that does not fit counts as missing.
#pragma once

#include "picture_loader.h"

#include <map>
#include <string>

namespace specialty {

constexpr std::int64_t kPresentationPictureBytes = 256 * 1024 * 1024;

class PictureSet {
  public:
    explicit PictureSet(std::int64_t budgetBytes = kPresentationPictureBytes) : left_(budgetBytes) {}

    // The picture at `path`, shared with every earlier request for the same path; null when it cannot be
    // shown (a failure is remembered too, so a bad file is read once).
    QImage picture(const std::string& path);

    std::int64_t bytesLeft() const { return left_; }

  private:
    std::map<std::string, QImage> decoded_;
    std::int64_t left_;
};

} // namespace specialty
