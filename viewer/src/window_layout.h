// The one table of the window's layout: every control's object name, place in twips, caption and
// visibility at creation.
//
// The object names are those of the window's original design (Command1 "Exit", Command2 "Demo", cmdHide,
// cmdNext, lblNoMatch, lblNote, lblIllText, imgZoom, the frames frmRear ... frmFrontCaster, and ImageN with
// LabelN for slot N). They live on here, and only here, so that the layout can be compared with that design
// line by line and tests and screen readers can find each control by the name it always had; the code
// names each control by its role instead (exitButton_, slotPictures_, ...).
#pragma once

#include "catalogue/messages.h"
#include "catalogue/part_slots.h"

#include <QFont>
#include <QRectF>

#include <array>

namespace specialty {

constexpr const char* kWindowName = "frmSpecialty";

// The window's client area.
constexpr QRectF kClientArea(0, 0, 10560, 8235);

struct ControlPlace {
    const char* name;
    const char* parent; // object name of the containing frame; nullptr for the window itself
    const char* caption;
    QRectF twips;
    bool visible;
};

// Buttons in focus order: exit, hide, next, demo.
constexpr std::array<ControlPlace, 4> kButtons = {{
    {"Command1", nullptr, "Exit", {720, 120, 732, 372}, true},
    {"cmdHide", nullptr, "Hide", {1560, 120, 732, 372}, false},
    {"cmdNext", nullptr, "Next", {2400, 120, 732, 372}, false},
    {"Command2", nullptr, "Demo", {9120, 120, 852, 372}, true},
}};
enum ButtonRole { kExitButton, kHideButton, kNextButton, kDemoButton };

// Outer frames first, so that the inner frames find their parent.
constexpr std::array<ControlPlace, 6> kFrames = {{
    {"frmRear", nullptr, "Rear", {720, 600, 9252, 3612}, true},
    {"frmFront", nullptr, "Front", {720, 4320, 9252, 3492}, true},
    {"frmRearCamber", "frmRear", "Camber", {240, 240, 8772, 1572}, true},
    {"frmRearToe", "frmRear", "Toe", {240, 1920, 8772, 1572}, true},
    {"frmFrontCamber", "frmFront", "Camber", {240, 240, 8772, 1572}, true},
    {"frmFrontCaster", "frmFront", "Caster", {240, 1800, 8772, 1572}, true},
}};
enum FrameRole { kRearFrame, kFrontFrame };

constexpr ControlPlace kNoMatchLabel{"lblNoMatch", nullptr, "", {3360, 120, 5655, 375}, true};
constexpr ControlPlace kNoteLabel{"lblNote", nullptr, kSlotHint, {720, 7800, 9252, 252}, true};
constexpr ControlPlace kIllTextLabel{"lblIllText", nullptr, "Label18", {120, 720, 492, 372}, false};
constexpr ControlPlace kZoomPicture{"imgZoom", nullptr, "", {120, 1200, 372, 372}, false};

// Where each slot stands in its inner frame: the caption label above the square picture, both at `left`.
struct SlotPlace {
    const char* frame;  // object name of the inner frame that holds the slot
    double left;        // twips from the frame's left edge, picture and caption alike
    double pictureSize; // the square picture's width and height in twips
    double labelWidth;  // the caption label's size in twips
    double labelHeight;
};
constexpr double kSlotLabelTop = 200;
constexpr double kSlotPictureTop = 360;
constexpr const char* kSlotPictureName = "Image%1"; // %1: the slot number
constexpr const char* kSlotCaptionName = "Label%1";

// In slot order, 1 to 17.
constexpr std::array<SlotPlace, kSlotCount> kSlotPlaces = {{
    {"frmRearCamber", 240, 1120, 1116, 156},
    {"frmRearCamber", 1680, 1116, 1116, 156},
    {"frmRearCamber", 3120, 1116, 1116, 156},
    {"frmRearCamber", 4560, 1116, 1116, 156},
    {"frmRearCamber", 6000, 1116, 1116, 156},
    {"frmRearCamber", 7440, 1116, 1116, 156},
    {"frmRearToe", 240, 1120, 1120, 160},
    {"frmRearToe", 1680, 1116, 1116, 156},
    {"frmRearToe", 3120, 1116, 1116, 156},
    {"frmFrontCamber", 240, 1120, 1120, 160},
    {"frmFrontCamber", 1680, 1116, 1120, 156},
    {"frmFrontCamber", 3120, 1116, 1116, 156},
    {"frmFrontCamber", 4560, 1116, 1116, 156},
    {"frmFrontCamber", 6000, 1116, 1116, 156},
    {"frmFrontCaster", 240, 1120, 1120, 160},
    {"frmFrontCaster", 1680, 1116, 1120, 156},
    {"frmFrontCaster", 3120, 1116, 1116, 156},
}};

// The zoom view's picture stands here; its description 120 twips to the right of it, with margins of 120
// (right) and 480 (bottom) against the window's outer size.
constexpr double kZoomLeft = 120;
constexpr double kZoomTop = 640;

// Fonts of their own: the slot captions and the description; every other control uses the window's.
constexpr const char* kFontFamily = "Arial";
constexpr double kSlotCaptionPoints = 7.5;
constexpr double kDescriptionPoints = 8.25;

inline QFont designFont(double points) {
    QFont font(QString::fromLatin1(kFontFamily));
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

} // namespace specialty
