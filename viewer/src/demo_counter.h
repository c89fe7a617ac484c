// The demo counter: each step lowers it by one; its absolute value is the catalogue position shown next.
#pragma once

#include <cstdint>
#include <limits>

namespace specialty {

// One step lower, stopping at the smallest value instead of overflowing.
constexpr std::int32_t loweredDemoIndex(std::int32_t index) {
    return index == std::numeric_limits<std::int32_t>::min() ? index : index - 1;
}

} // namespace specialty
