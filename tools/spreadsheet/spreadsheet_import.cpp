#include "tools/spreadsheet/spreadsheet.h"

#include "catalogue/catalogue_record.h"
#include "catalogue/record_reader.h"
#include "catalogue/regular_file.h"
#include "catalogue/spreadsheet_texts.h"
#include "catalogue/vehicle_selection.h"
#include "tools/check/record_coverage.h"
#include "tools/spreadsheet/catalogue_text.h"
#include "tools/spreadsheet/csv_table.h"
#include "tools/spreadsheet/import_cell.h"
#include "tools/spreadsheet/spreadsheet_cell.h"
#include "tools/spreadsheet/workbook_cell.h"
#include "tools/spreadsheet/xlsx_reader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <deque>
#include <functional>
#include <optional>
#include <sys/stat.h>

namespace specialty {

namespace {

// The largest file import reads: far beyond any catalogue.
constexpr std::uint64_t kMostFileBytes = 512ull * 1024 * 1024;
// Faults named one by one before the rest are only counted.
constexpr std::size_t kMostFaultsNamed = 50;

bool isSpreadsheetFault(const Failure& failure) {
    return static_cast<int>(failure.fault) / 100 == static_cast<int>(Fault::SheetIsUtf16) / 100;
}

// Why the spreadsheet cannot be read on: the reader's own fault, or the one below it that stopped it.
Failure unreadable(const Failure& failure) {
    return isSpreadsheetFault(failure) ? failure : causedBy(Failure(Fault::SheetUnreadable), failure);
}

// `failure` as the one fault of the spreadsheet `file`, which stops import before a row is read.
Failure refusedWhole(Failure failure, const std::string& file, std::uint64_t line = 0) {
    failure = unreadable(failure);
    failure.file = file;
    failure.line = line;
    return sheetRefused(file, {failure}, 0);
}

// A fault found where the file holds `value` in `field`.
Failure cellFault(Fault fault, int field, std::string_view value) {
    Failure failure(fault);
    failure.field = field;
    failure.value = std::string(value);
    return failure;
}

Failure strayCell(std::string_view value) {
    Failure stray = cellFault(Fault::CellStray, 0, value);
    stray.limit = kRecordFields;
    return stray;
}

// Faults as they are found: the first ones in full, the rest counted.
class Faults {
  public:
    explicit Faults(const std::string& file) : file_(file) {}
    // `failure`, placed at `line` and `column` of the file unless it names its own place.
    void add(std::uint64_t line, std::uint64_t column, Failure failure) {
        if (named_.size() >= kMostFaultsNamed) {
            ++more_;
            return;
        }
        failure.file = file_;
        if (failure.line == 0) {
            failure.line = line;
            failure.column = column;
        }
        named_.push_back(std::move(failure));
    }
    void add(Failure failure) { add(0, 0, std::move(failure)); }
    bool any() const { return !named_.empty(); }
    std::vector<std::string> lines(bool error) const { return describeAllAt(named_, more_, error); }
    Failure refusal() const { return sheetRefused(file_, named_, more_); }

