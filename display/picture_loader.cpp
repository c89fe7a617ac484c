#include "picture_loader.h"

#include "regular_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

namespace specialty {

QImage loadPicture(const std::string& path) {
    std::string bytes;
    std::string why;
    if (!readWholeFile(path, kMaxPictureFileBytes, bytes, why)) return QImage();
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader::setAllocationLimit(kPictureAllocationLimitMB);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    QImage picture = reader.read();
    // The decoded image owns its pixels; `bytes` may go.
    return picture;
}

} // namespace specialty
