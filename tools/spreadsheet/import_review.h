// import's look before it writes: what changes from the current catalogue, and a refusal of changes that
// look like a spreadsheet's conversion unless they are taken on purpose.
#pragma once

#include "tools/commands.h"
#include "tools/spreadsheet/spreadsheet.h"

#include <QJsonObject>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

// Prints what writing the catalogue in the file `catalogue` (made from `input`) over `target` changes.
// Returns the exit status when import must stop here (a dry run, a refusal, a current catalogue that
// cannot be read), nothing when it may write. In JSON the document stays open for endImportJson().
// `numberCells` (see spreadsheet.h): a new record's number cell is refused as a conversion, for a number
// shows in the spreadsheet's own form and there is no earlier value to tell what was typed. Warnings
// (part codes of a CSV file with no file in the data folder) are printed, and added to `warnings`.
// Writing nothing changes nothing when no record changes and the target loses nothing by it: import then
// stops here too.
std::optional<int> reviewImport(const ToolOptions& options, const std::string& input,
                                const std::string& target, const std::string& catalogue,
                                const NumberCells& numberCells = {},
                                std::vector<std::string>* warnings = nullptr);

// Ends the JSON document that reviewImport() left open.
void endImportJson(const QJsonObject& members);

} // namespace specialty
