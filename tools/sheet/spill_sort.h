// Entries of bytes sorted in bounded memory, however many there are: appended into a buffer of a fixed
// size, each full buffer sorted and written as a run to an unlinked temporary file, then the runs merged
// and the entries handed back in order. Equal entries come back in the order they were added.
#pragma once

#include "catalogue/failure.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <queue>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

// The memory a sort holds for its entries before it writes them out: a sheet has a few sorts filling at
// once.
constexpr std::size_t kSpillMemory = std::size_t{8} << 20;

class SpillSort {
  public:
    using Less = std::function<bool(std::string_view, std::string_view)>;

    // Sorts by `less`, holding about `memory` bytes, its runs in a temporary file in `folder`.
    explicit SpillSort(Less less, std::size_t memory = kSpillMemory, std::string folder = P_tmpdir);
    ~SpillSort();
    SpillSort(const SpillSort&) = delete;
    SpillSort& operator=(const SpillSort&) = delete;

    // Adds `entry`; only before finish().
    void add(std::string_view entry);
    // Ends the adding: next() then hands back the entries in order.
    void finish();
    // The next entry in order, valid until the next call, or false past the last one or once a failure
    // stopped the sort, which failure() then tells.
    bool next(std::string_view& entry);
    std::uint64_t size() const { return added_; }
    // How many runs went to the temporary file.
    std::size_t runs() const { return runs_.size(); }
    // Why the entries could not be kept or read back; none while they can.
    const std::optional<Failure>& failure() const { return failure_; }

  private:
    struct Run {
        std::uint64_t at;  // the next byte of it in the file
        std::uint64_t end; // where it ends
        std::string bytes; // read from the file, not yet handed back
        std::size_t used = 0;
        std::string_view current;
    };
    struct Later {
        const SpillSort* sort;
        bool operator()(std::size_t a, std::size_t b) const;
    };

    std::string_view entryAt(std::uint32_t offset) const;
    std::vector<std::uint32_t> sortedBuffer() const;
    void spill();
    bool writeAll(const char* bytes, std::size_t size);
    bool advance(Run& run);
    bool fill(Run& run, std::size_t wanted);
    void fail(int error);

    Less less_;
    std::size_t memory_;
    std::string folder_;
    int file_ = -1;
    std::uint64_t fileEnd_ = 0;
    std::uint64_t added_ = 0;
    std::string buffer_;                  // entries not yet spilled, each after its 4-byte length
    std::vector<std::uint32_t> offsets_;  // where each of them starts in buffer_
    std::vector<std::uint32_t> inMemory_; // when nothing was spilled: the buffer's order, and the next one
    std::size_t nextInMemory_ = 0;
    std::vector<Run> runs_;
    std::priority_queue<std::size_t, std::vector<std::size_t>, Later> merge_;
    std::optional<std::size_t> pending_; // the run whose entry next() handed back last
    bool finished_ = false;
    std::optional<Failure> failure_;
};

// The entries of a finished sort, each looked at before it is taken.
class SortedStream {
  public:
    explicit SortedStream(SpillSort& sort) : sort_(sort) { more_ = sort_.next(head_); }
    bool more() const { return more_; }
    // The entry at hand, valid until pop().
    std::string_view head() const { return head_; }
    void pop() { more_ = sort_.next(head_); }

  private:
    SpillSort& sort_;
    std::string_view head_;
    bool more_;
};

} // namespace specialty
