// Read-only access to ordinary files of the data folder.
//
// Every file the viewer reads (catalogue, pictures, descriptions) is opened here. The open never blocks
// (a FIFO of that name would otherwise hang the window) and refuses anything that is not an ordinary file,
// such as a directory or a device reached through a symbolic link, before a single byte is read.
#pragma once

#include "result.h"

#include <cstddef>
#include <string>

namespace specialty {

// True when `path` names an existing ordinary file (symbolic links are followed).
bool isRegularFile(const std::string& path);

class RegularFile {
  public:
    RegularFile() = default;
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;

    // Opens `path` for reading. A failure is the system's (CatalogueFault::System), or PathHoldsNul,
    // IsDirectory or NotOrdinaryFile.
    Status open(const std::string& path);
    void close();

    // Reads up to `size` bytes: how many were read, 0 at the end of the file.
    Result<std::size_t> read(char* into, std::size_t size);
    // The open file's descriptor (-1 when none is open), and the path it was opened by.
    int descriptor() const { return fd_; }
    const std::string& path() const { return path_; }

  private:
    int fd_ = -1;
    std::string path_; // the file open, which its failures name
};

// The first bytes of an ordinary file, at most `count` of them.
Result<std::string> readFileStart(const std::string& path, std::size_t count);

// Reads a whole ordinary file of at most `maxBytes` bytes; a larger file is a failure (FileTooLarge).
Result<std::string> readWholeFile(const std::string& path, std::size_t maxBytes);
// The same from a file already open, from where it stands: what is read is what was opened, whatever
// becomes of its path in the meantime.
Result<std::string> readWholeFile(RegularFile& file, std::size_t maxBytes);

} // namespace specialty
