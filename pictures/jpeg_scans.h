// A look at a JPEG's structure before it is decoded: how many scans it has.
//
// A progressive JPEG is decoded scan by scan, and every scan touches every pixel again; a small file can
// repeat a scan thousands of times and keep a decoder busy for minutes. Counting the scans first lets the
// loader refuse such a file without decoding it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace specialty {

// The number of start-of-scan markers in `bytes`, or nothing when the bytes do not begin like a JPEG. A
// file cut short counts the scans that begin before its end.
std::optional<std::int64_t> jpegScanCount(std::string_view bytes);

} // namespace specialty
