// One spreadsheet cell made into the catalogue's text for its field, or the reason the viewer would not
// read it back as the spreadsheet shows it.
#pragma once

#include "catalogue/result.h"

#include <string>
#include <string_view>

namespace specialty {

// `value` is the cell's UTF-8 text (any guarding "'" already taken away) and `bytes` its whole length in
// the file; `mostFieldBytes` is how long a field the catalogue's reader reads back. The success is the
// field as the catalogue stores it (Windows-1252, the star rule applied), still without list quoting.
Result<std::string> storedCell(int field, std::string_view value, std::uint64_t bytes,
                               std::size_t mostFieldBytes);

// The field as one item of the list syntax: names in quotes, other fields bare unless a comma or blanks at
// their ends need the quotes.
std::string listItem(int field, const std::string& stored);

} // namespace specialty