  private:
    const std::string& file_;
    std::vector<Failure> named_;
    std::uint64_t more_ = 0;
};

// A record's VehicleId, kept compactly to find the ones used twice: its hash picks the candidates, and the
// catalogue text written so far confirms them by their bytes.
struct VehicleIdSeen {
    std::uint64_t hash;
    std::uint32_t offset; // where the record begins in the catalogue text
    std::uint32_t line;
};

std::uint64_t hashOf(std::string_view text) {
    std::uint64_t h = 14695981039346656037ull; // FNV-1a
    for (char c : text)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h;
}

void warnDuplicates(std::deque<VehicleIdSeen>& seen, CatalogueText& catalogue, Faults& warnings) {
    std::sort(seen.begin(), seen.end(), [](const VehicleIdSeen& a, const VehicleIdSeen& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.line < b.line;
    });
    auto text = [&](const VehicleIdSeen& s) { return catalogue.vehicleIdAt(s.offset); };
    std::vector<std::pair<std::uint32_t, Failure>> found;
    for (std::size_t i = 0; i < seen.size();) {
        std::size_t end = i + 1;
        while (end < seen.size() && seen[end].hash == seen[i].hash)
            ++end;
        for (std::size_t j = i + 1; j < end; ++j)
            for (std::size_t k = i; k < j; ++k)
                if (text(seen[k]) == text(seen[j])) {
                    Failure twice = cellFault(Fault::VehicleIdUsedTwice, kVehicleId, text(seen[j]));
                    twice.count = seen[k].line;
                    found.emplace_back(seen[j].line, std::move(twice));
                    break;
                }
        i = end;
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [line, twice] : found)
        warnings.add(line, 1, twice);
}

// The header row, or the faults that say why the file is not what import reads.
bool headerFits(const TableRow& row, Faults& faults) {
    if (row.cells.size() == 1) { // one cell: maybe another separator
        for (char separator : {';', '\t'})
            if (row.cells[0].text.find(separator) != std::string::npos) {
                faults.add(row.line, 1,
                           cellFault(Fault::SheetNotCommaSeparated, 0, std::string(1, separator)));
                return false;
            }
    }
    if (const std::optional<std::string> index = scriptIndexHeader(row)) {
        faults.add(row.line, 1, cellFault(Fault::SheetIndexColumn, 0, *index));
        return false;
    }
    for (int f = 1; f <= kRecordFields; ++f) {
        const TableCell* cell = nullptr;
        for (const TableCell& c : row.cells)
            if (c.column == static_cast<std::uint64_t>(f)) cell = &c;
        if (cell == nullptr) {
            faults.add(row.line, 0, Failure(Fault::SheetHeaderMissing));
            return false;
        }
        const std::string misreadMark =
            "\xC3\xAF\xC2\xBB\xC2\xBF"; // a UTF-8 byte order mark read as Windows-1252
        if (f == 1 && cell->text == misreadMark + fieldName(f)) {
            Failure misread = cellFault(Fault::CellReadAsWindows1252, f, cell->text);
            misread.expected = "\xEF\xBB\xBF" + fieldName(f);
            faults.add(cell->line, cell->column, std::move(misread));
        } else if (cell->text != fieldName(f)) {
            faults.add(cell->line, cell->column, cellFault(Fault::SheetHeaderCellWrong, f, cell->text));
        }
    }
    if (row.cells.back().column > static_cast<std::uint64_t>(kRecordFields)) {
        const TableCell& stray = row.cells.back();
        faults.add(stray.line, stray.column, strayCell(stray.text));
    }
    return !faults.any();
}

} // namespace

namespace {

// Reads the rows into `catalogue`, all but its end record. Returns why nothing may be written: the faults
// found (a SheetRefused), or a failure of `catalogue`; nothing when the text is the catalogue.
// `numberCells`, when given, receives which text fields of each record a workbook held as number cells.
std::optional<Failure> importRows(TableRows& rows, const std::string& file, bool csv,
                                  std::vector<std::string>* warningLines, NumberCells* numberCells,
                                  CatalogueText& catalogue) {
    Faults faults(file);
    Faults warnings(file);
    auto refused = [&]() { return std::optional<Failure>(faults.refusal()); };
    auto stopped = [&](const Result<bool>& read) {
        faults.add(unreadable(read.error()));
        return refused();
    };
    const std::size_t mostFieldBytes = RecordReader().maxFieldBytes();

    TableRow row;
    Result<bool> read = rows.next(row);
    if (!read) return stopped(read);
    if (!read.value()) {
        faults.add(Failure(Fault::SheetHoldsNoRecord));
        return refused();
    }
    if (!headerFits(row, faults)) return refused();

    std::string line;
    std::deque<VehicleIdSeen> vehicleIds; // grows without copying what it holds
    RecordCoverage coverage;
    std::int64_t records = 0;  // written
    std::int64_t position = 0; // the row's record, from 0, whether or not it is written
    std::array<std::string, kRecordFields> stored;
    for (; (read = rows.next(row)) && read.value(); ++position) {
        const bool stray =
            !row.cells.empty() && row.cells.back().column > static_cast<std::uint64_t>(kRecordFields);
        if (!stray && csv && row.lastColumn < static_cast<std::uint64_t>(kRecordFields)) {
            Failure few(Fault::RowTooFewCells);
            few.count = static_cast<std::int64_t>(row.lastColumn);
            few.limit = kRecordFields;
            faults.add(row.line, 0, std::move(few));
            continue;
        }
        bool fine = true;
        std::uint32_t numberFields = 0; // the text fields the row holds as number cells
        for (int f = 1; f <= kRecordFields; ++f) {
            stored[static_cast<std::size_t>(f - 1)].clear();
            const TableCell* cell = nullptr;
            for (const TableCell& c : row.cells)
                if (c.column == static_cast<std::uint64_t>(f)) cell = &c;
            TableCell absent; // a workbook's row leaves its empty cells out: they are judged as empty
            if (cell == nullptr) {
                absent.line = row.line;
                absent.column = static_cast<std::uint64_t>(f);
                cell = &absent;
            }
            std::string_view value = csv ? unguardedCell(cell->text) : std::string_view(cell->text);
            std::uint64_t bytes = cell->bytes - (cell->text.size() - value.size());
            std::string shown;
            if (!cell->kind.empty() || cell->formula) { // a workbook's cell that is not plain text
                if (std::optional<Failure> refused = workbookCellRefusal(*cell, f, shown)) {
                    faults.add(cell->line, cell->column, std::move(*refused));
                    fine = false;
                    continue;
                }
                value = shown;
                bytes = shown.size();
                if (f != kYearFrom && f != kYearTo) numberFields |= 1u << (f - 1);
            }
            if (!csv && unguardedCell(value) != value) { // the CSV's guard, carried into a workbook
                faults.add(cell->line, cell->column, cellFault(Fault::CellGuardInWorkbook, f, value));
                fine = false;
                continue;
            }
            Result<std::string> text = storedCell(f, value, bytes, mostFieldBytes);
            if (!text) {
                faults.add(cell->line, cell->column, text.error());
                fine = false;
                continue;
            }
            stored[static_cast<std::size_t>(f - 1)] = std::move(text.value());
        }
        if (stray) {
            faults.add(row.cells.back().line, row.cells.back().column, strayCell(row.cells.back().text));
            continue;
        }
        if (!fine) continue;
        RawRecord raw;
        for (int f = 1; f <= kRecordFields; ++f)
            raw.field[static_cast<std::size_t>(f - 1)] = stored[static_cast<std::size_t>(f - 1)];
        const int from = *parseYear(raw[kYearFrom]);
        const int to = *parseYear(raw[kYearTo]);
        if (from > to) {
            Failure reversed(Fault::RecordYearsReversed);
            reversed.count = from;
            reversed.limit = to;
            faults.add(row.line, kYearFrom, std::move(reversed));
            continue;
        }
        if (std::optional<Failure> shadowed = coverage.add(raw, from, to, position)) {
            faults.add(row.line, 0, causedBy(Failure(Fault::RowNeverShown), std::move(*shadowed)));
            continue;
        }
        if (faults.any()) continue;         // nothing will be written: only the faults still count
        if (catalogue.size() <= UINT32_MAX) // beyond, VehicleIds are not compared
            vehicleIds.push_back({hashOf(stored[0]), static_cast<std::uint32_t>(catalogue.size()),
                                  static_cast<std::uint32_t>(std::min<std::uint64_t>(row.line, UINT32_MAX))});
        line.clear();
        for (int f = 1; f <= kRecordFields; ++f)
            line += (f > 1 ? "," : "") + listItem(f, stored[static_cast<std::size_t>(f - 1)]);
        if (!catalogue.append(line += "\r\n")) {
            if (std::optional<Failure> why = catalogue.failure()) return why;
            faults.add(row.line, 0, Failure(Fault::SheetOutOfMemory));
            return refused();
        }
        if (numberCells != nullptr && numberFields != 0) {
            numberCells->resize(static_cast<std::size_t>(records) + 1);
            numberCells->back() = numberFields;
        }
        ++records;
    }
    if (!read) return stopped(read);
    if (!faults.any() && records == 0) faults.add(Failure(Fault::SheetHoldsNoRecord));
    if (faults.any()) return refused();
    warnDuplicates(vehicleIds, catalogue, warnings);
    if (std::optional<Failure> why = catalogue.failure()) return why;
    if (warningLines != nullptr) *warningLines = warnings.lines(false);
    return std::nullopt;
}

const std::string kEndRecord = "0" + std::string(kRecordFields - 1, ',') + "\r\n";

// Reads the spreadsheet `path` into `catalogue` as importRows() does.
std::optional<Failure> importSpreadsheet(const std::string& path, std::vector<std::string>* warnings,
                                         NumberCells* numberCells, CatalogueText& catalogue) {
    const std::string suffix = ".xlsx";
    std::string lower = path.size() >= suffix.size() ? path.substr(path.size() - suffix.size()) : "";
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    if (lower == suffix) {
        Result<std::unique_ptr<TableRows>> workbook = openWorkbook(path);
        if (!workbook) return refusedWhole(workbook.error(), path);
        return importRows(*workbook.value(), path, false, warnings, numberCells, catalogue);
    }
    Result<std::string> start = readFileStart(path, 256);
    if (!start) return refusedWhole(start.error(), path);
    if (start.value().substr(0, 2) == "\xFF\xFE" || start.value().substr(0, 2) == "\xFE\xFF" ||
        start.value().find('\0') != std::string::npos)
        return refusedWhole(Failure(Fault::SheetIsUtf16), path, 1);
    RegularFile input;
    if (Status opened = input.open(path); !opened) return refusedWhole(opened.error(), path);
    std::uint64_t total = 0;
    Failure tooLarge(Fault::SheetTooLarge);
    tooLarge.limit = static_cast<std::int64_t>(kMostFileBytes);
    CsvReader rows([&](char* into, std::size_t most) -> Result<std::size_t> {
        Result<std::size_t> got = input.read(into, most);
        if (got && (total += got.value()) > kMostFileBytes) return Result<std::size_t>::failure(tooLarge);
        return got;
    });
    return importRows(rows, path, true, warnings, nullptr, catalogue);
}

} // namespace

Status spreadsheetExists(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) return Done{};
    return Status::failure(fileFault(Fault::SpreadsheetCannotBeRead, path, std::strerror(errno)));
}

