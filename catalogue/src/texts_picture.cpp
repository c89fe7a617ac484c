// The texts of the faults in failure.h's block "Pictures": why a part's picture is not shown, worded to
// follow "the picture ...: ".
#include "fault_texts.h"

namespace specialty {

namespace {

// Bytes as whole megabytes, rounded up: "64 MB".
std::string megabytes(std::int64_t bytes) {
    return std::to_string((bytes + 1024 * 1024 - 1) / (1024 * 1024)) + " MB";
}

// The decoder's warnings, given one a line, as one list: "first; second".
std::string warningList(const std::string& lines) {
    std::string list;
    for (char c : lines)
        list += c == '\n' ? std::string("; ") : std::string(1, c);
    return list;
}

} // namespace

std::string describePictureFault(const Failure& failure) {
    switch (failure.fault) {
    case Fault::PictureNotDecodedFormat:
        return "it is not a picture that can be decoded (not a " + failure.expected + " file)";
    case Fault::PictureHasTooManyScans:
        return "it has " + std::to_string(failure.count) + " scans, more than the " +
               std::to_string(failure.limit) + " a picture may have";
    case Fault::PictureGivesNoSize:
        return "it does not give its size before its pixels (" + failure.why + ")";
    case Fault::PictureScansTakeTooLong:
        return "its " + std::to_string(failure.count) + " scans over " + failure.value +
               " pixels would take too long to decode";
    case Fault::PictureDoesNotFitMemory:
        return "it is " + failure.value + " pixels, more than the " + megabytes(failure.limit) +
               " of memory left for it";
    case Fault::PictureDoesNotDecode:
        return "it is not a picture that can be decoded (" + causeOf(failure) + ")";
    case Fault::PictureTimeIsUp:
        return "its time is up";
    case Fault::PictureOutOfMemory:
        return "there is not memory enough to read it";
    case Fault::PictureDecodesOnlyPartly:
        return "it decodes only partly (" + warningList(failure.why) + ")";
    case Fault::PictureRowsCutShort:
        return "its pixel rows stop after " + std::to_string(failure.count) + " of its " +
               std::to_string(failure.limit) + " rows";
    default:
        return failure.why;
    }
}

} // namespace specialty
