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

bool RegularFile::open(const std::string& path, std::string& why) {
    close();
    if (path.find('\0') != std::string::npos) {
        why = "the path holds a NUL byte";
        return false;
    }
    // O_NONBLOCK keeps the open itself from waiting on a FIFO; the type test below then refuses it.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        why = systemReason();
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        why = systemReason();
        ::close(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        why = S_ISDIR(info.st_mode) ? "it is a directory, not a file" : "it is not an ordinary file";
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void RegularFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

long RegularFile::read(char* into, std::size_t size, std::string& why) {
    for (;;) {
        ssize_t got = ::read(fd_, into, size);
        if (got >= 0) return static_cast<long>(got);
        if (errno == EINTR) continue;
        why = systemReason();
        return -1;
    }
}

bool readWholeFile(const std::string& path, std::size_t maxBytes, std::string& contents, std::string& why) {
    RegularFile file;
    if (!file.open(path, why)) return false;
    contents.clear();
    char chunk[64 * 1024];
    for (;;) {
        long got = file.read(chunk, sizeof chunk, why);
        if (got < 0) return false;
        if (got == 0) return true;
        if (contents.size() + static_cast<std::size_t>(got) > maxBytes) {
            why = "it is larger than " + std::to_string(maxBytes) + " bytes";
            return false;
        }
        contents.append(chunk, static_cast<std::size_t>(got));
    }
}

} // namespace specialty
