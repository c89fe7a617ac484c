// check's findings on their way out: handed on in line order as soon as no finding for an earlier line can
// come any more, so that a catalogue with millions of findings never holds them all in memory.
#pragma once

#include "tools/check/catalogue_check.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

namespace specialty {

// A finding about a record judged as its line reads after a shift: `mark` (a CheckAsLineReads, or null
// for a record judged as the reader reads it) before its text.
inline Failure marked(const Failure* mark, Failure what) {
    if (mark) return causedBy(*mark, std::move(what));
    return what;
}

class FindingStream {
  public:
    using Emit = std::function<void(const Finding&)>;
    explicit FindingStream(Emit sink) : emit_(std::move(sink)) {}

    void add(Finding finding);
    // No finding for a line before `line` will come: hands on those held.
    void settle(std::uint64_t line);
    // Hands on the rest, in line order, and then those about the files as a whole.
    void finish();

    int errors() const { return errors_; }
    int warnings() const { return warnings_; }

  private:
    Emit emit_;
    // By line, in the order they came within a line: those from sorted_ on came since the last settle()
    // and are sorted into the others then. Most come in line order, and so cost no sorting.
    std::deque<Finding> held_;
    std::size_t sorted_ = 0;
    std::vector<Finding> wholeFiles_;
    int errors_ = 0;
    int warnings_ = 0;
};

} // namespace specialty
