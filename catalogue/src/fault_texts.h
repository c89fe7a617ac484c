// The formatter's families: each words the faults of its block of the table in failure.h. describe()
// picks the family by the fault's hundreds.
#pragma once

#include "catalogue/failure.h"

#include <string>

namespace specialty {

std::string describeFileFault(const Failure& failure);                // 0-99
std::string describeCatalogueFault(const Failure& failure);           // 100-199
std::string describePictureFault(const Failure& failure);             // 200-299
void describeCheckFinding(const Failure& failure, std::string& text); // 300-399, appended to `text`
std::string describeSpreadsheetFault(const Failure& failure);         // 400-499
std::string describeOutputFault(const Failure& failure);              // 500-599

// The years a year field may hold, as every text about a year words them.
constexpr const char* kYearRange = "from -32768 to 32767";

// The text of `failure.cause`, or `failure.why` when it has none.
std::string causeOf(const Failure& failure);

} // namespace specialty
