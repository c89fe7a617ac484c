// The texts of the faults of sheet's folder and of the review sheet (sheet_fault.h).
#include "tools/sheet/sheet_fault.h"

#include "catalogue/messages.h"

namespace specialty {

namespace {

// `text` ended as a sentence: with a full stop, unless it has one.
std::string sentence(std::string text) {
    if (text.empty() || text.back() != '.') text += '.';
    return text;
}

std::string describeSheetFault(const Failure& failure) {
    const Failure& f = failure;
    switch (f.fault.as<SheetFault>()) {
    case SheetFault::NoFolder:
        return "no folder was named";
    case SheetFault::FolderUnusable:
        return "the folder " + f.file + " cannot be used: " + f.why;
    case SheetFault::FolderNotMade:
        return "the folder " + f.file + " cannot be made" + (f.why.empty() ? std::string() : ": " + f.why);
    case SheetFault::NotAFolder:
        return f.file + " is not a folder";
    case SheetFault::FolderNotEmpty:
        return "the folder " + f.file +
               " holds files that sheet did not write: name a new or empty folder, or one that holds an "
               "earlier "
               "sheet";
    case SheetFault::FolderUnreadable:
        return "the folder " + f.file + " cannot be read: " + f.why;
    case SheetFault::CannotMakeFile:
        return "cannot make a file in " + f.file + ": " + f.why;
    case SheetFault::NotWritten:
        return "No sheet was written: " + sentence(causeOf(f));
    case SheetFault::Incomplete:
        return "The sheet is incomplete: " + sentence(causeOf(f));
    case SheetFault::NoThumbnail:
        return "its thumbnail cannot be made";
    case SheetFault::FolderNotYours:
        return "the folder " + f.file + " belongs to another user (uid " + std::to_string(f.count) +
               "), who could change it while the sheet is written: name a folder of your own";
    case SheetFault::FolderOpenToOthers:
        return "the folder " + f.file +
               " may be written by other users, who could change it while the sheet is written: name a "
               "folder only you may write into";
    default:
        return failure.why;
    }
}

constexpr WordedFamily kFamily("sheet", describeSheetFault);

} // namespace

const FaultFamily& faultFamily(SheetFault) {
    return kFamily;
}

} // namespace specialty
