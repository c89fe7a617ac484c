// The JPEG scan counter on any bytes: it must end, stay inside the bytes and count no more scans than
// there are start-of-scan markers. The JPEG and PNG metadata cutters on the same bytes: they must end and
// never make the bytes longer. The BMP row counter on them too: it must end and stay inside the bytes, and
// a BMP it finds cut short gives fewer rows than its header names.
#include "fuzz_input.h"
#include "pictures/src/bmp_rows.h"
#include "pictures/src/jpeg_scans.h"
#include "pictures/src/png_chunks.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace specialty;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto scans = jpegScanCount(bytes);
    std::int64_t markers = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        markers += bytes[i] == '\xFF' && bytes[i + 1] == '\xDA';
    fuzz::require(!scans || (*scans >= 0 && *scans <= markers));
    fuzz::require(scans.has_value() == (size >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xD8'));
    const std::string jpeg = jpegWithoutMetadata(bytes);
    fuzz::require(jpeg.size() <= bytes.size() && jpegScanCount(jpeg).has_value() == scans.has_value());
    fuzz::require(pngWithoutMetadata(bytes).size() <= bytes.size());
    (void)pngInterlaced(bytes);
    const auto rows = bmpRowsCutShort(bytes);
    fuzz::require(!rows ||
                  (bytes.substr(0, 2) == "BM" && rows->supplied >= 0 && rows->supplied < rows->named));
    return 0;
}
