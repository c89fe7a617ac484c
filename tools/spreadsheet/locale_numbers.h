// The numbers a cell's text stands for in the forms spreadsheets of different languages and scripts write
// them: a decimal comma, thousands separators, a percent or a currency sign; and the markers scripts write
// for a missing value.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace specialty {

// One way to read a text as a number: the number written plainly ("1234.5", "50E-2"), and what that way
// takes the text's form for ("decimal comma", "thousands separator \".\"", "percent sign", ...).
struct NumberReading {
    std::string plain;
    std::string form;
};

// Every reading of `text` as a number in a form other than the plain one ([+-] digits [. digits]
// [E [+-] digits]); none for text that is no number in any of them.
std::vector<NumberReading> localeReadings(std::string_view text);

// `text` without the separators and signs a converter drops ("1,5" -> "15", "€5" -> "5"), when it holds
// any of them and only those besides digits; empty otherwise.
std::string withoutSeparatorsAndSigns(std::string_view text);

// Whether `text` is a marker a script writes or reads for a missing value ("NA", "n/a", "null", "NaN",
// "None", ...).
bool isMissingValueMarker(std::string_view text);

} // namespace specialty
