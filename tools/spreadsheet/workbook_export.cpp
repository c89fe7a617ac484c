// The catalogue as a workbook that a spreadsheet cannot reinterpret: text cells in text-formatted columns.
#include "tools/spreadsheet/spreadsheet.h"
#include "tools/spreadsheet/spreadsheet_fault.h"

#include "catalogue/catalogue_record.h"

#include <QTemporaryDir>

#include <algorithm>
#include <xlsxwriter.h>

namespace specialty {

namespace {

constexpr std::size_t kWidestColumn = 60; // characters; a longer cell wraps its column no wider
constexpr const char* kTextFormat = "@";  // the number format that keeps what is typed as text

// The characters a cell shows: its UTF-8 code points.
std::size_t shownWidth(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

Failure cellRefused(std::int64_t position, int field, lxw_error error) {
    Failure refused(error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED ? SpreadsheetFault::WorkbookCellTooLong
                    : error == LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE
                        ? SpreadsheetFault::WorkbookTooManyRows
                        : SpreadsheetFault::WorkbookCellRefused);
    refused.record = position;
    refused.field = field;
    refused.why = lxw_strerror(error);
    return refused;
}

Status writeWorkbook(const std::string& catalogue, const std::string& file) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE; // rows stream through a temporary file, whatever the catalogue's size
    lxw_workbook* book = workbook_new_opt(file.c_str(), &options);
    if (book == nullptr) return Status::failure(fileFault(SpreadsheetFault::WorkbookCannotStart, file));
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Catalogue");
    lxw_format* text = workbook_add_format(book);
    format_set_num_format(text, kTextFormat);
    lxw_format* heading = workbook_add_format(book);
    format_set_num_format(heading, kTextFormat);
    format_set_bold(heading);
    worksheet_freeze_panes(sheet, 1, 0);

    std::vector<std::size_t> widths(kRecordFields, 0);
    lxw_row_t row = 0;
    Status exported =
        forEachExportRow(catalogue, [&](std::int64_t position, const std::vector<std::string>& cells) {
            for (std::size_t c = 0; c < cells.size(); ++c) {
                // An empty cell is left out: the column's format is the same, and import reads it as empty.
                if (cells[c].empty()) continue;
                const lxw_error error = worksheet_write_string(sheet, row, static_cast<lxw_col_t>(c),
                                                               cells[c].c_str(), row == 0 ? heading : text);
                if (error != LXW_NO_ERROR)
                    return Status::failure(cellRefused(position, static_cast<int>(c) + 1, error));
                widths[c] = std::max(widths[c], shownWidth(cells[c]));
            }
            ++row;
            return Status(Done{});
        });
    if (!exported) {
        lxw_workbook_free(book);
        return exported;
    }
    for (std::size_t c = 0; c < widths.size(); ++c)
        worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                             static_cast<double>(std::min(widths[c] + 2, kWidestColumn)), text);
    if (const lxw_error closed = workbook_close(book); closed != LXW_NO_ERROR)
        return Status::failure(
            fileFault(SpreadsheetFault::WorkbookCannotBeWritten, file, lxw_strerror(closed)));
    return Done{};
}

} // namespace

bool namesWorkbook(std::string_view path) {
    constexpr std::string_view suffix = ".xlsx";
    if (path.size() < suffix.size()) return false;
    const std::string_view end = path.substr(path.size() - suffix.size());
    return std::equal(end.begin(), end.end(), suffix.begin(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b; });
}

Status exportWorkbook(const std::string& catalogue, OutputFile& output) {
    // An ordinary file: the workbook is written straight into the temporary file that replaces it.
    if (output.replaces()) return writeWorkbook(catalogue, output.temporaryPath());
    // A device or a FIFO: the workbook needs a file of its own first, then its bytes go out in order.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return Status::failure(
            fileFault(SpreadsheetFault::WorkbookNoScratchFolder, {}, scratch.errorString().toStdString()));
    const std::string file = scratch.filePath("catalogue.xlsx").toStdString();
    if (Status written = writeWorkbook(catalogue, file); !written) return written;
    return output.copyFrom(file);
}

} // namespace specialty
