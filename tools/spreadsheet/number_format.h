// A workbook's number cell as the spreadsheet shows it: its stored value with its number format applied.
//
// The formats taken are those a number keeps its digits in: General, the built-in fixed, thousands and
// percent formats, and custom codes made of 0 # , . % (and "@"). Date and time formats are told apart so
// that a date's serial number is never taken for the text it shows; any other format is unknown here, and
// the cell's shown text with it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace specialty {

struct NumberFormat {
    int id = 0;       // the built-in number, or a workbook's own (164 and up)
    std::string code; // the workbook's own format code; empty for a built-in one
};

enum class ShownKind { Number, DateOrTime, Unknown };

struct ShownNumber {
    ShownKind kind = ShownKind::Unknown;
    std::string text; // the shown text, for Number
};

// `value` as the cell stores it ("1.6000000000000001", "46085", "1E-3"), in `format`, as an English-language
// spreadsheet shows it.
ShownNumber shownNumber(std::string_view value, const NumberFormat& format);

} // namespace specialty
