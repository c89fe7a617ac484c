// Demo stepping: browse the catalogue record by record, in file order.
#include "frm_specialty.h"

#include "demo_counter.h"
#include "picture_box.h"
#include "vehicle_selection.h"

#include <QLabel>

namespace specialty {

void FrmSpecialty::cmdNext_Click() {
    repaint(); // the window as it stands, before the step changes it
    for (const PartSlot& slot : kPartSlots)
        EmptySlot(slot);
    demoIndex_ = loweredDemoIndex(demoIndex_);
    ShowSpecialtyParts(std::string(kPositionMarker));
}

void FrmSpecialty::Command2_Click() {
    demoMode_ = true;
    cmdNext_Click();
}

void FrmSpecialty::EmptySlot(const PartSlot& slot) {
    image(slot)->setPicture(QImage());
    image(slot)->setToolTip(QString());
    image(slot)->setBorderStyle(0);
    setSlotCaption(slot, QString());
}

} // namespace specialty
