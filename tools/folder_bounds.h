// Whether a file of a folder lies inside it: a path of the folder may be a symbolic link, or pass through
// one, that leads anywhere. What is published from the folder is read only where its real path lies
// inside the folder's real path.
#pragma once

#include "catalogue/regular_file.h"

#include <string>

namespace specialty {

class FolderBounds {
  public:
    explicit FolderBounds(const std::string& folder);

    // The real path `path` leads to when it lies outside the folder; empty when it lies inside it, or
    // when it leads nowhere (a missing file is told apart by its reader).
    std::string outsideTarget(const std::string& path) const;
    // The same for a file already open, judged by what was opened rather than by its path, which may have
    // changed since: where the file lies when that is outside the folder, empty when inside. A file whose
    // place cannot be told counts as outside.
    std::string outsideTarget(const RegularFile& file) const;

  private:
    std::string real_; // the folder's real path, ending in "/"; empty when it has none
};

} // namespace specialty
