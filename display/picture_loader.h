// Loading a part's picture file.
#pragma once

#include <QImage>

#include <string>

namespace specialty {

// The most a picture may take in memory once decoded; a file that claims larger dimensions is refused
// instead of decoded.
constexpr int kPictureAllocationLimitMB = 64;
// The largest picture file read at all.
constexpr std::size_t kMaxPictureFileBytes = 32 * 1024 * 1024;

// Decodes the picture at `path` (only an ordinary file). Returns a null image when the file cannot be
// read or is not a picture; the format is taken from the content, so a picture of another kind named
// ".jpg" still shows.
QImage loadPicture(const std::string& path);

} // namespace specialty
