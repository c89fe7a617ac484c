// The texts of the pictures layer's faults (picture_fault.h): why a part's picture is not shown, worded to
// follow "the picture ...: ".
#include "pictures/picture_fault.h"

#include "catalogue/messages.h"

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

std::string describePictureFault(const Failure& failure) {
    switch (failure.fault.as<PictureFault>()) {
    case PictureFault::NotDecodedFormat:
        return "it is not a picture that can be decoded (not a " + failure.expected + " file)";
    case PictureFault::HasTooManyScans:
        return "it has " + std::to_string(failure.count) + " scans, more than the " +
               std::to_string(failure.limit) + " a picture may have";
    case PictureFault::GivesNoSize:
        return "it does not give its size before its pixels (" + failure.why + ")";
    case PictureFault::ScansTakeTooLong:
        return "its " + std::to_string(failure.count) + " scans over " + failure.value +
               " pixels would take too long to decode";
    case PictureFault::DoesNotFitMemory:
        return "it is " + failure.value + " pixels, more than the " + megabytes(failure.limit) +
               " of memory left for it";
    case PictureFault::DoesNotDecode:
        return "it is not a picture that can be decoded (" + causeOf(failure) + ")";
    case PictureFault::TimeIsUp:
        return "its time is up";
    case PictureFault::OutOfMemory:
        return "there is not memory enough to read it";
    case PictureFault::DecodesOnlyPartly:
        return "it decodes only partly (" + warningList(failure.why) + ")";
    case PictureFault::RowsCutShort:
        return "its pixel rows stop after " + std::to_string(failure.count) + " of its " +
               std::to_string(failure.limit) + " rows";
    default:
        return failure.why;
    }
}

constexpr WordedFamily kFamily("picture", describePictureFault);

} // namespace

const FaultFamily& faultFamily(PictureFault) {
    return kFamily;
}

} // namespace specialty
