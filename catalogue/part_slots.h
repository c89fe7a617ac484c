// The seventeen display slots: which part code each shows, and the group it belongs to.
#pragma once

#include <array>

namespace specialty {

struct PartSlot {
    int number;        // 1 to 17
    const char* group; // the group as a person says it, for screen readers and the tool
    int partCode;      // the PartCode number it shows; 0 for none
};

constexpr int kSlotCount = 17;

// In slot order. The catalogue lists rear camber, rear toe, front caster, front camber; the window shows
// front camber above front caster, so PartCode9 to 11 go to slots 15 to 17 and PartCode12 to 16 to slots
// 10 to 14. Slot 6 shows no part.
constexpr std::array<PartSlot, kSlotCount> kPartSlots = {{
    {1, "Rear camber", 1},
    {2, "Rear camber", 2},
    {3, "Rear camber", 3},
    {4, "Rear camber", 4},
    {5, "Rear camber", 5},
    {6, "Rear camber", 0},
    {7, "Rear toe", 6},
    {8, "Rear toe", 7},
    {9, "Rear toe", 8},
    {10, "Front camber", 12},
    {11, "Front camber", 13},
    {12, "Front camber", 14},
    {13, "Front camber", 15},
    {14, "Front camber", 16},
    {15, "Front caster", 9},
    {16, "Front caster", 10},
    {17, "Front caster", 11},
}};

constexpr const PartSlot& partSlot(int number) {
    return kPartSlots[static_cast<std::size_t>(number - 1)];
}

} // namespace specialty
