// The texts of the catalogue layer's own faults (CatalogueFault in failure.h): files and the system, the
// catalogue and its records.
#include "catalogue/catalogue_record.h"
#include "catalogue/failure.h"
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

std::string describeFileFault(const Failure& failure) {
    switch (failure.fault.as<CatalogueFault>()) {
    case CatalogueFault::PathHoldsNul:
        return "the path holds a NUL byte";
    case CatalogueFault::IsDirectory:
        return "it is a directory, not a file";
    case CatalogueFault::NotOrdinaryFile:
        return "it is not an ordinary file";
    case CatalogueFault::FileTooLarge:
        return "it is larger than " + std::to_string(failure.limit) + " bytes";
    case CatalogueFault::NotUtf8:
        return "character " + std::to_string(failure.count) + " is not UTF-8";
    case CatalogueFault::NotInCodePage:
        return "character " + std::to_string(failure.count) + " (" + codePointName(failure.value) +
               ") is not in Windows-1252";
    case CatalogueFault::System:
    default:
        return failure.why;
    }
}

std::string describeCatalogueFault(const Failure& failure) {
    const std::string catalogue = "The catalogue " + failure.file;
    switch (failure.fault.as<CatalogueFault>()) {
    case CatalogueFault::CannotBeOpened:
        return catalogue + " cannot be opened: " + causeOf(failure) + ".";
    case CatalogueFault::CannotBeRead:
        return catalogue + " could not be read: " + causeOf(failure) + ".";
    case CatalogueFault::EndsInRecord:
        return catalogue + " ends in the middle of " + recordNumbered(failure.record) + ": it has " +
               std::to_string(failure.count) + " of its " + std::to_string(kRecordFields) + " fields.";
    case CatalogueFault::FieldTooLong:
        return catalogue + " is damaged: field " + fieldName(failure.field) + " of " +
               recordNumbered(failure.record) + " is longer than " + std::to_string(failure.limit) +
               " bytes.";
    case CatalogueFault::SelectionYearNotWhole:
        return yearNotWhole("The selection's Year" + std::to_string(failure.field), failure) +
               " It was needed for " + recordNumbered(failure.record) + ", whose names match.";
    case CatalogueFault::RecordYearNotWhole:
        return yearNotWhole("The year " + fieldName(failure.field) + " of " + recordNumbered(failure.record),
                            failure);
    case CatalogueFault::PartCodeNotPlainName:
        return "part code " + quoted(failure.value) + " is not a plain file name";
    default:
        return failure.why;
    }
}

// Files and the system below 100, the catalogue and its records from 100.
std::string describeCatalogueFamily(const Failure& failure) {
    return failure.fault.number < 100 ? describeFileFault(failure) : describeCatalogueFault(failure);
}

constexpr WordedFamily kFamily("catalogue", describeCatalogueFamily);

} // namespace

const FaultFamily& faultFamily(CatalogueFault) {
    return kFamily;
}

} // namespace specialty
