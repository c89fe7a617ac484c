// The round trip through a spreadsheet: the catalogue as CSV (UTF-8, a header row with each field's name,
// Model and Submodel as the viewer reads them), and a CSV file or a workbook back into the catalogue's list
// syntax (names quoted, CR LF, Windows-1252, an end record), refusing whatever would not read back the same.
#pragma once

#include "result.h"

#include <string>
#include <string_view>
#include <vector>

namespace specialty {

class SheetRows;

// The records up to the end record as CSV.
Result<std::string> exportCsv(const std::string& catalogue);

// The catalogue text for CSV rows. A failure names every fault (up to a limit, then "and N more"), each as
// "FILE:LINE:COLUMN: error: MESSAGE" with the cell's value, `file` being the name shown; `warnings`, when
// given, receives what is written all the same (a VehicleId used twice) in the same form.
Result<std::string> catalogueFromCsv(std::string_view csv, const std::string& file = "CSV",
                                     std::vector<std::string>* warnings = nullptr);

// The same for a file: a workbook (Office Open XML) when the name ends in ".xlsx", else CSV. The file is
// read as a stream, so memory beyond the catalogue written stays bounded whatever its size.
Result<std::string> catalogueFromSpreadsheet(const std::string& path,
                                             std::vector<std::string>* warnings = nullptr);

// The catalogue text for the rows of `rows`; `csv` says whether a leading "'" guards a cell (see
// unguardedCell()).
Result<std::string> catalogueFromRows(SheetRows& rows, const std::string& file, bool csv,
                                      std::vector<std::string>* warnings);

// Export puts one "'" in front of a CSV cell that begins with = + - @ tab CR or ', so that a spreadsheet
// takes it as text, never as a formula; import takes exactly that one "'" away again.
std::string_view unguardedCell(std::string_view cell);

// Writes `bytes` to `path` whole or not at all: a temporary file in the same folder, flushed to the disk,
// then renamed over the old one, which stays as it was when anything fails.
Status writeFileAtomically(const std::string& path, std::string_view bytes);

} // namespace specialty
