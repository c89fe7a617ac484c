#include "viewer_session.h"

#include "code_page_text.h"
#include "command_line.h"
#include "data_folder.h"
#include "demo_counter.h"
#include "description_reader.h"
#include "guarded.h"
#include "messages.h"
#include "picture_set.h"
#include "regular_file.h"
#include "text_encoding.h"
#include "vehicle_search.h"

#include <cstdlib>

namespace specialty {

ViewerSession::ViewerSession(std::string dataFolder, QObject* parent)
    : QObject(parent), dataFolder_(std::move(dataFolder)) {}

void ViewerSession::start(const std::string& commandLine) {
    demoIndex_ = 0;
    if (commandLine.empty() || isDemoKeyword(commandLine)) {
        demoMode_ = true;
        demoStep();
    } else if (commandLine.front() != ';') {
        demoMode_ = false;
        lookUp(commandLine);
    } else {
        emit messageRaised(QString::fromLatin1(kNoSelectionMessage));
    }
}

void ViewerSession::lookUp(const std::string& selection) {
    // The catalogue is closed when the search returns, before anything is shown.
    showSearchResult(findVehicle(utf8ToWindows1252(selection), dataFolder_));
}

void ViewerSession::demoStep() {
    emit stepStarting();
    slots_ = {};
    emit slotsEmptied();
    demoIndex_ = loweredDemoIndex(demoIndex_);
    showSearchResult(recordAt(std::llabs(static_cast<std::int64_t>(demoIndex_)), dataFolder_));
}

void ViewerSession::startDemo() {
    demoMode_ = true;
    demoStep();
}

void ViewerSession::showSearchResult(const SearchResult& result) {
    if (result.found())
        present(result.record);
    else
        emit messageRaised(result.failed() ? QString::fromStdString(result.reason)
                                           : QString::fromLatin1(kNoMatchMessage));
}

void ViewerSession::present(const CatalogueRecord& record) {
    record_ = record;
    emit noticeChanged(record.hasNoParts() ? QString::fromLatin1(kNoPartsNotice) : QString());
    guarded([&] {
        emit captionChanged(fromCodePage("(" + record.VehicleId + ") " + record.YearFrom + "-" +
                                         record.YearTo + " " + record.Make + " " + record.Model + " " +
                                         record.Submodel));
    });
    PictureSet pictures; // a code used by several slots is decoded once, all within one memory budget
    for (const PartSlot& slot : kPartSlots) {
        if (slot.partCode == 0) continue; // slot 6 shows no part
        const std::string& code = record.partCode(slot.partCode);
        if (!code.empty()) fillSlot(slot, code, pictures);
    }
    // No repaint here: the window shows the new state when it is next painted.
}

void ViewerSession::fillSlot(const PartSlot& slot, const std::string& code, PictureSet& pictures) {
    Slot& held = slots_[index(slot.number)];
    held.code = code;
    // A code that is not a plain name never reaches the file system: its picture counts as missing. A
    // missing or broken picture leaves the slot's earlier one.
    const Result<std::string> path = partFilePath(dataFolder_, code, kPictureSuffix);
    if (path && isRegularFile(*path)) {
        guarded([&] { // decoding may run out of memory; the other slots still fill
            QImage picture = pictures.picture(*path);
            if (!picture.isNull()) held.picture = std::move(picture);
        });
    }
    emit slotFilled(slot.number);
}

void ViewerSession::zoom(int slot) {
    emit zoomOpened(slot);
    const Result<std::string> path = partFilePath(dataFolder_, slotCode(slot), kDescriptionSuffix);
    emit descriptionRead(QString());
    if (!path || !isRegularFile(*path)) return;
    // One that exists but cannot be read shows as empty, the same as a missing one.
    if (const Result<Description> description = readDescription(*path); description)
        emit descriptionRead(fromCodePage(description->caption));
}

} // namespace specialty
