// Skimming a run of units: the loop that passes over records a search cannot stop at.
#pragma once

#include "list_reader.h"

namespace specialty {

template <typename Stop>
std::int64_t ListReader::skimUnits(int items, Stop&& stop, Skim& skim, bool& stopped, std::int64_t most) {
    stopped = false;
    std::int64_t passed = 0;
    while (passed < most && skimUnit(items, skim)) {
        if (stop(static_cast<const Skim&>(skim), passed)) {
            stopped = true;
            break;
        }
        ++passed;
    }
    return passed;
}

} // namespace specialty
