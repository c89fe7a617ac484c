// The streaming list reader against the plain reference, for any bytes and any buffer size.
#include "catalogue/simd_kernel.h"
#include "catalogue/src/list_reader.h"
#include "fuzz_input.h"
#include "tests/reference_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace specialty;
    fuzz::Input input(data, size);
    const std::size_t chunk = 1 + input.byte() % 64;
    const std::size_t maxItem = 1 + input.byte() * 4u;
    const std::string_view bytes = input.rest();

    const std::vector<reference::Item> expected = reference::items(bytes, maxItem);
    // The line of each place, counted plainly: CR LF, LF and a lone CR each end a line.
    std::vector<std::uint64_t> lineAt(bytes.size() + 1, 1);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        lineAt[i + 1] = lineAt[i] + (bytes[i] == '\n' ||
                                     (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')));
    // Item by item; then in units, each split by the quick look where it can be and item by item where
    // not, with each processor kernel.
    for (int units = 0; units <= 2; ++units) {
        const int unitItems = units == 0 ? 1 : 1 + (units == 1 ? size % 31 : (size / 31) % 31);
        const SimdKernel kernel = units == 2 ? SimdKernel::Sse2 : SimdKernel::Best;
        ListReader reader(maxItem, chunk, kernel);
        reader.openMemory(bytes);
        reader.countLines();
        std::size_t count = 0;
        auto same = [&](const ItemSpan& span, std::uint64_t line) {
            fuzz::require(count < expected.size());
            fuzz::require(reader.text(span) == expected[count].text &&
                          span.truncated == expected[count].truncated &&
                          span.fileOffset == expected[count].offset && line == lineAt[span.fileOffset]);
            ++count;
        };
        ItemSpan spans[ListReader::kMostSkimItems];
        while (!reader.atEnd()) {
            if (units > 0 && reader.skimItems(unitItems, spans)) {
                for (int i = 0; i < unitItems; ++i) // a quick look names lines when asked, in order
                    same(spans[i], reader.lineOf(spans[i]));
                continue;
            }
            reader.beginUnit();
            bool ended = false;
            for (int i = 0; i < unitItems && !ended; ++i) {
                if (reader.readItem(spans[0]))
                    same(spans[0], spans[0].line);
                else
                    ended = true;
            }
            if (ended) break;
        }
        fuzz::require(count == expected.size());
    }
    return 0;
}
