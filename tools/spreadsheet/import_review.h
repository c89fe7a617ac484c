// import's look before it writes: what changes from the current catalogue, and a refusal of changes that
// look like a spreadsheet's conversion unless they are taken on purpose.
#pragma once

#include "tools/commands.h"

#include <QJsonObject>

#include <optional>
#include <string>
#include <string_view>

namespace specialty {

// Prints what writing the catalogue in the file `catalogue` (made from `input`) over `target` changes.
// Returns the exit status when import must stop here (a dry run, a refusal, a current catalogue that
// cannot be read), nothing when it may write. In JSON the document stays open for endImportJson().
std::optional<int> reviewImport(const ToolOptions& options, const std::string& input,
                                const std::string& target, const std::string& catalogue);

// Ends the JSON document that reviewImport() left open.
void endImportJson(const QJsonObject& members);

} // namespace specialty
