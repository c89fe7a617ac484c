// The commands of specialty-catalogue that read the catalogue as the viewer does (find, list, check), and
// what every command shares. The other families declare their commands in their own folders:
// spreadsheet/spreadsheet_commands.h, sheet/sheet_command.h, uses/uses_command.h. Each command prints its
// result and returns the exit status: 0 found or no errors, 1 not found or errors found, 2 usage error, I/O
// error or a damaged catalogue.
#pragma once

#include "check/catalogue_check.h"

#include <cstdint>
#include <optional>
#include <string>

namespace specialty {

constexpr int kExitFine = 0;
constexpr int kExitProblems = 1;
constexpr int kExitError = 2;

struct ToolOptions {
    std::string dataFolder;
    bool json = false;
    bool dryRun = false;            // import: report what would change, write nothing
    bool acceptConversions = false; // import: take changes that look like a spreadsheet's conversion
};

// A failure that ends a command: in JSON one document on standard output, otherwise a line on standard
// error. Returns the exit status.
int commandFailed(const ToolOptions& options, const std::string& message);

// The record for `selection` (code-page text), or with `position` set the record at that position.
int findCommand(const ToolOptions& options, const std::string& selection,
                std::optional<std::int64_t> position);
// With `codes` each record's part codes too.
int listCommand(const ToolOptions& options, bool codes = false);
int checkCommand(const ToolOptions& options, const PictureCheck& showsWhole);

} // namespace specialty
