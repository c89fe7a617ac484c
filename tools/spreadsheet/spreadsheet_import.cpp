#include "spreadsheet/spreadsheet.h"

#include "catalogue_record.h"
#include "check/record_coverage.h"
#include "record_reader.h"
#include "regular_file.h"
#include "spreadsheet/csv_table.h"
#include "spreadsheet/import_cell.h"
#include "spreadsheet/spreadsheet_cell.h"
#include "spreadsheet/spreadsheet_messages.h"
#include "spreadsheet/xlsx_reader.h"
#include "vehicle_selection.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <functional>
#include <sys/mman.h>

namespace specialty {

namespace {

// The largest file import reads: far beyond any catalogue.
constexpr std::uint64_t kMostFileBytes = 512ull * 1024 * 1024;
// Faults named one by one before the rest are only counted.
constexpr std::size_t kMostFaultsNamed = 50;

// Faults as they are found: the first ones in full, the rest counted.
class Faults {
  public:
    Faults(const std::string& file, bool error) : file_(file), error_(error) {}
    void add(std::uint64_t line, std::uint64_t column, const std::string& message) {
        if (named_.size() < kMostFaultsNamed)
            named_.push_back(faultAt(file_, line, column, error_, message));
        else
            ++more_;
    }
    bool any() const { return !named_.empty(); }
    std::vector<std::string> lines() const {
        std::vector<std::string> all = named_;
        if (more_ > 0) all.push_back(moreFaults(more_));
        return all;
    }
    std::string joined() const {
        std::string text;
        for (const std::string& line : lines())
            text += (text.empty() ? "" : "\n") + line;
        return text;
    }

