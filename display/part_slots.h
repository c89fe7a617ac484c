// The seventeen display slots: where each stands and which part code it shows.
#pragma once

#include <array>

namespace specialty {

struct PartSlot {
    int number;         // N of ImageN and LabelN
    const char* frame;  // object name of the inner frame that holds the slot
    const char* group;  // the group as a person says it, for screen readers
    double left;        // twips from the frame's left edge, picture and caption alike
    double pictureSize; // the square picture's width and height in twips
    double labelWidth;  // the caption label's size in twips
    double labelHeight;
    int partCode; // the PartCode number it shows; 0 for none
};

constexpr double kSlotLabelTop = 200;
constexpr double kSlotPictureTop = 360;
constexpr int kSlotCount = 17;

// In slot order. The catalogue lists rear camber, rear toe, front caster, front camber; the window shows
// front camber above front caster, so PartCode9 to 11 go to slots 15 to 17 and PartCode12 to 16 to slots
// 10 to 14. Slot 6 shows no part.
constexpr std::array<PartSlot, kSlotCount> kPartSlots = {{
    {1, "frmRearCamber", "Rear camber", 240, 1120, 1116, 156, 1},
    {2, "frmRearCamber", "Rear camber", 1680, 1116, 1116, 156, 2},
    {3, "frmRearCamber", "Rear camber", 3120, 1116, 1116, 156, 3},
    {4, "frmRearCamber", "Rear camber", 4560, 1116, 1116, 156, 4},
    {5, "frmRearCamber", "Rear camber", 6000, 1116, 1116, 156, 5},
    {6, "frmRearCamber", "Rear camber", 7440, 1116, 1116, 156, 0},
    {7, "frmRearToe", "Rear toe", 240, 1120, 1120, 160, 6},
    {8, "frmRearToe", "Rear toe", 1680, 1116, 1116, 156, 7},
    {9, "frmRearToe", "Rear toe", 3120, 1116, 1116, 156, 8},
    {10, "frmFrontCamber", "Front camber", 240, 1120, 1120, 160, 12},
    {11, "frmFrontCamber", "Front camber", 1680, 1116, 1120, 156, 13},
    {12, "frmFrontCamber", "Front camber", 3120, 1116, 1116, 156, 14},
    {13, "frmFrontCamber", "Front camber", 4560, 1116, 1116, 156, 15},
    {14, "frmFrontCamber", "Front camber", 6000, 1116, 1116, 156, 16},
    {15, "frmFrontCaster", "Front caster", 240, 1120, 1120, 160, 9},
    {16, "frmFrontCaster", "Front caster", 1680, 1116, 1120, 156, 10},
    {17, "frmFrontCaster", "Front caster", 3120, 1116, 1116, 156, 11},
}};

} // namespace specialty
