#include "tools/check/finding_stream.h"

namespace specialty {

void FindingStream::add(Finding finding) {
    (finding.level == Finding::Level::Error ? errors_ : warnings_)++;
    if (finding.line == 0)
        wholeFiles_.push_back(std::move(finding));
    else
        held_.emplace(finding.line, std::move(finding));
}

void FindingStream::settle(std::uint64_t line) {
    auto end = held_.lower_bound(line);
    for (auto it = held_.begin(); it != end; ++it)
        emit_(it->second);
    held_.erase(held_.begin(), end);
}

void FindingStream::finish() {
    settle(UINT64_MAX);
    for (const Finding& f : wholeFiles_)
        emit_(f);
    wholeFiles_.clear();
}

} // namespace specialty
