// Process-wide settings made once, before the window is created.
#pragma once

namespace specialty {

// Lets the C library serve picture-sized blocks (hundreds of kilobytes) from its heap instead of fresh
// memory mappings. Decoding a picture allocates several such blocks; from the heap they reuse memory already
// in use, where every new mapping costs a round of page faults: a 16-part vehicle shows in about half the
// time. Elsewhere than glibc this does nothing.
void prepareProcess();

} // namespace specialty
