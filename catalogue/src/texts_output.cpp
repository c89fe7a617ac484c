// The texts of the faults in failure.h's block "Files the tools write".
#include "fault_texts.h"

namespace specialty {

namespace {

// `text` ended as a sentence: with a full stop, unless it has one.
std::string sentence(std::string text) {
    if (text.empty() || text.back() != '.') text += '.';
    return text;
}

} // namespace

std::string describeOutputFault(const Failure& failure) {
    const Failure& f = failure;
    switch (f.fault) {
    case Fault::OutputCannotFollow:
        return "cannot follow " + f.file + " to its file: " + f.why;
    case Fault::OutputDanglingLink:
        return f.file + " is a symbolic link to a file that does not exist";
    case Fault::OutputCannotLookAt:
        return "cannot look at " + f.file + ": " + f.why;
    case Fault::OutputUnreadFifo:
        return f.file + " is a FIFO that nothing reads from";
    case Fault::OutputCannotOpen:
        return "cannot open " + f.file + ": " + f.why;
    case Fault::OutputChangedWhileOpened:
        return f.file + " changed while it was being opened";
    case Fault::OutputIsFolder:
        return f.file + " is a folder";
    case Fault::OutputIsBlockDevice:
        return f.file + " is a block device, which is never written in place";
    case Fault::OutputIsSocket:
        return f.file + " is a socket";
    case Fault::OutputIsOtherKind:
        return f.file + " is neither an ordinary file, a character device nor a FIFO";
    case Fault::OutputNoTemporary:
        return "cannot make a temporary file beside " + f.file + ": " + f.why;
    case Fault::OutputCannotWrite:
        return "cannot write " + f.file + ": " + f.why;
    case Fault::OutputCannotFinish:
        return "cannot finish writing " + f.file + ": " + f.why;
    case Fault::OutputCannotSetPermissions:
        return "cannot set the permissions of " + f.file + ": " + f.why;
    case Fault::OutputCannotFlush:
        return "cannot flush " + f.file + ": " + f.why;
    case Fault::OutputCannotClose:
        return "cannot close " + f.file + ": " + f.why;
    case Fault::OutputCannotRead:
        return "cannot read " + f.file + ": " + f.why;
    case Fault::OutputCannotGiveOwner:
        return "cannot give " + f.file + " the owner and group of " + f.value + ": " + f.why;
    case Fault::OutputCannotReplace:
        return "cannot replace " + f.file + ": " + f.why;
    case Fault::OutputIsTheCatalogue:
        return "Nothing was written: " + f.file + " is the catalogue that export reads (" + f.value + ").";
    case Fault::OutputCsvNotWritten:
        return "The CSV file cannot be written: " + causeOf(f) + ".";
    case Fault::OutputWorkbookNotWritten:
        return "The workbook cannot be written: " + causeOf(f) + ".";
    case Fault::OutputPreviousNotKept:
        return "the previous catalogue cannot be kept: " + causeOf(f);
    case Fault::OutputNothingWritten:
        return "Nothing was written: " + causeOf(f) + ".";
    case Fault::OutputStandardOutput:
        return "the output could not be written: " + f.why;
    case Fault::OutputStandardOutputAfterFile:
        return "the output could not be written: " + f.why + "; the exit status " + std::to_string(f.count) +
               " tells how the writing of the file went";
    case Fault::SheetNoFolder:
        return "no folder was named";
    case Fault::SheetFolderUnusable:
        return "the folder " + f.file + " cannot be used: " + f.why;
    case Fault::SheetFolderNotMade:
        return "the folder " + f.file + " cannot be made" + (f.why.empty() ? std::string() : ": " + f.why);
    case Fault::SheetNotAFolder:
        return f.file + " is not a folder";
    case Fault::SheetFolderNotEmpty:
        return "the folder " + f.file +
               " holds files that sheet did not write: name a new or empty folder, or one that holds an "
               "earlier "
               "sheet";
    case Fault::SheetFolderUnreadable:
        return "the folder " + f.file + " cannot be read: " + f.why;
    case Fault::SheetCannotMakeFile:
        return "cannot make a file in " + f.file + ": " + f.why;
    case Fault::SheetNotWritten:
        return "No sheet was written: " + sentence(causeOf(f));
    case Fault::SheetIncomplete:
        return "The sheet is incomplete: " + sentence(causeOf(f));
    case Fault::SheetNoThumbnail:
        return "its thumbnail cannot be made";
    case Fault::SheetFolderNotYours:
        return "the folder " + f.file + " belongs to another user (uid " + std::to_string(f.count) +
               "), who could change it while the sheet is written: name a folder of your own";
    case Fault::SheetFolderOpenToOthers:
        return "the folder " + f.file +
               " may be written by other users, who could change it while the sheet is written: name a "
               "folder only you may write into";
    default:
        return failure.why;
    }
}

} // namespace specialty
