// The texts of the faults in failure.h's block "The checker's findings", and the form of a finding's place.
#include "catalogue/catalogue_record.h"
#include "catalogue/findings.h"
#include "catalogue/messages.h"
#include "catalogue/text_encoding.h"
#include "fault_texts.h"

#include <charconv>
#include <vector>

namespace specialty {

namespace {

// The pieces of the texts that come by the million, appended to `text` as they are made.

template <typename Number>
void appendNumber(std::string& text, Number n) {
    char digits[24];
    text.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
}

void appendRecord(std::string& text, std::int64_t position) { // "record 8", as recordNumbered() words it
    text += "record ";
    appendNumber(text, position + 1);
}

void appendQuoted(std::string& text, std::string_view codePage) { // as quoted() words it
    text += '"';
    text += printableForMessage(codePage);
    text += '"';
}

// "Make "X" of record 8": a field of a record, as the viewer shows it.
void appendFieldOfRecord(std::string& text, const Failure& f) {
    text += fieldName(f.field);
    text += ' ';
    appendQuoted(text, f.value);
    text += " of ";
    appendRecord(text, f.record);
}

// "part code "AC1001" (first used by record 8) ".
void appendPartCode(std::string& text, const Failure& f) {
    text += "part code ";
    appendQuoted(text, f.value);
    text += " (first used by ";
    appendRecord(text, f.record);
    text += ") ";
}

// The chain of CheckEarlierRecord faults from `link`: "record 101 (line 101)", "records 3 (line 3), 5
// (line 5) and others".
void appendEarlierRecords(std::string& text, const Failure* link) {
    std::size_t named = 0;
    const Failure* rest = nullptr; // CheckEarlierMore or CheckEarlierOthers
    for (const Failure* l = link; l != nullptr; l = l->cause.get(), ++named)
        if (l->fault != Fault::CheckEarlierRecord) {
            rest = l;
            break;
        }
    auto one = [&](const Failure& e) {
        appendNumber(text, e.record + 1);
        if (e.line == 0) return;
        text += " (line ";
        appendNumber(text, e.line);
        text += ')';
    };
    text += named == 1 && rest == nullptr ? "record " : "records ";
    std::size_t i = 0;
    for (const Failure* l = link; i < named; l = l->cause.get(), ++i) {
        if (i > 0) text += i + 1 == named && rest == nullptr ? " and " : ", ";
        one(*l);
    }
    if (rest == nullptr) return;
    if (rest->fault == Fault::CheckEarlierOthers) {
        text += " and others";
        return;
    }
    text += " and ";
    appendNumber(text, rest->count);
    text += " more";
}

std::string number(std::int64_t n) {
    return std::to_string(n);
}

// "holds 22 fields, not 23": a line or a stretch of the catalogue that holds no whole record.
std::string holdsFields(std::int64_t fields) {
    return "holds " + counted(fields, "field") + ", not " + number(kRecordFields);
}

std::string fieldOfRecord(const Failure& f) {
    std::string text;
    appendFieldOfRecord(text, f);
    return text;
}

std::string partCode(const Failure& f) {
    std::string text;
    appendPartCode(text, f);
    return text;
}

std::string yearsOf(const Failure& f) {
    return recordNumbered(f.record) + " runs from " + number(f.count) + " to " + number(f.limit);
}

constexpr const char* kOneRecordALine = "; the viewer reads it, but one record a line is the rule";

std::string otherCheckFinding(const Failure& failure);

} // namespace

const char* levelName(FindingLevel level) {
    return level == FindingLevel::Error ? "error" : "warning";
}

std::string findingLead(const std::string& shownFile, std::uint64_t line, FindingLevel level) {
    std::string text;
    appendFindingLead(text, shownFile, line, level);
    return text;
}

void appendFindingLead(std::string& text, const std::string& shownFile, std::uint64_t line,
                       FindingLevel level) {
    text += shownFile;
    if (line > 0) {
        text += ':';
        appendNumber(text, line);
    }
    text += ": ";
    text += levelName(level);
    text += ": ";
}

void describeCheckFinding(const Failure& failure, std::string& text) {
    const Failure& f = failure;
    switch (f.fault) {
    case Fault::CheckNameTooLong:
        appendFieldOfRecord(text, f);
        text += " is longer than ";
        appendNumber(text, f.limit);
        text += " characters: no selection can match it";
        return;
    case Fault::CheckNameBlankEnds:
        appendFieldOfRecord(text, f);
        text += " begins or ends with a blank, which a selection's columns drop: no selection can match it";
        return;
    case Fault::CheckNeverShown:
        appendRecord(text, f.record);
        text += " (VehicleId ";
        text += printableForMessage(f.value);
        text += ") is never shown: every year from ";
        appendNumber(text, f.count);
        text += " to ";
        appendNumber(text, f.limit);
        text += " already finds ";
        appendEarlierRecords(text, f.cause.get());
        return;
    case Fault::CheckEarlierRecord:
    case Fault::CheckEarlierMore:
    case Fault::CheckEarlierOthers:
        appendEarlierRecords(text, &f);
        return;
    case Fault::CheckVehicleIdRepeated:
        text += "VehicleId ";
        appendQuoted(text, f.value);
        text += " of ";
        appendRecord(text, f.record);
        text += " is already that of ";
        if (f.cause) {
            appendRecord(text, f.cause->record);
            text += " (line ";
            appendNumber(text, f.cause->line);
            text += ')';
        }
        text += ": a VehicleId identifies one catalogue entry";
        return;
    case Fault::CheckNoPicture:
    case Fault::CheckNoDescription:
        appendPartCode(text, f);
        text += f.fault == Fault::CheckNoPicture ? "has no picture file " : "has no description file ";
        text += f.file;
        if (!f.expected.empty()) {
            text += ", but ";
            text += f.expected;
            text += " differs from it in letter case alone";
        }
        return;
    default:
        text += otherCheckFinding(f);
    }
}

namespace {

std::string otherCheckFinding(const Failure& failure) {
    const Failure& f = failure;
    const std::string line = std::to_string(f.line);
    switch (f.fault) {
    case Fault::CheckByteOrderMark:
        return "the file begins with a UTF-8 byte order mark: the viewer reads it as part of the first "
               "VehicleId "
               "(\"\xC3\xAF\xC2\xBB\xC2\xBF...\"); save the catalogue as Windows-1252, without it";
    case Fault::CheckUtf8Field:
        return fieldOfRecord(f) + " is UTF-8 text (" + quotedUtf8(f.value) +
               "), which the viewer reads as Windows-1252: save the catalogue as Windows-1252";
    case Fault::CheckNameUnmappable:
        return fieldOfRecord(f) +
               " holds the byte 0x81, which no selection can hold: no selection can match it";
    case Fault::CheckYearNotWhole:
        return "the year " + fieldName(f.field) + " of " + recordNumbered(f.record) + " (" + quoted(f.value) +
               ") is not a whole number " + kYearRange + ": a search for its vehicle fails";
    case Fault::CheckYearsReversed:
        return yearsOf(f) + ": no year lies in that range, so no selection finds it";
    case Fault::CheckYearsBelowSelection:
        return yearsOf(f) + ": a selection's year cannot be below " + number(kLowestSelectionYear) +
               ", so no selection finds it";
    case Fault::CheckTooManyVehicles:
        return "the catalogue lists too many different vehicles to judge them all: records of vehicles first "
               "listed from " +
               recordNumbered(f.record) +
               " on are not checked for an earlier record that always wins over them";
    case Fault::CheckTooManyVehicleIds:
        return "the catalogue uses too many different VehicleIds to check them all for repeats: those first "
               "used "
               "from " +
               recordNumbered(f.record) + " on are not checked";
    case Fault::CheckEndsInRecord:
        return "the file ends in the middle of " + recordNumbered(f.record) + ": it has " + number(f.count) +
               " of its " + number(kRecordFields) + " fields, and every search that reaches it fails";
    case Fault::CheckFieldTooLong:
        return "field " + fieldName(f.field) + " of " + recordNumbered(f.record) + " is longer than " +
               number(f.limit) +
               " bytes: the viewer reports the catalogue as damaged instead of showing this "
               "record";
    case Fault::CheckLinesAfterEnd:
        return "lines after the end record are never read";
    case Fault::CheckNoEndRecord:
        return "the catalogue has no end record (a record whose VehicleId is 0)";
    case Fault::CheckNoRecord:
        return "the catalogue holds no record before its end: every search finds nothing, every demo step "
               "too";
    case Fault::CheckLineFields:
        return "line " + line + " " + holdsFields(f.count);
    case Fault::CheckShiftBegins:
        return "line " + line + " " + holdsFields(f.count) + ": the records from " +
               recordNumbered(f.record) + " on are read shifted";
    case Fault::CheckShiftUntil:
        return "line " + line + " " + holdsFields(f.count) + ": the records from " +
               recordNumbered(f.record) + " on are read shifted until line " + number(f.limit);
    case Fault::CheckShiftToEnd:
        return "line " + line + " " + holdsFields(f.count) + ": every record from " +
               recordNumbered(f.record) + " on is read shifted, the end record too";
    case Fault::CheckShiftEnds:
        return "the records read shifted since line " + line + " are in step again after this line";
    case Fault::CheckShiftStays:
        return "the records read shifted since line " + line +
               " stay shifted to the end of the file, the end record too";
    case Fault::CheckRecordsOnLine:
        return "line " + line + " holds " + number(f.count) + " records" + kOneRecordALine;
    case Fault::CheckRecordSpansLines:
        return recordNumbered(f.record) + " spans lines " + line + "-" + number(f.limit) + kOneRecordALine;
    case Fault::CheckAsLineReads:
        return "after the shift at line " + number(f.limit) + ", as line " + line + " reads: " + causeOf(f);
    case Fault::CheckUnjudgedLines:
        return counted(f.count, "line") + " could not be judged (the first is line " + line +
               "): " + (f.count == 1 ? "it holds" : "they hold") + " other than " + number(kRecordFields) +
               " fields, so no record can be read from " + (f.count == 1 ? "it" : "them");
    case Fault::CheckTooManyPartCodes:
        return "the catalogue uses too many different part codes to check them all: the files of the codes "
               "first used from " +
               recordNumbered(f.record) + " on are not checked";
    case Fault::CheckPartCodeNotAName:
        return partCode(f) +
               "is not a plain file name: the viewer shows no picture and no description for it";
    case Fault::CheckPictureNotWhole:
        return partCode(f) + "has a picture file " + f.file + " that does not show whole: " + causeOf(f);
    case Fault::CheckPartFileLeadsOutside:
        return partCode(f) + "has a file " + f.file + " that is a link leading outside the data folder, to " +
               f.expected + ": the review sheet does not show it";
    case Fault::CheckDescriptionUnreadable:
        return partCode(f) + "has a description file " + f.file + " that cannot be read (" + causeOf(f) +
               "): the viewer shows no description for it";
    case Fault::CheckFolderUnlisted:
        return "the data folder cannot be listed (" + f.why +
               "): each part file was asked for by its name, so names that differ in letter case alone and "
               "files no record uses could not be found";
    case Fault::CheckUnusedPicture:
        return "no record uses this picture";
    case Fault::CheckUnusedDescription:
        return "no record uses this description";
    case Fault::CatalogueDamageBegins:
        return causeOf(f) + " The damage begins at line " + line +
               (f.count >= 0 && f.count != kRecordFields ? ", which " + holdsFields(f.count)
                                                         : std::string()) +
               ".";
    case Fault::CatalogueRecordOnLine: {
        std::string text = causeOf(f);
        if (f.line == 0) return text;
        if (!text.empty() && text.back() == '.') text.pop_back();
        return text + " (it starts on line " + line + ").";
    }
    default:
        return failure.why;
    }
}

} // namespace

} // namespace specialty
