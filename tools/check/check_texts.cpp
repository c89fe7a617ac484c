// The texts of check's findings (check_fault.h), and the form of a finding's place.
#include "catalogue/catalogue_record.h"
#include "catalogue/messages.h"
#include "catalogue/text_encoding.h"
#include "tools/check/check_fault.h"
#include "tools/check/findings.h"
#include "tools/check/text_writer.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace specialty {

namespace {

// The pieces of the texts that come by the million, written as they are made.

void putRecord(TextWriter& out, std::int64_t position) { // "record 8", as recordNumbered() words it
    out.put("record ");
    out.putNumber(position + 1);
}

// Code-page text as printableForMessage() shows it: most is plain printable ASCII, which it keeps as is.
void putPrintable(TextWriter& out, std::string_view codePage) {
    constexpr std::size_t kMostShown = 60; // printableForMessage()'s own bound
    const bool plain =
        codePage.size() <= kMostShown &&
        std::all_of(codePage.begin(), codePage.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
    if (plain)
        out.put(codePage);
    else
        out.put(printableForMessage(codePage));
}

void putQuoted(TextWriter& out, std::string_view codePage) { // as quoted() words it
    out.put('"');
    putPrintable(out, codePage);
    out.put('"');
}

// "Make "X" of record 8": a field of a record, as the viewer shows it.
void putFieldOfRecord(TextWriter& out, const Failure& f) {
    out.put(fieldName(f.field));
    out.put(' ');
    putQuoted(out, f.value);
    out.put(" of ");
    putRecord(out, f.record);
}

// "part code "AC1001" (first used by record 8) ".
void putPartCode(TextWriter& out, const Failure& f) {
    out.put("part code ");
    putQuoted(out, f.value);
    out.put(" (first used by ");
    putRecord(out, f.record);
    out.put(") ");
}

// The chain of CheckEarlierRecord faults from `link`: "record 101 (line 101)", "records 3 (line 3), 5
// (line 5) and others".
void putEarlierRecords(TextWriter& out, const Failure* link) {
    std::size_t named = 0;
    const Failure* rest = nullptr; // CheckEarlierMore or CheckEarlierOthers
    for (const Failure* l = link; l != nullptr; l = l->cause.get(), ++named)
        if (l->fault != CheckFault::EarlierRecord) {
            rest = l;
            break;
        }
    auto one = [&](const Failure& e) {
        out.putNumber(e.record + 1);
        if (e.line == 0) return;
        out.put(" (line ");
        out.putNumber(e.line);
        out.put(')');
    };
    if (named == 1 && rest == nullptr)
        out.put("record ");
    else
        out.put("records ");
    std::size_t i = 0;
    for (const Failure* l = link; i < named; l = l->cause.get(), ++i) {
        if (i > 0) {
            if (i + 1 == named && rest == nullptr)
                out.put(" and ");
            else
                out.put(", ");
        }
        one(*l);
    }
    if (rest == nullptr) return;
    if (rest->fault == CheckFault::EarlierOthers) {
        out.put(" and others");
        return;
    }
    out.put(" and ");
    out.putNumber(rest->count);
    out.put(" more");
}

std::string number(std::int64_t n) {
    return std::to_string(n);
}

std::string fieldOfRecord(const Failure& f) {
    std::string text;
    TextWriter out(text);
    putFieldOfRecord(out, f);
    out.flush();
    return text;
}

std::string partCode(const Failure& f) {
    std::string text;
    TextWriter out(text);
    putPartCode(out, f);
    out.flush();
    return text;
}

std::string yearsOf(const Failure& f) {
    return recordNumbered(f.record) + " runs from " + number(f.count) + " to " + number(f.limit);
}

constexpr const char* kOneRecordALine = "; the viewer reads it, but one record a line is the rule";
constexpr const char* kAskedByName =
    "each part file was asked for by its name, so names that differ in letter "
    "case alone and files no record uses could not be found";

std::string otherCheckFinding(const Failure& failure);

void describeCheckFinding(const Failure& failure, TextWriter& out);

class CheckFamily final : public FaultFamily {
  public:
    const char* name() const override { return "check"; }
    // Check's findings come by the million: each piece goes straight into `text`.
    void describeTo(std::string& text, const Failure& failure) const override {
        TextWriter out(text);
        describeCheckFinding(failure, out);
    }
};

const CheckFamily kFamily;

} // namespace

const FaultFamily& faultFamily(CheckFault) {
    return kFamily;
}

const char* levelName(FindingLevel level) {
    return level == FindingLevel::Error ? "error" : "warning";
}

namespace {

void putFindingLead(TextWriter& out, const std::string& shownFile, std::uint64_t line, FindingLevel level) {
    out.put(shownFile);
    if (line > 0) {
        out.put(':');
        out.putNumber(line);
    }
    if (level == FindingLevel::Error)
        out.put(": error: ");
    else
        out.put(": warning: ");
}

} // namespace

std::string findingLead(const std::string& shownFile, std::uint64_t line, FindingLevel level) {
    std::string text;
    TextWriter out(text);
    putFindingLead(out, shownFile, line, level);
    return out.flushed();
}

void putFinding(TextWriter& out, const std::string& shownFile, std::uint64_t line, FindingLevel level,
                const Failure& what) {
    putFindingLead(out, shownFile, line, level);
    if (what.fault.of<CheckFault>())
        describeCheckFinding(what, out);
    else
        describeTo(out.flushed(), what);
}

namespace {

void describeCheckFinding(const Failure& failure, TextWriter& out) {
    const Failure& f = failure;
    switch (f.fault.as<CheckFault>()) {
    case CheckFault::NameTooLong:
        putFieldOfRecord(out, f);
        out.put(" is longer than ");
        out.putNumber(f.limit);
        out.put(" characters: no selection can match it");
        return;
    case CheckFault::NameBlankEnds:
        putFieldOfRecord(out, f);
        out.put(" begins or ends with a blank, which a selection's columns drop: no selection can match it");
        return;
    case CheckFault::NeverShown:
        putRecord(out, f.record);
        out.put(" (VehicleId ");
        putPrintable(out, f.value);
        out.put(") is never shown: every year from ");
        out.putNumber(f.count);
        out.put(" to ");
        out.putNumber(f.limit);
        out.put(" already finds ");
        putEarlierRecords(out, f.cause.get());
        return;
    case CheckFault::EarlierRecord:
    case CheckFault::EarlierMore:
    case CheckFault::EarlierOthers:
        putEarlierRecords(out, &f);
        return;
    case CheckFault::VehicleIdRepeated:
        out.put("VehicleId ");
        putQuoted(out, f.value);
        out.put(" of ");
        putRecord(out, f.record);
        out.put(" is already that of ");
        if (f.cause) {
            putRecord(out, f.cause->record);
            out.put(" (line ");
            out.putNumber(f.cause->line);
            out.put(')');
        }
        out.put(": a VehicleId identifies one catalogue entry");
        return;
    case CheckFault::NoPicture:
    case CheckFault::NoDescription:
        putPartCode(out, f);
        if (f.fault == CheckFault::NoPicture)
            out.put("has no picture file ");
        else
            out.put("has no description file ");
        out.put(f.file);
        if (!f.expected.empty()) {
            out.put(", but ");
            out.put(f.expected);
            out.put(" differs from it in letter case alone");
        }
        return;
    default:
        out.put(otherCheckFinding(f));
    }
}

// The findings that name no detail.
constexpr std::pair<CheckFault, const char*> kFixedTexts[] = {
    {CheckFault::ByteOrderMark,
     "the file begins with a UTF-8 byte order mark: the viewer reads it as part of the first VehicleId "
     "(\"\xC3\xAF\xC2\xBB\xC2\xBF...\"); save the catalogue as Windows-1252, without it"},
    {CheckFault::LinesAfterEnd, "lines after the end record are never read"},
    {CheckFault::NoEndRecord, "the catalogue has no end record (a record whose VehicleId is 0)"},
    {CheckFault::NoRecord,
     "the catalogue holds no record before its end: every search finds nothing, every demo step too"},
    {CheckFault::UnusedPicture, "no record uses this picture"},
    {CheckFault::UnusedDescription, "no record uses this description"},
};

// About the catalogue's bytes and records.
std::string recordFinding(const Failure& f) {
    switch (f.fault.as<CheckFault>()) {
    case CheckFault::SpareFieldLong:
        return "field SpareField of " + recordNumbered(f.record) + " is longer than " + number(f.limit) +
               " bytes: the viewer never shows it and reads past it, but find does not show it and export "
               "refuses the catalogue";
    case CheckFault::Utf8Field:
        return fieldOfRecord(f) + " is UTF-8 text (" + quotedUtf8(f.value) +
               "), which the viewer reads as Windows-1252: save the catalogue as Windows-1252";
    case CheckFault::NameUnmappable:
        return fieldOfRecord(f) +
               " holds the byte 0x81, which no selection can hold: no selection can match it";
    case CheckFault::YearNotWhole:
        return "the year " + fieldName(f.field) + " of " + recordNumbered(f.record) + " (" + quoted(f.value) +
               ") is not a whole number " + kYearRange + ": a search for its vehicle fails";
    case CheckFault::YearsReversed:
        return yearsOf(f) + ": no year lies in that range, so no selection finds it";
    case CheckFault::YearsBelowSelection:
        return yearsOf(f) + ": a selection's year cannot be below " + number(kLowestSelectionYear) +
               ", so no selection finds it";
    case CheckFault::TooManyVehicles:
        return "the catalogue lists too many different vehicles to judge them all: records of vehicles first "
               "listed from " +
               recordNumbered(f.record) +
               " on are not checked for an earlier record that always wins over them";
    case CheckFault::TooManyVehicleIds:
        return "the catalogue uses too many different VehicleIds to check them all for repeats: those first "
               "used "
               "from " +
               recordNumbered(f.record) + " on are not checked";
    case CheckFault::EndsInRecord:
        return "the file ends in the middle of " + recordNumbered(f.record) + ": it has " + number(f.count) +
               " of its " + number(kRecordFields) + " fields, and every search that reaches it fails";
    case CheckFault::FieldTooLong:
        return "field " + fieldName(f.field) + " of " + recordNumbered(f.record) + " is longer than " +
               number(f.limit) +
               " bytes: the viewer reports the catalogue as damaged instead of showing this "
               "record";
    default:
        return f.why;
    }
}

// About the catalogue's lines.
std::string lineFinding(const Failure& f) {
    const std::string line = std::to_string(f.line);
    switch (f.fault.as<CheckFault>()) {
    case CheckFault::LineFields:
        return "line " + line + " " + holdsFields(f.count);
    case CheckFault::ShiftBegins:
        return "line " + line + " " + holdsFields(f.count) + ": the records from " +
               recordNumbered(f.record) + " on are read shifted";
    case CheckFault::ShiftUntil:
        return "line " + line + " " + holdsFields(f.count) + ": the records from " +
               recordNumbered(f.record) + " on are read shifted until line " + number(f.limit);
    case CheckFault::ShiftToEnd:
        return "line " + line + " " + holdsFields(f.count) + ": every record from " +
               recordNumbered(f.record) + " on is read shifted, the end record too";
    case CheckFault::ShiftEnds:
        return "the records read shifted since line " + line + " are in step again after this line";
    case CheckFault::ShiftStays:
        return "the records read shifted since line " + line +
               " stay shifted to the end of the file, the end record too";
    case CheckFault::RecordsOnLine:
        return "line " + line + " holds " + number(f.count) + " records" + kOneRecordALine;
    case CheckFault::RecordSpansLines:
        return recordNumbered(f.record) + " spans lines " + line + "-" + number(f.limit) + kOneRecordALine;
    case CheckFault::AsLineReads:
        return "after the shift at line " + number(f.limit) + ", as line " + line + " reads: " + causeOf(f);
    case CheckFault::UnjudgedLines:
        return counted(f.count, "line") + " could not be judged (the first is line " + line +
               "): " + (f.count == 1 ? "it holds" : "they hold") + " other than " + number(kRecordFields) +
               " fields, so no record can be read from " + (f.count == 1 ? "it" : "them");
    default:
        return f.why;
    }
}

// About part files.
std::string partFileFinding(const Failure& f) {
    switch (f.fault.as<CheckFault>()) {
    case CheckFault::TooManyPartCodes:
        return "the catalogue uses too many different part codes to check them all: the files of the codes "
               "first used from " +
               recordNumbered(f.record) + " on are not checked";
    case CheckFault::PartCodeNotAName:
        return partCode(f) +
               "is not a plain file name: the viewer shows no picture and no description for it";
    case CheckFault::PictureNotWhole:
        return partCode(f) + "has a picture file " + f.file + " that does not show whole: " + causeOf(f);
    case CheckFault::PartFileLeadsOutside:
        return partCode(f) + "has a file " + f.file + " that is a link leading outside the data folder, to " +
               f.expected + ": the review sheet does not show it";
    case CheckFault::DescriptionUnreadable:
        return partCode(f) + "has a description file " + f.file + " that cannot be read (" + causeOf(f) +
               "): the viewer shows no description for it";
    case CheckFault::FolderUnlisted:
        return "the data folder cannot be listed (" + f.why + "): " + kAskedByName;
    case CheckFault::FolderTooLarge:
        return "the data folder holds more file names than the " + number(f.limit) +
               " MB check keeps of them: " + kAskedByName;
    default:
        return f.why;
    }
}

std::string otherCheckFinding(const Failure& failure) {
    const CheckFault fault = failure.fault.as<CheckFault>();
    for (const auto& [fixed, text] : kFixedTexts)
        if (fault == fixed) return text;
    if (fault < CheckFault::LineFields) return recordFinding(failure);
    if (fault < CheckFault::TooManyPartCodes) return lineFinding(failure);
    return partFileFinding(failure);
}

} // namespace

} // namespace specialty
