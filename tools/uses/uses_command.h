// specialty-catalogue uses CODE: which records show a part, in which slots, and whether its files exist.
#pragma once

#include "catalogue/catalogue_record.h"
#include "tools/commands.h"

#include <string>
#include <vector>

namespace specialty {

// The slots (numbers from 1 to 17, in slot order) whose part code is exactly `code`: byte for byte, with
// blanks and letter case as stored, the way the viewer names the part's files.
std::vector<int> slotsHolding(const CatalogueRecord& record, const std::string& code);

// `code` is code-page text. Exit status: 0 when a record uses it, 1 when none does, 2 when the catalogue
// cannot be read whole.
int usesCommand(const ToolOptions& options, const std::string& code);

} // namespace specialty
