// The texts of the faults in failure.h's block "The checker's findings", and the form of a finding's place.
#include "catalogue/catalogue_record.h"
#include "catalogue/findings.h"
#include "catalogue/messages.h"
#include "catalogue/text_encoding.h"
#include "fault_texts.h"

#include <vector>

namespace specialty {

namespace {

std::string number(std::int64_t n) {
    return std::to_string(n);
}

// "holds 22 fields, not 23": a line or a stretch of the catalogue that holds no whole record.
std::string holdsFields(std::int64_t fields) {
    return "holds " + counted(fields, "field") + ", not " + number(kRecordFields);
}

// "Make "X" of record 8": a field of a record, as the viewer shows it.
std::string fieldOfRecord(const Failure& f) {
    return fieldName(f.field) + " " + quoted(f.value) + " of " + recordNumbered(f.record);
}

// "part code "AC1001" (first used by record 8) ".
std::string partCode(const Failure& f) {
    return "part code " + quoted(f.value) + " (first used by " + recordNumbered(f.record) + ") ";
}

// ", but NAME differs from it in letter case alone", or nothing.
std::string otherCase(const Failure& f) {
    return f.expected.empty() ? std::string()
                              : ", but " + f.expected + " differs from it in letter case alone";
}

std::string yearsOf(const Failure& f) {
    return recordNumbered(f.record) + " runs from " + number(f.count) + " to " + number(f.limit);
}

// The chain of CheckEarlierRecord faults from `link`: "record 101 (line 101)", "records 3 (line 3), 5
// (line 5) and others".
std::string earlierRecords(const Failure* link) {
    std::vector<const Failure*> named;
    const Failure* rest = nullptr; // CheckEarlierMore or CheckEarlierOthers
    for (; link != nullptr; link = link->cause.get()) {
        if (link->fault != Fault::CheckEarlierRecord) {
            rest = link;
            break;
        }
        named.push_back(link);
    }
    auto one = [](const Failure& e) {
        return number(e.record + 1) + (e.line > 0 ? " (line " + std::to_string(e.line) + ")" : std::string());
    };
    if (named.size() == 1 && rest == nullptr) return "record " + one(*named[0]);
    std::string text = "records ";
    for (std::size_t i = 0; i < named.size(); ++i)
        text += (i == 0 ? "" : i + 1 == named.size() && rest == nullptr ? " and " : ", ") + one(*named[i]);
    if (rest != nullptr)
        text += rest->fault == Fault::CheckEarlierOthers ? " and others"
                                                         : " and " + number(rest->count) + " more";
    return text;
}

constexpr const char* kOneRecordALine = "; the viewer reads it, but one record a line is the rule";

} // namespace

const char* levelName(FindingLevel level) {
    return level == FindingLevel::Error ? "error" : "warning";
}

std::string findingLead(const std::string& shownFile, std::uint64_t line, FindingLevel level) {
    return shownFile + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + levelName(level) +
           ": ";
}

std::string describeCheckFinding(const Failure& failure) {
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
    case Fault::CheckNameTooLong:
        return fieldOfRecord(f) + " is longer than " + number(f.limit) +
               " characters: no selection can match it";
    case Fault::CheckNameBlankEnds:
        return fieldOfRecord(f) +
               " begins or ends with a blank, which a selection's columns drop: no selection can match it";
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
    case Fault::CheckNeverShown:
        return recordNumbered(f.record) + " (VehicleId " + printableForMessage(f.value) +
               ") is never shown: every year from " + number(f.count) + " to " + number(f.limit) +
               " already finds " + earlierRecords(f.cause.get());
    case Fault::CheckEarlierRecord:
    case Fault::CheckEarlierMore:
    case Fault::CheckEarlierOthers:
        return earlierRecords(&f);
    case Fault::CheckVehicleIdRepeated:
        return "VehicleId " + quoted(f.value) + " of " + recordNumbered(f.record) + " is already that of " +
               (f.cause ? recordNumbered(f.cause->record) + " (line " + std::to_string(f.cause->line) + ")"
                        : std::string()) +
               ": a VehicleId identifies one catalogue entry";
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
    case Fault::CheckNoPicture:
        return partCode(f) + "has no picture file " + f.file + otherCase(f);
    case Fault::CheckPictureNotWhole:
        return partCode(f) + "has a picture file " + f.file + " that does not show whole: " + causeOf(f);
    case Fault::CheckPartFileLeadsOutside:
        return partCode(f) + "has a file " + f.file + " that is a link leading outside the data folder, to " +
               f.expected + ": the review sheet does not show it";
    case Fault::CheckNoDescription:
        return partCode(f) + "has no description file " + f.file + otherCase(f);
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

} // namespace specialty
