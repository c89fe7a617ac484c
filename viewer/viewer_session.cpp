#include "viewer_session.h"

#include "catalogue/data_folder.h"
#include "catalogue/description_reader.h"
#include "catalogue/messages.h"
#include "catalogue/regular_file.h"
#include "catalogue/text_encoding.h"
#include "catalogue/vehicle_search.h"
#include "command_line.h"
#include "pictures/picture_set.h"
#include "viewer/src/code_page_text.h"
#include "viewer/src/demo_counter.h"
#include "viewer/src/guarded.h"

#include <cstdlib>

namespace specialty {

namespace {

bool startsDemo(const std::string& commandLine) {
    return commandLine.empty() || isDemoKeyword(commandLine);
}

// Calls `use(slot, code)` for each slot that shows one of the record's parts, in slot order.
template <typename Use>
void forEachPartShown(const CatalogueRecord& record, Use use) {
    for (const PartSlot& slot : kPartSlots) {
        if (slot.partCode == 0) continue; // slot 6 shows no part
        const std::string& code = record.partCode(slot.partCode);
        if (!code.empty()) use(slot, code);
    }
}

bool selectsNoVehicle(const std::string& commandLine) {
    return !commandLine.empty() && commandLine.front() == ';';
}

Lookup search(const std::string& selection, const std::string& dataFolder) {
    // The catalogue is closed when the search returns, before anything is shown.
    return findVehicle(utf8ToWindows1252(selection), dataFolder);
}

} // namespace

// A command line taken, and for a lookup what its start began.
struct ViewerSession::Prepared {
    std::string commandLine;
    std::optional<Lookup> lookup;
    std::unique_ptr<PictureSet> pictures;
};

ViewerSession::ViewerSession(std::string dataFolder, QObject* parent)
    : QObject(parent), dataFolder_(std::move(dataFolder)) {}

ViewerSession::~ViewerSession() = default;

void ViewerSession::prepare(const std::string& commandLine) {
    prepared_ = std::make_unique<Prepared>();
    prepared_->commandLine = commandLine;
    if (startsDemo(commandLine) || selectsNoVehicle(commandLine)) return;
    const Lookup& lookup = prepared_->lookup.emplace(search(commandLine, dataFolder_));
    if (lookup && *lookup) prepared_->pictures = picturesOf((*lookup)->record);
}

void ViewerSession::start() {
    const std::unique_ptr<Prepared> prepared =
        prepared_ ? std::move(prepared_) : std::make_unique<Prepared>();
    demoIndex_ = 0;
    if (startsDemo(prepared->commandLine)) {
        demoMode_ = true;
        demoStep();
    } else if (selectsNoVehicle(prepared->commandLine)) {
        Q_EMIT messageRaised(QString::fromLatin1(kNoSelectionMessage));
    } else {
        demoMode_ = false;
        if (prepared->pictures) usePictures(std::move(prepared->pictures));
        showLookup(*prepared->lookup);
    }
}

void ViewerSession::start(const std::string& commandLine) {
    prepare(commandLine);
    start();
}

void ViewerSession::lookUp(const std::string& selection) {
    const Lookup lookup = search(selection, dataFolder_);
    if (lookup && *lookup) usePictures(picturesOf((*lookup)->record));
    showLookup(lookup);
}

void ViewerSession::demoStep() {
    Q_EMIT stepStarting();
    slots_ = {};
    Q_EMIT slotsEmptied();
    demoIndex_ = loweredDemoIndex(demoIndex_);
    const Lookup lookup = recordAt(std::llabs(static_cast<std::int64_t>(demoIndex_)), dataFolder_);
    if (lookup && *lookup) usePictures(picturesOf((*lookup)->record));
    showLookup(lookup);
}

void ViewerSession::startDemo() {
    demoMode_ = true;
    demoStep();
}

std::unique_ptr<PictureSet> ViewerSession::picturesOf(const CatalogueRecord& record) const {
    auto pictures = std::make_unique<PictureSet>();
    pictures->decodeAhead(wantedPictures(record));
    return pictures;
}

void ViewerSession::usePictures(std::unique_ptr<PictureSet> pictures) {
    // The earlier presentation's decodings stop, and what they hold goes with them; slots keep theirs.
    for (Slot& slot : slots_)
        slot.awaited.clear();
    pictures_ = std::move(pictures);
    connect(pictures_.get(), &PictureSet::pictureDecoded, this, &ViewerSession::pictureArrived);
}

void ViewerSession::pictureArrived(const QByteArray& path) {
    const std::string arrived = path.toStdString();
    for (const PartSlot& slot : kPartSlots) {
        Slot& held = slots_[index(slot.number)];
        if (held.awaited.empty() || held.awaited != arrived) continue;
        held.awaited.clear();
        guarded([&] { showPicture(slot, arrived); });
        Q_EMIT slotFilled(slot.number);
    }
}

void ViewerSession::showLookup(const Lookup& lookup) {
    if (!lookup)
        Q_EMIT messageRaised(QString::fromStdString(describe(lookup.error())));
    else if (*lookup)
        present((*lookup)->record);
    else
        Q_EMIT messageRaised(QString::fromLatin1(kNoMatchMessage));
}

void ViewerSession::present(const CatalogueRecord& record) {
    record_ = record;
    Q_EMIT noticeChanged(record.hasNoParts() ? QString::fromLatin1(kNoPartsNotice) : QString());
    guarded([&] {
        Q_EMIT captionChanged(fromCodePage("(" + record.VehicleId + ") " + record.YearFrom + "-" +
                                           record.YearTo + " " + record.Make + " " + record.Model + " " +
                                           record.Submodel));
    });
    // A code used by several slots is decoded once, all within one memory budget.
    forEachPartShown(record, [this](const PartSlot& slot, const std::string& code) { fillSlot(slot, code); });
    // No repaint here: the window shows the new state when it is next painted.
}

void ViewerSession::fillSlot(const PartSlot& slot, const std::string& code) {
    Slot& held = slots_[index(slot.number)];
    held.code = code;
    held.awaited.clear();
    // A missing or broken picture leaves the slot's earlier one; one still decoding fills the slot when it
    // is ready.
    if (const std::optional<std::string> path = picturePath(code); path && pictures_) {
        guarded([&] { // copying a picture may run out of memory; the other slots still fill
            if (!showPicture(slot, *path) && pictures_->decoding(*path)) held.awaited = *path;
        });
    }
    Q_EMIT slotFilled(slot.number);
}

bool ViewerSession::showPicture(const PartSlot& slot, const std::string& path) {
    Slot& held = slots_[index(slot.number)];
    std::shared_ptr<PictureSource> picture = pictures_->source(path);
    if (!picture) return false;
    held.picture = std::move(picture);
    held.preview = pictures_->preview(path, previewSizes_[index(slot.number)]);
    return true;
}

QImage ViewerSession::slotPicture(int slot) const {
    const std::shared_ptr<PictureSource>& picture = slots_[index(slot)].picture;
    return picture ? picture->whole() : QImage();
}

QImage ViewerSession::slotShown(int slot) const {
    const QImage& preview = slotPreview(slot);
    return preview.isNull() ? slotPicture(slot) : preview;
}

std::optional<std::string> ViewerSession::picturePath(const std::string& code) const {
    Result<std::string> path = partFilePath(dataFolder_, code, kPictureSuffix);
    if (!path || !isRegularFile(*path)) return std::nullopt;
    return std::move(path.value());
}

std::vector<PictureSet::Wanted> ViewerSession::wantedPictures(const CatalogueRecord& record) const {
    std::vector<PictureSet::Wanted> wanted;
    forEachPartShown(record, [&](const PartSlot& slot, const std::string& code) {
        if (std::optional<std::string> path = picturePath(code))
            wanted.push_back({std::move(*path), previewSizes_[index(slot.number)]});
    });
    return wanted;
}

void ViewerSession::zoom(int slot) {
    Q_EMIT zoomOpened(slot);
    const Result<std::string> path = partFilePath(dataFolder_, slotCode(slot), kDescriptionSuffix);
    Q_EMIT descriptionRead(QString());
    if (!path || !isRegularFile(*path)) return;
    // One that exists but cannot be read shows as empty, the same as a missing one.
    if (const Result<Description> description = readDescription(*path); description)
        Q_EMIT descriptionRead(fromCodePage(description->caption));
}

} // namespace specialty
