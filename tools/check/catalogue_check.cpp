#include "tools/check/catalogue_check.h"
#include "tools/check/check_fault.h"

#include "catalogue/data_folder.h"
#include "catalogue/messages.h"
#include "catalogue/record_reader.h"
#include "catalogue/regular_file.h"
#include "tools/check/finding_stream.h"
#include "tools/check/line_layout.h"
#include "tools/check/line_records.h"
#include "tools/check/record_coverage.h"
#include "tools/check/record_judge.h"

#include <algorithm>
#include <optional>

namespace specialty {

namespace {

// A record as read, with the line of each field.
struct ReadRecord {
    RawRecord raw;
    std::uint64_t line[kRecordFields];
};

// A record kept until the next one has begun. The reader keeps its bytes (RecordReader::keepRecordBefore)
// and the next record is read into the other of two places, so keeping one copies nothing; its views follow
// the bytes when the reader's buffer moves.
struct PendingRecord {
    bool valid = false;
    bool startedInStep = false;
    ReadRecord* record = nullptr;
    std::ptrdiff_t moved = 0; // the reader's moved() when the record was read
    RecordCoverage::NameOffsets names{};
    std::int64_t position = 0;
    bool high = false; // a byte of its fields is not ASCII
};

// One check of one catalogue, in the steps it reads it by. A record is judged once the next one has begun:
// only then is it known whether it ended where its last line ends, and so is what its lines say.
class CatalogueCheck {
  public:
    CatalogueCheck(const std::string& dataFolder, const PictureCheck& showsWhole, const FindingSink& sink)
        : path_(dataFolder + std::string(kCatalogueName)), out_(sink, path_), layout_(out_, path_),
          lineRecords_([this](const LineRecord& meant) { judgeAsLineReads(meant); }), dataFolder_(dataFolder),
          showsWhole_(showsWhole) {}

    CheckReport run();

  private:
    enum class Next { Record, End, Failed };

    void add(Finding::Level level, std::uint64_t line, Failure what) {
        out_.add(level, line, std::move(what));
    }
    bool open();
    Next readRecord(std::int64_t position);
    void placeFields(RecordReader::Read read, int fields, std::int64_t position, std::uint64_t* fieldLine);
    bool judgeTooLong(std::int64_t position, const std::uint64_t* fieldLine);
    void keepPending(std::int64_t position, bool inStep);
    void judgePending(bool nextStartsInStep);
    void judgeAsLineReads(const LineRecord& meant);
    void findAtEnd();
    CheckReport stopReading(const Failure& why);
    CheckReport finish();

