// The texts of the faults in failure.h's blocks "Files and the system" and "The catalogue".
#include "fault_texts.h"

namespace specialty {

std::string describeFileFault(const Failure& failure) {
    switch (failure.fault) {
    case Fault::System:
    default:
        return failure.why;
    }
}

std::string describeCatalogueFault(const Failure& failure) {
    switch (failure.fault) {
    case Fault::CatalogueCannotBeOpened:
        return "The catalogue " + failure.file + " cannot be opened: " + causeOf(failure) + ".";
    case Fault::CatalogueCannotBeRead:
        return "The catalogue " + failure.file + " could not be read: " + causeOf(failure) + ".";
    default:
        return failure.why;
    }
}

} // namespace specialty
