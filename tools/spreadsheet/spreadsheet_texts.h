// The form import gives the faults it finds in a spreadsheet (spreadsheet_fault.h): each where it lies,
// the way compilers write it so that editors jump to it, and the refusal that names them all. The words
// are made with every other text, by describe().
#pragma once

#include "catalogue/failure.h"

#include <cstdint>
#include <string>
#include <vector>

namespace specialty {

// What import adds to the faults that refuse a spreadsheet.
constexpr const char* kNothingWritten = "Nothing was written.";

// "FILE:LINE:COLUMN: error: MESSAGE" ("warning" unless `error`) from the failure's file, line and column;
// a line or column of 0 is left out.
std::string describeAt(const Failure& failure, bool error);
// Each of `named` so, then "and N more" for `more` faults not named.
std::vector<std::string> describeAllAt(const std::vector<Failure>& named, std::uint64_t more, bool error);
// Import's refusal of the spreadsheet `file`: its errors, one a line, as describeAllAt() words them.
Failure sheetRefused(const std::string& file, const std::vector<Failure>& named, std::uint64_t more);

} // namespace specialty
