#include "tools/check/finding_stream.h"
#include "tools/check/check_fault.h"

#include <algorithm>

namespace specialty {

FindingStream::FindingStream(Emit sink, const std::string& catalogue)
    : emit_(std::move(sink)), current_{Finding::Level::Error, catalogue, 0, Failure(CheckFault::NoRecord)} {}

void FindingStream::add(Finding finding) {
    // A finding about another file names no line of the catalogue: it goes with those about whole files.
    if (finding.line == 0 || finding.file != current_.file) {
        count(finding.level);
        wholeFiles_.push_back(std::move(finding));
        return;
    }
    add(finding.level, finding.line, std::move(finding.what));
}

void FindingStream::add(Finding::Level level, std::uint64_t line, Failure&& what) {
    if (line == 0) {
        add({level, current_.file, 0, std::move(what)});
        return;
    }
    count(level);
    if (line == settled_ && first_ == held_.size()) { // final already: nothing before it can come
        emit(level, line, std::move(what));
        return;
    }
    held_.push_back({line, level, std::move(what)});
}

void FindingStream::emit(Finding::Level level, std::uint64_t line, Failure&& what) {
    current_.level = level;
    current_.line = line;
    current_.what = std::move(what);
    emit_(current_);
}

void FindingStream::settle(std::uint64_t line) {
    settled_ = line;
    // Most records add nothing, and most findings wait for no later one.
    if (first_ == held_.size() || (sorted_ == held_.size() && held_[first_].line >= line)) return;
    const auto byLine = [](const Held& a, const Held& b) { return a.line < b.line; };
    const auto first = held_.begin() + static_cast<std::ptrdiff_t>(first_);
    const auto added = held_.begin() + static_cast<std::ptrdiff_t>(sorted_);
    if (!std::is_sorted(added, held_.end(), byLine)) std::stable_sort(added, held_.end(), byLine);
    if (added != first && added != held_.end() && byLine(*added, *std::prev(added)))
        std::inplace_merge(first, added, held_.end(), byLine); // stable: earlier ones first
    const auto end =
        std::lower_bound(first, held_.end(), line, [](const Held& h, std::uint64_t l) { return h.line < l; });
    for (auto it = first; it != end; ++it)
        emit(it->level, it->line, std::move(it->what));
    first_ = static_cast<std::size_t>(end - held_.begin());
    if (first_ == held_.size()) { // the usual case: none left, and the room is kept
        held_.clear();
        first_ = 0;
    } else if (first_ >= held_.size() / 2) { // those handed on no longer outnumber those left
        held_.erase(held_.begin(), end);
        first_ = 0;
    }
    sorted_ = held_.size();
}

void FindingStream::finish() {
    settle(UINT64_MAX);
    for (const Finding& f : wholeFiles_)
        emit_(f);
    wholeFiles_.clear();
}

} // namespace specialty
