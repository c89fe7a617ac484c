// The zoom view: one part's picture at its own size with its description beside it, and back.
#include "specialty_window.h"

#include "description_label.h"
#include "picture_box.h"
#include "twips.h"
#include "window_layout.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace specialty {

void SpecialtyWindow::slotClicked(int slot) {
    session_.zoom(slot);
}

void SpecialtyWindow::showZoomView(int slot) {
    zoomPicture_->setPicture(session_.slotPicture(slot)); // the slot's own picture, not a copy
    showZoomLayout();
}

void SpecialtyWindow::showZoomLayout() {
    rearFrame_->hide();
    frontFrame_->hide();
    hideButton_->show();
    nextButton_->hide();
    zoomPicture_->show();
    QRectF picture = twipsGeometry(zoomPicture_);
    picture.moveTo(kZoomLeft, kZoomTop);
    setTwipsGeometry(zoomPicture_, picture);

    // The text begins 120 twips right of the picture and keeps margins of 120 (right) and 480 (bottom)
    // against the window's outer size. A picture too wide for any text leaves the label 0 wide.
    descriptionText_->show();
    const QSizeF window = outerSizeInTwips(this);
    const double left = picture.width() + picture.left() + 120;
    const double width = window.width() - picture.width() - (picture.left() + 240);
    const double height = window.height() - (picture.top() + 480);
    setTwipsGeometry(descriptionText_, QRectF(left, picture.top(), std::max(0.0, width), height));
    hintText_->hide();
}

void SpecialtyWindow::hideClicked() {
    hideButton_->hide();
    if (session_.demoMode()) nextButton_->show();
    zoomPicture_->hide();
    zoomPicture_->setPicture(QImage()); // lets go of the slot's picture, which the slot keeps
    QRectF picture = twipsGeometry(zoomPicture_);
    picture.setSize(QSizeF(0, 0));
    setTwipsGeometry(zoomPicture_, picture);
    rearFrame_->show();
    frontFrame_->show();
    descriptionText_->hide();
    hintText_->show();
    repaint();
}

} // namespace specialty
