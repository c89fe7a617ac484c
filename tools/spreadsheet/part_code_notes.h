// Part codes that a spreadsheet may have written for the code typed: a new or changed code with no file in
// the data folder, which a search would show without picture or description.
#pragma once

#include "catalogue/failure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace specialty {

// A warning when `code` (field `field` of the record at `position`, from 0) has neither a picture nor a
// description in `dataFolder`: naming what it is shaped like when a spreadsheet could have written it.
std::optional<Failure> partCodeNote(const std::string& dataFolder, std::string_view code, int field,
                                    std::int64_t position);

} // namespace specialty
