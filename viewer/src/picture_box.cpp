#include "picture_box.h"

#include "twips.h"

#include <QMouseEvent>
#include <QPainter>

namespace specialty {

PictureBox::PictureBox(Mode mode, QWidget* parent) : QWidget(parent), mode_(mode) {
    setFocusPolicy(Qt::NoFocus);
}

void PictureBox::setPicture(const QImage& picture, const QImage& preview) {
    source_.reset();
    partArea_ = QRect();
    picture_ = picture;
    preview_ = preview;
    scaled_ = QPixmap();
    if (mode_ == Mode::Unscaled && !picture_.isNull()) takeSize(picture_.deviceIndependentSize().toSize());
    update();
}

void PictureBox::setSource(std::shared_ptr<PictureSource> source) {
    setPicture(QImage());
    source_ = std::move(source);
    if (mode_ == Mode::Unscaled && source_) takeSize(source_->size());
}

void PictureBox::takeSize(QSize size) {
    QRectF twips = twipsGeometry(this);
    twips.setSize(QSizeF(size.width() * kTwipsPerPixel, size.height() * kTwipsPerPixel));
    setTwipsGeometry(this, twips);
}

QRect PictureBox::shownPart() {
    const QRect inParent =
        parentWidget() ? QRect(mapFromParent(QPoint(0, 0)), parentWidget()->size()) & rect() : rect();
    if (source_ && inParent != partArea_) { // decoded once for each area, whatever came of it
        picture_ = QImage();                // the earlier part goes before the next is decoded
        picture_ = source_->part(inParent);
        partArea_ = inParent;
    }
    return inParent;
}

void PictureBox::setBorder(bool border) {
    border_ = border;
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    shownPart(); // the window may have changed size since
    QPainter painter(this);
    if (!picture_.isNull()) {
        if (mode_ == Mode::Unscaled) {
            painter.drawImage(partArea_.isValid() ? partArea_.topLeft() : QPoint(0, 0), picture_);
        } else {
            QSize target = size() * devicePixelRatioF();
            if (scaled_.size() != target) {
                scaled_ = QPixmap::fromImage(
                    preview_.size() == target
                        ? preview_
                        : picture_.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
                scaled_.setDevicePixelRatio(devicePixelRatioF());
            }
            painter.drawPixmap(QPointF(0, 0), scaled_);
        }
    }
    if (border_) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click) Q_EMIT clicked();
}

} // namespace specialty
