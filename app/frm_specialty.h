// The viewer's one window: the slot view with its seventeen part slots, and the zoom view of one part.
//
// Handlers carry the names of the control and event they serve (Form_Load, Command1_Click, Image_Click
// for ImageN's click, ...). The methods live next to what they do: start-up and the search here, the
// presentation and the zoom view in display/, the demo step in demo/.
#pragma once

#include "catalogue_record.h"
#include "part_slots.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class QGroupBox;
class QLabel;
class QPushButton;

namespace specialty {

class DescriptionLabel;
class PictureBox;
class PictureSet;

class FrmSpecialty : public QWidget {
    Q_OBJECT

  public:
    // Shows a message with a single OK button; the window's one way of telling the user something.
    using MessageSink = std::function<void(const QString& text)>;

    // `dataFolder` holds the catalogue, pictures and descriptions (a path ending in "/").
    explicit FrmSpecialty(std::string dataFolder, QWidget* parent = nullptr);
    ~FrmSpecialty() override;

    // Centres and shows the window, then takes the road the command line asks for. `commandLine` is the
    // host's argument text in the locale's encoding.
    void Form_Load(const std::string& commandLine);

    void Command1_Click(); // "Exit"
    void Command2_Click(); // "Demo"
    void cmdNext_Click();  // "Next": one demo step
    void cmdHide_Click();  // "Hide": back to the slot view
    void Image_Click(int slot);

    // Looks the selection up (or, for "-1", the record at position |DemoIndex|) and shows what it finds.
    void ShowSpecialtyParts(const std::string& selection);

    bool DemoMode() const { return demoMode_; }
    std::int32_t DemoIndex() const { return demoIndex_; }

    // The window caption as the presentation set it.
    QString Caption() const;

    void setMessageSink(MessageSink sink) { showMessage_ = std::move(sink); }
    void setExitHandler(std::function<void()> handler) { exitProgram_ = std::move(handler); }

  private:
    void createControls();
    void createSlots();
    void wireEvents();
    void centreOnScreen();

    void ShowMessage(const QString& text);
    void PresentRecord(const CatalogueRecord& record);
    void FillSlot(const PartSlot& slot, const std::string& partCode, PictureSet& pictures);
    void EmptySlot(const PartSlot& slot);
    void setSlotCaption(const PartSlot& slot, const QString& caption);
    void setCaption(const QString& caption);
    void ShowZoomLayout();

    PictureBox* image(const PartSlot& slot) const {
        return Image_[static_cast<std::size_t>(slot.number - 1)];
    }
    QLabel* label(const PartSlot& slot) const { return Label_[static_cast<std::size_t>(slot.number - 1)]; }

    const std::string dataFolder_;
    bool demoMode_ = false;
    std::int32_t demoIndex_ = 0;
    MessageSink showMessage_;
    std::function<void()> exitProgram_;

    QPushButton* Command1 = nullptr;
    QPushButton* cmdHide = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* lblNoMatch = nullptr;
    QLabel* lblNote = nullptr;
    DescriptionLabel* lblIllText = nullptr;
    PictureBox* imgZoom = nullptr;
    QGroupBox* frmRear = nullptr;
    QGroupBox* frmFront = nullptr;
    std::array<PictureBox*, kSlotCount> Image_{};
    std::array<QLabel*, kSlotCount> Label_{};
};

} // namespace specialty
