// The tool's picture module (picture_module.h): check's judgement and the sheet's thumbnails, on the
// pictures layer. Built as a module of its own; its one exported symbol is the entry at the end.
#include "tools/pictures/picture_module.h"

#include "catalogue/messages.h"
#include "pictures/picture_loader.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <utility>

namespace specialty {

namespace {

// The thumbnail of `picture` as a JPEG, laid over white where it is transparent (JPEG has none, and a
// page shows white under it); empty when it cannot be written.
QByteArray jpegBytes(const QImage& picture) {
    QImage thumb = picture;
    if (thumb.hasAlphaChannel()) {
        QImage opaque(thumb.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, thumb);
        painter.end();
        thumb = opaque;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!thumb.save(&buffer, "JPEG", 85)) return {};
    return bytes;
}

void judge(const std::string& path, PictureJudgement& into) noexcept {
    const Status whole = pictureShowsWhole(path);
    into.whole = whole.ok();
    into.reason = whole.reason();
}

void thumbnail(std::string&& bytes, int width, int height, PictureThumbnail& into) noexcept {
    // Decoded at the thumbnail's size: a picture of any size costs little more than its thumbnail.
    const JudgedPicture judged = loadJudgedPicture(std::move(bytes), QSize(width, height));
    if (judged.showsWhole) {
        into.judged = true;
        into.judgement.whole = judged.showsWhole->ok();
        into.judgement.reason = judged.showsWhole->reason();
    }
    const Result<QImage>& picture = judged.picture;
    if (!picture) {
        into.outcome = PictureThumbnail::Outcome::DoesNotDecode;
        into.reason = picture.reason();
        return;
    }
    const QByteArray jpeg = jpegBytes(*picture);
    if (jpeg.isEmpty()) {
        into.outcome = PictureThumbnail::Outcome::NotMadeSmall;
        return;
    }
    into.outcome = PictureThumbnail::Outcome::Made;
    into.jpeg.assign(jpeg.constData(), static_cast<std::size_t>(jpeg.size()));
    into.width = picture->width();
    into.height = picture->height();
}

} // namespace

} // namespace specialty

extern "C" __attribute__((visibility("default"))) const specialty::PictureModule* specialtyPictureModule() {
    using namespace specialty;
    static const PictureModule module = [] {
        QImageReader::setAllocationLimit(static_cast<int>(kDecodingBytes / (1024 * 1024)));
        return PictureModule{kPictureModuleVersion, kMaxPictureFileBytes, judge, thumbnail};
    }();
    return &module;
}
