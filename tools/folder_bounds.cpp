#include "tools/folder_bounds.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace specialty {

namespace {

// The path with every link, "." and ".." resolved; empty when it leads nowhere.
std::string realPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

// Where the open file `fd` lies, as the system tracked it since it was opened; empty when it cannot tell.
std::string openedPath(int fd) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::string target(4096, '\0');
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return {};
    target.resize(static_cast<std::size_t>(length));
    return target;
}

// Whether `path` names the very file open as `fd`.
bool sameFile(const std::string& path, int fd) {
    struct stat named {};
    struct stat opened {};
    return ::stat(path.c_str(), &named) == 0 && ::fstat(fd, &opened) == 0 && named.st_dev == opened.st_dev &&
           named.st_ino == opened.st_ino;
}

} // namespace

FolderBounds::FolderBounds(const std::string& folder) : real_(realPath(folder)) {
    if (!real_.empty() && real_.back() != '/') real_ += '/';
}

std::string FolderBounds::outsideTarget(const std::string& path) const {
    std::string real = realPath(path);
    if (real.empty()) return {};
    if (!real_.empty() && real.compare(0, real_.size(), real_) == 0) return {};
    return real;
}

} // namespace specialty

namespace specialty {

std::string FolderBounds::outsideTarget(const RegularFile& file) const {
    std::string where = openedPath(file.descriptor());
    // The name the system tracked must still name the file opened: a file renamed or removed since has a
    // name that no longer tells where it lies.
    if (where.empty() || where.front() != '/' || !sameFile(where, file.descriptor()))
        return where.empty() ? file.path() : where;
    if (!real_.empty() && where.compare(0, real_.size(), real_) == 0) return {};
    return where;
}

} // namespace specialty
