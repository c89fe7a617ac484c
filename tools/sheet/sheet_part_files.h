// The part files a review sheet shows: every picture decoded in parallel, within the picture layer's
// bounds, into a small thumbnail in the sheet's folder, and the beginning of every description.
#pragma once

#include "catalogue/result.h"
#include "tools/pictures/picture_module.h"
#include "tools/sheet/sheet_folder.h"
#include "tools/sheet/sheet_model.h"

#include <cstddef>
#include <functional>
#include <string>

namespace specialty {

// The largest thumbnail, in pixels; pictures smaller than that keep their size.
constexpr int kThumbWidth = 160;
constexpr int kThumbHeight = 120;

// The thumbnail of part `index`, relative to the sheet's folder: named by the part's place in the index,
// never by its code, so that no code can reach a file name or a link.
std::string thumbnailName(std::size_t index);

// Fills the picture and description state of every part of `model`, writing the thumbnails `pictures`
// makes into `folder`. `progress` (may be empty) is called on this thread now and then with how many parts
// are done.
Status readPartFiles(SheetModel& model, const std::string& dataFolder, const SheetFolder& folder,
                     const PictureModule& pictures,
                     const std::function<void(std::size_t done, std::size_t total)>& progress);

} // namespace specialty
