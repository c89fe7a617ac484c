// The commands of the spreadsheet round trip. Each prints its result and returns the exit status, as the
// commands of commands.h do.
#pragma once

#include "tools/commands.h"

#include <string>

namespace specialty {

// The records as CSV, or as a workbook when `output` ends in ".xlsx", to `output` or standard output.
int exportCommand(const ToolOptions& options, const std::string& output);
// CSV or a workbook back into the catalogue: `output`, or the data folder's catalogue.
int importCommand(const ToolOptions& options, const std::string& input, const std::string& output);
// What changes from the catalogue file `before` to `after`: 0 identical, 1 different, 2 unreadable.
int diffCommand(const ToolOptions& options, const std::string& before, const std::string& after);

} // namespace specialty
