#include "tools/sheet/spill_sort.h"
#include "tools/sheet/sheet_fault.h"
#include "tools/sheet/temporary_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace specialty {

namespace {

constexpr std::size_t kLength = sizeof(std::uint32_t);
// What a run reads of the file at once while the runs are merged; what a run is written through.
constexpr std::size_t kReadBytes = std::size_t{64} << 10;
constexpr std::size_t kWriteBytes = std::size_t{1} << 20;

std::uint32_t lengthAt(const char* at) {
    std::uint32_t length = 0;
    std::memcpy(&length, at, kLength);
    return length;
}

} // namespace

SpillSort::SpillSort(Less less, std::size_t memory, std::string folder)
    : less_(std::move(less)), memory_(std::max<std::size_t>(memory, 64)), folder_(std::move(folder)),
      merge_(Later{this}) {}

SpillSort::~SpillSort() {
    if (file_ >= 0) ::close(file_);
}

void SpillSort::fail(int error) {
    if (!failure_)
        failure_ = fileFault(SheetFault::CannotMakeFile, folder_, std::strerror(error != 0 ? error : EIO));
}

bool SpillSort::Later::operator()(std::size_t a, std::size_t b) const {
    const std::string_view x = sort->runs_[a].current;
    const std::string_view y = sort->runs_[b].current;
    if (sort->less_(y, x)) return true;
    return !sort->less_(x, y) && a > b; // equal: the earlier run first, as its entries were added first
}

std::string_view SpillSort::entryAt(std::uint32_t offset) const {
    return std::string_view(buffer_.data() + offset + kLength, lengthAt(buffer_.data() + offset));
}

void SpillSort::add(std::string_view entry) {
    added_ += 1;
    if (failure_ || finished_) return;
    const auto length = static_cast<std::uint32_t>(entry.size());
    if (!offsets_.empty() &&
        buffer_.size() + kLength + entry.size() + (offsets_.size() + 1) * kLength > memory_)
        spill(); // the buffer is never grown past its size
    if (failure_) return;
    if (buffer_.capacity() < memory_) buffer_.reserve(memory_); // held only as it fills
    offsets_.push_back(static_cast<std::uint32_t>(buffer_.size()));
    buffer_.append(reinterpret_cast<const char*>(&length), kLength).append(entry);
    if (buffer_.size() + offsets_.size() * sizeof(std::uint32_t) >= memory_) spill();
}

std::vector<std::uint32_t> SpillSort::sortedBuffer() const {
    std::vector<std::uint32_t> order = offsets_;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return less_(entryAt(a), entryAt(b)); });
    return order;
}

bool SpillSort::writeAll(const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t wrote = ::pwrite(file_, bytes, size, static_cast<off_t>(fileEnd_));
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            fail(wrote < 0 ? errno : ENOSPC);
            return false;
        }
        bytes += wrote;
        size -= static_cast<std::size_t>(wrote);
        fileEnd_ += static_cast<std::uint64_t>(wrote);
    }
    return true;
}

void SpillSort::spill() {
    if (file_ < 0 && (file_ = unlinkedTemporaryFile(folder_)) < 0) return fail(errno);
    const std::uint64_t start = fileEnd_;
    std::string out;
    out.reserve(kWriteBytes);
    for (std::uint32_t offset : sortedBuffer()) {
        const std::size_t size = kLength + lengthAt(buffer_.data() + offset);
        if (out.size() + size > kWriteBytes && !out.empty()) {
            if (!writeAll(out.data(), out.size())) return;
            out.clear();
        }
        out.append(buffer_, offset, size);
    }
    if (!writeAll(out.data(), out.size())) return;
    runs_.push_back({start, fileEnd_, {}, 0, {}});
    buffer_.clear();
    offsets_.clear();
}

void SpillSort::finish() {
    if (finished_) return;
    finished_ = true;
    if (failure_) return;
    if (runs_.empty()) {
        inMemory_ = sortedBuffer();
        std::vector<std::uint32_t>().swap(offsets_);
        return;
    }
    if (!offsets_.empty()) spill();
    std::string().swap(buffer_);
    std::vector<std::uint32_t>().swap(offsets_);
    for (std::size_t r = 0; r < runs_.size() && !failure_; ++r)
        if (advance(runs_[r])) merge_.push(r);
}

bool SpillSort::fill(Run& run, std::size_t wanted) {
    if (run.bytes.size() - run.used >= wanted) return true;
    run.bytes.erase(0, run.used);
    run.used = 0;
    const std::uint64_t left = run.end - run.at;
    const std::size_t missing = wanted - run.bytes.size();
    if (left < missing) {
        fail(EIO); // a run cut short: the file changed under the sort
        return false;
    }
    const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(left, std::max(missing, kReadBytes)));
    const std::size_t had = run.bytes.size();
    run.bytes.resize(had + size);
    for (std::size_t got = 0; got < size;) {
        const ssize_t read = ::pread(file_, &run.bytes[had + got], size - got, static_cast<off_t>(run.at));
        if (read < 0 && errno == EINTR) continue;
        if (read <= 0) {
            fail(read < 0 ? errno : EIO);
            return false;
        }
        got += static_cast<std::size_t>(read);
        run.at += static_cast<std::uint64_t>(read);
    }
    return true;
}

bool SpillSort::advance(Run& run) {
    if (run.at == run.end && run.used == run.bytes.size()) {
        std::string().swap(run.bytes);
        return false;
    }
    if (!fill(run, kLength)) return false;
    const std::uint32_t length = lengthAt(run.bytes.data() + run.used);
    if (!fill(run, kLength + length)) return false;
    run.current = std::string_view(run.bytes.data() + run.used + kLength, length);
    run.used += kLength + length;
    return true;
}

bool SpillSort::next(std::string_view& entry) {
    if (!finished_) finish();
    if (failure_) return false;
    if (runs_.empty()) {
        if (nextInMemory_ == inMemory_.size()) return false;
        entry = entryAt(inMemory_[nextInMemory_++]);
        return true;
    }
    if (pending_) { // the run handed back last: its next entry takes its place
        const std::size_t run = *pending_;
        pending_.reset();
        if (advance(runs_[run])) merge_.push(run);
        if (failure_) return false;
    }
    if (merge_.empty()) return false;
    pending_ = merge_.top();
    merge_.pop();
    entry = runs_[*pending_].current;
    return true;
}

} // namespace specialty
