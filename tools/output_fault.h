// The faults of the files the tool writes, of the commands that write them, and of the picture module
// that check and sheet load; their texts are made in output_texts.cpp. The comment of each fault names the
// details it uses.
#pragma once

#include "catalogue/failure.h"

#include <cstdint>

namespace specialty {

enum class OutputFault : std::uint16_t {
    // `file` is the file named, `why` the system's reason.
    CannotFollow = 500,         // file, why
    DanglingLink = 501,         // file
    CannotLookAt = 502,         // file, why
    UnreadFifo = 503,           // file
    CannotOpen = 504,           // file, why
    ChangedWhileOpened = 505,   // file
    IsFolder = 506,             // file
    IsBlockDevice = 507,        // file
    IsSocket = 508,             // file
    IsOtherKind = 509,          // file
    NoTemporary = 510,          // file: the target, why
    CannotWrite = 511,          // file, why
    CannotFinish = 512,         // file, why
    CannotSetPermissions = 513, // file, why
    CannotFlush = 514,          // file, why
    CannotClose = 515,          // file, why
    CannotRead = 516,           // file, why
    CannotGiveOwner = 517,      // file: the temporary file, value: the target, why
    CannotReplace = 518,        // file, why
    // The commands that write them.
    IsTheCatalogue = 530,          // file: the output, value: the catalogue
    CsvNotWritten = 531,           // cause
    WorkbookNotWritten = 532,      // cause
    PreviousNotKept = 533,         // cause
    NothingWritten = 534,          // cause
    StandardOutput = 535,          // why
    StandardOutputAfterFile = 536, // why, count: the exit status that tells how the file went
    // The picture module, which check and sheet load.
    PictureModuleNotLoaded = 580,  // file, why: the loader's own reason
    PictureModuleOtherBuild = 581, // file, count: its version, limit: the version this program needs
    PictureJudgedByModule = 582,   // why: the module's own wording of what keeps a picture from showing
};
const FaultFamily& faultFamily(OutputFault);

} // namespace specialty
