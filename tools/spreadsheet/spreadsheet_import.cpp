#include "tools/spreadsheet/spreadsheet.h"
#include "tools/spreadsheet/spreadsheet_fault.h"

#include "catalogue/catalogue_record.h"
#include "catalogue/record_reader.h"
#include "catalogue/regular_file.h"
#include "catalogue/vehicle_selection.h"
#include "tools/check/record_coverage.h"
#include "tools/spreadsheet/catalogue_text.h"
#include "tools/spreadsheet/csv_table.h"
#include "tools/spreadsheet/import_cell.h"
#include "tools/spreadsheet/spreadsheet_cell.h"
#include "tools/spreadsheet/spreadsheet_texts.h"
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
    return failure.fault.of<SpreadsheetFault>();
}

// Why the spreadsheet cannot be read on: the reader's own fault, or the one below it that stopped it.
Failure unreadable(const Failure& failure) {
    return isSpreadsheetFault(failure) ? failure
                                       : causedBy(Failure(SpreadsheetFault::SheetUnreadable), failure);
}

// `failure` as the one fault of the spreadsheet `file`, which stops import before a row is read.
Failure refusedWhole(Failure failure, const std::string& file, std::uint64_t line = 0) {
    failure = unreadable(failure);
    failure.file = file;
    failure.line = line;
    return sheetRefused(file, {failure}, 0);
}

// A fault found where the file holds `value` in `field`.
Failure cellFault(SpreadsheetFault fault, int field, std::string_view value) {
    Failure failure(fault);
    failure.field = field;
    failure.value = std::string(value);
    return failure;
}

Failure strayCell(std::string_view value) {
    Failure stray = cellFault(SpreadsheetFault::CellStray, 0, value);
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
                    Failure twice =
                        cellFault(SpreadsheetFault::VehicleIdUsedTwice, kVehicleId, text(seen[j]));
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
                           cellFault(SpreadsheetFault::SheetNotCommaSeparated, 0, std::string(1, separator)));
                return false;
            }
    }
    if (const std::optional<std::string> index = scriptIndexHeader(row)) {
        faults.add(row.line, 1, cellFault(SpreadsheetFault::SheetIndexColumn, 0, *index));
        return false;
    }
    for (int f = 1; f <= kRecordFields; ++f) {
        const TableCell* cell = nullptr;
        for (const TableCell& c : row.cells)
            if (c.column == static_cast<std::uint64_t>(f)) cell = &c;
        if (cell == nullptr) {
            faults.add(row.line, 0, Failure(SpreadsheetFault::SheetHeaderMissing));
            return false;
        }
        const std::string misreadMark =
            "\xC3\xAF\xC2\xBB\xC2\xBF"; // a UTF-8 byte order mark read as Windows-1252
        if (f == 1 && cell->text == misreadMark + fieldName(f)) {
            Failure misread = cellFault(SpreadsheetFault::CellReadAsWindows1252, f, cell->text);
            misread.expected = "\xEF\xBB\xBF" + fieldName(f);
            faults.add(cell->line, cell->column, std::move(misread));
        } else if (cell->text != fieldName(f)) {
            faults.add(cell->line, cell->column,
                       cellFault(SpreadsheetFault::SheetHeaderCellWrong, f, cell->text));
        }
    }
    if (row.cells.back().column > static_cast<std::uint64_t>(kRecordFields)) {
        const TableCell& stray = row.cells.back();
        faults.add(stray.line, stray.column, strayCell(stray.text));
    }
    return !faults.any();
}

// A row's cell in field `f`; a workbook's row leaves its empty cells out, and they are judged as empty.
const TableCell& cellOf(const TableRow& row, int f, TableCell& absent) {
    const TableCell* cell = nullptr;
    for (const TableCell& c : row.cells)
        if (c.column == static_cast<std::uint64_t>(f)) cell = &c;
    if (cell != nullptr) return *cell;
    absent = TableCell();
    absent.line = row.line;
    absent.column = static_cast<std::uint64_t>(f);
    return absent;
}

// The rows read one by one into the catalogue text, with the faults that keep it from being written and the
// warnings that do not.
class RowImport {
  public:
    RowImport(const std::string& file, bool csv, NumberCells* numberCells, CatalogueText& catalogue)
        : faults_(file), warnings_(file), csv_(csv), numberCells_(numberCells), catalogue_(catalogue) {}

