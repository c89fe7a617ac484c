// The floor the review sheet's picture work is measured against: libjpeg alone decoding each picture once
// at half its size (DCT scaling, as a thumbnail maker would) and writing the result as a PPM file.
// Usage: jpeg_half_decode OUT_FOLDER PICTURE...  (the results take eight names in turn, so that the disk
// holds only a few of them)
#include <cstdio>
#include <jpeglib.h>
#include <string>
#include <vector>

namespace {

bool decodeHalf(const char* path, const std::string& out) {
    std::FILE* in = std::fopen(path, "rb");
    if (in == nullptr) return false;
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, in);
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = 2;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const std::size_t row = static_cast<std::size_t>(info.output_width) * 3;
    std::vector<unsigned char> pixels(row * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW at = pixels.data() + row * info.output_scanline;
        jpeg_read_scanlines(&info, &at, 1);
    }
    jpeg_finish_decompress(&info);
    std::fclose(in);
    std::FILE* ppm = std::fopen(out.c_str(), "wb");
    if (ppm == nullptr) return false;
    std::fprintf(ppm, "P6 %u %u 255\n", info.output_width, info.output_height);
    const bool written = std::fwrite(pixels.data(), 1, pixels.size(), ppm) == pixels.size();
    jpeg_destroy_decompress(&info);
    return std::fclose(ppm) == 0 && written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    for (int n = 2; n < argc; ++n)
        if (!decodeHalf(argv[n], std::string(argv[1]) + "/" + std::to_string(n % 8) + ".ppm")) {
            std::fprintf(stderr, "cannot decode %s\n", argv[n]);
            return 1;
        }
    return 0;
}
