// The faults of sheet's folder and of the review sheet written into it; their texts are made in
// sheet_texts.cpp. The comment of each fault names the details it uses.
#pragma once

#include "catalogue/failure.h"

#include <cstdint>

namespace specialty {

enum class SheetFault : std::uint16_t {
    NoFolder = 550,         // (no details)
    FolderUnusable = 551,   // file, why
    FolderNotMade = 552,    // file, why (may be empty)
    NotAFolder = 553,       // file
    FolderNotEmpty = 554,   // file
    FolderUnreadable = 555, // file, why
    CannotMakeFile = 556,   // file: the folder, why (a file that cannot be written: OutputFault::CannotWrite)
    NotWritten = 560,       // cause
    Incomplete = 561,       // cause
    NoThumbnail = 562,      // (no details): a picture that decodes but cannot be made small
    FolderNotYours = 570,   // file; count: the uid that owns it
    FolderOpenToOthers = 571, // file
};
const FaultFamily& faultFamily(SheetFault);

} // namespace specialty
