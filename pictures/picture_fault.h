// Why a part's picture is not shown; the texts, worded to follow "the picture ...: ", are made in
// picture_texts.cpp. The comment of each fault names the details it uses.
#pragma once

#include "catalogue/failure.h"

#include <cstdint>

namespace specialty {

enum class PictureFault : std::uint16_t {
    NotDecodedFormat = 200,  // expected: the formats that are decoded
    HasTooManyScans = 201,   // count: its scans, limit: the most a picture may have
    GivesNoSize = 202,       // why: the image reader's own reason
    ScansTakeTooLong = 203,  // value: its size as "WIDTH x HEIGHT", count: its scans
    DoesNotFitMemory = 204,  // value: its size as "WIDTH x HEIGHT", limit: the bytes left for it
    DoesNotDecode = 205,     // cause, or why: the image reader's own reason
    TimeIsUp = 206,          // -
    OutOfMemory = 207,       // -
    DecodesOnlyPartly = 208, // why: the decoder's warnings, one a line
    RowsCutShort = 210,      // count: the pixel rows the file gives, limit: the rows of the picture
};
const FaultFamily& faultFamily(PictureFault);

} // namespace specialty
