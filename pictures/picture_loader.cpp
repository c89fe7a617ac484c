#include "picture_loader.h"

#include "decoder_warnings.h"
#include "jpeg_scans.h"
#include "regular_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>

namespace specialty {

namespace {

Picture refused(std::string problem) {
    return Picture{QImage(), std::move(problem)};
}

std::string megabytes(std::int64_t bytes) {
    return std::to_string(bytes / (1024 * 1024)) + " MB";
}

} // namespace

Picture loadPicture(const std::string& path, std::int64_t maxPixelBytes) {
    Result<std::string> read = readWholeFile(path, kMaxPictureFileBytes);
    if (!read) return refused(read.reason());
    const std::string& bytes = read.value();
    const std::int64_t scans = jpegScanCount(bytes).value_or(1);
    if (scans > kMaxJpegScans)
        return refused("it has " + std::to_string(scans) + " scans, more than the " +
                       std::to_string(kMaxJpegScans) + " a picture may have");

    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    // The limit is the reader's global; it is set once, before any reader runs, on whichever thread
    // decodes first.
    static const bool limitSet = [] {
        QImageReader::setAllocationLimit(static_cast<int>(kMaxPictureBytes / (1024 * 1024)));
        return true;
    }();
    (void)limitSet;
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid()) {
        const std::int64_t pixels = static_cast<std::int64_t>(size.width()) * size.height();
        const std::int64_t limit = std::min(maxPixelBytes, kMaxPictureBytes);
        if (pixels * 4 > limit)
            return refused("it is " + std::to_string(size.width()) + " x " + std::to_string(size.height()) +
                           " pixels, more than the " + megabytes(limit) + " of memory left for it");
        if (pixels * std::max<std::int64_t>(scans, 1) > kMaxDecodedPixelPasses)
            return refused("its " + std::to_string(scans) + " scans over " + std::to_string(size.width()) +
                           " x " + std::to_string(size.height()) + " pixels would take too long to decode");
    }
    QImage image = reader.read();
    if (image.isNull())
        return refused("it is not a picture that can be decoded (" + reader.errorString().toStdString() +
                       ")");
    // The decoded image owns its pixels; `bytes` may go.
    return Picture{std::move(image), std::string()};
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