Result<std::string> catalogueFromRows(TableRows& rows, const std::string& file, bool csv,
                                      std::vector<std::string>* warnings, NumberCells* numberCells) {
    TextInMemory catalogue;
    if (std::optional<Failure> why = importRows(rows, file, csv, warnings, numberCells, catalogue))
        return Result<std::string>::failure(*why);
    return catalogue.join(kEndRecord);
}

Result<std::string> catalogueFromCsv(std::string_view csv, const std::string& file,
                                     std::vector<std::string>* warnings) {
    if (csv.substr(0, 2) == "\xFF\xFE" || csv.substr(0, 2) == "\xFE\xFF" ||
        csv.substr(0, std::min<std::size_t>(csv.size(), 256)).find('\0') != std::string_view::npos)
        return Result<std::string>::failure(refusedWhole(Failure(Fault::SheetIsUtf16), file, 1));
    CsvReader rows(csv);
    return catalogueFromRows(rows, file, true, warnings);
}

Result<std::string> catalogueFromSpreadsheet(const std::string& path, std::vector<std::string>* warnings,
                                             NumberCells* numberCells) {
    TextInMemory catalogue;
    if (std::optional<Failure> why = importSpreadsheet(path, warnings, numberCells, catalogue))
        return Result<std::string>::failure(*why);
    return catalogue.join(kEndRecord);
}

Status catalogueFromSpreadsheet(const std::string& path, const std::string& into,
                                std::vector<std::string>* warnings, NumberCells* numberCells) {
    TextInFile catalogue(into);
    if (std::optional<Failure> why = importSpreadsheet(path, warnings, numberCells, catalogue))
        return Status::failure(*why);
    if (!catalogue.finish(kEndRecord)) return Status::failure(*catalogue.failure());
    return Done{};
}

} // namespace specialty
