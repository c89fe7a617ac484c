// A workbook's cell that is not plain text, judged as the spreadsheet shows it: a number cell with its
// number format applied, everything else (formulas, true-or-false, error and date cells) refused; and the
// row index a script writes in front of the fields.
#pragma once

#include "catalogue/failure.h"
#include "tools/spreadsheet/table_rows.h"

#include <optional>
#include <string>

namespace specialty {

// For a cell of field `field` that holds a number or is no text: a failure when import does not take it,
// else nothing with `shown` set to the number as every spreadsheet shows it, whatever its language.
std::optional<Failure> workbookCellRefusal(const TableCell& cell, int field, std::string& shown);

// The first header cell of a row index that a script wrote in front of the fields ("", "Unnamed: 0"),
// when the fields' names follow it.
std::optional<std::string> scriptIndexHeader(const TableRow& row);

} // namespace specialty
