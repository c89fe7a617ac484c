// The folder a review sheet is written to: made when missing, and used only when it is empty or holds an
// earlier sheet, so that the sheet never replaces files it did not write. The folder is opened once and
// every file is written relative to it, so that no change of a path during the run can redirect a write;
// a folder that another user owns, or that others may write into without the sticky bit, is refused.
#pragma once

#include "catalogue/result.h"
#include "tools/fresh_file.h"

#include <memory>
#include <string>
#include <string_view>

namespace specialty {

class SheetFolder {
  public:
    // Makes `folder` (and its parents) when missing, refuses a file or a folder that holds anything but an
    // earlier sheet, and marks it as a sheet's folder. `folder` is a path in the file system's encoding.
    Status prepare(const std::string& folder);
    // Writes `bytes` to `name` (a plain name, or "pictures/" and one) in the folder: a new file renamed
    // over the old, so that a link in the folder is replaced, never followed.
    Status write(const std::string& name, std::string_view bytes) const;
    const std::string& path() const { return folder_; }

  private:
    std::string folder_; // ends in "/"
    std::unique_ptr<OpenFolder> root_;
    std::unique_ptr<OpenFolder> pictures_;
};

// The file that marks a folder as a sheet's, and the subfolder of its thumbnails.
constexpr std::string_view kSheetMark = ".specialty-sheet";
constexpr std::string_view kThumbnailFolder = "pictures";

} // namespace specialty
