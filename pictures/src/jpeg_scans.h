// A look at a JPEG's structure before it is decoded: how many scans it has, and a copy without the
// segments that only carry metadata.
//
// A progressive JPEG is decoded scan by scan, and every scan touches every pixel again; a small file can
// repeat a scan thousands of times and keep a decoder busy for minutes. Counting the scans first lets the
// loader refuse such a file without decoding it. Comments and application segments (Exif, colour
// profiles, vendor data) may fill a file of many megabytes; the decoder would keep each one in memory,
// although none of them changes a pixel the viewer shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace specialty {

// The number of start-of-scan markers in `bytes`, or nothing when the bytes do not begin like a JPEG. A
// file cut short counts the scans that begin before its end.
std::optional<std::int64_t> jpegScanCount(std::string_view bytes);

// `bytes` without its comment segments and its application segments other than APP0 (JFIF) and APP14
// (Adobe, which says how the colours are coded); everything else, scan data included, is copied as it
// stands, up to the end-of-image marker. Bytes that do not begin like a JPEG are returned unchanged.
std::string jpegWithoutMetadata(std::string_view bytes);
// The same in place: bytes with no such segment and nothing past that marker are left as they are.
void takeOutJpegMetadata(std::string& bytes);

} // namespace specialty
