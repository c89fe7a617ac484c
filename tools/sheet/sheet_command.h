// specialty-catalogue sheet -o DIR: a static HTML review of the catalogue, its pictures and descriptions,
// and check's findings, that any browser opens from the folder.
#pragma once

#include "tools/commands.h"
#include "tools/pictures/picture_module.h"

#include <string>

namespace specialty {

// Exit status: 0 when the sheet was written, 2 when the folder cannot be used or the catalogue not read.
// `pictures` makes the thumbnails and judges the pictures as check does.
int sheetCommand(const ToolOptions& options, const PictureModule& pictures, const std::string& folder);

} // namespace specialty
