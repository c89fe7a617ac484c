#include "tools/spreadsheet/workbook_cell.h"
#include "tools/spreadsheet/spreadsheet_fault.h"

#include "catalogue/catalogue_record.h"

namespace specialty {

namespace {

Failure cellFault(SpreadsheetFault fault, int field, std::string value) {
    Failure failure(fault);
    failure.field = field;
    failure.value = std::move(value);
    return failure;
}

// Why import does not take a cell that is no text.
SpreadsheetFault refusedKind(const TableCell& cell) {
    if (cell.formula) return SpreadsheetFault::CellFormula;
    return cell.kind == "b"   ? SpreadsheetFault::CellTrueOrFalse
           : cell.kind == "e" ? SpreadsheetFault::CellErrorValue
                              : SpreadsheetFault::CellDate;
}

} // namespace

std::optional<Failure> workbookCellRefusal(const TableCell& cell, int field, std::string& shown) {
    if (cell.formula || cell.kind != "n") {
        // Shown the way the spreadsheet shows it: a formula by its text, a true-or-false cell as TRUE or
        // FALSE.
        const bool truth = cell.kind == "b" && !cell.formula;
        Failure refused =
            cellFault(refusedKind(cell), field, truth ? (cell.text == "0" ? "FALSE" : "TRUE") : cell.text);
        if (cell.formula && !cell.formulaText.empty()) refused.expected = "=" + cell.formulaText;
        return refused;
    }
    const ShownNumber number = shownNumber(cell.text, cell.format);
    if (number.kind == ShownKind::DateOrTime) return cellFault(SpreadsheetFault::CellDate, field, cell.text);
    if (number.kind == ShownKind::Unknown) {
        Failure unread = cellFault(SpreadsheetFault::CellNumberFormatUnread, field, cell.text);
        unread.expected = cell.format.code;
        unread.count = cell.format.id;
        return unread;
    }
    // "1.600" here is "1,600" in German: what the cell shows depends on who opens it.
    if (number.text.find_first_of(".,") != std::string::npos)
        return cellFault(SpreadsheetFault::CellNumberShownByLanguage, field, number.text);
    shown = number.text;
    return std::nullopt;
}

std::optional<std::string> scriptIndexHeader(const TableRow& row) {
    const TableCell* first = row.cells.empty() || row.cells[0].column != 1 ? nullptr : &row.cells[0];
    const std::string text = first != nullptr ? first->text : std::string();
    if (!text.empty() && text.rfind("Unnamed: ", 0) != 0) return std::nullopt;
    int named = 0;
    for (const TableCell& c : row.cells)
        if (c.column >= 2 && c.column <= static_cast<std::uint64_t>(kRecordFields) + 1 &&
            c.text == fieldName(static_cast<int>(c.column) - 1))
            ++named;
    if (named != kRecordFields) return std::nullopt;
    return text;
}

} // namespace specialty
