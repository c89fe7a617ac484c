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
        !getText(finding.file) || !getText(finding.message)) {
        if (errno == 0) errno = EIO;
        fail();
        return SheetFinding{};
    }
    finding.level = static_cast<FindingLevel>(level);
    return finding;
}

} // namespace specialty
