// The round trip through a spreadsheet: the catalogue as CSV (UTF-8, a header row with each field's name,
// Model and Submodel as the viewer reads them), and CSV back into the catalogue's list syntax (names
// quoted, CR LF, Windows-1252, an end record), refusing whatever would not read back the same.
#pragma once

#include "result.h"

#include <string>
#include <string_view>

namespace specialty {

// The records up to the end record as CSV.
Result<std::string> exportCsv(const std::string& catalogue);

// The catalogue text for CSV rows; a failure names the line and column of the first thing that cannot be
// written so that the viewer reads it back as the spreadsheet shows it.
Result<std::string> catalogueFromCsv(std::string_view csv);

// Writes `bytes` to `path` whole or not at all: a temporary file in the same folder, flushed to the disk,
// then renamed over the old one, which stays as it was when anything fails.
Status writeFileAtomically(const std::string& path, std::string_view bytes);

} // namespace specialty
