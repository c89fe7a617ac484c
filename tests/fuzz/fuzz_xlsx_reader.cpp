// The workbook reader on any bytes: it ends, within its bounds, with rows or a reason; and what import
// makes of the rows reads back through the viewer's reader, one record a row that holds anything.
#include "catalogue/src/catalogue_file.h"
#include "fuzz_input.h"
#include "tools/spreadsheet/spreadsheet.h"
#include "tools/spreadsheet/table_rows.h"
#include "tools/spreadsheet/xlsx_reader.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace specialty;
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::size_t rows = 0;
    {
        QBuffer buffer(&bytes);
        Result<std::unique_ptr<TableRows>> workbook = openWorkbook(&buffer);
        if (!workbook) return 0;
        TableRow row;
        Result<bool> read = true;
        while ((read = workbook.value()->next(row)) && read.value()) {
            fuzz::require(!row.cells.empty() && row.cells.size() <= kMostKeptCells);
            bool holds = row.cellsBeyond > 0;
            for (const TableCell& cell : row.cells) {
                fuzz::require(cell.text.size() <= kMostCellBytes && cell.column >= 1 &&
                              cell.line == row.line);
                holds = holds || cell.bytes > 0;
            }
            fuzz::require(holds); // a row of empty cells is no row
            ++rows;
        }
        if (!read) return 0;
    }
    QBuffer buffer(&bytes);
    Result<std::unique_ptr<TableRows>> workbook = openWorkbook(&buffer);
    fuzz::require(workbook.ok());
    Result<std::string> catalogue = catalogueFromRows(*workbook.value(), "fuzz.xlsx", false, nullptr);
    if (!catalogue) return 0;
    CatalogueFile file;
    file.openMemory(catalogue.value());
    RawRecord raw;
    std::size_t records = 0;
    while (!file.atEnd() && file.readRecord(raw) == CatalogueFile::Read::Record && raw[kVehicleId] != "0")
        ++records;
    fuzz::require(records + 1 == rows); // the header row is no record
    return 0;
}
