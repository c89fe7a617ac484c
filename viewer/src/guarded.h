// One step of the presentation that may fail without stopping the others.
#pragma once

#include <new>

namespace specialty {

// Runs `step`. A step that runs out of memory (while a picture is copied or a text from the catalogue is
// made) is dropped without a word and the next one runs: one damaged part must never keep the others from
// showing. Only steps that allocate are guarded; Qt itself reports nothing by throwing but a failed
// allocation, and any other exception is a fault that must not be hidden.
template <typename Step>
void guarded(Step&& step) noexcept {
    try {
        step();
    } catch (const std::bad_alloc&) {
    }
}

} // namespace specialty
