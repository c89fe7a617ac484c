#include "picture_loader.h"

#include "catalogue/regular_file.h"
#include "pictures/src/decoder_warnings.h"
#include "pictures/src/jpeg_scans.h"
#include "pictures/src/picture_format.h"
#include "pictures/src/png_chunks.h"

#include <QBuffer>
#include <QByteArray>
#include <QIODevice>
#include <QImageReader>

#include <algorithm>
#include <cstring>

namespace specialty {

namespace {

// A picture's size as its failures hold it: "WIDTH x HEIGHT".
std::string sizeValue(QSize size) {
    return std::to_string(size.width()) + " x " + std::to_string(size.height());
}

Failure failureWithWhy(Fault fault, const QString& why) {
    Failure failure(fault);
    failure.why = why.toStdString();
    return failure;
}

Failure tooManyScans(std::int64_t scans) {
    Failure failure(Fault::PictureHasTooManyScans);
    failure.count = scans;
    failure.limit = kMaxJpegScans;
    return failure;
}

Failure scansTakeTooLong(std::int64_t scans, QSize size) {
    Failure failure(Fault::PictureScansTakeTooLong);
    failure.value = sizeValue(size);
    failure.count = scans;
    return failure;
}

Failure doesNotFitMemory(QSize size, std::int64_t bytesLeft) {
    Failure failure(Fault::PictureDoesNotFitMemory);
    failure.value = sizeValue(size);
    failure.limit = bytesLeft;
    return failure;
}

Failure notDecodedFormat() {
    Failure failure(Fault::PictureNotDecodedFormat);
    failure.expected = kDecodedFormatNames;
    return failure;
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
        input.problem = read.error();
        return input;
    }
    input.format = pictureFormatOf(read.value());
    if (!input.format) {
        input.problem = notDecodedFormat();
        return input;
    }
    input.bytes =
        input.format->withoutMetadata ? input.format->withoutMetadata(read.value()) : std::move(read.value());
    input.scans = std::max<std::int64_t>(1, jpegScanCount(input.bytes).value_or(1));
    if (input.scans > kMaxJpegScans) {
        input.problem = tooManyScans(input.scans);
        return input;
    }
    const DecodingStop never;
    StoppableBytes device(input.bytes, never);
    QImageReader reader(&device);
    useFormatOnly(reader, *input.format);
    input.size = reader.size();
    if (!input.size.isValid() || input.size.isEmpty()) {
        input.problem = failureWithWhy(Fault::PictureGivesNoSize, reader.errorString());
        return input;
    }
    const std::int64_t pixels = static_cast<std::int64_t>(input.size.width()) * input.size.height();
    // A PNG of 16 bits a channel decodes to 8 bytes a pixel; everything else to at most 4.
    input.pixelBytes = pixels * (pngBitDepth(input.bytes) == 16 ? 8 : 4);
    input.decodingBytes = static_cast<std::int64_t>(input.bytes.size()) +
                          (input.scans > 1 ? pixels * kScanBufferBytesPerPixel : 0);
    if (pixels * input.scans > kMaxDecodedPixelPasses && input.scans > 1)
        input.problem = scansTakeTooLong(input.scans, input.size);
    return input;
}

Status pictureFits(const PictureInput& input, std::int64_t maxPixelBytes) {
    const std::int64_t limit = std::max<std::int64_t>(0, std::min(maxPixelBytes, kMaxPictureBytes));
    if (input.pixelBytes <= limit) return Done();
    return Status::failure(doesNotFitMemory(input.size, limit));
}

Result<QImage> decodePicture(const PictureInput& input, const DecodingStop& stop, QSize scaledTo) {
    StoppableBytes device(input.bytes, stop);
    QImageReader reader(&device);
    useFormatOnly(reader, *input.format);
    if (scaledTo.isValid() && !scaledTo.isEmpty()) reader.setScaledSize(scaledTo);
    QImage image = reader.read();
    if (stop.reached())
        return Result<QImage>::failure(
            causedBy(Failure(Fault::PictureDoesNotDecode), Failure(Fault::PictureTimeIsUp)));
    if (image.isNull())
        return Result<QImage>::failure(failureWithWhy(Fault::PictureDoesNotDecode, reader.errorString()));
    return image;
}

Result<QImage> loadPicture(const std::string& path, std::int64_t maxPixelBytes) {
    const PictureInput input = readPicture(path);
    if (input.problem) return Result<QImage>::failure(*input.problem);
    if (Status fits = pictureFits(input, maxPixelBytes); !fits) return Result<QImage>::failure(fits.error());
    return decodePicture(input);
}

Status pictureShowsWhole(const std::string& path) {
    DecoderWarnings warnings;
    if (const Result<QImage> picture = loadPicture(path); !picture) return Status::failure(picture.error());
    if (warnings.messages().empty()) return Done();
    Failure partly(Fault::PictureDecodesOnlyPartly);
    for (std::size_t i = 0; i < warnings.messages().size(); ++i)
        partly.why += (i > 0 ? "\n" : "") + warnings.messages()[i];
    return Status::failure(std::move(partly));
}

} // namespace specialty
