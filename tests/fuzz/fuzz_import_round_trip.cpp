// Whatever import accepts reads back record for record through the viewer's reader: each record's fields,
// the "*" rule applied and turned back into UTF-8, are the cells of its CSV row (less a guarding "'").
// The rows are split here by a plain reading of their own, not by import's streaming reader.
#include "catalogue/src/catalogue_file.h"
#include "catalogue/text_encoding.h"
#include "fuzz_input.h"
#include "tools/spreadsheet/spreadsheet.h"
#include "tools/spreadsheet/spreadsheet_cell.h"

#include <string>
#include <vector>

namespace {

// RFC 4180 the plain way: the whole text in memory, a row a vector. Empty lines are no rows.
std::vector<std::vector<std::string>> plainRows(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::vector<std::string>> rows;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '\r' || text[i] == '\n') {
            i += text.compare(i, 2, "\r\n") == 0 ? 2 : 1;
            continue;
        }
        std::vector<std::string> row(1);
        bool quoted = false;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            if (quoted) {
                if (c != '"')
                    row.back() += c;
                else if (i + 1 < text.size() && text[i + 1] == '"')
                    row.back() += text[++i];
                else
                    quoted = false;
            } else if (c == '"' && row.back().empty() &&
                       (i == 0 || text[i - 1] == ',' || text[i - 1] == '\n' || text[i - 1] == '\r')) {
                quoted = true;
            } else if (c == ',') {
                row.emplace_back();
            } else if (c == '\r' || c == '\n') {
                break;
            } else {
                row.back() += c;
            }
        }
        if (i < text.size()) i += text.compare(i, 2, "\r\n") == 0 ? 2 : 1;
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace specialty;
    fuzz::Input input(data, size);
    const std::string_view csv = input.rest();
    Result<std::string> catalogue = catalogueFromCsv(csv);
    if (!catalogue) return 0;
    const std::vector<std::vector<std::string>> rows = plainRows(csv);
    fuzz::require(rows.size() >= 2);

    CatalogueFile file;
    file.openMemory(catalogue.value());
    RawRecord raw;
    std::size_t row = 1;
    for (; !file.atEnd(); ++row) {
        fuzz::require(file.readRecord(raw) == CatalogueFile::Read::Record);
        if (raw[kVehicleId] == "0") break; // the end record
        fuzz::require(row < rows.size() && rows[row].size() >= static_cast<std::size_t>(kRecordFields));
        const CatalogueRecord record = decodeRecord(raw);
        for (int f = 1; f <= kRecordFields; ++f)
            fuzz::require(windows1252ToUtf8(record.field(f)) ==
                          unguardedCell(rows[row][static_cast<std::size_t>(f - 1)]));
    }
    fuzz::require(row == rows.size()); // every row a record, then the end record
    return 0;
}
