// The texts of the faults in failure.h's block "Spreadsheets: import and export".
#include "fault_texts.h"

namespace specialty {

std::string describeSpreadsheetFault(const Failure& failure) {
    switch (failure.fault) {
    default:
        return failure.why;
    }
}

} // namespace specialty
