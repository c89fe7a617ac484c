#include "regular_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace specialty {

namespace {

// The system's own reason for the failure that errno holds.
Failure systemFault(const std::string& path) {
    const int error = errno; // before anything that may change it
    return fileFault(CatalogueFault::System, path, std::strerror(error));
}

} // namespace

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

RegularFile::~RegularFile() {
    close();
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

Status RegularFile::open(const std::string& path) {
    close();
    if (path.find('\0') != std::string::npos)
        return Status::failure(fileFault(CatalogueFault::PathHoldsNul, path));
    // O_NONBLOCK keeps the open itself from waiting on a FIFO; the type test below then refuses it.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return Status::failure(systemFault(path));
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        Failure why = systemFault(path);
        ::close(fd);
        return Status::failure(std::move(why));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return Status::failure(fileFault(
            S_ISDIR(info.st_mode) ? CatalogueFault::IsDirectory : CatalogueFault::NotOrdinaryFile, path));
    }
    fd_ = fd;
    path_ = path;
    return Done{};
}

void RegularFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        path_.clear();
    }
}

Result<std::size_t> RegularFile::read(char* into, std::size_t size) {
    for (;;) {
        ssize_t got = ::read(fd_, into, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno == EINTR) continue;
        return Result<std::size_t>::failure(systemFault(path_));
    }
}

Result<std::string> readFileStart(const std::string& path, std::size_t count) {
    RegularFile file;
    if (Status opened = file.open(path); !opened) return Result<std::string>::failure(opened.error());
    std::string start(count, '\0');
    std::size_t filled = 0;
    while (filled < count) {
        Result<std::size_t> got = file.read(start.data() + filled, count - filled);
        if (!got) return Result<std::string>::failure(got.error());
        if (got.value() == 0) break;
        filled += got.value();
    }
    start.resize(filled);
    return start;
}

Result<std::string> readWholeFile(const std::string& path, std::size_t maxBytes) {
    RegularFile file;
    if (Status opened = file.open(path); !opened) return Result<std::string>::failure(opened.error());
    return readWholeFile(file, maxBytes);
}

Result<std::string> readWholeFile(RegularFile& file, std::size_t maxBytes) {
    // Into a buffer of the file's size (within the bound) and one byte more, which a file of that size
    // leaves unfilled; a file that grows while it is read has the buffer grow with it, up to one byte
    // past the bound, which tells it is too large.
    maxBytes = std::min(maxBytes, SIZE_MAX - 1);
    struct stat info {};
    std::size_t expected = 0;
    if (::fstat(file.descriptor(), &info) == 0 && info.st_size > 0)
        expected = static_cast<std::size_t>(
            std::min<std::uint64_t>(static_cast<std::uint64_t>(info.st_size), maxBytes));
    constexpr std::size_t kLeastGrowth = 64 * 1024;
    std::string contents(expected + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == contents.size()) {
            if (filled > maxBytes) {
                Failure tooLarge = fileFault(CatalogueFault::FileTooLarge, file.path());
                tooLarge.limit = static_cast<std::int64_t>(maxBytes);
                return Result<std::string>::failure(std::move(tooLarge));
            }
            contents.resize(std::min(maxBytes + 1, filled + std::max(filled, kLeastGrowth)));
        }
        Result<std::size_t> got = file.read(contents.data() + filled, contents.size() - filled);
        if (!got) return Result<std::string>::failure(got.error());
        if (got.value() == 0) break;
        filled += got.value();
    }
    contents.resize(filled);
    return contents;
}

} // namespace specialty
