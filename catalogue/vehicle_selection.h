// The fixed-width selection text a host passes: make, model, submodel and two years in 80 columns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace specialty {

// Columns of the selection text, counted from 1.
struct SelectionColumn {
    std::size_t first;
    std::size_t width;
};
constexpr SelectionColumn kMakeColumns{1, 14};
constexpr SelectionColumn kModelColumns{16, 21};
constexpr SelectionColumn kSubmodelColumns{38, 31};
constexpr SelectionColumn kYear1Columns{70, 5};
constexpr SelectionColumn kYear2Columns{76, 5};
constexpr std::size_t kSelectionWidth = 80;

// Fields of a selection, each the text of its columns without surrounding spaces. Views into the text.
struct VehicleSelection {
    std::string_view Make;
    std::string_view Model;
    std::string_view Submodel;
    std::string_view Year1;
    std::string_view Year2;
};

// Splits a selection (code-page text). A text shorter than 80 columns simply leaves fields short or empty.
VehicleSelection splitSelection(std::string_view text);

// Builds the 80-column text from its fields (each cut to its width and filled up with spaces).
std::string joinSelection(std::string_view make, std::string_view model, std::string_view submodel,
                          std::string_view year1, std::string_view year2);

// A year as the search converts it: an optional sign and decimal digits, blanks around them allowed,
// nothing else, within -32768 to 32767.
std::optional<std::int16_t> parseYear(std::string_view text);

// The name test: equal without regard to case, with the first `stars` "*" of the stored name read as
// double quotes (the catalogue's "*" rule, applied without copying the name).
bool sameName(std::string_view selection, std::string_view stored, int stars);

} // namespace specialty
