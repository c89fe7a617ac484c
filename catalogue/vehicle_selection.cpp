#include "vehicle_selection.h"

#include "catalogue_record.h"
#include "src/byte_scan.h"
#include "text_encoding.h"

namespace specialty {

namespace {

std::string_view columns(std::string_view text, SelectionColumn c) {
    std::size_t from = c.first - 1;
    if (from >= text.size()) return {};
    std::string_view field = text.substr(from, c.width);
    std::size_t first = field.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    std::size_t last = field.find_last_not_of(' ');
    return field.substr(first, last - first + 1);
}

// Writes a value into its columns of a line of spaces, cut to the columns' width.
void putColumns(std::string& line, SelectionColumn c, std::string_view value) {
    std::string_view fitted = value.substr(0, c.width);
    line.replace(c.first - 1, fitted.size(), fitted);
}

} // namespace

VehicleSelection splitSelection(std::string_view text) {
    return VehicleSelection{columns(text, kMakeColumns), columns(text, kModelColumns),
                            columns(text, kSubmodelColumns), columns(text, kYear1Columns),
                            columns(text, kYear2Columns)};
}

std::string joinSelection(std::string_view make, std::string_view model, std::string_view submodel,
                          std::string_view year1, std::string_view year2) {
    std::string line(kSelectionWidth, ' ');
    putColumns(line, kMakeColumns, make);
    putColumns(line, kModelColumns, model);
    putColumns(line, kSubmodelColumns, submodel);
    putColumns(line, kYear1Columns, year1);
    putColumns(line, kYear2Columns, year2);
    return line;
}

std::optional<std::int16_t> parseYear(std::string_view text) {
    std::size_t i = 0, n = text.size();
    while (i < n && isListBlank(text[i]))
        ++i;
    while (n > i && isListBlank(text[n - 1]))
        --n;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == n) return std::nullopt;
    long value = 0;
    for (; i < n; ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 32768) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 32767) return std::nullopt;
    return static_cast<std::int16_t>(value);
}

bool sameName(std::string_view selection, std::string_view stored, int stars) {
    if (selection.size() != stored.size()) return false;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const auto c = static_cast<unsigned char>(withStarRule(stored[i], stars));
        if (!sameLetterIgnoringCase(static_cast<unsigned char>(selection[i]), c)) return false;
    }
    return true;
}

} // namespace specialty
