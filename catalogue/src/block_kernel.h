// The block kernels: the reader's quick looks at plain bytes, 64 at a time, as bit masks.
//
// One generic kernel (block_kernel_generic.h) is compiled once for each instruction set, inside a namespace
// of its own, by one small file each: block_kernel_sse2.cpp for every x86-64 processor (and, with a plain
// loop, for any other), block_kernel_avx2.cpp for processors with AVX2. Each file supplies the two steps
// that differ (classifying 64 bytes, and the running parity of the quotes) and the target for its compiler.
// A reader takes its kernel when it is made.
#pragma once

#include "catalogue/simd_kernel.h"
#include "list_buffer.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__GNUC__) || defined(__clang__)
#define SPECIALTY_ALWAYS_INLINE __attribute__((always_inline)) inline
#define SPECIALTY_NEVER_INLINE __attribute__((noinline))
#else
#define SPECIALTY_ALWAYS_INLINE inline
#define SPECIALTY_NEVER_INLINE
#endif

// GCC and clang build the AVX2 kernel; other compilers, and other processors, use the SSE2 (or plain) one.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define SPECIALTY_AVX2_KERNEL 1
#endif

namespace specialty {

struct ItemSpan {
    std::size_t offset = 0; // from the start of the current unit
    std::size_t length = 0;
    std::uint64_t fileOffset = 0; // where the item begins in the file (after its opening quote, if any)
    bool truncated = false;       // longer than the item limit: only the first bytes are kept
    // The line (from 1) the item begins on, where the reader counts lines: named by readItem(); the quick
    // looks leave it as it was, for ListReader::lineOf() to name when asked.
    std::uint64_t line = 0;
};

// The bytes of one block that matter to the list syntax, one bit a byte (bit i is byte i of the block).
struct BlockMasks {
    std::uint64_t comma;
    std::uint64_t quote;
    std::uint64_t lineEnd; // CR or LF
    std::uint64_t blank;   // space or tab
    std::uint64_t watched; // equal to one of the (up to three) bytes a pass watches for
};

// What the bytes before a block leave for it. Each word holds a single bit in bit 0 (or, for `inside`, all
// ones or none), so that it can be or-ed in where the block's own masks, shifted one byte on, leave bit 0
// empty.
struct LineState {
    std::uint64_t inside = 0;      // all ones when the block begins inside quotes
    std::uint64_t lineBefore = 0;  // the byte before is a line end outside quotes
    std::uint64_t endBefore = 1;   // the byte before ends an item (comma or line end), or there is none
    std::uint64_t blankBefore = 0; // the byte before is a blank
};

// The last block a quick look classified. The next unit often begins inside it, and then its item ends
// are taken from here instead of classifying its bytes again.
struct KnownBlock {
    bool valid = false;
    std::uint64_t start = 0; // where the block begins in the file
    std::uint64_t ends = 0;  // item ends in it
    LineState after;         // what it leaves for the block after it
};

// What a pass over whole units watches for: a unit whose first item begins with a byte of `firstBytes`, or
// whose third begins with one of `thirdBytes` (three bytes in all at most), and when to stop at the latest.
// `thirdTest`, when set, is asked about a third item that begins with one of `thirdBytes` and lies whole
// in the bytes at hand; the pass stops there only when it says yes.
struct PassTarget {
    std::string_view firstBytes;
    std::string_view thirdBytes;
    std::int64_t most;
    bool (*thirdTest)(std::string_view item, const void* context) = nullptr;
    const void* context = nullptr;
};

// One instruction set's build of the generic kernel.
struct BlockKernel {
    // Splits the next unit of `items` items, beginning at the buffer's reading position, if its bytes are
    // plain: the first `wanted` items (at most `items`) into `spans`, as the careful reading would give
    // them. True with the unit consumed; false with nothing consumed where the careful reading is needed (a
    // blank-only line, a quote that does not open an item, the end of the file, a unit longer than
    // `maxItem`).
    bool (*splitUnit)(ListBuffer& in, KnownBlock& known, std::size_t maxItem, int items, int wanted,
                      ItemSpan* spans);
    // Passes over whole units of `items` items for as long as none is watched for by `target` (at most
    // target.most units), stopping at a unit boundary: before the first unit that may be, or before bytes
    // that are not plain. Returns how many units went by.
    std::int64_t (*passUnits)(ListBuffer& in, KnownBlock& known, std::size_t maxItem, int items,
                              const PassTarget& target);
};

namespace sse2 {
extern const BlockKernel kKernel;
}
#if SPECIALTY_AVX2_KERNEL
namespace avx2 {
extern const BlockKernel kKernel;
}
#endif

// The kernel a reader uses: the AVX2 build where the processor has it (unless `choice` asks for SSE2), or
// none where the processor lacks the population count that both need; the careful reading then does all.
inline const BlockKernel* blockKernelFor(SimdKernel choice) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (!__builtin_cpu_supports("popcnt")) return nullptr;
#endif
#if SPECIALTY_AVX2_KERNEL
    if (choice == SimdKernel::Best && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("pclmul"))
        return &avx2::kKernel;
#endif
    (void)choice;
    return &sse2::kKernel;
}

} // namespace specialty
