// Showing a found record: notice, window caption, then the slots in slot order.
#include "frm_specialty.h"

#include "code_page_text.h"
#include "data_folder.h"
#include "messages.h"
#include "picture_box.h"
#include "picture_set.h"
#include "regular_file.h"

#include <QLabel>

namespace specialty {

namespace {

// Runs one step of the presentation. A step that fails is dropped without a word and the next one runs:
// one damaged part must never keep the others from showing.
template <typename Step>
void guarded(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

} // namespace

void FrmSpecialty::PresentRecord(const CatalogueRecord& record) {
    lblNoMatch->setText(record.hasNoParts() ? QString::fromLatin1(kNoPartsNotice) : QString());
    guarded([&] {
        setCaption(fromCodePage("(" + record.VehicleId + ") " + record.YearFrom + "-" + record.YearTo + " " +
                                record.Make + " " + record.Model + " " + record.Submodel));
    });
    PictureSet pictures; // a code used by several slots is decoded once, all within one memory budget
    for (const PartSlot& slot : kPartSlots) {
        if (slot.partCode == 0) continue; // slot 6 shows no part
        const std::string& code = record.partCode(slot.partCode);
        if (!code.empty()) FillSlot(slot, code, pictures);
    }
    // No repaint here: the window shows the new state when it is next painted.
}

void FrmSpecialty::FillSlot(const PartSlot& slot, const std::string& partCode, PictureSet& pictures) {
    // A code that is not a plain name never reaches the file system: its picture counts as missing.
    std::optional<std::string> path;
    guarded([&] { path = partFilePath(dataFolder_, partCode, kPictureSuffix); });
    bool exists = true; // an existence test that fails lets the load be tried
    guarded([&] { exists = path && isRegularFile(*path); });
    if (exists && path) {
        guarded([&] {
            QImage picture = pictures.picture(*path);
            if (!picture.isNull()) image(slot)->setPicture(picture);
        });
    }
    guarded([&] { image(slot)->setToolTip(QString::fromLatin1(kSlotHint)); });
    guarded([&] { image(slot)->setBorderStyle(1); });
    guarded([&] { setSlotCaption(slot, fromCodePage(partCode)); });
}

} // namespace specialty
