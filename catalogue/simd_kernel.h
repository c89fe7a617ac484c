// Which build of the 64-byte classifier the catalogue reader's quick looks use.
#pragma once

namespace specialty {

// The best the processor has (AVX2 where it has it), or the SSE2 build forced, so that tests and fuzzing
// exercise both.
enum class SimdKernel { Best, Sse2 };

} // namespace specialty
