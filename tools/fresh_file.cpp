#include "tools/fresh_file.h"
#include "tools/output_fault.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace specialty {

namespace {

Failure fault(OutputFault of, const std::string& file, int error) {
    return fileFault(of, file, std::strerror(error));
}

// A hidden name beside `name` that no one can guess: its name and twelve random letters.
std::string temporaryName(const std::string& name) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uint8_t random[12] = {};
    std::size_t got = 0;
    while (got < sizeof random) {
        const ssize_t n = ::getrandom(random + got, sizeof random - got, 0);
        if (n > 0)
            got += static_cast<std::size_t>(n);
        else if (errno != EINTR)
            break; // the name is then merely unlikely; O_EXCL still refuses a clash
    }
    std::string result = "." + name + ".";
    for (const std::uint8_t r : random)
        result += kLetters[r % (sizeof kLetters - 1)];
    return result;
}

} // namespace

Result<OpenFolder> OpenFolder::open(const std::string& path, bool followLink) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | (followLink ? 0 : O_NOFOLLOW) | O_CLOEXEC);
    if (fd < 0) return Result<OpenFolder>::failure(fault(OutputFault::CannotOpen, path, errno));
    return OpenFolder(fd, path.empty() || path.back() == '/' ? path : path + "/");
}

Result<OpenFolder> OpenFolder::subfolder(const std::string& name) const {
    const int fd = ::openat(fd_, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return Result<OpenFolder>::failure(fault(OutputFault::CannotOpen, path_ + name, errno));
    return OpenFolder(fd, path_ + name + "/");
}

OpenFolder::OpenFolder(OpenFolder&& other) noexcept : fd_(other.fd_), path_(std::move(other.path_)) {
    other.fd_ = -1;
}

OpenFolder& OpenFolder::operator=(OpenFolder&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

OpenFolder::~OpenFolder() {
    if (fd_ >= 0) ::close(fd_);
}

Result<FreshFile> FreshFile::make(const OpenFolder& folder, std::string name) {
    for (int attempt = 0;; ++attempt) {
        std::string temporary = temporaryName(name);
        const int fd = ::openat(folder.fd(), temporary.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) return FreshFile(folder, std::move(name), std::move(temporary), fd);
        if (errno != EEXIST || attempt == 16)
            return Result<FreshFile>::failure(fault(OutputFault::NoTemporary, folder.path() + name, errno));
    }
}

FreshFile::FreshFile(FreshFile&& other) noexcept
    : folder_(other.folder_), name_(std::move(other.name_)), temporary_(std::move(other.temporary_)),
      fd_(other.fd_), committed_(other.committed_), givesOwner_(other.givesOwner_), owner_(other.owner_),
      group_(other.group_) {
    other.fd_ = -1;
    other.committed_ = true; // the moved-from file has nothing left to remove
}

FreshFile::~FreshFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlinkat(folder_->fd(), temporary_.c_str(), 0);
}

Status FreshFile::failed(OutputFault of, int error) const {
    return Status::failure(fault(of, folder_->path() + temporary_, error));
}

int writeWhole(int fd, std::string_view bytes) {
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t got = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return got < 0 ? errno : EIO;
        written += static_cast<std::size_t>(got);
    }
    return 0;
}

Status FreshFile::write(std::string_view bytes) {
    const int error = writeWhole(fd_, bytes);
    if (error != 0) return failed(OutputFault::CannotWrite, error);
    return Done{};
}

Status FreshFile::copyFrom(int source, const std::string& sourceName) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(source, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Status::failure(fault(OutputFault::CannotRead, sourceName, errno));
        if (got == 0) return Done{};
        if (Status written = write(std::string_view(buffer, static_cast<std::size_t>(got))); !written)
            return written;
    }
}

void FreshFile::giveTo(uid_t owner, gid_t group) {
    givesOwner_ = true;
    owner_ = owner;
    group_ = group;
}

Status FreshFile::commit(mode_t mode, bool flush) {
    // The owner first: changing it clears the set-user and set-group bits that the mode then restores.
    struct stat made {};
    if (::fstat(fd_, &made) != 0) return failed(OutputFault::CannotLookAt, errno);
    if (givesOwner_ && (made.st_uid != owner_ || made.st_gid != group_) &&
        ::fchown(fd_, owner_, group_) != 0) {
        Failure owner = fault(OutputFault::CannotGiveOwner, folder_->path() + temporary_, errno);
        owner.value = path();
        return Status::failure(std::move(owner));
    }
    if (::fchmod(fd_, mode) != 0) return failed(OutputFault::CannotSetPermissions, errno);
    if (flush && ::fsync(fd_) != 0) return failed(OutputFault::CannotFlush, errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return failed(OutputFault::CannotClose, errno);
    if (::renameat(folder_->fd(), temporary_.c_str(), folder_->fd(), name_.c_str()) != 0)
        return Status::failure(fault(OutputFault::CannotReplace, path(), errno));
    committed_ = true;
    if (flush) ::fsync(folder_->fd()); // the rename reaches the disk with the folder
    return Done{};
}

} // namespace specialty
