#include "tools/sheet/sheet_findings.h"

#include <cerrno>
#include <cstring>

namespace specialty {

namespace {

template <typename T>
void put(std::string& to, T value) {
    to.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void putText(std::string& to, const std::string& text) {
    put(to, static_cast<std::uint64_t>(text.size()));
    to += text;
}

std::uint32_t readNumber(std::string_view entry) {
    std::uint32_t number = 0;
    for (std::size_t n = 0; n < 4; ++n)
        number = (number << 8) | static_cast<unsigned char>(entry[n]);
    return number;
}

} // namespace

std::string findingBytes(const SheetFinding& finding) {
    std::string bytes;
    put(bytes, static_cast<std::uint8_t>(finding.level));
    put(bytes, finding.line);
    put(bytes, finding.record);
    put(bytes, finding.part);
    putText(bytes, finding.file);
    putText(bytes, finding.message);
    putText(bytes, finding.partCode);
    return bytes;
}

bool readFinding(std::string_view bytes, SheetFinding& finding) {
    auto get = [&](auto& value) {
        if (bytes.size() < sizeof value) return false;
        std::memcpy(&value, bytes.data(), sizeof value);
        bytes.remove_prefix(sizeof value);
        return true;
    };
    auto getText = [&](std::string& text) {
        std::uint64_t size = 0;
        if (!get(size) || size > bytes.size()) return false;
        text.assign(bytes.data(), static_cast<std::size_t>(size));
        bytes.remove_prefix(static_cast<std::size_t>(size));
        return true;
    };
    std::uint8_t level = 0;
    if (!get(level) || !get(finding.line) || !get(finding.record) || !get(finding.part) ||
        !getText(finding.file) || !getText(finding.message) || !getText(finding.partCode))
        return false;
    finding.level = static_cast<FindingLevel>(level);
    return bytes.empty();
}

SheetFindings::SheetFindings() : file_(temporaryStream()) {
    if (!file_) fail();
}

void SheetFindings::fail() const {
    if (!failure_)
        failure_ = fileFault(CatalogueFault::System, P_tmpdir, std::strerror(errno != 0 ? errno : EIO));
}

void SheetFindings::add(const SheetFinding& finding) {
    std::string bytes = findingBytes(finding);
    const auto size = static_cast<std::uint64_t>(bytes.size());
    bytes.insert(0, reinterpret_cast<const char*>(&size), sizeof size);
    count_ += 1;
    if (failure_) return;
    if (!writing_ && std::fseek(file_.get(), 0, SEEK_END) != 0) return fail();
    writing_ = true;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) fail();
}

void SheetFindings::rewind() const {
    read_ = 0;
    if (failure_) return;
    if ((writing_ && std::fflush(file_.get()) != 0) || std::fseek(file_.get(), 0, SEEK_SET) != 0)
        return fail();
    writing_ = false;
}

bool SheetFindings::nextBytes(std::string& bytes) const {
    if (failure_ || writing_ || read_ == count_) return false;
    std::uint64_t size = 0;
    errno = 0;
    if (std::fread(&size, sizeof size, 1, file_.get()) != 1 || size > (std::uint64_t{1} << 32)) {
        fail();
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    if (std::fread(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
        fail();
        return false;
    }
    read_ += 1;
    return true;
}

bool SheetFindings::next(SheetFinding& finding) const {
    std::string bytes;
    if (!nextBytes(bytes)) return false;
    if (readFinding(bytes, finding)) return true;
    errno = EIO;
    fail();
    return false;
}

std::string SheetFindings::partEntry(std::uint32_t finding, std::uint32_t part) {
    std::string entry;
    for (int shift = 24; shift >= 0; shift -= 8) // most significant first: sorts as it counts
        entry += static_cast<char>((finding >> shift) & 0xff);
    return entry.append(reinterpret_cast<const char*>(&part), sizeof part);
}

void SheetFindings::attachParts(SpillSort& parts,
                                const std::function<void(std::uint32_t, const SheetFinding&)>& each) {
    // The file is copied once, in order, into a new one with the parts set.
    TemporaryStream copy = temporaryStream();
    if (!copy) fail();
    rewind();
    std::string_view next;
    bool more = parts.next(next);
    SheetFinding finding;
    for (std::uint32_t n = 0; n < count_ && !failure_; ++n) {
        std::string bytes;
        if (!nextBytes(bytes)) break;
        if (!readFinding(bytes, finding)) {
            errno = EIO;
            fail();
            break;
        }
        for (; more && readNumber(next) <= n; more = parts.next(next))
            if (readNumber(next) == n) {
                std::uint32_t part = 0;
                std::memcpy(&part, next.data() + 4, sizeof part);
                finding.part = part;
            }
        bytes = findingBytes(finding);
        const auto size = static_cast<std::uint64_t>(bytes.size());
        if (std::fwrite(&size, sizeof size, 1, copy.get()) != 1 ||
            std::fwrite(bytes.data(), 1, bytes.size(), copy.get()) != bytes.size())
            fail();
        each(n, finding);
    }
    if (parts.failure() && !failure_) failure_ = parts.failure();
    if (failure_) return;
    file_ = std::move(copy);
    writing_ = true;
}

} // namespace specialty