  private:
    const std::string& file_;
    bool error_;
    std::vector<std::string> named_;
    std::uint64_t more_ = 0;
};

// A record's VehicleId, kept compactly to find the ones used twice: its hash picks the candidates, and the
// catalogue text written so far confirms them by their bytes.
struct VehicleIdSeen {
    std::uint64_t hash;
    std::uint32_t offset; // where the record begins in the catalogue text
    std::uint32_t line;
};

// The catalogue text as it is written: blocks mapped straight from the system, joined once at the end into
// a string of the exact size, each block handed back as soon as it is copied. A string grown by doubling
// would hold its old and its new copy at once; blocks from the heap might not go back to the system.
class Blocks {
  public:
    static constexpr std::size_t kBlockBytes = 4 * 1024 * 1024;
    Blocks() = default;
    Blocks(const Blocks&) = delete;
    Blocks& operator=(const Blocks&) = delete;
    ~Blocks() {
        for (char* block : blocks_)
            ::munmap(block, kBlockBytes);
    }
    std::uint64_t size() const { return size_; }
    bool append(std::string_view text) {
        while (!text.empty()) {
            if (blocks_.empty() || used_ == kBlockBytes) {
                void* block =
                    ::mmap(nullptr, kBlockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
                if (block == MAP_FAILED) return false;
                blocks_.push_back(static_cast<char*>(block));
                used_ = 0;
            }
            const std::size_t n = std::min(text.size(), kBlockBytes - used_);
            std::memcpy(blocks_.back() + used_, text.data(), n);
            used_ += n;
            size_ += n;
            text.remove_prefix(n);
        }
        return true;
    }
    std::string join(std::string_view end) {
        std::string all;
        all.reserve(size_ + end.size());
        for (std::size_t i = 0; i < blocks_.size(); ++i) {
            all.append(blocks_[i], i + 1 < blocks_.size() ? kBlockBytes : used_);
            ::munmap(blocks_[i], kBlockBytes);
        }
        blocks_.clear();
        all.append(end);
        return all;
    }

  private:
    std::vector<char*> blocks_;
    std::size_t used_ = 0;
    std::uint64_t size_ = 0;
};

// The VehicleId of the record that begins at `offset` of the catalogue text, as stored.
std::string_view storedVehicleId(std::string_view catalogue, std::size_t offset) {
    const std::string_view record = catalogue.substr(offset);
    if (!record.empty() && record.front() == '"') return record.substr(1, record.find('"', 1) - 1);
    return record.substr(0, record.find(','));
}

std::uint64_t hashOf(std::string_view text) {
    std::uint64_t h = 14695981039346656037ull; // FNV-1a
    for (char c : text)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h;
}

void warnDuplicates(std::deque<VehicleIdSeen>& seen, const std::string& catalogue, Faults& warnings) {
    std::sort(seen.begin(), seen.end(), [](const VehicleIdSeen& a, const VehicleIdSeen& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.line < b.line;
    });
    auto text = [&](const VehicleIdSeen& s) { return storedVehicleId(catalogue, s.offset); };
    std::vector<std::pair<std::uint32_t, std::string>> found;
    for (std::size_t i = 0; i < seen.size();) {
        std::size_t end = i + 1;
        while (end < seen.size() && seen[end].hash == seen[i].hash)
            ++end;
        for (std::size_t j = i + 1; j < end; ++j)
            for (std::size_t k = i; k < j; ++k)
                if (text(seen[k]) == text(seen[j])) {
                    found.emplace_back(seen[j].line,
                                       duplicateVehicleId(std::string(text(seen[j])), seen[k].line));
                    break;
                }
        i = end;
    }
    std::sort(found.begin(), found.end());
    for (const auto& [line, message] : found)
        warnings.add(line, 1, message);
}

// The header row, or the faults that say why the file is not what import reads.
bool headerFits(const SheetRow& row, Faults& faults) {
    if (row.cells.size() == 1) { // one cell: maybe another separator
        for (char separator : {';', '\t'})
            if (row.cells[0].text.find(separator) != std::string::npos) {
                faults.add(row.line, 1, separatedBy(separator));
                return false;
            }
    }
    std::string names;
    for (int f = 1; f <= kRecordFields; ++f)
        names += (names.empty() ? "" : ",") + fieldName(f);
    for (int f = 1; f <= kRecordFields; ++f) {
        const SheetCell* cell = nullptr;
        for (const SheetCell& c : row.cells)
            if (c.column == static_cast<std::uint64_t>(f)) cell = &c;
        if (cell == nullptr) {
            faults.add(row.line, 0, headerExpected(names));
            return false;
        }
        const std::string misreadMark =
            "\xC3\xAF\xC2\xBB\xC2\xBF"; // a UTF-8 byte order mark read as Windows-1252
        if (f == 1 && cell->text == misreadMark + fieldName(f))
            faults.add(cell->line, cell->column,
                       utf8ReadAsWindows1252(fieldName(f), cell->text, "\xEF\xBB\xBF" + fieldName(f)));
        else if (cell->text != fieldName(f))
            faults.add(cell->line, cell->column, headerCellExpected(cell->text, fieldName(f)));
    }
    if (row.cells.back().column > static_cast<std::uint64_t>(kRecordFields)) {
        const SheetCell& stray = row.cells.back();
        faults.add(stray.line, stray.column, strayCell(stray.text, kRecordFields));
    }
    return !faults.any();
}

} // namespace

Result<std::string> catalogueFromRows(SheetRows& rows, const std::string& file, bool csv,
                                      std::vector<std::string>* warningLines) {
    Faults faults(file, true);
    Faults warnings(file, false);
    auto refused = [&]() { return Result<std::string>::failure(faults.joined()); };
    auto unreadable = [&](const Result<bool>& read) {
        faults.add(rows.failedLine(), rows.failedColumn(), read.reason());
        return refused();
    };
    const std::size_t mostFieldBytes = RecordReader().maxFieldBytes();

    SheetRow row;
    Result<bool> read = rows.next(row);
    if (!read) return unreadable(read);
    if (!read.value()) {
        faults.add(0, 0, noRecords());
        return refused();
    }
    if (!headerFits(row, faults)) return refused();

    Blocks catalogue;
    std::string line;
    std::deque<VehicleIdSeen> vehicleIds; // grows without copying what it holds
    RecordCoverage coverage;
    std::int64_t records = 0;
    std::array<std::string, kRecordFields> stored;
    while ((read = rows.next(row)) && read.value()) {
        const bool stray =
            !row.cells.empty() && row.cells.back().column > static_cast<std::uint64_t>(kRecordFields);
        if (!stray && csv && row.lastColumn < static_cast<std::uint64_t>(kRecordFields)) {
            faults.add(row.line, 0, tooFewCells(row.lastColumn, kRecordFields));
            continue;
        }
        bool fine = true;
        for (int f = 1; f <= kRecordFields; ++f) {
            stored[static_cast<std::size_t>(f - 1)].clear();
            const SheetCell* cell = nullptr;
            for (const SheetCell& c : row.cells) // a workbook's row leaves its empty cells out
                if (c.column == static_cast<std::uint64_t>(f)) cell = &c;
            if (cell == nullptr) continue;
            if (cell->formula || !cell->kind.empty()) {
                faults.add(cell->line, cell->column,
                           cell->formula ? formulaCell(cell->text) : cellKindRefused(cell->kind, cell->text));
                fine = false;
                continue;
            }
            const std::string_view value = csv ? unguardedCell(cell->text) : std::string_view(cell->text);
            if (!csv && unguardedCell(value) != value) { // the CSV's guard, carried into a workbook
                faults.add(cell->line, cell->column, guardInWorkbook(fieldName(f), value));
                fine = false;
                continue;
            }
            Result<std::string> text =
                storedCell(f, value, cell->bytes - (cell->text.size() - value.size()), mostFieldBytes);
            if (!text) {
                faults.add(cell->line, cell->column, text.reason());
                fine = false;
                continue;
            }
            stored[static_cast<std::size_t>(f - 1)] = std::move(text.value());
        }
        if (stray) {
            faults.add(row.cells.back().line, row.cells.back().column,
                       strayCell(row.cells.back().text, kRecordFields));
            continue;
        }
        if (!fine) continue;
        RawRecord raw;
        for (int f = 1; f <= kRecordFields; ++f)
            raw.field[static_cast<std::size_t>(f - 1)] = stored[static_cast<std::size_t>(f - 1)];
        const int from = *parseYear(raw[kYearFrom]);
        const int to = *parseYear(raw[kYearTo]);
        if (from > to) {
            faults.add(row.line, kYearFrom, yearsReversed(from, to));
            continue;
        }
        if (std::optional<Failure> shadowed = coverage.add(raw, from, to, records)) {
            faults.add(row.line, 0, describe(*shadowed));
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
            faults.add(row.line, 0, outOfMemory());
            return refused();
        }
        ++records;
    }
    if (!read) return unreadable(read);
    if (!faults.any() && records == 0) faults.add(0, 0, noRecords());
    if (faults.any()) return refused();
    std::string text = catalogue.join("0" + std::string(kRecordFields - 1, ',') + "\r\n"); // the end record
    warnDuplicates(vehicleIds, text, warnings);
    if (warningLines != nullptr) *warningLines = warnings.lines();
    return text;
}

Result<std::string> catalogueFromCsv(std::string_view csv, const std::string& file,
                                     std::vector<std::string>* warnings) {
    if (csv.substr(0, 2) == "\xFF\xFE" || csv.substr(0, 2) == "\xFE\xFF" ||
        csv.substr(0, std::min<std::size_t>(csv.size(), 256)).find('\0') != std::string_view::npos)
        return Result<std::string>::failure(faultAt(file, 1, 0, true, notUtf8ButUtf16()));
    CsvReader rows(csv);
    return catalogueFromRows(rows, file, true, warnings);
}

Result<std::string> catalogueFromSpreadsheet(const std::string& path, std::vector<std::string>* warnings) {
    const std::string suffix = ".xlsx";
    std::string lower = path.size() >= suffix.size() ? path.substr(path.size() - suffix.size()) : "";
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    if (lower == suffix) {
        Result<std::unique_ptr<SheetRows>> workbook = openWorkbook(path);
        if (!workbook) return Result<std::string>::failure(faultAt(path, 0, 0, true, workbook.reason()));
        return catalogueFromRows(*workbook.value(), path, false, warnings);
    }
    Result<std::string> start = readFileStart(path, 256);
    if (!start) return Result<std::string>::failure(faultAt(path, 0, 0, true, start.reason()));
    if (start.value().substr(0, 2) == "\xFF\xFE" || start.value().substr(0, 2) == "\xFE\xFF" ||
        start.value().find('\0') != std::string::npos)
        return Result<std::string>::failure(faultAt(path, 1, 0, true, notUtf8ButUtf16()));
    RegularFile input;
    if (Status opened = input.open(path); !opened)
        return Result<std::string>::failure(faultAt(path, 0, 0, true, opened.reason()));
    std::uint64_t total = 0;
    CsvReader rows([&](char* into, std::size_t most) -> Result<std::size_t> {
        Result<std::size_t> got = input.read(into, most);
        if (got && (total += got.value()) > kMostFileBytes)
            return Result<std::size_t>::failure(fileTooLarge(kMostFileBytes));
        return got;
    });
    return catalogueFromRows(rows, path, true, warnings);
}

} // namespace specialty
