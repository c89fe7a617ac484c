// The commands of specialty-catalogue. Each prints its result and returns the exit status:
// 0 found or no errors, 1 not found or errors found, 2 usage error, I/O error or a damaged catalogue.
#pragma once

#include "catalogue_check.h"

#include <cstdint>
#include <string>

namespace specialty {

constexpr int kExitFine = 0;
constexpr int kExitProblems = 1;
constexpr int kExitError = 2;

struct ToolOptions {
    std::string dataFolder;
    bool json = false;
};

// `selection` is code-page text; `demoIndex` matters only for the position marker.
int findCommand(const ToolOptions& options, const std::string& selection, std::int32_t demoIndex);
int listCommand(const ToolOptions& options);
int checkCommand(const ToolOptions& options, const PictureDecodes& decodes);

} // namespace specialty
