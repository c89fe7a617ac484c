#include "tools/sheet/sheet_folder.h"
#include "tools/output_fault.h"
#include "tools/sheet/sheet_fault.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace specialty {

namespace {

std::string systemReason() {
    return std::strerror(errno);
}

// The fault `fault` of the folder or file `file`, for the reason `why` (the system's, or none).
Status refused(FaultCode fault, const std::string& file, std::string why = {}) {
    return Status::failure(fileFault(fault, file, std::move(why)));
}

// Whether the open folder holds nothing, or the mark of an earlier sheet; fills `why` when it cannot be read.
bool emptyOrSheet(const OpenFolder& folder, std::string& why) {
    const int fd = ::dup(folder.fd());
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (dir == nullptr) {
        why = systemReason();
        if (fd >= 0) ::close(fd);
        return false;
    }
    bool empty = true;
    bool marked = false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (name == kSheetMark) marked = true;
        empty = false;
    }
    ::closedir(dir);
    return empty || marked;
}

// Refuses a folder that someone else could change under the sheet, as ssh refuses such a key folder: one
// owned by another user than the one who runs sheet (or root), or one that others may write into without
// the sticky bit that keeps them from renaming or removing what they did not make.
Status onlyOursToChange(const OpenFolder& folder) {
    struct stat info {};
    if (::fstat(folder.fd(), &info) != 0)
        return refused(SheetFault::FolderUnusable, folder.path(), systemReason());
    if (info.st_uid != ::geteuid() && info.st_uid != 0) {
        Failure owned = fileFault(SheetFault::FolderNotYours, folder.path());
        owned.count = info.st_uid;
        return Status::failure(std::move(owned));
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (info.st_mode & S_ISVTX) == 0)
        return refused(SheetFault::FolderOpenToOthers, folder.path());
    return Done{};
}

} // namespace

Status SheetFolder::prepare(const std::string& folder) {
    folder_ = folder;
    if (folder_.empty()) return Status::failure(Failure(SheetFault::NoFolder));
    if (folder_.back() != '/') folder_ += '/';
    struct stat info {};
    const bool made = ::stat(folder.c_str(), &info) != 0;
    if (made) {
        if (errno != ENOENT) return refused(SheetFault::FolderUnusable, folder, systemReason());
        if (!QDir().mkpath(QFile::decodeName(folder.c_str())))
            return refused(SheetFault::FolderNotMade, folder);
    } else if (!S_ISDIR(info.st_mode)) {
        return refused(SheetFault::NotAFolder, folder);
    }
    // The folder named is opened once, through a link if the user named one; nothing after is by path.
    Result<OpenFolder> root = OpenFolder::open(folder, true);
    if (!root) return refused(SheetFault::FolderUnusable, folder, root.error().why);
    root_ = std::make_unique<OpenFolder>(std::move(root.value()));
    if (Status ours = onlyOursToChange(*root_); !ours) return ours;
    if (!made) {
        std::string why;
        if (!emptyOrSheet(*root_, why))
            return why.empty() ? refused(SheetFault::FolderNotEmpty, folder)
                               : refused(SheetFault::FolderUnreadable, folder, why);
    }
    const std::string pictures = folder_ + std::string(kThumbnailFolder);
    const std::string name(kThumbnailFolder);
    if (::fstatat(root_->fd(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISDIR(info.st_mode)) return refused(SheetFault::NotAFolder, pictures);
    } else if (errno != ENOENT || ::mkdirat(root_->fd(), name.c_str(), 0755) != 0) {
        return refused(SheetFault::FolderNotMade, pictures, systemReason());
    }
    Result<OpenFolder> thumbnails = root_->subfolder(name);
    if (!thumbnails) return refused(SheetFault::FolderUnusable, pictures, thumbnails.error().why);
    pictures_ = std::make_unique<OpenFolder>(std::move(thumbnails.value()));
    if (Status ours = onlyOursToChange(*pictures_); !ours) return ours;
    return write(std::string(kSheetMark), "A review sheet written by specialty-catalogue sheet.\n");
}

Status SheetFolder::write(const std::string& name, std::string_view bytes) const {
    const std::string prefix = std::string(kThumbnailFolder) + "/";
    const bool thumbnail = name.compare(0, prefix.size(), prefix) == 0;
    const OpenFolder& folder = thumbnail ? *pictures_ : *root_;
    Result<FreshFile> file = FreshFile::make(folder, thumbnail ? name.substr(prefix.size()) : name);
    if (!file) return refused(SheetFault::CannotMakeFile, folder.path(), file.error().why);
    Status written = file.value().write(bytes);
    if (written) written = file.value().commit(0644, false);
    if (!written) return refused(OutputFault::CannotWrite, folder_ + name, written.error().why);
    return Done{};
}

} // namespace specialty
