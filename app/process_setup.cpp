#include "process_setup.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace specialty {

void prepareProcess() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
#endif
}

} // namespace specialty
