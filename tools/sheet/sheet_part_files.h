// The part files a review sheet shows: a picture decoded within the picture layer's bounds into a small
// thumbnail in the sheet's folder, and the beginning of a description.
#pragma once

#include "catalogue/result.h"
#include "tools/folder_bounds.h"
#include "tools/pictures/picture_module.h"
#include "tools/sheet/sheet_folder.h"
#include "tools/sheet/sheet_model.h"

#include <optional>

#include <cstddef>
#include <string>

namespace specialty {

// The largest thumbnail, in pixels; pictures smaller than that keep their size.
constexpr int kThumbWidth = 160;
constexpr int kThumbHeight = 120;

// The thumbnail of part `index`, relative to the sheet's folder: named by the part's place in the index,
// never by its code, so that no code can reach a file name or a link.
std::string thumbnailName(std::size_t index);

// Fills the picture and description state of `part`, number `index` in the sheet, its texts kept in
// `kept` and the thumbnail `pictures` makes written into `folder`; returns why the thumbnail could not be
// written, or nothing. May run on several threads at once.
std::optional<Failure> readPart(SheetPart& part, PartTextStore& kept, std::size_t index,
                                const std::string& dataFolder, const FolderBounds& inside,
                                const SheetFolder& folder, const PictureModule& pictures);

} // namespace specialty
