// The fixed texts the viewer shows.
#pragma once

namespace specialty {

constexpr const char* kNoSelectionMessage = "No Vehicle Specification Selected.";
constexpr const char* kNoMatchMessage = "No vehicle ID Match found.";
constexpr const char* kNoPartsNotice = "No Specialty Parts Identified for this Vehicle.";
constexpr const char* kSlotHint = "Click image for larger picture and text description.";

} // namespace specialty
