// What the viewer shows, without a widget: the data folder, demo mode and its counter, the record shown
// and what each of the seventeen slots holds. The window turns its signals into pixels; tests drive it
// directly.
#pragma once

#include "catalogue/catalogue_record.h"
#include "catalogue/part_slots.h"
#include "catalogue/vehicle_search.h"
#include "pictures/picture_set.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace specialty {

class ViewerSession : public QObject {
    Q_OBJECT

  public:
    // `dataFolder` holds the catalogue, pictures and descriptions (a path ending in "/").
    explicit ViewerSession(std::string dataFolder, QObject* parent = nullptr);
    ~ViewerSession() override;

    // The size (in device pixels) at which each slot shows its picture. A start that was prepared makes the
    // slots' previews at these sizes off the UI thread; sizes not valid make none.
    void setPreviewSizes(const std::array<QSize, kSlotCount>& sizes) { previewSizes_ = sizes; }

    // Takes the host's command line (text in the locale's encoding) and begins the part of its start that
    // needs no window, so that it can overlap the window's building: for a lookup, the search and, on
    // worker threads, decoding the found vehicle's pictures.
    void prepare(const std::string& commandLine);
    // Takes the road the prepared command line asks for: "DEMO" in any case or nothing starts demo mode
    // with one step, a text beginning with ";" says that no vehicle is selected, anything else is looked
    // up. What prepare() began is taken over, once.
    void start();
    // prepare() and start() at once.
    void start(const std::string& commandLine);
    // Looks up a vehicle selection (the host's text, in the locale's encoding) and shows what it finds.
    void lookUp(const std::string& selection);
    // One demo step: empties every slot, lowers the counter and shows the record at the position it names.
    void demoStep();
    // Switches demo mode on and takes a step.
    void startDemo();
    // Opens the zoom view of slot `slot` (1 to 17): its picture and the description of its part code.
    void zoom(int slot);

    bool demoMode() const { return demoMode_; }
    std::int32_t demoIndex() const { return demoIndex_; }
    const std::optional<CatalogueRecord>& record() const { return record_; }
    // What slot `slot` (1 to 17) holds: its part code (code-page text; empty for an empty slot) and its
    // picture at its own size (null when none), which the zoom view shows. A slot given a preview holds
    // its file's bytes instead, decoded whole at the first call, once, from memory.
    const std::string& slotCode(int slot) const { return slots_[index(slot)].code; }
    QImage slotPicture(int slot) const;
    // What keeps the slot's picture, which the zoom view shows: null when none.
    const std::shared_ptr<PictureSource>& slotSource(int slot) const { return slots_[index(slot)].picture; }
    // The slot's picture made at its preview size, when it was; null otherwise.
    const QImage& slotPreview(int slot) const { return slots_[index(slot)].preview; }
    // What the slot shows: its preview, or else its picture.
    QImage slotShown(int slot) const;

  Q_SIGNALS:
    void messageRaised(const QString& text);
    void stepStarting(); // a demo step is about to change the window: show it as it stands
    void slotsEmptied();
    void noticeChanged(const QString& notice);
    void captionChanged(const QString& caption);
    // Its code is set and its picture, if one was loaded; again when a picture still decoding arrives.
    void slotFilled(int slot);
    void zoomOpened(int slot);
    void descriptionRead(const QString& description); // every line ends in a line feed and a carriage return

  private:
    struct Slot {
        std::string code;
        std::shared_ptr<PictureSource> picture;
        QImage preview;
        std::string awaited; // the picture file still decoding for it
    };
    static std::size_t index(int slot) { return static_cast<std::size_t>(slot - 1); }

    struct Prepared;

    // Starts decoding the pictures of `record`, for the presentation that follows.
    std::unique_ptr<PictureSet> picturesOf(const CatalogueRecord& record) const;
    void usePictures(std::unique_ptr<PictureSet> pictures);
    void pictureArrived(const QByteArray& path);
    void showLookup(const Lookup& lookup);
    void present(const CatalogueRecord& record);
    void fillSlot(const PartSlot& slot, const std::string& code);
    // Gives the slot the picture at `path` if it is decoded; false when there is none (yet).
    bool showPicture(const PartSlot& slot, const std::string& path);
    // The picture file of `code` when there is one to read: a code that is not a plain name never reaches
    // the file system.
    std::optional<std::string> picturePath(const std::string& code) const;
    std::vector<PictureSet::Wanted> wantedPictures(const CatalogueRecord& record) const;

    const std::string dataFolder_;
    bool demoMode_ = false;
    std::int32_t demoIndex_ = 0;
    std::optional<CatalogueRecord> record_;
    std::array<Slot, kSlotCount> slots_;
    std::unique_ptr<Prepared> prepared_;
    std::unique_ptr<PictureSet> pictures_; // of the presentation shown
    std::array<QSize, kSlotCount> previewSizes_{};
};

} // namespace specialty
