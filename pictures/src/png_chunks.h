// A look at a PNG's chunk list before it is decoded, and a copy that keeps only the chunks that draw it.
//
// A PNG may carry text (tEXt, zTXt, iTXt), colour profiles (iCCP), Exif and chunks of any other name. The
// compressed ones inflate to a thousand times their size, and the decoder inflates them while it only
// reads the picture's size: 386 KB of zTXt cost 2 GB. None of them changes a pixel the viewer shows, so
// they never reach the decoder.
#pragma once

#include <string>
#include <string_view>

namespace specialty {

// `bytes` with only the chunks that make up the picture (IHDR, PLTE, IDAT, IEND, and the small fixed-size
// tRNS, gAMA, cHRM, sRGB, sBIT and pHYs), each copied whole with its checksum, up to IEND. A chunk cut
// short by the end of the file is copied as far as it goes. Bytes that do not begin with the PNG signature
// are returned unchanged.
std::string pngWithoutMetadata(std::string_view bytes);
// The same in place: bytes that hold only those chunks are left as they are.
void takeOutPngMetadata(std::string& bytes);

// The bit depth the PNG's header chunk gives (1 to 16), or 0 when the bytes do not begin with it.
int pngBitDepth(std::string_view bytes);

// Whether the PNG's header chunk says its rows are interlaced (stored in seven passes); false when the
// bytes do not begin with it.
bool pngInterlaced(std::string_view bytes);

} // namespace specialty
