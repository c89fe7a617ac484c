#include "tools/spreadsheet/spreadsheet_cell.h"

namespace specialty {

namespace {

constexpr std::string_view kFormulaStarts = "=+-@\t\r'";

bool startsFormula(std::string_view text) {
    return !text.empty() && kFormulaStarts.find(text.front()) != std::string_view::npos;
}

} // namespace

std::string guardedCell(std::string_view value) {
    return startsFormula(value) ? "'" + std::string(value) : std::string(value);
}

std::string_view unguardedCell(std::string_view cell) {
    return cell.size() >= 2 && cell.front() == '\'' && startsFormula(cell.substr(1)) ? cell.substr(1) : cell;
}

} // namespace specialty
