// The texts of the faults in failure.h's block "The checker's findings".
#include "fault_texts.h"

namespace specialty {

std::string describeCheckFinding(const Failure& failure) {
    switch (failure.fault) {
    default:
        return failure.why;
    }
}

} // namespace specialty
