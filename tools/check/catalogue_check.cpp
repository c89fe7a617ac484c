#include "tools/check/catalogue_check.h"
#include "tools/check/check_fault.h"

#include "catalogue/data_folder.h"
#include "catalogue/messages.h"
#include "catalogue/record_reader.h"
#include "catalogue/regular_file.h"
#include "catalogue/text_encoding.h"
#include "catalogue/vehicle_search.h"
#include "catalogue/vehicle_selection.h"
#include "tools/check/finding_stream.h"
#include "tools/check/line_counter.h"
#include "tools/check/line_layout.h"
#include "tools/check/line_records.h"
#include "tools/check/part_files.h"
#include "tools/check/record_coverage.h"
#include "tools/check/string_set.h"

#include <algorithm>
#include <cstring>

namespace specialty {

namespace {

struct NameColumn {
    int field;
    std::size_t width;
};
constexpr NameColumn kNameColumns[] = {
    {kMake, kMakeColumns.width}, {kModel, kModelColumns.width}, {kSubmodel, kSubmodelColumns.width}};

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
    return decodeStars(raw[number], starsOfField(number));
}

// A fault of the record at `position`, with the field it names as the viewer reads it.
Failure fieldFault(CheckFault fault, const RawRecord& raw, int field, std::int64_t position) {
    Failure failure(fault);
    failure.field = field;
    failure.value = shownField(raw, field);
    failure.record = position;
    return failure;
}

// A fault of the record at `position` as a whole.
Failure recordFault(CheckFault fault, std::int64_t position) {
    Failure failure(fault);
    failure.record = position;
    return failure;
}

// A record whose years run from `from` to `to`.
Failure yearsFault(CheckFault fault, std::int64_t position, int from, int to) {
    Failure failure = recordFault(fault, position);
    failure.count = from;
    failure.limit = to;
    return failure;
}

// Why no selection can match a name in columns `width` wide, or nothing when one can. A selection's columns
// lose their blanks at both ends, and a character the code page lacks comes as a byte that never matches.
std::optional<CheckFault> unmatchable(std::string_view name, std::size_t width) {
    if (name.size() > width) return CheckFault::NameTooLong; // the "*" rule keeps the length
    if (!name.empty() && (name.front() == ' ' || name.back() == ' ')) return CheckFault::NameBlankEnds;
    if (name.find(static_cast<char>(kUnmappable)) != std::string_view::npos)
        return CheckFault::NameUnmappable;
    return std::nullopt;
}

// What the VehicleIds seen may cost, kept whole to find one used twice.
constexpr std::size_t kMostVehicleIdBytes = 8 * 1024 * 1024;

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

CheckReport checkCatalogue(const std::string& dataFolder, const PictureCheck& showsWhole) {
    std::vector<Finding> findings;
    CheckReport report =
        checkCatalogue(dataFolder, showsWhole, [&](const Finding& f) { findings.push_back(f); });
    report.findings = std::move(findings);
    return report;
}

CheckReport checkCatalogue(const std::string& dataFolder, const PictureCheck& showsWhole,
                           const FindingSink& sink) {
    CheckReport report;
    const std::string path = dataFolder + std::string(kCatalogueName);
    FindingStream out(sink);
    auto add = [&](Finding::Level level, std::uint64_t line, Failure what) {
        out.add({level, path, line, std::move(what)});
    };

    LineCounter lines;
    RecordReader file;
    Status opened = lines.open(path);
    if (opened) opened = file.open(path);
    if (!opened) {
        report.failure = catalogueCannotBeOpened(path, opened.error());
        return report;
    }
    // A start that cannot be read is reported by the reading of the records, which fails on it as well.
    if (Result<std::string> start = readFileStart(path, 3); start && start.value() == "\xEF\xBB\xBF")
        add(Finding::Level::Error, 1, Failure(CheckFault::ByteOrderMark));
    LineLayout layout(out, path);
    RecordCoverage coverage(path);
    bool coverageFull = false;
    StringSet vehicleIds(kMostVehicleIdBytes); // each with the record and line that first used it
    bool vehicleIdsFull = false;
    PartFiles parts(dataFolder, showsWhole, out, path);

    // A record is checked once the next one has begun: only then is it known whether it ended where its
    // last line ends, and so is what its lines say.
    PendingRecord pending;
    // Judges one record. `mark` begins every finding about a record judged as its line reads, after a
    // shift.
    std::optional<Failure> mark;
    auto judge = [&](const RawRecord& record, std::int64_t position, const std::uint64_t* fieldLine,
                     bool mayHoldUtf8, const RecordCoverage::NameOffsets& names) {
        auto add = [&](Finding::Level level, std::uint64_t line, Failure what) {
            out.add({level, path, line, marked(mark ? &*mark : nullptr, std::move(what))});
        };
        for (int f = 1; f <= kRecordFields && mayHoldUtf8; ++f) {
            if (!looksLikeUtf8(record[f])) continue; // the "*" rule changes no byte that UTF-8 is made of
            add(Finding::Level::Error, fieldLine[f - 1],
                fieldFault(CheckFault::Utf8Field, record, f, position));
            break; // one finding a record is enough to show the file was saved in the wrong encoding
        }
        bool findable = true;
        for (const NameColumn& column : kNameColumns) {
            const std::optional<CheckFault> why = unmatchable(record[column.field], column.width);
            if (!why) continue;
            findable = false;
            Failure name = fieldFault(*why, record, column.field, position);
            name.limit = static_cast<std::int64_t>(column.width);
            add(Finding::Level::Error, fieldLine[column.field - 1], std::move(name));
        }
        const auto from = parseYear(record[kYearFrom]);
        const auto to = parseYear(record[kYearTo]);
        for (auto [field, year] : {std::pair{kYearFrom, &from}, std::pair{kYearTo, &to}})
            if (!*year)
                add(Finding::Level::Error, fieldLine[field - 1],
                    fieldFault(CheckFault::YearNotWhole, record, field, position));
        if (from && to && *from > *to)
            add(Finding::Level::Error, fieldLine[0],
                yearsFault(CheckFault::YearsReversed, position, *from, *to));
        if (from && to && *from <= *to && *to < kLowestSelectionYear)
            add(Finding::Level::Error, fieldLine[0],
                yearsFault(CheckFault::YearsBelowSelection, position, *from, *to));
        if (from && to && *from <= *to && findable) {
            if (std::optional<Failure> shadowed =
                    coverage.add(record, *from, *to, position, fieldLine[0], &names))
                add(Finding::Level::Error, fieldLine[0], std::move(*shadowed));
            if (coverage.full() && !coverageFull) {
                coverageFull = true;
                add(Finding::Level::Warning, fieldLine[0],
                    recordFault(CheckFault::TooManyVehicles, position));
            }
        }
        std::uint64_t first =
            std::uint64_t(position) << 32 | std::min<std::uint64_t>(fieldLine[0], UINT32_MAX);
        // A full set takes no new id but still knows the ones it holds, so their repeats are still found.
        if (const StringSet::Added id = vehicleIds.add(record[kVehicleId], first);
            id == StringSet::Added::Present) {
            Failure earlier = recordFault(CheckFault::EarlierRecord, static_cast<std::int64_t>(first >> 32));
            earlier.line = first & UINT32_MAX;
            add(Finding::Level::Warning, fieldLine[0],
                causedBy(fieldFault(CheckFault::VehicleIdRepeated, record, kVehicleId, position), earlier));
        } else if (id == StringSet::Added::Full && !vehicleIdsFull) {
            vehicleIdsFull = true;
            add(Finding::Level::Warning, fieldLine[0], recordFault(CheckFault::TooManyVehicleIds, position));
        }
        for (int n = 1; n <= kPartCodes; ++n)
            if (const std::string_view code = record[kPartCode1 + n - 1]; !code.empty())
                parts.use(code, position, fieldLine[kPartCode1 + n - 2], mark ? &*mark : nullptr);
    };
    auto checkPending = [&](bool nextStartsInStep) {
        if (!pending.valid || !pending.startedInStep || !nextStartsInStep) {
            pending.valid = false;
            return; // a record read shifted is not what its lines say; the shift itself is reported
        }
        pending.valid = false;
        mark.reset();
        judge(pending.raw, pending.position, pending.line, hasHighBytes(pending.bytes), pending.names);
    };
    // After a shift, each line of 23 fields is judged as the record it was meant to be.
    LineRecords lineRecords([&](const LineRecord& meant) {
        std::uint64_t fieldLine[kRecordFields];
        std::fill(std::begin(fieldLine), std::end(fieldLine), meant.line);
        mark = Failure(CheckFault::AsLineReads);
        mark->line = meant.line;
        mark->limit = static_cast<std::int64_t>(layout.shiftedSince());
        bool high = false;
        for (std::string_view field : meant.raw.field)
            high = high || hasHighBytes(field);
        judge(meant.raw, meant.position, fieldLine, high,
              {meant.offset[kMake - 1], meant.offset[kModel - 1], meant.offset[kSubmodel - 1]});
        mark.reset();
    });

    auto stopReading = [&](const Failure& why) {
        report.failure = catalogueCannotBeRead(path, why);
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
                Failure cut = recordFault(CheckFault::EndsInRecord, position);
                cut.count = fields;
                add(Finding::Level::Error, fieldLine[0], std::move(cut));
                layout.abandon();
            }
            break;
        }
        // A field longer than the reader keeps: the viewer reads past it, and refuses only to show a record
        // cut in a field it shows. Such a record is not judged further; a long SpareField is harmless to it.
        const std::uint32_t cut = read == RecordReader::Read::TooLong ? file.cutFields() : 0;
        if (cut & fieldBit(kSpareField)) {
            Failure spare = recordFault(CheckFault::SpareFieldLong, position);
            spare.limit = static_cast<std::int64_t>(file.maxFieldBytes());
            add(Finding::Level::Warning, fieldLine[kSpareField - 1], std::move(spare));
        }
        if (const int shown = firstField(cut & kShownFields)) {
            Failure overlong = recordFault(CheckFault::FieldTooLong, position);
            overlong.field = shown;
            overlong.limit = static_cast<std::int64_t>(file.maxFieldBytes());
            add(Finding::Level::Error, fieldLine[shown - 1], std::move(overlong));
            continue;
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
        add(Finding::Level::Warning, lines.lineOf(file.fileOffset()), Failure(CheckFault::LinesAfterEnd));
    if (!endSeen && !shifted && !lineRecords.sawEnd())
        add(Finding::Level::Warning, 0, Failure(CheckFault::NoEndRecord));
    if (report.records == 0 && !shifted) add(Finding::Level::Error, 1, Failure(CheckFault::NoRecord));
    if (Status lineCount = lines.status(); !lineCount) return stopReading(lineCount.error());
    parts.findUnused();
    file.close();
    out.finish();
    report.errors = out.errors();
    report.warnings = out.warnings();
    if (layout.unjudgedLines() > 0) {
        report.unjudged = Failure(CheckFault::UnjudgedLines);
        report.unjudged->count = static_cast<std::int64_t>(layout.unjudgedLines());
        report.unjudged->line = layout.firstUnjudgedLine();
    }
    return report;
}

} // namespace specialty
