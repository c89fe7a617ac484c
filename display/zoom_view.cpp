// The zoom view: one part's picture at its own size with its description beside it.
#include "frm_specialty.h"

#include "code_page_text.h"
#include "data_folder.h"
#include "description_label.h"
#include "description_reader.h"
#include "picture_box.h"
#include "regular_file.h"
#include "twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace specialty {

namespace {

constexpr double kZoomLeft = 120;
constexpr double kZoomTop = 640;

} // namespace

void FrmSpecialty::Image_Click(int slotNumber) {
    const PartSlot& slot = kPartSlots[static_cast<std::size_t>(slotNumber - 1)];
    imgZoom->setPicture(image(slot)->picture()); // the slot's own picture, not a copy
    ShowZoomLayout();
    const std::optional<std::string> path =
        partFilePath(dataFolder_, toCodePage(label(slot)->text()), kDescriptionSuffix);
    lblIllText->setCaption(QString());
    if (!path || !isRegularFile(*path)) return;
    lblIllText->setCaption(fromCodePage(readDescription(*path).caption));
}

void FrmSpecialty::ShowZoomLayout() {
    frmRear->hide();
    frmFront->hide();
    cmdHide->show();
    cmdNext->hide();
    imgZoom->show();
    QRectF picture = twipsGeometry(imgZoom);
    picture.moveTo(kZoomLeft, kZoomTop);
    setTwipsGeometry(imgZoom, picture);

    // The text begins 120 twips right of the picture and keeps margins of 120 (right) and 480 (bottom)
    // against the window's outer size. A picture too wide for any text leaves the label 0 wide.
    lblIllText->show();
    const QSizeF window = outerSizeInTwips(this);
    const double left = picture.width() + picture.left() + 120;
    const double width = window.width() - picture.width() - (picture.left() + 240);
    const double height = window.height() - (picture.top() + 480);
    setTwipsGeometry(lblIllText, QRectF(left, picture.top(), std::max(0.0, width), height));
    lblNote->hide();
}

void FrmSpecialty::cmdHide_Click() {
    cmdHide->hide();
    if (demoMode_) cmdNext->show();
    imgZoom->hide();
    imgZoom->setPicture(QImage()); // lets go of the slot's picture, which the slot keeps
    QRectF picture = twipsGeometry(imgZoom);
    picture.setSize(QSizeF(0, 0));
    setTwipsGeometry(imgZoom, picture);
    frmRear->show();
    frmFront->show();
    lblIllText->hide();
    lblNote->show();
    repaint();
}

} // namespace specialty
