// The texts of the faults in failure.h's block "Files the tools write".
#include "fault_texts.h"

namespace specialty {

std::string describeOutputFault(const Failure& failure) {
    switch (failure.fault) {
    default:
        return failure.why;
    }
}

} // namespace specialty
