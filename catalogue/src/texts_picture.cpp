// The texts of the faults in failure.h's block "Pictures".
#include "fault_texts.h"

namespace specialty {

std::string describePictureFault(const Failure& failure) {
    switch (failure.fault) {
    default:
        return failure.why;
    }
}

} // namespace specialty
