#include "tools/spreadsheet/catalogue_text.h"
#include "tools/output_fault.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace specialty {

namespace {

// What is written to the file at once.
constexpr std::size_t kBufferBytes = 1024 * 1024;

// The VehicleId at the start of `record`, when `record` reaches past its end.
std::optional<std::string_view> storedVehicleId(std::string_view record) {
    const bool quoted = !record.empty() && record.front() == '"';
    const std::size_t end = quoted ? record.find('"', 1) : record.find(',');
    if (end == std::string_view::npos) return std::nullopt;
    return quoted ? record.substr(1, end - 1) : record.substr(0, end);
}

} // namespace

std::string CatalogueText::vehicleIdAt(std::uint64_t offset) {
    std::string record;
    for (std::size_t most = 256;; most *= 4) { // most VehicleIds are short: read more only when needed
        if (!readAt(offset, most, record)) return {};
        if (std::optional<std::string_view> id = storedVehicleId(record)) return std::string(*id);
        if (record.size() < most) return record; // the text ends in it
    }
}

TextInMemory::~TextInMemory() {
    for (char* block : blocks_)
        ::munmap(block, kBlockBytes);
}

bool TextInMemory::append(std::string_view text) {
    while (!text.empty()) {
        if (blocks_.empty() || used_ == kBlockBytes) {
            void* block =
                ::mmap(nullptr, kBlockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (block == MAP_FAILED) return false;
            blocks_.push_back(static_cast<char*>(block));
            used_ = 0;
        }
        const std::size_t n = std::min(text.size(), kBlockBytes - used_);
        std::memcpy(blocks_.back() + used_, text.data(), n);
        used_ += n;
        size_ += n;
        text.remove_prefix(n);
    }
    return true;
}

bool TextInMemory::readAt(std::uint64_t offset, std::size_t most, std::string& bytes) {
    bytes.clear();
    for (std::uint64_t at = offset; at < size_ && bytes.size() < most;) { // it may run into the next block
        const std::size_t block = static_cast<std::size_t>(at / kBlockBytes);
        const std::size_t from = static_cast<std::size_t>(at % kBlockBytes);
        const std::size_t end = block + 1 < blocks_.size() ? kBlockBytes : used_;
        const std::size_t n = std::min(end - from, most - bytes.size());
        bytes.append(blocks_[block] + from, n);
        at += n;
    }
    return true;
}

std::optional<Failure> TextInMemory::failure() const {
    return std::nullopt; // a block that cannot be had is told by append() alone
}

std::string TextInMemory::join(std::string_view end) {
    std::string all;
    all.reserve(size_ + end.size());
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        all.append(blocks_[i], i + 1 < blocks_.size() ? kBlockBytes : used_);
        ::munmap(blocks_[i], kBlockBytes);
    }
    blocks_.clear();
    all.append(end);
    return all;
}

TextInFile::TextInFile(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd_ < 0) fail(errno);
    buffer_.reserve(kBufferBytes);
}

TextInFile::~TextInFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool TextInFile::fail(int error) {
    if (!failure_) failure_ = fileFault(OutputFault::CannotWrite, path_, std::strerror(error));
    return false;
}

bool TextInFile::flush() {
    if (failure_) return false;
    for (std::size_t written = 0; written < buffer_.size();) {
        const ssize_t got = ::write(fd_, buffer_.data() + written, buffer_.size() - written);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return fail(got < 0 ? errno : EIO);
        written += static_cast<std::size_t>(got);
    }
    buffer_.clear();
    return true;
}

bool TextInFile::append(std::string_view text) {
    if (failure_) return false;
    size_ += text.size();
    if (buffer_.size() + text.size() > kBufferBytes && !flush()) return false;
    if (text.size() >= kBufferBytes) {
        buffer_.assign(text); // once, for a record longer than the buffer
        return flush();
    }
    buffer_.append(text);
    return true;
}

bool TextInFile::readAt(std::uint64_t offset, std::size_t most, std::string& bytes) {
    if (!flush()) return false;
    bytes.resize(most);
    for (;;) {
        const ssize_t got = ::pread(fd_, bytes.data(), most, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return fail(errno);
        bytes.resize(static_cast<std::size_t>(got));
        return true;
    }
}

bool TextInFile::finish(std::string_view end) {
    if (!append(end) || !flush()) return false;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return fail(errno);
    return true;
}

} // namespace specialty
