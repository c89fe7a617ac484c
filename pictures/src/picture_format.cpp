#include "picture_format.h"

#include "jpeg_scans.h"
#include "png_chunks.h"

#include <array>

namespace specialty {

namespace {

using namespace std::string_view_literals;

const std::array<PictureFormat, 3> kDecodedFormats{{
    {"jpeg", "\xFF\xD8\xFF"sv, takeOutJpegMetadata},
    {"png", "\x89PNG\r\n\x1A\n"sv, takeOutPngMetadata},
    {"bmp", "BM"sv, nullptr},
}};

} // namespace

const char* const kDecodedFormatNames = "JPEG, PNG or BMP";

const PictureFormat* pictureFormatOf(std::string_view bytes) {
    for (const PictureFormat& format : kDecodedFormats)
        if (bytes.substr(0, format.signature.size()) == format.signature) return &format;
    return nullptr;
}

} // namespace specialty
