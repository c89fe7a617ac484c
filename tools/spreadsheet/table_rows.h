// The rows of a spreadsheet as import reads them, one at a time, whatever the file's format: each row's
// first cells with where they stand, and how many cells lie beyond them, so that a row costs bounded memory
// however long the file's lines are.
#pragma once

#include "catalogue/result.h"
#include "tools/spreadsheet/number_format.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace specialty {

struct TableCell {
    std::string text;         // UTF-8; only its first kMostCellBytes bytes when `bytes` is larger
    std::uint64_t bytes = 0;  // how long the cell is in the file
    std::uint64_t line = 0;   // where it begins: the CSV line, or the workbook row
    std::uint64_t column = 0; // from 1
    bool formula = false;     // the workbook's cell holds a formula; `text` is its computed value
    std::string formulaText;  // the formula as written, without its "="; empty when the cell shares another's
    std::string kind;         // the workbook's cell type when it is not text ("n", "b", "e", "d")
    NumberFormat format;      // a number cell's number format
};

struct TableRow {
    std::uint64_t line = 0;        // the row's first line (CSV) or its row number (workbook)
    std::vector<TableCell> cells;  // at most kMostKeptCells
    std::uint64_t cellsBeyond = 0; // cells past those kept, counted only
    std::uint64_t lastColumn = 0;  // the row's width: the column of its last cell
};

// A cell's UTF-8 text is kept up to this length: four bytes a character cover any field the catalogue can
// read back, and anything longer is refused by its length alone.
constexpr std::size_t kMostCellBytes = 4 * 64 * 1024 + 4;
// Cells kept a row: the 23 fields and one more to quote when a row runs over.
constexpr std::size_t kMostKeptCells = 24;

// Adds a cell to the row: the fields' cells, then the first cell beyond them that holds anything; later
// ones that hold anything are counted.
void keepCell(TableRow& row, TableCell&& cell);

class TableRows {
  public:
    virtual ~TableRows() = default;
    // The next row that holds anything: true with `row` filled, false at the end, or a failure that says
    // why the file cannot be read on, and where (its line and column; 0 where it names no place).
    virtual Result<bool> next(TableRow& row) = 0;
};

} // namespace specialty
