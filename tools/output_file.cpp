#include "output_file.h"
#include "tools/output_fault.h"

#include "tools/fresh_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace specialty {

namespace {

// The same, with the system's reason for the error number `error`.
Failure fileFault(OutputFault fault, const std::string& file, int error) {
    return specialty::fileFault(fault, file, std::strerror(error));
}

// Why a file that is neither written in place nor replaced is refused.
OutputFault refusedKind(mode_t mode) {
    if (S_ISDIR(mode)) return OutputFault::IsFolder;
    if (S_ISBLK(mode)) return OutputFault::IsBlockDevice;
    if (S_ISSOCK(mode)) return OutputFault::IsSocket;
    return OutputFault::IsOtherKind;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// The ordinary file a path leads to, through every link in it.
Result<std::string> resolved(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr)
        return Result<std::string>::failure(fileFault(OutputFault::CannotFollow, path, errno));
    std::string result(real);
    std::free(real);
    return result;
}

// Copies the open catalogue `source` (at the path `real`, free of links) into a new file REAL.previous
// made in its folder, with its owner, group and mode, renamed over whatever bore that name.
Result<std::string> keepCopy(int source, const std::string& real) {
    struct stat kept {};
    if (::fstat(source, &kept) != 0)
        return Result<std::string>::failure(fileFault(OutputFault::CannotLookAt, real, errno));
    Result<OpenFolder> folder = OpenFolder::open(folderOf(real));
    if (!folder) return Result<std::string>::failure(folder.error());
    Result<FreshFile> file = FreshFile::make(folder.value(), real.substr(real.rfind('/') + 1) + ".previous");
    if (!file) return Result<std::string>::failure(file.error());
    file.value().giveTo(kept.st_uid, kept.st_gid);
    Status copied = file.value().copyFrom(source, real);
    if (copied) copied = file.value().commit(kept.st_mode & 07777, true);
    if (!copied) return Result<std::string>::failure(copied.error());
    return file.value().path();
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

OutputFile::OutputFile(std::string target, std::string temporary, int fd)
    : target_(std::move(target)), temporary_(std::move(temporary)), fd_(fd), mode_(newFileMode()) {}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : target_(std::move(other.target_)), temporary_(std::move(other.temporary_)), fd_(other.fd_),
      committed_(other.committed_), keepsOwner_(other.keepsOwner_), owner_(other.owner_),
      group_(other.group_), mode_(other.mode_) {
    other.fd_ = -1;
    other.temporary_.clear();
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

Result<OutputFile> OutputFile::open(const std::string& path) {
    struct stat named {};
    const bool exists = ::stat(path.c_str(), &named) == 0;
    if (!exists) {
        const int error = errno;
        struct stat link {};
        if (error == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            return Result<OutputFile>::failure(fileFault(OutputFault::DanglingLink, path));
        if (error != ENOENT)
            return Result<OutputFile>::failure(fileFault(OutputFault::CannotLookAt, path, error));
    } else if (S_ISCHR(named.st_mode) || S_ISFIFO(named.st_mode)) {
        // Written in place. Opening without waiting, so that a FIFO nobody reads is refused, not a hang.
        const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            if (error == ENXIO) return Result<OutputFile>::failure(fileFault(OutputFault::UnreadFifo, path));
            return Result<OutputFile>::failure(fileFault(OutputFault::CannotOpen, path, error));
        }
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !(S_ISCHR(opened.st_mode) || S_ISFIFO(opened.st_mode)) ||
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
            ::close(fd);
            return Result<OutputFile>::failure(fileFault(OutputFault::ChangedWhileOpened, path));
        }
        return OutputFile(path, std::string(), fd);
    } else if (!S_ISREG(named.st_mode)) {
        return Result<OutputFile>::failure(fileFault(refusedKind(named.st_mode), path));
    }

    // A new file is made the way an existing one is replaced; an existing one is the file the links lead to.
    std::string target = path;
    if (exists) {
        Result<std::string> real = resolved(path);
        if (!real) return Result<OutputFile>::failure(real.error());
        target = real.value();
    }
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return Result<OutputFile>::failure(fileFault(OutputFault::NoTemporary, target, errno));
    OutputFile file(target, temporary, fd);
    if (exists) file.keepOwnerAndMode(named.st_uid, named.st_gid, named.st_mode & 07777);
    return file;
}

void OutputFile::keepOwnerAndMode(uid_t owner, gid_t group, mode_t mode) {
    keepsOwner_ = true;
    owner_ = owner;
    group_ = group;
    mode_ = mode;
}

Status OutputFile::failed(OutputFault fault, int error) {
    return Status::failure(fileFault(fault, temporary_.empty() ? target_ : temporary_, error));
}

Status OutputFile::write(std::string_view bytes) {
    const int error = writeWhole(fd_, bytes);
    if (error != 0) return failed(OutputFault::CannotWrite, error);
    return Done{};
}

Status OutputFile::copyFrom(const std::string& source) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return Status::failure(fileFault(OutputFault::CannotOpen, source, errno));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            ::close(in);
            return Status::failure(fileFault(OutputFault::CannotRead, source, error));
        }
        if (got == 0) break;
        if (Status written = write(std::string_view(buffer, static_cast<std::size_t>(got))); !written) {
            ::close(in);
            return written;
        }
    }
    ::close(in);
    return Done{};
}

Status OutputFile::commit() {
    if (!replaces()) { // a device or a FIFO, written in place
        const int fd = fd_;
        fd_ = -1;
        committed_ = true;
        if (::close(fd) != 0) return failed(OutputFault::CannotFinish, errno);
        return Done{};
    }
    // The owner first: changing it clears the set-user and set-group bits that the mode then restores.
    struct stat made {};
    if (::fstat(fd_, &made) != 0) return failed(OutputFault::CannotLookAt, errno);
    if (keepsOwner_ && (made.st_uid != owner_ || made.st_gid != group_) &&
        ::fchown(fd_, owner_, group_) != 0) {
        Failure owner = fileFault(OutputFault::CannotGiveOwner, temporary_, errno);
        owner.value = target_;
        return Status::failure(std::move(owner));
    }
    if (::fchmod(fd_, mode_) != 0) return failed(OutputFault::CannotSetPermissions, errno);
    if (::fsync(fd_) != 0) return failed(OutputFault::CannotFlush, errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return failed(OutputFault::CannotClose, errno);
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
        return Status::failure(fileFault(OutputFault::CannotReplace, target_, errno));
    committed_ = true;
    // The rename itself reaches the disk with the folder.
    if (const int dir = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Done{};
}

Status writeOutputFile(const std::string& path, std::string_view bytes) {
    Result<OutputFile> output = OutputFile::open(path);
    if (!output) return Status::failure(output.error());
    if (Status written = output.value().write(bytes); !written) return written;
    return output.value().commit();
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

Result<std::string> keepPreviousVersion(const std::string& path) {
    struct stat current {};
    if (::stat(path.c_str(), &current) != 0 || !S_ISREG(current.st_mode)) return std::string();
    Result<std::string> real = resolved(path);
    if (!real) return real;
    const int source = ::open(real.value().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (source < 0) return Result<std::string>::failure(fileFault(OutputFault::CannotOpen, path, errno));
    Result<std::string> kept = keepCopy(source, real.value());
    ::close(source);
    return kept;
}

} // namespace specialty
