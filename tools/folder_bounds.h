// Whether a file of a folder lies inside it: a path of the folder may be a symbolic link, or pass through
// one, that leads anywhere. What is published from the folder is read only where its real path lies
// inside the folder's real path.
#pragma once

#include <string>

namespace specialty {

class FolderBounds {
  public:
    explicit FolderBounds(const std::string& folder);

    // The real path `path` leads to when it lies outside the folder; empty when it lies inside it, or
    // when it leads nowhere (a missing file is told apart by its reader).
    std::string outsideTarget(const std::string& path) const;

  private:
    std::string real_; // the folder's real path, ending in "/"; empty when it has none
};

} // namespace specialty
