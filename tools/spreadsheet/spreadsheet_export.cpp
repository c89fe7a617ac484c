#include "tools/spreadsheet/spreadsheet.h"

#include "catalogue/messages.h"
#include "catalogue/record_reader.h"
#include "catalogue/text_encoding.h"
#include "tools/spreadsheet/csv_table.h"
#include "tools/spreadsheet/spreadsheet_cell.h"

#include <vector>

namespace specialty {

Status
forEachExportRow(const std::string& catalogue,
                 const std::function<Status(std::int64_t position, const std::vector<std::string>&)>& row) {
    RecordReader file;
    if (Status opened = file.open(catalogue); !opened)
        return Status::failure(catalogueCannotBeOpened(catalogue, opened.error()));
    std::vector<std::string> cells;
    for (int f = 1; f <= kRecordFields; ++f)
        cells.push_back(fieldName(f));
    if (Status handed = row(-1, cells); !handed) return handed;
    RawRecord raw;
    for (std::int64_t position = 0; !file.atEnd(); ++position) {
        if (const RecordReader::Read read = file.readRecord(raw); read != RecordReader::Read::Record)
            return Status::failure(file.whyNoRecord(read, catalogue, position));
        if (raw[kVehicleId] == "0") break;
        const CatalogueRecord record = decodeRecord(raw); // Model and Submodel as the viewer shows them
        cells.clear();
        for (int f = 1; f <= kRecordFields; ++f)
            cells.push_back(windows1252ToUtf8(record.field(f)));
        if (Status handed = row(position, cells); !handed) return handed;
    }
    return Done{};
}

Status exportCsv(const std::string& catalogue, const std::function<Status(std::string_view)>& write) {
    constexpr std::size_t kPieceBytes = 256 * 1024; // what is held before it is handed on
    std::string csv = "\xEF\xBB\xBF";               // so that a spreadsheet reads the file as UTF-8
    csv.reserve(kPieceBytes + 4096);
    std::vector<std::string> guarded;
    Status exported = forEachExportRow(catalogue, [&](std::int64_t, const std::vector<std::string>& cells) {
        guarded.clear();
        for (const std::string& cell : cells)
            guarded.push_back(guardedCell(cell));
        csv += csvRow(guarded);
        if (csv.size() < kPieceBytes) return Status(Done{});
        Status handed = write(csv);
        csv.clear();
        return handed;
    });
    if (!exported) return exported;
    return write(csv);
}

Result<std::string> exportCsv(const std::string& catalogue) {
    std::string csv;
    const Status exported = exportCsv(catalogue, [&](std::string_view piece) {
        csv += piece;
        return Status(Done{});
    });
    if (!exported) return Result<std::string>::failure(exported.error());
    return csv;
}

} // namespace specialty
