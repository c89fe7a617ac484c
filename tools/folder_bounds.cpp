#include "tools/folder_bounds.h"

#include <cstdlib>
#include <memory>

namespace specialty {

namespace {

// The path with every link, "." and ".." resolved; empty when it leads nowhere.
std::string realPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

} // namespace

FolderBounds::FolderBounds(const std::string& folder) : real_(realPath(folder)) {
    if (!real_.empty() && real_.back() != '/') real_ += '/';
}

std::string FolderBounds::outsideTarget(const std::string& path) const {
    const std::string real = realPath(path);
    if (real.empty()) return {};
    if (!real_.empty() && real.compare(0, real_.size(), real_) == 0) return {};
    return real;
}

} // namespace specialty
