#include "zoom_view.h"

#include "description_label.h"
#include "picture_box.h"
#include "twips.h"
#include "window_layout.h"

#include <algorithm>

namespace specialty {

ZoomView::ZoomView(QWidget* window)
    : window_(window), picture_(new PictureBox(PictureBox::Mode::Unscaled, window)),
      description_(new DescriptionLabel(window)) {
    description_->setObjectName(QString::fromLatin1(kIllTextLabel.name));
    description_->setCaption(QString::fromLatin1(kIllTextLabel.caption));
    description_->setFont(designFont(kDescriptionPoints));
    setTwipsGeometry(description_, kIllTextLabel.twips);
    description_->setVisible(kIllTextLabel.visible);

    picture_->setObjectName(QString::fromLatin1(kZoomPicture.name));
    picture_->setBorder(true);
    setTwipsGeometry(picture_, kZoomPicture.twips);
    picture_->setVisible(kZoomPicture.visible);
}

void ZoomView::open(std::shared_ptr<PictureSource> picture) {
    picture_->setSource(std::move(picture)); // takes the picture's own size
    picture_->show();
    QRectF place = twipsGeometry(picture_);
    place.moveTo(kZoomLeft, kZoomTop);
    setTwipsGeometry(picture_, place);
    picture_->shownPart(); // decoded now, only as far as the window shows it

    // The text begins 120 twips right of the picture and keeps margins of 120 (right) and 480 (bottom)
    // against the window's outer size. A picture too wide for any text leaves the label 0 wide.
    description_->show();
    const QSizeF window = outerSizeInTwips(window_);
    const double left = place.width() + place.left() + 120;
    const double width = window.width() - place.width() - (place.left() + 240);
    const double height = window.height() - (place.top() + 480);
    setTwipsGeometry(description_, QRectF(left, place.top(), std::max(0.0, width), height));
}

void ZoomView::close() {
    picture_->hide();
    picture_->setPicture(QImage()); // lets go of the slot's picture, which the slot keeps
    QRectF place = twipsGeometry(picture_);
    place.setSize(QSizeF(0, 0));
    setTwipsGeometry(picture_, place);
    description_->hide();
}

} // namespace specialty
