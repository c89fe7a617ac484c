// Where a catalogue that a reader cannot read to its end record starts to go wrong: the first line of the
// stretch whose fields never come back in step with the lines (a line of 22 fields shifts every record
// after it, so the reader fails far later, at the end of the file).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace specialty {

struct DamageStart {
    std::uint64_t line = 0;  // from 1
    std::int64_t fields = 0; // the fields that line holds
};

// Nothing when the file reads in step to its end record (or cannot be read at all). Memory stays the same
// whatever the file holds.
std::optional<DamageStart> whereDamageStarts(const std::string& catalogue);

} // namespace specialty
