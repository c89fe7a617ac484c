// The streaming list reader against the plain reference, for any bytes and any buffer size.
#include "fuzz_input.h"
#include "list_reader.h"
#include "reference_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace specialty;
    fuzz::Input input(data, size);
    const std::size_t chunk = 1 + input.byte() % 64;
    const std::size_t maxItem = 1 + input.byte() * 4u;
    const std::string_view bytes = input.rest();

    const std::vector<reference::Item> expected = reference::items(bytes, maxItem);
    ListReader reader(maxItem, chunk);
    reader.openMemory(bytes);
    std::size_t count = 0;
    while (!reader.atEnd()) {
        reader.beginUnit();
        ItemSpan span;
        if (!reader.readItem(span)) break;
        fuzz::require(count < expected.size());
        fuzz::require(reader.text(span) == expected[count].text &&
                      span.truncated == expected[count].truncated &&
                      span.fileOffset == expected[count].offset);
        ++count;
    }
    fuzz::require(count == expected.size());
    return 0;
}
