// One step of the presentation that may fail without stopping the others.
#pragma once

namespace specialty {

// Runs `step`. A step that throws (memory running out while a picture is decoded or a text is set) is
// dropped without a word and the next one runs: one damaged part must never keep the others from showing.
template <typename Step>
void guarded(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

} // namespace specialty
