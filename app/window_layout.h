// Where the window's controls stand at creation, in twips; the slots are in part_slots.h.
#pragma once

#include <QRectF>

#include <array>

namespace specialty {

// The window's client area.
constexpr QRectF kClientArea(0, 0, 10560, 8235);

struct ControlPlace {
    const char* name;
    const char* parent; // object name of the containing frame; nullptr for the window itself
    const char* caption;
    QRectF twips;
    bool visible;
};

// Buttons in focus order.
constexpr std::array<ControlPlace, 4> kButtons = {{
    {"Command1", nullptr, "Exit", {720, 120, 732, 372}, true},
    {"cmdHide", nullptr, "Hide", {1560, 120, 732, 372}, false},
    {"cmdNext", nullptr, "Next", {2400, 120, 732, 372}, false},
    {"Command2", nullptr, "Demo", {9120, 120, 852, 372}, true},
}};

// Outer frames first, so that the inner frames find their parent.
constexpr std::array<ControlPlace, 6> kFrames = {{
    {"frmRear", nullptr, "Rear", {720, 600, 9252, 3612}, true},
    {"frmFront", nullptr, "Front", {720, 4320, 9252, 3492}, true},
    {"frmRearCamber", "frmRear", "Camber", {240, 240, 8772, 1572}, true},
    {"frmRearToe", "frmRear", "Toe", {240, 1920, 8772, 1572}, true},
    {"frmFrontCamber", "frmFront", "Camber", {240, 240, 8772, 1572}, true},
    {"frmFrontCaster", "frmFront", "Caster", {240, 1800, 8772, 1572}, true},
}};

constexpr ControlPlace kNoMatchLabel{"lblNoMatch", nullptr, "", {3360, 120, 5655, 375}, true};
constexpr ControlPlace kNoteLabel{
    "lblNote", nullptr, "Click image for larger picture and text description.", {720, 7800, 9252, 252}, true};
constexpr ControlPlace kIllTextLabel{"lblIllText", nullptr, "Label18", {120, 720, 492, 372}, false};
constexpr ControlPlace kZoomPicture{"imgZoom", nullptr, "", {120, 1200, 372, 372}, false};

// Fonts of their own: the slot captions and the description; every other control uses the window's.
constexpr const char* kFontFamily = "Arial";
constexpr double kSlotCaptionPoints = 7.5;
constexpr double kDescriptionPoints = 8.25;

} // namespace specialty
