#include "picture_loader.h"
#include "pictures/picture_fault.h"

#include "catalogue/regular_file.h"
#include "pictures/picture_source.h"
#include "pictures/src/bmp_rows.h"
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
#include <new>
#include <utility>

namespace specialty {

namespace {

// A picture's size as its failures hold it: "WIDTH x HEIGHT".
std::string sizeValue(QSize size) {
    return std::to_string(size.width()) + " x " + std::to_string(size.height());
}

Failure failureWithWhy(PictureFault fault, const QString& why) {
    Failure failure(fault);
    failure.why = why.toStdString();
    return failure;
}

Failure tooManyScans(std::int64_t scans) {
    Failure failure(PictureFault::HasTooManyScans);
    failure.count = scans;
    failure.limit = kMaxJpegScans;
    return failure;
}

Failure scansTakeTooLong(std::int64_t scans, QSize size) {
    Failure failure(PictureFault::ScansTakeTooLong);
    failure.value = sizeValue(size);
    failure.count = scans;
    return failure;
}

Failure doesNotFitMemory(QSize size, std::int64_t bytesLeft) {
    Failure failure(PictureFault::DoesNotFitMemory);
    failure.value = sizeValue(size);
    failure.limit = bytesLeft;
    return failure;
}

Failure rowsCutShort(const BmpRows& rows) {
    Failure failure(PictureFault::RowsCutShort);
    failure.count = rows.supplied;
    failure.limit = rows.named;
    return failure;
}

Failure notDecodedFormat() {
    Failure failure(PictureFault::NotDecodedFormat);
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

std::int64_t pixelsOf(QSize size) {
    return static_cast<std::int64_t>(std::max(0, size.width())) * std::max(0, size.height());
}

bool isJpeg(const PictureInput& input) {
    return std::string_view(input.format->decoderName) == "jpeg";
}

bool isPng(const PictureInput& input) {
    return std::string_view(input.format->decoderName) == "png";
}

// The size the JPEG decoder decodes at on its way to `scaledTo`: the picture divided by the largest of 2,
// 4 and 8 that leaves it at least as large.
QSize jpegDecodedSize(QSize size, QSize scaledTo) {
    for (int denominator : {8, 4, 2}) {
        const QSize divided((size.width() + denominator - 1) / denominator,
                            (size.height() + denominator - 1) / denominator);
        if (divided.width() >= scaledTo.width() && divided.height() >= scaledTo.height()) return divided;
    }
    return size;
}

// The size to decode a picture of `size` at so that it fits within `within`, keeping its proportions
// and never enlarged.
QSize fittedWithin(QSize size, QSize within) {
    if (!within.isValid() || (size.width() <= within.width() && size.height() <= within.height()))
        return QSize();
    return size.scaled(within, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// Checks a picture file's bytes, as read, against the limits.
PictureInput pictureInputOf(Result<std::string> read) {
    PictureInput input;
    if (!read) {
        input.problem = read.error();
        return input;
    }
    input.format = pictureFormatOf(read.value());
    if (!input.format) {
        input.problem = notDecodedFormat();
        return input;
    }
    input.bytes = std::move(read.value());
    if (input.format->takeOutMetadata) input.format->takeOutMetadata(input.bytes);
    if (const std::optional<BmpRows> cut = bmpRowsCutShort(input.bytes)) {
        input.problem = rowsCutShort(*cut);
        return input;
    }
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
        input.problem = failureWithWhy(PictureFault::GivesNoSize, reader.errorString());
        return input;
    }
    const std::int64_t pixels = pixelsOf(input.size);
    // A PNG of 16 bits a channel decodes to 8 bytes a pixel; everything else to at most 4.
    input.pixelBytes = pixels * (pngBitDepth(input.bytes) == 16 ? 8 : 4);
    input.heldWhole = !isJpeg(input) && !(isPng(input) && !pngInterlaced(input.bytes));
    if (pixels * input.scans > kMaxDecodedPixelPasses && input.scans > 1)
        input.problem = scansTakeTooLong(input.scans, input.size);
    return input;
}

} // namespace

PictureInput readPicture(const std::string& path) {
    return pictureInputOf(readWholeFile(path, kMaxPictureFileBytes));
}

PictureInput readPicture(RegularFile& file) {
    return pictureInputOf(readWholeFile(file, kMaxPictureFileBytes));
}

PictureInput pictureFromBytes(std::string bytes) {
    return pictureInputOf(std::move(bytes));
}

std::int64_t decodingBytesOf(const PictureInput& input, QSize scaledTo, QRect part) {
    const std::int64_t pixels = pixelsOf(input.size);
    const std::int64_t bytesPerPixel = pixels > 0 ? input.pixelBytes / pixels : 4;
    std::int64_t held = static_cast<std::int64_t>(input.bytes.size());
    if (isJpeg(input) && input.scans > 1) held += pixels * kScanBufferBytesPerPixel;
    const bool scaled = scaledTo.isValid() && !scaledTo.isEmpty();
    const bool inPart = !scaled && part.isValid();
    // Only a JPEG decodes a part alone; the others decode whole and cut the part from it.
    if (input.heldWhole || (inPart && !isJpeg(input)) || (!scaled && !inPart)) held += input.pixelBytes;
    if (scaled) {
        held += pixelsOf(scaledTo) * bytesPerPixel;
        if (isJpeg(input)) held += pixelsOf(jpegDecodedSize(input.size, scaledTo)) * bytesPerPixel;
    } else if (inPart) {
        held += pixelsOf(part.size()) * bytesPerPixel;
    }
    return held;
}

Status pictureFits(const PictureInput& input, std::int64_t keptBytes, std::int64_t bytesLeft, QSize scaledTo,
                   QRect part) {
    if (decodingBytesOf(input, scaledTo, part) > kDecodingBytes)
        return Status::failure(doesNotFitMemory(input.size, kDecodingBytes));
    if (keptBytes > bytesLeft)
        return Status::failure(doesNotFitMemory(input.size, std::max<std::int64_t>(0, bytesLeft)));
    return Done();
}

Result<QImage> decodePicture(const PictureInput& input, const DecodingStop& stop, QSize scaledTo,
                             QRect part) {
    StoppableBytes device(input.bytes, stop);
    QImageReader reader(&device);
    useFormatOnly(reader, *input.format);
    if (scaledTo.isValid() && !scaledTo.isEmpty())
        reader.setScaledSize(scaledTo);
    else if (part.isValid())
        reader.setClipRect(part);
    QImage image = reader.read();
    if (stop.reached())
        return Result<QImage>::failure(
            causedBy(Failure(PictureFault::DoesNotDecode), Failure(PictureFault::TimeIsUp)));
    if (image.isNull())
        return Result<QImage>::failure(failureWithWhy(PictureFault::DoesNotDecode, reader.errorString()));
    return image;
}

namespace {

// Decodes `input` at `scaledTo` (whole when not valid) within its share of kDecodingBytes, which it
// waits for as long as one picture may take.
Result<QImage> decodeWithin(const PictureInput& input, QSize scaledTo) {
    if (input.problem) return Result<QImage>::failure(*input.problem);
    if (Status fits = pictureFits(input, 0, 0, scaledTo); !fits) return Result<QImage>::failure(fits.error());
    const int kilobytes = decodingKilobytesOf(decodingBytesOf(input, scaledTo));
    if (!decodingKilobytes().tryAcquire(kilobytes, kPictureTimeMs))
        return Result<QImage>::failure(Failure(PictureFault::TimeIsUp));
    const DecodingStop stop{nullptr, QDeadlineTimer(kPictureTimeMs)};
    Result<QImage> decoded = Result<QImage>::failure(Failure(PictureFault::OutOfMemory));
    try {
        decoded = decodePicture(input, stop, scaledTo);
    } catch (const std::bad_alloc&) {
    }
    decodingKilobytes().release(kilobytes);
    return decoded;
}

} // namespace

Result<QImage> loadPicture(const std::string& path, QSize within) {
    const PictureInput input = readPicture(path);
    return decodeWithin(input, fittedWithin(input.size, within));
}

Result<QImage> loadPicture(RegularFile& file, QSize within) {
    return loadPicture(readPicture(file), within);
}

Result<QImage> loadPicture(const PictureInput& input, QSize within) {
    return decodeWithin(input, fittedWithin(input.size, within));
}

namespace {

// The size pictureShowsWhole decodes at. An eighth costs a JPEG or PNG an eighth of the work and far less
// memory; the others decode whole whatever is asked for, and scaling them would only add work.
QSize judgedSize(const PictureInput& input) {
    return input.heldWhole ? QSize() : (input.size / 8).expandedTo(QSize(1, 1));
}

// A picture that decoded: whole, or partly when its decoder warned.
Status judgedBy(const DecoderWarnings& warnings) {
    if (warnings.messages().empty()) return Done();
    Failure partly(PictureFault::DecodesOnlyPartly);
    for (std::size_t i = 0; i < warnings.messages().size(); ++i)
        partly.why += (i > 0 ? "\n" : "") + warnings.messages()[i];
    return Status::failure(std::move(partly));
}

} // namespace

Status pictureShowsWhole(const std::string& path) {
    DecoderWarnings warnings;
    const PictureInput input = readPicture(path);
    if (const Result<QImage> picture = decodeWithin(input, judgedSize(input)); !picture)
        return Status::failure(picture.error());
    return judgedBy(warnings);
}

JudgedPicture loadJudgedPicture(std::string bytes, QSize within) {
    DecoderWarnings warnings; // from the first look at the header on, as pictureShowsWhole collects them
    const PictureInput input = pictureFromBytes(std::move(bytes));
    std::optional<Status> judged;
    if (input.problem) {
        judged = Status::failure(*input.problem);
    } else if (Status fits = pictureFits(input, 0, 0, judgedSize(input)); !fits) {
        judged = std::move(fits);
    }
    Result<QImage> picture = loadPicture(input, within);
    if (picture && !judged && isJpeg(input)) judged = judgedBy(warnings);
    return {std::move(picture), std::move(judged)};
}

} // namespace specialty
