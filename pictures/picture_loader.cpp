#include "picture_loader.h"

#include "decoder_warnings.h"
#include "jpeg_scans.h"
#include "picture_format.h"
#include "png_chunks.h"
#include "regular_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QIODevice>
#include <QImageReader>

#include <algorithm>
#include <cstring>

namespace specialty {

namespace {

std::string megabytes(std::int64_t bytes) {
    return std::to_string((bytes + 1024 * 1024 - 1) / (1024 * 1024)) + " MB";
}

std::string dimensions(QSize size) {
    return std::to_string(size.width()) + " x " + std::to_string(size.height()) + " pixels";
}

// The bytes of a picture as a device the decoder reads from, which fails every read once decoding is to
// stop. (Not a QBuffer: the JPEG decoder reads a QBuffer's memory directly, past any check.)
class StoppableBytes : public QIODevice {
  public:
    StoppableBytes(std::string_view bytes, const DecodingStop& stop) : bytes_(bytes), stop_(stop) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return false; }
    qint64 size() const override { return static_cast<qint64>(bytes_.size()); }

  protected:
    qint64 readData(char* into, qint64 most) override {
        if (stop_.reached()) return -1;
        const auto at = static_cast<std::size_t>(std::min<qint64>(pos(), size()));
        const std::size_t count = std::min(static_cast<std::size_t>(most), bytes_.size() - at);
        std::memcpy(into, bytes_.data() + at, count);
        return static_cast<qint64>(count);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    std::string_view bytes_;
    DecodingStop stop_;
};

// A reader of `device` in `format` alone: never one that another installed decoder claims.
void useFormatOnly(QImageReader& reader, const PictureFormat& format) {
    reader.setFormat(format.decoderName);
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
}

} // namespace

PictureInput readPicture(const std::string& path) {
    PictureInput input;
    Result<std::string> read = readWholeFile(path, kMaxPictureFileBytes);
    if (!read) {
        input.problem = read.reason();
        return input;
    }
    input.format = pictureFormatOf(read.value());
    if (!input.format) {
        input.problem =
            std::string("it is not a picture that can be decoded (not a ") + kDecodedFormatNames + " file)";
        return input;
    }
    input.bytes =
        input.format->withoutMetadata ? input.format->withoutMetadata(read.value()) : std::move(read.value());
    input.scans = std::max<std::int64_t>(1, jpegScanCount(input.bytes).value_or(1));
    if (input.scans > kMaxJpegScans) {
        input.problem = "it has " + std::to_string(input.scans) + " scans, more than the " +
                        std::to_string(kMaxJpegScans) + " a picture may have";
        return input;
    }
    const DecodingStop never;
    StoppableBytes device(input.bytes, never);
    QImageReader reader(&device);
    useFormatOnly(reader, *input.format);
    input.size = reader.size();
    if (!input.size.isValid() || input.size.isEmpty()) {
        input.problem =
            "it does not give its size before its pixels (" + reader.errorString().toStdString() + ")";
        return input;
    }
    const std::int64_t pixels = static_cast<std::int64_t>(input.size.width()) * input.size.height();
    // A PNG of 16 bits a channel decodes to 8 bytes a pixel; everything else to at most 4.
    input.pixelBytes = pixels * (pngBitDepth(input.bytes) == 16 ? 8 : 4);
    input.decodingBytes = static_cast<std::int64_t>(input.bytes.size()) +
                          (input.scans > 1 ? pixels * kScanBufferBytesPerPixel : 0);
    if (pixels * input.scans > kMaxDecodedPixelPasses && input.scans > 1)
        input.problem = "its " + std::to_string(input.scans) + " scans over " + dimensions(input.size) +
                        " would take too long to decode";
    return input;
}

std::string pictureDoesNotFit(const PictureInput& input, std::int64_t maxPixelBytes) {
    const std::int64_t limit = std::max<std::int64_t>(0, std::min(maxPixelBytes, kMaxPictureBytes));
    if (input.pixelBytes <= limit) return std::string();
    return "it is " + dimensions(input.size) + ", more than the " + megabytes(limit) +
           " of memory left for it";
}

Picture decodePicture(const PictureInput& input, const DecodingStop& stop, QSize scaledTo) {
    StoppableBytes device(input.bytes, stop);
    QImageReader reader(&device);
    useFormatOnly(reader, *input.format);
    if (scaledTo.isValid() && !scaledTo.isEmpty()) reader.setScaledSize(scaledTo);
    QImage image = reader.read();
    if (image.isNull() || stop.reached())
        return Picture{
            QImage(),
            "it is not a picture that can be decoded (" +
                (stop.reached() ? std::string("its time is up") : reader.errorString().toStdString()) + ")"};
    return Picture{std::move(image), std::string()};
}

Picture loadPicture(const std::string& path, std::int64_t maxPixelBytes) {
    const PictureInput input = readPicture(path);
    if (!input.problem.empty()) return Picture{QImage(), input.problem};
    if (std::string problem = pictureDoesNotFit(input, maxPixelBytes); !problem.empty())
        return Picture{QImage(), std::move(problem)};
    return decodePicture(input);
}

std::string pictureProblem(const std::string& path) {
    DecoderWarnings warnings;
    const Picture picture = loadPicture(path);
    if (picture.image.isNull()) return picture.problem;
    if (warnings.messages().empty()) return std::string();
    std::string problem = "it decodes only partly (";
    for (std::size_t i = 0; i < warnings.messages().size(); ++i)
        problem += (i > 0 ? "; " : "") + warnings.messages()[i];
    return problem + ")";
}

} // namespace specialty
