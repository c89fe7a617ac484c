#include "tools/sheet/sheet_part_texts.h"

#include <cerrno>
#include <cstring>

namespace specialty {

PartTextStore::PartTextStore() : file_(temporaryStream()) {
    if (!file_) fail();
}

void PartTextStore::fail() const {
    if (!failure_)
        failure_ = fileFault(CatalogueFault::System, P_tmpdir, std::strerror(errno != 0 ? errno : EIO));
}

std::optional<Failure> PartTextStore::failure() const {
    const std::lock_guard<std::mutex> held(*lock_);
    return failure_;
}

std::uint64_t PartTextStore::add(const std::vector<std::string>& texts) {
    std::string bytes;
    const auto count = static_cast<std::uint32_t>(texts.size());
    bytes.append(reinterpret_cast<const char*>(&count), sizeof count);
    for (const std::string& text : texts) {
        const auto size = static_cast<std::uint64_t>(text.size());
        bytes.append(reinterpret_cast<const char*>(&size), sizeof size).append(text);
    }
    const std::lock_guard<std::mutex> held(*lock_);
    const std::uint64_t at = end_;
    end_ += bytes.size();
    if (failure_) return at;
    if (!writing_ && std::fseek(file_.get(), 0, SEEK_END) != 0) {
        fail();
        return at;
    }
    writing_ = true;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) fail();
    return at;
}

std::vector<std::string> PartTextStore::at(std::uint64_t at) const {
    const std::lock_guard<std::mutex> held(*lock_);
    if (at == kNone || failure_) return {};
    if ((writing_ && std::fflush(file_.get()) != 0) ||
        std::fseek(file_.get(), static_cast<long>(at), SEEK_SET) != 0) {
        fail();
        return {};
    }
    writing_ = false;
    std::FILE* in = file_.get();
    std::uint32_t count = 0;
    std::vector<std::string> texts;
    errno = 0;
    bool read = std::fread(&count, sizeof count, 1, in) == 1;
    for (std::uint32_t n = 0; read && n < count; ++n) {
        std::uint64_t size = 0;
        read = std::fread(&size, sizeof size, 1, in) == 1 && size <= end_ - at;
        if (!read) break;
        texts.emplace_back(static_cast<std::size_t>(size), '\0');
        read = size == 0 || std::fread(texts.back().data(), 1, texts.back().size(), in) == size;
    }
    if (!read) {
        fail();
        return {};
    }
    return texts;
}

} // namespace specialty
