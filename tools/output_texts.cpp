// The texts of the faults of the files the tool writes and of the commands that write them
// (output_fault.h).
#include "tools/output_fault.h"

#include "catalogue/messages.h"

namespace specialty {

namespace {

// A fault of a file written: `before` the file's name, `after` it, then the system's reason when `why`.
// NOLINTNEXTLINE(clang-analyzer-optin.performance.Padding): 18 rows; the fault first reads as the table does
struct FileText {
    OutputFault fault;
    const char* before;
    const char* after;
    bool why;
};

constexpr FileText kFileTexts[] = {
    {OutputFault::CannotFollow, "cannot follow ", " to its file", true},
    {OutputFault::DanglingLink, "", " is a symbolic link to a file that does not exist", false},
    {OutputFault::CannotLookAt, "cannot look at ", "", true},
    {OutputFault::UnreadFifo, "", " is a FIFO that nothing reads from", false},
    {OutputFault::CannotOpen, "cannot open ", "", true},
    {OutputFault::ChangedWhileOpened, "", " changed while it was being opened", false},
    {OutputFault::IsFolder, "", " is a folder", false},
    {OutputFault::IsBlockDevice, "", " is a block device, which is never written in place", false},
    {OutputFault::IsSocket, "", " is a socket", false},
    {OutputFault::IsOtherKind, "", " is neither an ordinary file, a character device nor a FIFO", false},
    {OutputFault::NoTemporary, "cannot make a temporary file beside ", "", true},
    {OutputFault::CannotWrite, "cannot write ", "", true},
    {OutputFault::CannotFinish, "cannot finish writing ", "", true},
    {OutputFault::CannotSetPermissions, "cannot set the permissions of ", "", true},
    {OutputFault::CannotFlush, "cannot flush ", "", true},
    {OutputFault::CannotClose, "cannot close ", "", true},
    {OutputFault::CannotRead, "cannot read ", "", true},
    {OutputFault::CannotReplace, "cannot replace ", "", true},
};

// The faults of the commands that write files, and of the file whose owner cannot be given.
std::string commandFault(const Failure& f) {
    switch (f.fault.as<OutputFault>()) {
    case OutputFault::CannotGiveOwner:
        return "cannot give " + f.file + " the owner and group of " + f.value + ": " + f.why;
    case OutputFault::IsTheCatalogue:
        return "Nothing was written: " + f.file + " is the catalogue that export reads (" + f.value + ").";
    case OutputFault::CsvNotWritten:
        return "The CSV file cannot be written: " + causeOf(f) + ".";
    case OutputFault::WorkbookNotWritten:
        return "The workbook cannot be written: " + causeOf(f) + ".";
    case OutputFault::PreviousNotKept:
        return "the previous catalogue cannot be kept: " + causeOf(f);
    case OutputFault::NothingWritten:
        return "Nothing was written: " + causeOf(f) + ".";
    case OutputFault::StandardOutput:
        return "the output could not be written: " + f.why;
    case OutputFault::StandardOutputAfterFile:
        return "the output could not be written: " + f.why + "; the exit status " + std::to_string(f.count) +
               " tells how the writing of the file went";
    case OutputFault::PictureModuleNotLoaded:
        return "The picture module " + f.file + " cannot be loaded: " + f.why;
    case OutputFault::PictureModuleOtherBuild:
        return "The picture module " + f.file + " is version " + std::to_string(f.count) +
               ", this program needs version " + std::to_string(f.limit) + ": install both from one build";
    default: // PictureJudgedByModule among them: the module's own words
        return f.why;
    }
}

std::string describeOutputFault(const Failure& f) {
    for (const FileText& t : kFileTexts)
        if (f.fault == t.fault) return t.before + f.file + t.after + (t.why ? ": " + f.why : std::string());
    return commandFault(f);
}

constexpr WordedFamily kFamily("output", describeOutputFault);

} // namespace

const FaultFamily& faultFamily(OutputFault) {
    return kFamily;
}

} // namespace specialty