    // The header row (or nothing at the end of `rows`): whether import reads on.
    bool header(const Result<bool>& read, const TableRow& row) {
        if (!read.value()) {
            faults_.add(Failure(SpreadsheetFault::SheetHoldsNoRecord));
            return false;
        }
        return headerFits(row, faults_);
    }

    // A record's row; false when import must stop here (see notWritten()).
    bool record(const TableRow& row) {
        const std::int64_t position = position_++;
        const bool stray =
            !row.cells.empty() && row.cells.back().column > static_cast<std::uint64_t>(kRecordFields);
        if (!stray && !wideEnough(row)) return true;
        const bool fine = storeCells(row);
        if (stray) {
            faults_.add(row.cells.back().line, row.cells.back().column, strayCell(row.cells.back().text));
            return true;
        }
        if (!fine || !shown(row, position)) return true;
        if (faults_.any()) return true; // nothing will be written: only the faults still count
        return write(row);
    }

    // The end of the rows: why nothing may be written, or nothing when the text is the catalogue.
    std::optional<Failure> finish(std::vector<std::string>* warningLines) {
        if (!faults_.any() && records_ == 0) faults_.add(Failure(SpreadsheetFault::SheetHoldsNoRecord));
        if (faults_.any()) return faults_.refusal();
        warnDuplicates(vehicleIds_, catalogue_, warnings_);
        if (std::optional<Failure> why = catalogue_.failure()) return why;
        if (warningLines != nullptr) *warningLines = warnings_.lines(false);
        return std::nullopt;
    }

    // The refusal of the faults found.
    Failure refused() const { return faults_.refusal(); }
    // Import stopped where the rows could not be read on: `read` says why.
    Failure unreadableAt(const Result<bool>& read) {
        faults_.add(unreadable(read.error()));
        return faults_.refusal();
    }
    // Import stopped where record() could not write: why the catalogue failed, or a refusal.
    Failure notWritten() const {
        if (std::optional<Failure> why = catalogue_.failure()) return *why;
        return faults_.refusal();
    }

  private:
    // A CSV row holds every field's cell, empty or not.
    bool wideEnough(const TableRow& row) {
        if (!csv_ || row.lastColumn >= static_cast<std::uint64_t>(kRecordFields)) return true;
        Failure few(SpreadsheetFault::RowTooFewCells);
        few.count = static_cast<std::int64_t>(row.lastColumn);
        few.limit = kRecordFields;
        faults_.add(row.line, 0, std::move(few));
        return false;
    }

    // Each field's cell as the catalogue stores it, into stored_; false when a cell is refused.
    bool storeCells(const TableRow& row) {
        bool fine = true;
        numberFields_ = 0;
        for (int f = 1; f <= kRecordFields; ++f) {
            std::string& stored = stored_[static_cast<std::size_t>(f - 1)];
            stored.clear();
            TableCell absent;
            const TableCell& cell = cellOf(row, f, absent);
            if (std::optional<Failure> refused = storeCell(cell, f, stored)) {
                faults_.add(cell.line, cell.column, std::move(*refused));
                fine = false;
            }
        }
        return fine;
    }

    std::optional<Failure> storeCell(const TableCell& cell, int f, std::string& stored) {
        std::string_view value = csv_ ? unguardedCell(cell.text) : std::string_view(cell.text);
        std::uint64_t bytes = cell.bytes - (cell.text.size() - value.size());
        std::string shown;
        if (!cell.kind.empty() || cell.formula) { // a workbook's cell that is not plain text
            if (std::optional<Failure> refused = workbookCellRefusal(cell, f, shown)) return refused;
            value = shown;
            bytes = shown.size();
            if (f != kYearFrom && f != kYearTo) numberFields_ |= 1u << (f - 1);
        }
        if (!csv_ && unguardedCell(value) != value) // the CSV's guard, carried into a workbook
            return cellFault(SpreadsheetFault::CellGuardInWorkbook, f, value);
        Result<std::string> text = storedCell(f, value, bytes, mostFieldBytes_);
        if (!text) return text.error();
        stored = std::move(text.value());
        return std::nullopt;
    }

