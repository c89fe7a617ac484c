// The texts of the faults in failure.h's blocks "Files and the system" and "The catalogue".
#include "fault_texts.h"

#include "catalogue/catalogue_record.h"
#include "catalogue/messages.h"
#include "catalogue/text_encoding.h"

#include <cstdio>

namespace specialty {

namespace {

// "U+20AC": how a character is named when it has no place in the code page.
std::string codePointName(std::string_view character) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePointOf(character)));
    return name;
}

// A year the year test could not convert, `what` naming it.
std::string yearNotWhole(const std::string& what, const Failure& failure) {
    return what + " (" + quoted(failure.value) + ") is not a whole number " + kYearRange + ".";
}

} // namespace

std::string describeFileFault(const Failure& failure) {
    switch (failure.fault) {
    case Fault::PathHoldsNul:
        return "the path holds a NUL byte";
    case Fault::IsDirectory:
        return "it is a directory, not a file";
    case Fault::NotOrdinaryFile:
        return "it is not an ordinary file";
    case Fault::FileTooLarge:
        return "it is larger than " + std::to_string(failure.limit) + " bytes";
    case Fault::NotUtf8:
        return "character " + std::to_string(failure.count) + " is not UTF-8";
    case Fault::NotInCodePage:
        return "character " + std::to_string(failure.count) + " (" + codePointName(failure.value) +
               ") is not in Windows-1252";
    case Fault::System:
    default:
        return failure.why;
    }
}

std::string describeCatalogueFault(const Failure& failure) {
    const std::string catalogue = "The catalogue " + failure.file;
    switch (failure.fault) {
    case Fault::CatalogueCannotBeOpened:
        return catalogue + " cannot be opened: " + causeOf(failure) + ".";
    case Fault::CatalogueCannotBeRead:
        return catalogue + " could not be read: " + causeOf(failure) + ".";
    case Fault::CatalogueEndsInRecord:
        return catalogue + " ends in the middle of " + recordNumbered(failure.record) + ": it has " +
               std::to_string(failure.count) + " of its " + std::to_string(kRecordFields) + " fields.";
    case Fault::CatalogueFieldTooLong:
        return catalogue + " is damaged: field " + fieldName(failure.field) + " of " +
               recordNumbered(failure.record) + " is longer than " + std::to_string(failure.limit) +
               " bytes.";
    case Fault::SelectionYearNotWhole:
        return yearNotWhole("The selection's Year" + std::to_string(failure.field), failure) +
               " It was needed for " + recordNumbered(failure.record) + ", whose names match.";
    case Fault::RecordYearNotWhole:
        return yearNotWhole("The year " + fieldName(failure.field) + " of " + recordNumbered(failure.record),
                            failure);
    case Fault::SpareFieldNotKept:
        return "[longer than " + std::to_string(failure.limit) + " bytes: not shown]";
    case Fault::CheckSpareFieldLong:
        return "field SpareField of " + recordNumbered(failure.record) + " is longer than " +
               std::to_string(failure.limit) +
               " bytes: the viewer never shows it and reads past it, but find does not show it and export "
               "refuses the catalogue";
    case Fault::PartCodeNotPlainName:
        return "part code " + quoted(failure.value) + " is not a plain file name";
    default:
        return failure.why;
    }
}

} // namespace specialty
