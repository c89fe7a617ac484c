#include "regular_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace specialty {

namespace {

std::string systemReason() {
    return std::strerror(errno);
}

} // namespace

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

RegularFile::~RegularFile() {
    close();
}

Status RegularFile::open(const std::string& path) {
    close();
    if (path.find('\0') != std::string::npos) return Status::failure("the path holds a NUL byte");
    // O_NONBLOCK keeps the open itself from waiting on a FIFO; the type test below then refuses it.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return Status::failure(systemReason());
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const std::string why = systemReason();
        ::close(fd);
        return Status::failure(why);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return Status::failure(S_ISDIR(info.st_mode) ? "it is a directory, not a file"
                                                     : "it is not an ordinary file");
    }
    fd_ = fd;
    return Done{};
}

void RegularFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

Result<std::size_t> RegularFile::read(char* into, std::size_t size) {
    for (;;) {
        ssize_t got = ::read(fd_, into, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno == EINTR) continue;
        return Result<std::size_t>::failure(systemReason());
    }
}

Result<std::string> readFileStart(const std::string& path, std::size_t count) {
    RegularFile file;
    if (Status opened = file.open(path); !opened) return Result<std::string>::failure(opened.reason());
    std::string start(count, '\0');
    std::size_t filled = 0;
    while (filled < count) {
        Result<std::size_t> got = file.read(start.data() + filled, count - filled);
        if (!got) return Result<std::string>::failure(got.reason());
        if (got.value() == 0) break;
        filled += got.value();
    }
    start.resize(filled);
    return start;
}

Result<std::string> readWholeFile(const std::string& path, std::size_t maxBytes) {
    RegularFile file;
    if (Status opened = file.open(path); !opened) return Result<std::string>::failure(opened.reason());
    std::string contents;
    char chunk[64 * 1024];
    for (;;) {
        Result<std::size_t> got = file.read(chunk, sizeof chunk);
        if (!got) return Result<std::string>::failure(got.reason());
        if (got.value() == 0) return contents;
        if (contents.size() + got.value() > maxBytes)
            return Result<std::string>::failure("it is larger than " + std::to_string(maxBytes) + " bytes");
        contents.append(chunk, got.value());
    }
}

} // namespace specialty
