#include "check/catalogue_check.h"

#include "check/finding_stream.h"
#include "check/line_counter.h"
#include "check/line_layout.h"
#include "check/line_records.h"
#include "check/part_files.h"
#include "check/record_coverage.h"
#include "check/string_set.h"
#include "data_folder.h"
#include "messages.h"
#include "record_reader.h"
#include "regular_file.h"
#include "text_encoding.h"
#include "vehicle_search.h"
#include "vehicle_selection.h"

#include <algorithm>
#include <cstring>

namespace specialty {

namespace {

std::string at(std::int64_t position) {
    return recordNumbered(position);
}

struct NameColumn {
    int field;
    std::size_t width;
};
constexpr NameColumn kNameColumns[] = {{kMake, 14}, {kModel, 21}, {kSubmodel, 31}};

// A record kept until the next one has begun: its fields' bytes end to end in one buffer that is reused
// from record to record, and views of them, so keeping a record costs no allocation.
struct PendingRecord {
    bool valid = false;
    bool startedInStep = false;
    std::string bytes;
    RawRecord raw;
    std::uint64_t line[kRecordFields] = {};
    RecordCoverage::NameOffsets names{};
    std::int64_t position = 0;

    // The reader's views of one record lie in order in one buffer: the stretch they span is copied once.
    void keep(const RawRecord& read) {
        const char* const first = read.field.front().data();
        const char* const last = read.field.back().data() + read.field.back().size();
        bytes.assign(first, static_cast<std::size_t>(last - first));
        for (std::size_t i = 0; i < read.field.size(); ++i)
            raw.field[i] = std::string_view(bytes).substr(
                static_cast<std::size_t>(read.field[i].data() - first), read.field[i].size());
    }
};

// Field `number` as the viewer reads it (the "*" rule applied), for messages.
std::string shownField(const RawRecord& raw, int number) {
    if (number == kModel) return decodeStars(raw[number], kModelStars);
    if (number == kSubmodel) return decodeStars(raw[number], kSubmodelStars);
    return std::string(raw[number]);
}

// Why no selection can match a name in columns `width` wide, or empty when one can. A selection's columns
// lose their blanks at both ends, and a character the code page lacks comes as a byte that never matches.
std::string unmatchable(std::string_view name, std::size_t width) {
    if (name.size() > width) // the "*" rule keeps the length
        return "is longer than " + std::to_string(width) + " characters";
    if (!name.empty() && (name.front() == ' ' || name.back() == ' '))
        return "begins or ends with a blank, which a selection's columns drop";
    if (name.find(static_cast<char>(kUnmappable)) != std::string_view::npos)
        return "holds the byte 0x81, which no selection can hold";
    return {};
}

// What the VehicleIds seen may cost, kept whole to find one used twice.
constexpr std::size_t kMostVehicleIdBytes = 8 * 1024 * 1024;

// The first selection column is 5 wide: no year below this can be asked for.
constexpr int kLowestSelectionYear = -9999;

// True when a byte of `text` is not ASCII: only such text can be UTF-8 other than ASCII.
bool hasHighBytes(std::string_view text) {
    std::uint64_t any = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        any |= word;
    }
    for (; i < text.size(); ++i)
        any |= static_cast<unsigned char>(text[i]);
    return (any & 0x8080808080808080ULL) != 0;
}

} // namespace

CheckReport checkCatalogue(const std::string& dataFolder, const PictureProblem& pictureProblem) {
    std::vector<Finding> findings;
    CheckReport report =
        checkCatalogue(dataFolder, pictureProblem, [&](const Finding& f) { findings.push_back(f); });
    report.findings = std::move(findings);
    return report;
}

