// What list, find and uses add to the catalogue they show: a note in place of a field not kept, and where
// a reader's failure lies in the catalogue's lines. Their texts are made in listing_texts.cpp.
#pragma once

#include "catalogue/failure.h"

#include <cstdint>

namespace specialty {

enum class ListingFault : std::uint16_t {
    SpareFieldNotKept = 110, // limit: the bytes of it kept (a note shown in the field's place)
    // Where a reader's failure lies in the catalogue's lines, for list, find and uses.
    DamageBegins = 350, // line, count: the fields it holds (23 or less than 0: not named); cause
    RecordOnLine = 351, // line: where the record starts; cause
};
const FaultFamily& faultFamily(ListingFault);

// A reader's failure with where the damage behind it begins: "... The damage begins at line 10000, which
// holds 22 fields, not 23." (`fields` 23 or less than 0: the line alone).
Failure damageBeginsAt(const Failure& failure, std::uint64_t line, std::int64_t fields);

} // namespace specialty
