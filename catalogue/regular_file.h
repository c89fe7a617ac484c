// Read-only access to ordinary files of the data folder.
//
// Every file the viewer reads (catalogue, pictures, descriptions) is opened here. The open never blocks
// (a FIFO of that name would otherwise hang the window) and refuses anything that is not an ordinary file,
// such as a directory or a device reached through a symbolic link, before a single byte is read.
#pragma once

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

    // Opens `path` for reading. On failure returns false and sets `why` to a reason a user can read.
    bool open(const std::string& path, std::string& why);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // Reads up to `size` bytes. Returns the count, 0 at the end of the file, or -1 with `why` set.
    long read(char* into, std::size_t size, std::string& why);

  private:
    int fd_ = -1;
};

// Reads a whole ordinary file of at most `maxBytes` bytes. Returns false with `why` set when the file
// cannot be opened or read, or is larger than `maxBytes`.
bool readWholeFile(const std::string& path, std::size_t maxBytes, std::string& contents, std::string& why);

} // namespace specialty
