#include "tools/check/finding_stream.h"

#include <algorithm>

namespace specialty {

void FindingStream::add(Finding finding) {
    (finding.level == Finding::Level::Error ? errors_ : warnings_)++;
    if (finding.line == 0)
        wholeFiles_.push_back(std::move(finding));
    else
        held_.push_back(std::move(finding));
}

void FindingStream::settle(std::uint64_t line) {
    // Most records add nothing, and most findings wait for no later one.
    if (held_.empty() || (sorted_ == held_.size() && held_.front().line >= line)) return;
    const auto byLine = [](const Finding& a, const Finding& b) { return a.line < b.line; };
    const auto added = held_.begin() + static_cast<std::ptrdiff_t>(sorted_);
    if (!std::is_sorted(added, held_.end(), byLine)) std::stable_sort(added, held_.end(), byLine);
    if (added != held_.begin() && added != held_.end() && byLine(*added, *std::prev(added)))
        std::inplace_merge(held_.begin(), added, held_.end(), byLine); // stable: earlier ones first
    const auto end = std::lower_bound(held_.begin(), held_.end(), line,
                                      [](const Finding& f, std::uint64_t l) { return f.line < l; });
    for (auto it = held_.begin(); it != end; ++it)
        emit_(*it);
    held_.erase(held_.begin(), end);
    sorted_ = held_.size();
}

void FindingStream::finish() {
    settle(UINT64_MAX);
    for (const Finding& f : wholeFiles_)
        emit_(f);
    wholeFiles_.clear();
}

} // namespace specialty
