// Where the viewer's files lie: the data folder below the drive root, and the part files in it.
#pragma once

#include "result.h"

#include <string>
#include <string_view>

namespace specialty {

// The data folder below a drive root: root + "tolvane/quintar/".
std::string dataFolderBelow(std::string_view driveRoot);

// The catalogue's file name inside the data folder.
constexpr std::string_view kCatalogueName = "specialty.txt";

// File name suffixes of a part's picture and description.
constexpr std::string_view kPictureSuffix = "ill.jpg";
constexpr std::string_view kDescriptionSuffix = ".txt";

// A part code names a file inside the data folder, never a path: it must hold no "/", "\" or NUL byte
// and must not be made of dots alone. The empty code is allowed (a slot click on an empty slot reads
// the file named just by the suffix).
bool isPlainPartName(std::string_view code);

// Data folder + code (converted from the code page to UTF-8, the file system's encoding) + suffix; a code
// that is not a plain name is a failure.
Result<std::string> partFilePath(const std::string& dataFolder, std::string_view code,
                                 std::string_view suffix);

} // namespace specialty