CheckReport checkCatalogue(const std::string& dataFolder, const PictureProblem& pictureProblem,
                           const FindingSink& sink) {
    CheckReport report;
    const std::string path = dataFolder + std::string(kCatalogueName);
    FindingStream out(sink);
    auto add = [&](Finding::Level level, std::uint64_t line, std::string message) {
        out.add({level, path, line, std::move(message)});
    };

    LineCounter lines;
    RecordReader file;
    Status opened = lines.open(path);
    if (opened) opened = file.open(path);
    if (!opened) {
        report.failure = describe(catalogueCannotBeOpened(path, opened.error()));
        return report;
    }
    // A start that cannot be read is reported by the reading of the records, which fails on it as well.
    if (Result<std::string> start = readFileStart(path, 3); start && start.value() == "\xEF\xBB\xBF")
        add(Finding::Level::Error, 1,
            "the file begins with a UTF-8 byte order mark: the viewer reads it as part of the first "
            "VehicleId "
            "(\"\xC3\xAF\xC2\xBB\xC2\xBF...\"); save the catalogue as Windows-1252, without it");
    LineLayout layout(out, path);
    RecordCoverage coverage(path);
    bool coverageFull = false;
    StringSet vehicleIds(kMostVehicleIdBytes); // each with the record and line that first used it
    bool vehicleIdsFull = false;
    PartFiles parts(dataFolder, pictureProblem, out, path);

    // A record is checked once the next one has begun: only then is it known whether it ended where its
    // last line ends, and so is what its lines say.
    PendingRecord pending;
    // Judges one record. `mark` begins every finding about a record judged as its line reads, after a
    // shift.
    std::string mark;
    auto judge = [&](const RawRecord& record, std::int64_t position, const std::uint64_t* fieldLine,
                     bool mayHoldUtf8, const RecordCoverage::NameOffsets& names) {
        auto add = [&](Finding::Level level, std::uint64_t line, std::string message) {
            out.add({level, path, line, mark + std::move(message)});
        };
        for (int f = 1; f <= kRecordFields && mayHoldUtf8; ++f) {
            if (!looksLikeUtf8(record[f])) continue; // the "*" rule changes no byte that UTF-8 is made of
            const std::string text = shownField(record, f);
            add(Finding::Level::Error, fieldLine[f - 1],
                fieldName(f) + " " + specialty::quoted(text) + " of " + at(position) + " is UTF-8 text (" +
                    specialty::quotedUtf8(text) +
                    "), which the viewer reads as Windows-1252: save the catalogue "
                    "as Windows-1252");
            break; // one finding a record is enough to show the file was saved in the wrong encoding
        }
        bool findable = true;
        for (const NameColumn& column : kNameColumns) {
            const std::string why = unmatchable(record[column.field], column.width);
            if (why.empty()) continue;
            findable = false;
            add(Finding::Level::Error, fieldLine[column.field - 1],
                fieldName(column.field) + " " + specialty::quoted(shownField(record, column.field)) + " of " +
                    at(position) + " " + why + ": no selection can match it");
        }
        const auto from = parseYear(record[kYearFrom]);
        const auto to = parseYear(record[kYearTo]);
        for (auto [field, year] : {std::pair{kYearFrom, &from}, std::pair{kYearTo, &to}})
            if (!*year)
                add(Finding::Level::Error, fieldLine[field - 1],
                    "the year " + fieldName(field) + " of " + at(position) + " (" +
                        specialty::quoted(shownField(record, field)) +
                        ") is not a whole number from -32768 to 32767: a search for its vehicle fails");
        if (from && to && *from > *to)
            add(Finding::Level::Error, fieldLine[0],
                at(position) + " runs from " + std::to_string(*from) + " to " + std::to_string(*to) +
                    ": no year lies in that range, so no selection finds it");
        if (from && to && *from <= *to && *to < kLowestSelectionYear)
            add(Finding::Level::Error, fieldLine[0],
                at(position) + " runs from " + std::to_string(*from) + " to " + std::to_string(*to) +
                    ": a selection's year cannot be below " + std::to_string(kLowestSelectionYear) +
                    ", so no selection finds it");
        if (from && to && *from <= *to && findable) {
            if (std::optional<std::string> shadowed =
                    coverage.add(record, *from, *to, position, fieldLine[0], &names))
                add(Finding::Level::Error, fieldLine[0], std::move(*shadowed));
            if (coverage.full() && !coverageFull) {
                coverageFull = true;
                add(Finding::Level::Warning, fieldLine[0],
                    "the catalogue lists too many different vehicles to judge them all: records of vehicles "
                    "first listed from " +
                        at(position) +
                        " on are not checked for an earlier record that "
                        "always wins over them");
            }
        }
        std::uint64_t first =
            std::uint64_t(position) << 32 | std::min<std::uint64_t>(fieldLine[0], UINT32_MAX);
        if (vehicleIdsFull) {
        } else if (const StringSet::Added id = vehicleIds.add(record[kVehicleId], first);
                   id == StringSet::Added::Present) {
            add(Finding::Level::Warning, fieldLine[0],
                "VehicleId " + specialty::quoted(shownField(record, kVehicleId)) + " of " + at(position) +
                    " is already that of " + at(static_cast<std::int64_t>(first >> 32)) + " (line " +
                    std::to_string(first & UINT32_MAX) + "): a VehicleId identifies one catalogue entry");
        } else if (id == StringSet::Added::Full) {
            vehicleIdsFull = true;
            add(Finding::Level::Warning, fieldLine[0],
                "the catalogue uses too many different VehicleIds to check them all for repeats: those first "
                "used from " +
                    at(position) + " on are not checked");
        }
        for (int n = 1; n <= kPartCodes; ++n)
            if (const std::string_view code = record[kPartCode1 + n - 1]; !code.empty())
                parts.use(code, position, fieldLine[kPartCode1 + n - 2], mark);
    };
    auto checkPending = [&](bool nextStartsInStep) {
        if (!pending.valid || !pending.startedInStep || !nextStartsInStep) {
            pending.valid = false;
            return; // a record read shifted is not what its lines say; the shift itself is reported
        }
        pending.valid = false;
        mark.clear();
        judge(pending.raw, pending.position, pending.line, hasHighBytes(pending.bytes), pending.names);
    };
    // After a shift, each line of 23 fields is judged as the record it was meant to be.
    LineRecords lineRecords([&](const LineRecord& meant) {
        std::uint64_t fieldLine[kRecordFields];
        std::fill(std::begin(fieldLine), std::end(fieldLine), meant.line);
        mark = "after the shift at line " + std::to_string(layout.shiftedSince()) + ", as line " +
               std::to_string(meant.line) + " reads: ";
        bool high = false;
        for (std::string_view field : meant.raw.field)
            high = high || hasHighBytes(field);
        judge(meant.raw, meant.position, fieldLine, high,
              {meant.offset[kMake - 1], meant.offset[kModel - 1], meant.offset[kSubmodel - 1]});
        mark.clear();
    });

    auto stopReading = [&](const Failure& why) {
        report.failure = describe(catalogueCannotBeRead(path, why));
        out.finish(); // what was found before the file failed still counts
        report.errors = out.errors();
        report.warnings = out.warnings();
        return report;
    };
    RawRecord raw;
    bool endSeen = false;
    for (std::int64_t position = 0; !file.atEnd(); ++position) {
        const RecordReader::Read read = file.readRecord(raw);
        if (read == RecordReader::Read::Failed) return stopReading(file.failure());
        const int fields = read == RecordReader::Read::CutShort ? file.fieldsRead() : kRecordFields;
        std::uint64_t fieldLine[kRecordFields] = {};
        const bool known = read == RecordReader::Read::Record; // the reader gives the bytes of whole records
        const std::uint64_t firstLine = lines.lineOf(file.fieldOffset(1));
        if (lines.onLastLine(file.fieldOffset(fields))) { // the usual layout: a record a line
            std::fill(fieldLine, fieldLine + fields, firstLine);
            layout.fieldsOnOneLine(firstLine, position, fields);
            if (layout.recordTrusted())
                lineRecords.inStepLine(firstLine, position);
            else
                for (int f = 1; f <= fields; ++f)
                    lineRecords.field(firstLine, known ? raw[f] : "", f, position, file.fieldOffset(f),
                                      known);
        } else {
            for (int f = 1; f <= fields; ++f) {
                fieldLine[f - 1] = f == 1 ? firstLine : lines.lineOf(file.fieldOffset(f));
                // Before the layout ends the line.
                lineRecords.field(fieldLine[f - 1], known ? raw[f] : "", f, position, file.fieldOffset(f),
                                  known);
                layout.field(fieldLine[f - 1], position, f);
            }
        }
        // Lines are counted by a reading of their own; past a failure of it no line can be named.
        if (Status lineCount = lines.status(); !lineCount) return stopReading(lineCount.error());
        const bool inStep = layout.recordTrusted();
        checkPending(inStep);
        if (read == RecordReader::Read::CutShort) {
            if (inStep) {
                add(Finding::Level::Error, fieldLine[0],
                    "the file ends in the middle of " + at(position) + ": it has " + std::to_string(fields) +
                        " of its " + std::to_string(kRecordFields) +
                        " fields, and every search that reaches it fails");
                layout.abandon();
            }
            break;
        }
        if (read == RecordReader::Read::TooLong) {
            add(Finding::Level::Error, fieldLine[file.overlongField() - 1],
                "field " + fieldName(file.overlongField()) + " of " + at(position) + " is longer than " +
                    std::to_string(file.maxFieldBytes()) + " bytes; the viewer stops there");
            break;
        }
        if (raw[kVehicleId] == "0") { // the viewer's end test, wherever the lines fall
            endSeen = true;
            break;
        }
        ++report.records;
        pending.valid = true;
        pending.startedInStep = inStep;
        pending.keep(raw);
        std::copy(std::begin(fieldLine), std::end(fieldLine), std::begin(pending.line));
        pending.position = position;
        pending.names = {file.fieldOffset(kMake), file.fieldOffset(kModel), file.fieldOffset(kSubmodel)};
        // Findings before the pending record and before any run of lines still being judged are final.
        out.settle(std::min(pending.line[0], layout.heldFrom()));
    }
    lineRecords.finish();
    const bool shifted = layout.finish();
    checkPending(!shifted);
    if (endSeen && !file.atEnd())
        add(Finding::Level::Warning, lines.lineOf(file.fileOffset()),
            "lines after the end record are never read");
    if (!endSeen && !shifted && !lineRecords.sawEnd())
        add(Finding::Level::Warning, 0, "the catalogue has no end record (a record whose VehicleId is 0)");
    if (report.records == 0 && !shifted)
        add(Finding::Level::Error, 1,
            "the catalogue holds no record before its end: every search finds nothing, every demo step too");
    if (Status lineCount = lines.status(); !lineCount) return stopReading(lineCount.error());
    parts.findUnused();
    file.close();
    out.finish();
    report.errors = out.errors();
    report.warnings = out.warnings();
    if (layout.unjudgedLines() > 0)
        report.unjudged = "; " + counted(static_cast<std::int64_t>(layout.unjudgedLines()), "line") +
                          " could not be judged (the first is line " +
                          std::to_string(layout.firstUnjudgedLine()) +
                          "): " + (layout.unjudgedLines() == 1 ? "it holds" : "they hold") +
                          " other than 23 fields, so no record can be read from " +
                          (layout.unjudgedLines() == 1 ? "it" : "them");
    return report;
}

} // namespace specialty
