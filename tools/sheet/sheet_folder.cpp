#include "tools/sheet/sheet_folder.h"

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
Status refused(Fault fault, const std::string& file, std::string why = {}) {
    return Status::failure(fileFault(fault, file, std::move(why)));
}

// Whether the folder holds nothing, or the mark of an earlier sheet; fills `why` when it cannot be read.
bool emptyOrSheet(const std::string& folder, std::string& why) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        why = systemReason();
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

} // namespace

Status SheetFolder::prepare(const std::string& folder) {
    folder_ = folder;
    if (folder_.empty()) return Status::failure(Failure(Fault::SheetNoFolder));
    if (folder_.back() != '/') folder_ += '/';
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        if (errno != ENOENT) return refused(Fault::SheetFolderUnusable, folder, systemReason());
        if (!QDir().mkpath(QFile::decodeName(folder.c_str())))
            return refused(Fault::SheetFolderNotMade, folder);
    } else if (!S_ISDIR(info.st_mode)) {
        return refused(Fault::SheetNotAFolder, folder);
    } else {
        std::string why;
        if (!emptyOrSheet(folder, why))
            return why.empty() ? refused(Fault::SheetFolderNotEmpty, folder)
                               : refused(Fault::SheetFolderUnreadable, folder, why);
    }
    const std::string pictures = folder_ + std::string(kThumbnailFolder);
    if (::lstat(pictures.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode)) return refused(Fault::SheetNotAFolder, pictures);
    } else if (errno != ENOENT || ::mkdir(pictures.c_str(), 0755) != 0) {
        return refused(Fault::SheetFolderNotMade, pictures, systemReason());
    }
    return write(std::string(kSheetMark), "A review sheet written by specialty-catalogue sheet.\n");
}

Status SheetFolder::write(const std::string& name, std::string_view bytes) const {
    const std::string target = folder_ + name;
    std::string temporary = folder_ + ".writing-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return refused(Fault::SheetCannotMakeFile, folder_, systemReason());
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t got = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            const std::string why = systemReason();
            ::close(fd);
            ::unlink(temporary.c_str());
            return refused(Fault::OutputCannotWrite, target, why);
        }
        written += static_cast<std::size_t>(got);
    }
    const bool kept = ::fchmod(fd, 0644) == 0;
    const std::string why = kept ? std::string() : systemReason();
    if (::close(fd) != 0 || !kept) {
        ::unlink(temporary.c_str());
        return refused(Fault::OutputCannotWrite, target, kept ? systemReason() : why);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const std::string why = systemReason();
        ::unlink(temporary.c_str());
        return refused(Fault::OutputCannotWrite, target, why);
    }
    return Done{};
}

} // namespace specialty
