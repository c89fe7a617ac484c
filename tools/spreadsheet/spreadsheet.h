// The round trip through a spreadsheet: the catalogue as CSV (UTF-8, a header row with each field's name,
// Model and Submodel as the viewer reads them) or as a workbook, and a CSV file or a workbook back into the
// catalogue's list syntax (names quoted, CR LF, Windows-1252, an end record), refusing whatever would not
// read back the same.
#pragma once

#include "catalogue/result.h"
#include "tools/output_file.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

class TableRows;

// For each record from the first, a bit for each field (bit 0: field 1) that a workbook held as a number
// cell, shown by its number format; YearFrom and YearTo, which are numbers, are left out. Records past the
// last one that has such a cell are left out too.
using NumberCells = std::vector<std::uint32_t>;

// Hands on the header row and then each record's 23 cells (UTF-8) up to the end record; stops at the first
// failure `row` returns, or at a record that cannot be read.
Status
forEachExportRow(const std::string& catalogue,
                 const std::function<Status(std::int64_t position, const std::vector<std::string>&)>& row);

// The records up to the end record as CSV, after a UTF-8 byte order mark. A cell that a spreadsheet would
// take for a formula (see spreadsheet_cell.h) is written with a leading apostrophe.
Result<std::string> exportCsv(const std::string& catalogue);
// The same CSV handed to `write` in pieces as it is made, so that memory stays bounded whatever the
// catalogue's size; stops at the first failure `write` returns, or at a record that cannot be read.
Status exportCsv(const std::string& catalogue, const std::function<Status(std::string_view)>& write);

// The records up to the end record as an Office Open XML workbook into `output` (not yet committed):
// every cell a text cell, every column formatted as text, the header row frozen.
Status exportWorkbook(const std::string& catalogue, OutputFile& output);

// True when `path` names a workbook by its suffix (.xlsx, in any case).
bool namesWorkbook(std::string_view path);

// A failure when the file `path` is not there or cannot be looked at (the system's reason), so that import
// stops as for any file it cannot read.
Status spreadsheetExists(const std::string& path);

// The catalogue text for CSV rows. A failure names every fault (up to a limit, then "and N more"), each as
// "FILE:LINE:COLUMN: error: MESSAGE" with the cell's value, `file` being the name shown; `warnings`, when
// given, receives what is written all the same (a VehicleId used twice) in the same form.
Result<std::string> catalogueFromCsv(std::string_view csv, const std::string& file = "CSV",
                                     std::vector<std::string>* warnings = nullptr);

// The same for a file: a workbook (Office Open XML) when the name ends in ".xlsx", else CSV. The file is
// read as a stream, so memory beyond the catalogue written stays bounded whatever its size.
// `numberCells`, when given, receives which text fields of each record a workbook held as number cells.
Result<std::string> catalogueFromSpreadsheet(const std::string& path,
                                             std::vector<std::string>* warnings = nullptr,
                                             NumberCells* numberCells = nullptr);
// The same, written to the file `into` (made anew) as it is made instead of held, so that memory stays
// bounded whatever the number of records. A failure is the refusal (a SheetRefused), or why `into`
// could not be written.
Status catalogueFromSpreadsheet(const std::string& path, const std::string& into,
                                std::vector<std::string>* warnings, NumberCells* numberCells = nullptr);

// The catalogue text for the rows of `rows`; `csv` says whether a leading "'" guards a cell (see
// unguardedCell()).
Result<std::string> catalogueFromRows(TableRows& rows, const std::string& file, bool csv,
                                      std::vector<std::string>* warnings, NumberCells* numberCells = nullptr);

} // namespace specialty
