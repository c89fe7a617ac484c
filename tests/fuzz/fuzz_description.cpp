// The description reader against the plain reference, with small limits so the cut is reached often.
#include "catalogue/description_reader.h"
#include "fuzz_input.h"
#include "tests/reference_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace specialty;
    fuzz::Input input(data, size);
    const std::size_t chunk = 1 + input.byte() % 64;
    const std::size_t maxBytes = 1 + input.byte() * 8u;
    const std::string_view bytes = input.rest();
    const Result<Description> got = readDescriptionBytes(bytes, maxBytes, chunk);
    fuzz::require(got.ok()); // bytes in memory have no read to fail
    fuzz::require(got->caption == reference::descriptionCaption(bytes, maxBytes));
    return 0;
}
