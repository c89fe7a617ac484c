#include "spreadsheet/spreadsheet.h"

#include "messages.h"
#include "record_reader.h"
#include "spreadsheet/csv_table.h"
#include "text_encoding.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace specialty {

Result<std::string> exportCsv(const std::string& catalogue) {
    RecordReader file;
    if (Status opened = file.open(catalogue); !opened)
        return Result<std::string>::failure(catalogueCannotBeOpened(catalogue, opened.reason()));
    std::vector<std::string> row;
    for (int f = 1; f <= kRecordFields; ++f)
        row.push_back(fieldName(f));
    std::string csv = csvRow(row);
    RawRecord raw;
    for (std::int64_t position = 0; !file.atEnd(); ++position) {
        switch (file.readRecord(raw)) {
        case RecordReader::Read::Record:
            break;
        case RecordReader::Read::CutShort:
            return Result<std::string>::failure(
                catalogueEndsInRecord(catalogue, position, file.fieldsRead()));
        case RecordReader::Read::TooLong:
            return Result<std::string>::failure(
                catalogueFieldTooLong(catalogue, file.overlongField(), position, file.maxFieldBytes()));
        case RecordReader::Read::Failed:
            return Result<std::string>::failure(catalogueCannotBeRead(catalogue, file.failure()));
        }
        if (raw[kVehicleId] == "0") break;
        const CatalogueRecord record = decodeRecord(raw); // Model and Submodel as the viewer shows them
        row.clear();
        for (int f = 1; f <= kRecordFields; ++f)
            row.push_back(windows1252ToUtf8(record.field(f)));
        csv += csvRow(row);
    }
    return csv;
}

Status writeFileAtomically(const std::string& path, std::string_view bytes) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return Status::failure("cannot make a temporary file beside " + path + ": " + std::strerror(errno));
    auto fail = [&](const std::string& what) {
        const std::string why = std::strerror(errno);
        ::close(fd);
        ::unlink(temporary.c_str());
        return Status::failure("cannot " + what + " " + temporary + ": " + why);
    };
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t got = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return fail("write");
        written += static_cast<std::size_t>(got);
    }
    // The new file keeps the permissions of the one it replaces.
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fd, mode) != 0) return fail("set the permissions of");
    if (::fsync(fd) != 0) return fail("flush");
    if (::close(fd) != 0) {
        const std::string why = std::strerror(errno);
        ::unlink(temporary.c_str());
        return Status::failure("cannot close " + temporary + ": " + why);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        ::unlink(temporary.c_str());
        return Status::failure("cannot replace " + path + ": " + why);
    }
    // The rename itself reaches the disk with the folder.
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Done{};
}

} // namespace specialty
