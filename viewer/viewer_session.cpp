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

namespace {

bool startsDemo(const std::string& commandLine) {
    return commandLine.empty() || isDemoKeyword(commandLine);
}

bool selectsNoVehicle(const std::string& commandLine) {
    return !commandLine.empty() && commandLine.front() == ';';
}

SearchResult search(const std::string& selection, const std::string& dataFolder) {
    // The catalogue is closed when the search returns, before anything is shown.
    return findVehicle(utf8ToWindows1252(selection), dataFolder);
}

} // namespace

struct ViewerSession::Prepared {
    std::string commandLine;
    SearchResult result;
    PictureSet pictures;
};

ViewerSession::ViewerSession(std::string dataFolder, QObject* parent)
    : QObject(parent), dataFolder_(std::move(dataFolder)) {}

ViewerSession::~ViewerSession() = default;

void ViewerSession::prepare(const std::string& commandLine) {
    prepared_.reset();
    if (startsDemo(commandLine) || selectsNoVehicle(commandLine)) return;
    prepared_ = std::make_unique<Prepared>();
    prepared_->commandLine = commandLine;
    prepared_->result = search(commandLine, dataFolder_);
    if (prepared_->result.found()) prepared_->pictures.decodeAhead(wantedPictures(prepared_->result.record));
}

void ViewerSession::start(const std::string& commandLine) {
    const std::unique_ptr<Prepared> prepared = std::move(prepared_);
    demoIndex_ = 0;
    if (startsDemo(commandLine)) {
        demoMode_ = true;
        demoStep();
    } else if (selectsNoVehicle(commandLine)) {
        emit messageRaised(QString::fromLatin1(kNoSelectionMessage));
    } else {
        demoMode_ = false;
        if (prepared && prepared->commandLine == commandLine)
            showSearchResult(prepared->result, prepared->pictures);
        else
            lookUp(commandLine);
    }
}

void ViewerSession::lookUp(const std::string& selection) {
    PictureSet pictures;
    showSearchResult(search(selection, dataFolder_), pictures);
}

void ViewerSession::demoStep() {
    emit stepStarting();
    slots_ = {};
    emit slotsEmptied();
    demoIndex_ = loweredDemoIndex(demoIndex_);
    PictureSet pictures;
    showSearchResult(recordAt(std::llabs(static_cast<std::int64_t>(demoIndex_)), dataFolder_), pictures);
}

void ViewerSession::startDemo() {
    demoMode_ = true;
    demoStep();
}

void ViewerSession::showSearchResult(const SearchResult& result, PictureSet& pictures) {
    if (result.found())
        present(result.record, pictures);
    else
        emit messageRaised(result.failed() ? QString::fromStdString(result.reason)
                                           : QString::fromLatin1(kNoMatchMessage));
}

void ViewerSession::present(const CatalogueRecord& record, PictureSet& pictures) {
    record_ = record;
    emit noticeChanged(record.hasNoParts() ? QString::fromLatin1(kNoPartsNotice) : QString());
    guarded([&] {
        emit captionChanged(fromCodePage("(" + record.VehicleId + ") " + record.YearFrom + "-" +
                                         record.YearTo + " " + record.Make + " " + record.Model + " " +
                                         record.Submodel));
    });
    // A code used by several slots is decoded once, all within one memory budget.
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
    // A missing or broken picture leaves the slot's earlier one.
    if (const std::optional<std::string> path = picturePath(code)) {
        guarded([&] { // decoding may run out of memory; the other slots still fill
            QImage picture = pictures.picture(*path);
            if (!picture.isNull()) {
                held.picture = std::move(picture);
                held.preview = pictures.preview(*path, previewSizes_[index(slot.number)]);
            }
        });
    }
    emit slotFilled(slot.number);
}

std::optional<std::string> ViewerSession::picturePath(const std::string& code) const {
    Result<std::string> path = partFilePath(dataFolder_, code, kPictureSuffix);
    if (!path || !isRegularFile(*path)) return std::nullopt;
    return std::move(path.value());
}

std::vector<PictureSet::Wanted> ViewerSession::wantedPictures(const CatalogueRecord& record) const {
    std::vector<PictureSet::Wanted> wanted;
    for (const PartSlot& slot : kPartSlots) {
        if (slot.partCode == 0) continue;
        const std::string& code = record.partCode(slot.partCode);
        if (code.empty()) continue;
        if (std::optional<std::string> path = picturePath(code))
            wanted.push_back({std::move(*path), previewSizes_[index(slot.number)]});
    }
    return wanted;
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
