// Files made new in a folder held open. The folder is opened once; every file in it is made under a temporary
// name that nothing else bears (never through a link), filled, and renamed over whatever bears its name. So
// a link at the name is replaced, never followed, and a folder of the path swapped after it was opened
// cannot send a file elsewhere.
#pragma once

#include "catalogue/result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace specialty {

enum class OutputFault : std::uint16_t; // its faults: tools/output_fault.h

class OpenFolder {
  public:
    // Opens the folder `path`; a link as its last part is refused, not followed, unless `followLink`.
    static Result<OpenFolder> open(const std::string& path, bool followLink = false);
    // Opens the folder `name` inside this one, the same way.
    Result<OpenFolder> subfolder(const std::string& name) const;

    OpenFolder(OpenFolder&& other) noexcept;
    OpenFolder& operator=(OpenFolder&& other) noexcept;
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    ~OpenFolder();

    int fd() const { return fd_; }
    // The folder's path as it was opened, ending in "/", for messages.
    const std::string& path() const { return path_; }

  private:
    OpenFolder(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    int fd_ = -1;
    std::string path_;
};

// Writes all of `bytes` to the open file `fd`, again after an interrupted or short write: 0 when done,
// otherwise the system's error number.
int writeWhole(int fd, std::string_view bytes);

class FreshFile {
  public:
    // Makes the temporary file that becomes `name` in `folder`; `folder` must outlive the file.
    static Result<FreshFile> make(const OpenFolder& folder, std::string name);

    FreshFile(FreshFile&& other) noexcept;
    FreshFile& operator=(FreshFile&&) = delete;
    FreshFile(const FreshFile&) = delete;
    FreshFile& operator=(const FreshFile&) = delete;
    // Removes the temporary file unless it was committed.
    ~FreshFile();

    Status write(std::string_view bytes);
    // Copies everything the open file `source` (named `sourceName` in messages) holds from where it is.
    Status copyFrom(int source, const std::string& sourceName);
    // Gives the file this owner and group when committed (by default it keeps the one who made it).
    void giveTo(uid_t owner, gid_t group);
    // Gives it `mode`, flushes it to the disk when `flush`, and renames it over its name.
    Status commit(mode_t mode, bool flush);

    // The file's path, for messages.
    std::string path() const { return folder_->path() + name_; }

  private:
    FreshFile(const OpenFolder& folder, std::string name, std::string temporary, int fd)
        : folder_(&folder), name_(std::move(name)), temporary_(std::move(temporary)), fd_(fd) {}
    Status failed(OutputFault fault, int error) const;

    const OpenFolder* folder_;
    std::string name_;
    std::string temporary_;
    int fd_ = -1;
    bool committed_ = false;
    bool givesOwner_ = false;
    uid_t owner_ = 0;
    gid_t group_ = 0;
};

} // namespace specialty
