#include "tools/sheet/temporary_file.h"

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace specialty {

int unlinkedTemporaryFile(const std::string& folder) {
    int file = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (file >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return file;
    std::string name = folder + "/specialty-sort-XXXXXX"; // a file system without unnamed files
    file = ::mkostemp(name.data(), O_CLOEXEC);
    if (file >= 0) ::unlink(name.c_str());
    return file;
}

TemporaryStream temporaryStream() {
    const int file = unlinkedTemporaryFile(P_tmpdir);
    std::FILE* stream = file >= 0 ? ::fdopen(file, "w+b") : nullptr;
    if (!stream && file >= 0) {
        const int error = errno;
        ::close(file);
        errno = error;
    }
    return TemporaryStream(stream, &std::fclose);
}

} // namespace specialty