    // Whether the record's years are in order and some of them find it, so that the viewer can show it.
    bool shown(const TableRow& row, std::int64_t position) {
        RawRecord raw;
        for (int f = 1; f <= kRecordFields; ++f)
            raw.field[static_cast<std::size_t>(f - 1)] = stored_[static_cast<std::size_t>(f - 1)];
        const int from = *parseYear(raw[kYearFrom]);
        const int to = *parseYear(raw[kYearTo]);
        if (from > to) {
            Failure reversed(SpreadsheetFault::RecordYearsReversed);
            reversed.count = from;
            reversed.limit = to;
            faults_.add(row.line, kYearFrom, std::move(reversed));
            return false;
        }
        if (std::optional<Failure> shadowed = coverage_.add(raw, from, to, position)) {
            faults_.add(row.line, 0,
                        causedBy(Failure(SpreadsheetFault::RowNeverShown), std::move(*shadowed)));
            return false;
        }
        return true;
    }

    // Writes the record; false when the catalogue cannot take it.
    bool write(const TableRow& row) {
        if (catalogue_.size() <= UINT32_MAX) // beyond, VehicleIds are not compared
            vehicleIds_.push_back(
                {hashOf(stored_[0]), static_cast<std::uint32_t>(catalogue_.size()),
                 static_cast<std::uint32_t>(std::min<std::uint64_t>(row.line, UINT32_MAX))});
        line_.clear();
        for (int f = 1; f <= kRecordFields; ++f)
            line_ += (f > 1 ? "," : "") + listItem(f, stored_[static_cast<std::size_t>(f - 1)]);
        if (!catalogue_.append(line_ += "\r\n")) {
            if (!catalogue_.failure()) faults_.add(row.line, 0, Failure(SpreadsheetFault::SheetOutOfMemory));
            return false;
        }
        if (numberCells_ != nullptr && numberFields_ != 0) {
            numberCells_->resize(static_cast<std::size_t>(records_) + 1);
            numberCells_->back() = numberFields_;
        }
        ++records_;
        return true;
    }

    Faults faults_;
    Faults warnings_;
    bool csv_;
    NumberCells* numberCells_;
    CatalogueText& catalogue_;
    const std::size_t mostFieldBytes_ = RecordReader().maxFieldBytes();
    std::deque<VehicleIdSeen> vehicleIds_; // grows without copying what it holds
    RecordCoverage coverage_;
    std::int64_t records_ = 0;  // written
    std::int64_t position_ = 0; // the next row's record, from 0, whether or not it is written
    std::array<std::string, kRecordFields> stored_;
    std::uint32_t numberFields_ = 0; // the text fields the row holds as number cells
    std::string line_;
};

// Reads the rows into `catalogue`, all but its end record. Returns why nothing may be written: the faults
// found (a SheetRefused), or a failure of `catalogue`; nothing when the text is the catalogue.
// `numberCells`, when given, receives which text fields of each record a workbook held as number cells.
std::optional<Failure> importRows(TableRows& rows, const std::string& file, bool csv,
                                  std::vector<std::string>* warningLines, NumberCells* numberCells,
                                  CatalogueText& catalogue) {
    RowImport import(file, csv, numberCells, catalogue);
    TableRow row;
    Result<bool> read = rows.next(row);
    if (!read) return import.unreadableAt(read);
    if (!import.header(read, row)) return import.refused();
    while ((read = rows.next(row)) && read.value())
        if (!import.record(row)) return import.notWritten();
    if (!read) return import.unreadableAt(read);
    return import.finish(warningLines);
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
        return refusedWhole(Failure(SpreadsheetFault::SheetIsUtf16), path, 1);
    RegularFile input;
    if (Status opened = input.open(path); !opened) return refusedWhole(opened.error(), path);
    std::uint64_t total = 0;
    Failure tooLarge(SpreadsheetFault::SheetTooLarge);
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
    return Status::failure(fileFault(SpreadsheetFault::SpreadsheetCannotBeRead, path, std::strerror(errno)));
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
        return Result<std::string>::failure(refusedWhole(Failure(SpreadsheetFault::SheetIsUtf16), file, 1));
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
