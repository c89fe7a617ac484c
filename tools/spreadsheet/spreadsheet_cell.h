// A CSV cell that a spreadsheet would run as a formula, and the apostrophe that keeps it text.
//
// A value that begins with = + - @, a tab, a carriage return or an apostrophe is written with one more
// apostrophe in front, the way spreadsheets mark text; reading a CSV cell takes exactly that one apostrophe
// off again when the character after it is one of those seven, so the round trip is exact. Workbook cells
// are text cells and get no apostrophe.
#pragma once

#include <string>
#include <string_view>

namespace specialty {

// The CSV cell for a value.
std::string guardedCell(std::string_view value);
// The value of a CSV cell as a spreadsheet wrote it.
std::string_view unguardedCell(std::string_view cell);

} // namespace specialty
