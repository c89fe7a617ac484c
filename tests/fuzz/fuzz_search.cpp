// The catalogue search against the plain reference: any catalogue bytes, any selection, both modes.
#include "catalogue/src/list_reader.h"
#include "catalogue/vehicle_search.h"
#include "fuzz_input.h"
#include "tests/reference_catalogue.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace specialty;
    fuzz::Input input(data, size);
    const std::uint8_t flags = input.byte();
    // Reads of 1 to 128 bytes move records across the buffer's ends; reads of up to 64 KB let the pass run
    // far ahead of the last place it settled.
    const std::uint8_t chunkByte = input.byte();
    const std::size_t chunk = chunkByte < 128 ? 1 + chunkByte : std::size_t(64) << (chunkByte % 11);
    const std::int32_t demoIndex = input.int32();
    std::string selection(input.take(input.byte() % 96));
    if (flags & 1) selection = "-1";
    // Repeating the bytes makes catalogues long enough for the block-at-a-time pass to settle boundaries.
    std::string repeated(input.rest());
    for (int copies = (flags >> 1) & 7; copies > 0 && repeated.size() < (1 << 16); --copies)
        repeated += input.rest();
    // A DEL byte may stand for a field longer than the reader keeps: a run of the byte after it.
    if (flags & 32) {
        std::string expanded;
        for (std::size_t i = 0; i < repeated.size(); ++i) {
            if (repeated[i] != '\x7F' || i + 1 == repeated.size() || expanded.size() > (1 << 20)) {
                expanded += repeated[i];
                continue;
            }
            expanded.append(ListReader::kDefaultMaxItemBytes + (flags >> 6), repeated[i + 1]);
        }
        repeated = std::move(expanded);
    }
    const std::string_view catalogue = repeated;

    // Both entry points: a selection (the host's marker among them), or a position, as demo steps ask.
    const bool byPosition = flags & 16;
    const std::int64_t position = std::llabs(static_cast<std::int64_t>(demoIndex));
    const std::size_t maxItem = ListReader::kDefaultMaxItemBytes;
    const Lookup want = byPosition ? reference::recordAt(catalogue, position, maxItem)
                                   : reference::findVehicle(catalogue, selection, maxItem);
    // Both builds of the block classifier read every input (AVX2 only where the processor has it).
    for (SimdKernel kernel : {SimdKernel::Sse2, SimdKernel::Best}) {
        const Lookup got = byPosition ? recordAtInBytes(position, catalogue, "fuzz", chunk, kernel)
                                      : findVehicleInBytes(selection, catalogue, "fuzz", chunk, kernel);
        fuzz::require(got.ok() == want.ok());
        fuzz::require(got.ok() || !got.reason().empty());
        if (got.ok()) fuzz::require(*got == *want);
    }
    return 0;
}