    const std::string path_;
    FindingStream out_;
    RecordReader file_;
    LineLayout layout_;
    LineRecords lineRecords_; // after a shift, each line of 23 fields as the record it was meant to be
    const std::string& dataFolder_;
    const PictureCheck& showsWhole_;
    std::optional<RecordJudge> judge_; // made once the catalogue is open, which it reads as well
    ReadRecord read_[2];               // the record being read, and the one pending
    int current_ = 0;                  // the place of the one being read
    PendingRecord pending_;
    CheckReport report_;
    bool endSeen_ = false;
};

bool CatalogueCheck::open() {
    const Status opened = file_.open(path_);
    if (!opened) {
        report_.failure = catalogueCannotBeOpened(path_, opened.error());
        return false;
    }
    // A start that cannot be read is reported by the reading of the records, which fails on it as well.
    if (Result<std::string> start = readFileStart(path_, 3); start && start.value() == "\xEF\xBB\xBF")
        add(Finding::Level::Error, 1, Failure(CheckFault::ByteOrderMark));
    file_.countLines();
    file_.keepRecordBefore();
    judge_.emplace(dataFolder_, showsWhole_, out_, path_);
    return true;
}

CheckReport CatalogueCheck::run() {
    if (!open()) return report_;
    for (std::int64_t position = 0; !file_.atEnd(); ++position) {
        const Next next = readRecord(position);
        if (next == Next::Failed) return report_;
        if (next == Next::End) break;
    }
    lineRecords_.finish();
    findAtEnd();
    judge_->findUnusedParts();
    file_.close();
    return finish();
}

// Reads the record at `position`, judges the one before it, and keeps it to be judged in turn.
CatalogueCheck::Next CatalogueCheck::readRecord(std::int64_t position) {
    RawRecord& raw = read_[current_].raw;
    std::uint64_t* const fieldLine = read_[current_].line;
    const RecordReader::Read read = file_.readRecord(raw);
    if (read == RecordReader::Read::Failed) {
        stopReading(file_.failure());
        return Next::Failed;
    }
    const int fields = read == RecordReader::Read::CutShort ? file_.fieldsRead() : kRecordFields;
    placeFields(read, fields, position, fieldLine);
    const bool inStep = layout_.recordTrusted();
    judgePending(inStep);
    if (read == RecordReader::Read::CutShort) {
        if (inStep) {
            Failure cut = recordFault(CheckFault::EndsInRecord, position);
            cut.count = fields;
            add(Finding::Level::Error, fieldLine[0], std::move(cut));
            layout_.abandon();
        }
        return Next::End;
    }
    if (read == RecordReader::Read::TooLong && judgeTooLong(position, fieldLine)) return Next::Record;
    if (raw[kVehicleId] == "0") { // the viewer's end test, wherever the lines fall
        endSeen_ = true;
        return Next::End;
    }
    ++report_.records;
    keepPending(position, inStep);
    return Next::Record;
}

// Names the line of each of the record's `fields` and tells the layout and the line records of them.
void CatalogueCheck::placeFields(RecordReader::Read read, int fields, std::int64_t position,
                                 std::uint64_t* fieldLine) {
    const bool known = read == RecordReader::Read::Record; // the reader gives the bytes of whole records
    const std::uint64_t firstLine = file_.fieldLine(1);
    if (file_.fieldLine(fields) == firstLine) { // the usual layout: a record a line
        std::fill(fieldLine, fieldLine + fields, firstLine);
        layout_.fieldsOnOneLine(firstLine, position, fields);
        if (layout_.recordTrusted())
            lineRecords_.inStepLine(firstLine, position);
        else
            for (int f = 1; f <= fields; ++f)
                lineRecords_.field(firstLine, known ? read_[current_].raw[f] : "", f, position,
                                   file_.fieldOffset(f), known);
        return;
    }
    for (int f = 1; f <= fields; ++f) {
        fieldLine[f - 1] = file_.fieldLine(f);
        // Before the layout ends the line.
        lineRecords_.field(fieldLine[f - 1], known ? read_[current_].raw[f] : "", f, position,
                           file_.fieldOffset(f), known);
        layout_.field(fieldLine[f - 1], position, f);
    }
}

// A field longer than the reader keeps: the viewer reads past it, and refuses only to show a record cut in
// a field it shows. Such a record is not judged further (true); a long SpareField is harmless to it.
bool CatalogueCheck::judgeTooLong(std::int64_t position, const std::uint64_t* fieldLine) {
    const std::uint32_t cut = file_.cutFields();
    const auto limit = static_cast<std::int64_t>(file_.maxFieldBytes());
    if (cut & fieldBit(kSpareField)) {
        Failure spare = recordFault(CheckFault::SpareFieldLong, position);
        spare.limit = limit;
        add(Finding::Level::Warning, fieldLine[kSpareField - 1], std::move(spare));
    }
    const int shown = firstField(cut & kShownFields);
    if (!shown) return false;
    Failure overlong = recordFault(CheckFault::FieldTooLong, position);
    overlong.field = shown;
    overlong.limit = limit;
    add(Finding::Level::Error, fieldLine[shown - 1], std::move(overlong));
    return true;
}

void CatalogueCheck::keepPending(std::int64_t position, bool inStep) {
    pending_.valid = true;
    pending_.startedInStep = inStep;
    pending_.record = &read_[current_];
    current_ ^= 1; // the next record is read into the other place
    pending_.moved = file_.moved();
    pending_.high = file_.highBytes();
    pending_.position = position;
    pending_.names = {file_.fieldOffset(kMake), file_.fieldOffset(kModel), file_.fieldOffset(kSubmodel)};
    // Findings before the pending record and before any run of lines still being judged are final.
    out_.settle(std::min(pending_.record->line[0], layout_.heldFrom()));
}

void CatalogueCheck::judgePending(bool nextStartsInStep) {
    const bool judged = pending_.valid && pending_.startedInStep && nextStartsInStep;
    pending_.valid = false;
    if (!judged) return; // a record read shifted is not what its lines say; the shift itself is reported
    ReadRecord& record = *pending_.record;
    follow(record.raw, file_.moved() - pending_.moved);
    judge_->judge({record.raw, pending_.position, record.line, pending_.high, pending_.names}, nullptr);
}

// After a shift, a line of 23 fields judged as the record it was meant to be; its findings say so first.
void CatalogueCheck::judgeAsLineReads(const LineRecord& meant) {
    std::uint64_t fieldLine[kRecordFields];
    std::fill(std::begin(fieldLine), std::end(fieldLine), meant.line);
    Failure mark(CheckFault::AsLineReads);
    mark.line = meant.line;
    mark.limit = static_cast<std::int64_t>(layout_.shiftedSince());
    bool high = false;
    for (std::string_view field : meant.raw.field)
        high = high || hasHighBytes(field);
    judge_->judge({meant.raw,
                   meant.position,
                   fieldLine,
                   high,
                   {meant.offset[kMake - 1], meant.offset[kModel - 1], meant.offset[kSubmodel - 1]}},
                  &mark);
}

// Judges the last record and finds what the end of the catalogue lacks or holds too much of.
void CatalogueCheck::findAtEnd() {
    const bool shifted = layout_.finish();
    judgePending(!shifted);
    if (endSeen_ && !file_.atEnd())
        add(Finding::Level::Warning, file_.lineHere(), Failure(CheckFault::LinesAfterEnd));
    if (!endSeen_ && !shifted && !lineRecords_.sawEnd())
        add(Finding::Level::Warning, 0, Failure(CheckFault::NoEndRecord));
    if (report_.records == 0 && !shifted) add(Finding::Level::Error, 1, Failure(CheckFault::NoRecord));
}

CheckReport CatalogueCheck::stopReading(const Failure& why) {
    report_.failure = catalogueCannotBeRead(path_, why);
    out_.finish(); // what was found before the file failed still counts
    report_.errors = out_.errors();
    report_.warnings = out_.warnings();
    return report_;
}

CheckReport CatalogueCheck::finish() {
    out_.finish();
    report_.errors = out_.errors();
    report_.warnings = out_.warnings();
    if (layout_.unjudgedLines() > 0) {
        report_.unjudged = Failure(CheckFault::UnjudgedLines);
        report_.unjudged->count = static_cast<std::int64_t>(layout_.unjudgedLines());
        report_.unjudged->line = layout_.firstUnjudgedLine();
    }
    return report_;
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
    return CatalogueCheck(dataFolder, showsWhole, sink).run();
}

} // namespace specialty
