// The round trip through a spreadsheet: the catalogue as CSV (UTF-8, a header row with each field's name,
// Model and Submodel as the viewer reads them) or as a workbook, and CSV back into the catalogue's list
// syntax (names quoted, CR LF, Windows-1252, an end record), refusing whatever would not read back the same.
#pragma once

#include "output_file.h"
#include "result.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

// Hands on the header row and then each record's 23 cells (UTF-8) up to the end record; stops at the first
// failure `row` returns, or at a record that cannot be read.
Status
forEachExportRow(const std::string& catalogue,
                 const std::function<Status(std::int64_t position, const std::vector<std::string>&)>& row);

// The records up to the end record as CSV, after a UTF-8 byte order mark. A cell that a spreadsheet would
// take for a formula (see spreadsheet_cell.h) is written with a leading apostrophe.
Result<std::string> exportCsv(const std::string& catalogue);

// The records up to the end record as an Office Open XML workbook into `output` (not yet committed):
// every cell a text cell, every column formatted as text, the header row frozen.
Status exportWorkbook(const std::string& catalogue, OutputFile& output);

// True when `path` names a workbook by its suffix (.xlsx, in any case).
bool namesWorkbook(std::string_view path);

// The catalogue text for CSV rows; a failure names the line and column of the first thing that cannot be
// written so that the viewer reads it back as the spreadsheet shows it.
Result<std::string> catalogueFromCsv(std::string_view csv);

} // namespace specialty
