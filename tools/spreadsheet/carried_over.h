// What a catalogue holds that its records, written again one a line, do not carry over: lines after the end
// record, and records spread over more than one line (joined when written again).
#pragma once

#include "catalogue/result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace specialty {

struct NotCarriedOver {
    std::uint64_t linesAfterEnd = 0;  // lines that hold anything after the end record
    std::vector<std::int64_t> spread; // records (from 1) spread over more than one line, the first few
    std::uint64_t spreadCount = 0;    // all of them
    bool any() const { return linesAfterEnd > 0 || spreadCount > 0; }
};

// What the catalogue file `path` loses when its records are written again; a failure when it cannot be read.
Result<NotCarriedOver> notCarriedOver(const std::string& path);

// The notice for people: "3 lines after the end record are not carried over", and the records joined.
std::string notCarriedOverText(const NotCarriedOver& lost);

} // namespace specialty
