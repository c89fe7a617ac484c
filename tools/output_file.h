// How the tool writes a file that a user names: never by replacing something that is not an ordinary file.
//
// - An ordinary file (or a symbolic link to one) is replaced whole or not at all: a temporary file beside
//   the file the link leads to, flushed to the disk, given the old file's owner, group and mode, then renamed
//   over it. A link stays a link, and the file it names gets the new content.
// - A name that does not exist yet becomes a new ordinary file the same way, with the mode the umask allows.
// - A character device or a FIFO that something reads (/dev/null, /dev/stdout, a pipe) is written in
//   place, as a shell's ">" would. A FIFO nobody reads is refused rather than waited on.
// - Anything else (a folder, a block device, a socket, a link that leads nowhere) is refused.
#pragma once

#include "catalogue/result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace specialty {

enum class OutputFault : std::uint16_t; // its faults: tools/output_fault.h

class OutputFile {
  public:
    // Prepares to write `path`; nothing is changed on the disk yet but for the temporary file.
    static Result<OutputFile> open(const std::string& path);

    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&&) = delete;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // Removes the temporary file if the output was never committed.
    ~OutputFile();

    // True when committing replaces (or creates) an ordinary file; false when it writes a device in place.
    bool replaces() const { return !temporary_.empty(); }
    // The ordinary file that committing replaces (a link's target), or the path as given for a device.
    const std::string& target() const { return target_; }
    // The temporary file that becomes the target, for writers that need a file name; empty for a device.
    const std::string& temporaryPath() const { return temporary_; }

    Status write(std::string_view bytes);
    // Copies the whole content of the ordinary file `source` into the output.
    Status copyFrom(const std::string& source);
    // Gives the replacing file this owner, group and mode (by default those of the file replaced, or for a
    // new file the mode the umask allows).
    void keepOwnerAndMode(uid_t owner, gid_t group, mode_t mode);
    // Makes the written bytes the target's content.
    Status commit();

  private:
    OutputFile(std::string target, std::string temporary, int fd);
    // The fault `fault` of the file being written (the temporary file, or the device); `error` from errno.
    Status failed(OutputFault fault, int error);

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    bool committed_ = false;
    bool keepsOwner_ = false;
    uid_t owner_ = 0;
    gid_t group_ = 0;
    mode_t mode_ = 0;
};

// Writes `bytes` to `path` by the rules above, whole or not at all.
Status writeOutputFile(const std::string& path, std::string_view bytes);

// True when both paths name the same existing file (the same device and inode), by whatever way.
bool sameFile(const std::string& a, const std::string& b);

// Before `path` (an existing ordinary file, or a link to one) is replaced: copies it beside the file it
// names, as NAME.previous, with its owner, group and mode. The copy is always a new file, renamed over
// whatever bore that name: a link there is replaced, never followed, and neither a device nor a FIFO is
// written. Returns where the copy is once it is there, or an empty text when there is no ordinary file to
// keep.
Result<std::string> keepPreviousVersion(const std::string& path);

} // namespace specialty
