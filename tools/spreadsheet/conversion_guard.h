// Whether a changed cell looks like a spreadsheet's reading of the old value rather than a maintainer's
// edit: a spreadsheet that takes a cell for a number or a date writes it back in its own form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace specialty {

// What the spreadsheet did ("leading zeros lost", "turned into a date", ...) when `after` is `before`
// written the way a spreadsheet writes a number or a date it has read from it; nothing for an edit.
//
// A conversion is: both are decimal numbers of the same value in different forms (leading zeros, a sign,
// a decimal part, an exponent), or `after` is `before` rounded to the 15 significant digits a spreadsheet
// keeps (or, in exponent form, to fewer), or `after` is a date or a time whose numbers include all of
// `before`'s numbers (a month name counting as its number).
std::optional<std::string> spreadsheetConversion(std::string_view before, std::string_view after);

// What `text` is shaped like when a spreadsheet could have written it from a value it converted: "shaped
// like a date", "shaped like a time", "shaped like a number in exponent form"; nothing for other text.
std::optional<std::string> convertedShape(std::string_view text);

// The number a spreadsheet reads in `text`, rounded to the 15 significant digits it keeps, written the same
// however `text` writes it ("0012", "12", "1.2E1" alike); empty for text that is no number.
std::string numberKey(std::string_view text);

} // namespace specialty
