#include "tools/sheet/sheet_findings.h"

#include <cerrno>
#include <cstring>

namespace specialty {

namespace {

template <typename T>
void put(std::string& to, T value) {
    to.append(reinterpret_cast<const char*>(&value), sizeof value);
}

std::uint32_t readNumber(std::string_view entry) {
    std::uint32_t number = 0;
    for (std::size_t n = 0; n < 4; ++n)
        number = (number << 8) | static_cast<unsigned char>(entry[n]);
    return number;
}

void putText(std::string& to, const std::string& text) {
    put(to, static_cast<std::uint64_t>(text.size()));
    to += text;
}

} // namespace

SheetFindings::SheetFindings() : file_(std::tmpfile(), &std::fclose) {
    if (!file_) fail();
}

void SheetFindings::fail() const {
    if (!failure_) failure_ = fileFault(CatalogueFault::System, P_tmpdir, std::strerror(errno));
}

void SheetFindings::add(const SheetFinding& finding) {
    std::string bytes;
    put(bytes, static_cast<std::uint8_t>(finding.level));
    put(bytes, finding.line);
    put(bytes, finding.record);
    put(bytes, finding.part);
    putText(bytes, finding.file);
    putText(bytes, finding.message);
    putText(bytes, finding.partCode);
    offsets_.push_back(end_);
    end_ += bytes.size();
    if (failure_) return;
    if (!writing_ && std::fseek(file_.get(), 0, SEEK_END) != 0) return fail();
    writing_ = true;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) fail();
}

SheetFinding SheetFindings::at(std::size_t n) const {
    SheetFinding finding;
    if (failure_) return finding;
    if ((writing_ && std::fflush(file_.get()) != 0) ||
        std::fseek(file_.get(), static_cast<long>(offsets_[n]), SEEK_SET) != 0) {
        fail();
        return finding;
    }
    writing_ = false;
    std::FILE* in = file_.get();
    auto get = [&](auto& value) { return std::fread(&value, sizeof value, 1, in) == 1; };
    auto getText = [&](std::string& text) {
        std::uint64_t size = 0;
        if (!get(size) || size > end_) return false;
        text.resize(static_cast<std::size_t>(size));
        return size == 0 || std::fread(text.data(), 1, text.size(), in) == text.size();
    };
    std::uint8_t level = 0;
    if (!get(level) || !get(finding.line) || !get(finding.record) || !get(finding.part) ||
        !getText(finding.file) || !getText(finding.message) || !getText(finding.partCode)) {
        if (errno == 0) errno = EIO;
        fail();
        return SheetFinding{};
    }
    finding.level = static_cast<FindingLevel>(level);
    return finding;
}

std::string SheetFindings::partEntry(std::uint32_t finding, std::uint32_t part) {
    std::string entry;
    for (int shift = 24; shift >= 0; shift -= 8) // most significant first: sorts as it counts
        entry += static_cast<char>((finding >> shift) & 0xff);
    return entry.append(reinterpret_cast<const char*>(&part), sizeof part);
}

void SheetFindings::attachParts(SpillSort& parts) {
    // The file is copied once, in order, into a new one with the parts set: a finding's part stands at the
    // same place in it, so every offset stays.
    constexpr std::size_t kPartAt = 1 + sizeof(std::uint64_t) + sizeof(std::int64_t);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> copy(std::tmpfile(), &std::fclose);
    if (!copy) fail();
    if (failure_) return;
    if (std::fflush(file_.get()) != 0 || std::fseek(file_.get(), 0, SEEK_SET) != 0) return fail();
    writing_ = false;
    std::string_view next;
    bool more = parts.next(next);
    std::string bytes;
    for (std::size_t n = 0; n < offsets_.size(); ++n) {
        bytes.resize(
            static_cast<std::size_t>((n + 1 < offsets_.size() ? offsets_[n + 1] : end_) - offsets_[n]));
        if (std::fread(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) return fail();
        for (; more && readNumber(next) <= n; more = parts.next(next))
            if (readNumber(next) == n) {
                std::int64_t part = 0;
                std::uint32_t index = 0;
                std::memcpy(&index, next.data() + 4, sizeof index);
                part = index;
                std::memcpy(&bytes[kPartAt], &part, sizeof part);
            }
        if (std::fwrite(bytes.data(), 1, bytes.size(), copy.get()) != bytes.size()) return fail();
    }
    if (parts.failure()) {
        failure_ = parts.failure();
        return;
    }
    file_ = std::move(copy);
    writing_ = true;
}

} // namespace specialty
