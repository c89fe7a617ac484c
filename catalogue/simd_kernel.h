// Which build of the 64-byte classifier the catalogue reader's quick looks use.
#pragma once

namespace specialty {

// The best the processor has, or one of them forced, so that tests and fuzzing exercise both. AVX2 falls
// back to SSE2 on a processor without it.
enum class SimdKernel { Best, Sse2, Avx2 };

} // namespace specialty
