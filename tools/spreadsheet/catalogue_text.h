// The catalogue text import makes, as it is made: held in memory, or written to a file so that memory
// stays bounded whatever the number of records. Either way a VehicleId written can be read back, to confirm
// one used twice.
#pragma once

#include "catalogue/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

class CatalogueText {
  public:
    virtual ~CatalogueText() = default;
    // Adds `text` at the end; false when it cannot (see failure()).
    virtual bool append(std::string_view text) = 0;
    virtual std::uint64_t size() const = 0;
    // The VehicleId of the record written at `offset`, as stored (without its quotes).
    std::string vehicleIdAt(std::uint64_t offset);
    // Why append() or vehicleIdAt() failed; nothing when they did not.
    virtual std::optional<Failure> failure() const = 0;

  protected:
    // Up to `most` bytes written from `offset` on, into `bytes`; false when they cannot be read.
    virtual bool readAt(std::uint64_t offset, std::size_t most, std::string& bytes) = 0;
};

// The text in blocks mapped straight from the system, joined once at the end into a string of the exact
// size, each block handed back as soon as it is copied. A string grown by doubling would hold its old and
// its new copy at once; blocks from the heap might not go back to the system.
class TextInMemory : public CatalogueText {
  public:
    static constexpr std::size_t kBlockBytes = 4 * 1024 * 1024;
    TextInMemory() = default;
    TextInMemory(const TextInMemory&) = delete;
    TextInMemory& operator=(const TextInMemory&) = delete;
    ~TextInMemory() override;
    bool append(std::string_view text) override;
    std::uint64_t size() const override { return size_; }
    std::optional<Failure> failure() const override;
    // All of it, then `end`; the blocks are handed back.
    std::string join(std::string_view end);

  private:
    bool readAt(std::uint64_t offset, std::size_t most, std::string& bytes) override;

    std::vector<char*> blocks_;
    std::size_t used_ = 0;
    std::uint64_t size_ = 0;
};

// The text written to a file of its own, through a buffer of bounded size.
class TextInFile : public CatalogueText {
  public:
    // Makes `path` anew (a file nobody else writes).
    explicit TextInFile(std::string path);
    TextInFile(const TextInFile&) = delete;
    TextInFile& operator=(const TextInFile&) = delete;
    ~TextInFile() override;
    bool append(std::string_view text) override;
    std::uint64_t size() const override { return size_; }
    std::optional<Failure> failure() const override { return failure_; }
    // Writes what is buffered, then `end`, and closes the file.
    bool finish(std::string_view end);

  private:
    bool readAt(std::uint64_t offset, std::size_t most, std::string& bytes) override;
    bool flush();
    bool fail(int error);

    std::string path_;
    int fd_ = -1;
    std::string buffer_;
    std::uint64_t size_ = 0;
    std::optional<Failure> failure_;
};

} // namespace specialty
