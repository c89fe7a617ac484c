// check's findings on their way out: handed on in line order as soon as no finding for an earlier line can
// come any more, so that a catalogue with millions of findings never holds them all in memory.
#pragma once

#include "tools/check/catalogue_check.h"

#include <cstdint>
#include <functional>
#include <string>
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
    // `catalogue` is the file most findings are about.
    FindingStream(Emit sink, const std::string& catalogue);

    void add(Finding finding);
    // A finding about the catalogue: its file is not copied into each.
    void add(Finding::Level level, std::uint64_t line, Failure&& what);
    // No finding for a line before `line` will come: hands on those held.
    void settle(std::uint64_t line);
    // Hands on the rest, in line order, and then those about the files as a whole.
    void finish();

    int errors() const { return errors_; }
    int warnings() const { return warnings_; }

  private:
    // A finding about a line of the catalogue, held until it is final.
    struct Held {
        std::uint64_t line;
        Finding::Level level;
        Failure what;
    };
    void count(Finding::Level level) { (level == Finding::Level::Error ? errors_ : warnings_)++; }
    void emit(Finding::Level level, std::uint64_t line, Failure&& what);

    Emit emit_;
    // Handed on for each finding about the catalogue, its file set once: only its level, line and fault
    // change from one to the next.
    Finding current_;
    // By line, in the order they came within a line, from first_ on (those before it are handed on): those
    // from sorted_ on came since the last settle() and are sorted into the others then. Most come in line
    // order, and so cost no sorting.
    std::vector<Held> held_;
    std::size_t first_ = 0;
    std::size_t sorted_ = 0;
    std::uint64_t settled_ = 0; // no finding for a line before it will come

    std::vector<Finding> wholeFiles_;
    int errors_ = 0;
    int warnings_ = 0;
};

} // namespace specialty
