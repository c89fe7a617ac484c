// The viewer's one window: the slot view with its seventeen part slots, and the zoom view of one part.
//
// The window builds its controls from the layout table and shows what its session says; the session
// decides what that is. Message boxes and ending the program go through two seams that tests replace.
#pragma once

#include "catalogue/part_slots.h"
#include "viewer_session.h"

#include <QSize>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>

class QGroupBox;
class QLabel;
class QPushButton;

namespace specialty {

class PictureBox;
class ZoomView;

class SpecialtyWindow : public QWidget {
    Q_OBJECT

  public:
    // Shows a message with a single OK button; the window's one way of telling the user something.
    using MessageSink = std::function<void(const QString& text)>;

    // `dataFolder` holds the catalogue, pictures and descriptions (a path ending in "/"); `commandLine` is
    // the host's argument text in the locale's encoding (none: demo mode). The start it asks for begins at
    // once (the search, and decoding the found pictures on worker threads), so that it overlaps building
    // the controls; load() finishes it.
    explicit SpecialtyWindow(std::string dataFolder, const std::string& commandLine = std::string(),
                             QWidget* parent = nullptr);
    ~SpecialtyWindow() override;

    // Centres and shows the window, then takes the road the command line asks for.
    void load();
    // The same for another command line than the one the window was built with.
    void load(const std::string& commandLine);

    ViewerSession& session() { return session_; }
    const ViewerSession& session() const { return session_; }

    // The window caption as the presentation set it.
    QString caption() const;

    void setMessageSink(MessageSink sink) { showMessage_ = std::move(sink); }
    void setExitHandler(std::function<void()> handler) { exitProgram_ = std::move(handler); }

  protected:
    bool event(QEvent* event) override;

  private:
    void setPreviewSizes();
    void createControls();
    void createButtons();
    void createFrames();
    void createLabels();
    void createSlots();
    void connectSession();
    void centreOnScreen();

    // Handlers of the controls.
    void exitClicked();
    void hideClicked();
    void slotClicked(int slot);

    // What the session asks to be shown.
    void showMessage(const QString& text);
    void setCaption(const QString& caption);
    void emptySlots();
    void showFilledSlot(int slot);
    void setSlotCaption(int slot, const QString& caption);
    void showZoomView(int slot);

    PictureBox* slotPicture(int slot) const { return slotPictures_[static_cast<std::size_t>(slot - 1)]; }
    QLabel* slotCaption(int slot) const { return slotCaptions_[static_cast<std::size_t>(slot - 1)]; }

    ViewerSession session_;
    MessageSink showMessage_;
    std::function<void()> exitProgram_;

    QPushButton* exitButton_ = nullptr;
    QPushButton* hideButton_ = nullptr;
    QPushButton* nextButton_ = nullptr;
    QPushButton* demoButton_ = nullptr;
    QLabel* noticeText_ = nullptr;
    QLabel* hintText_ = nullptr;
    std::unique_ptr<ZoomView> zoom_;
    QGroupBox* rearFrame_ = nullptr;
    QGroupBox* frontFrame_ = nullptr;
    std::array<PictureBox*, kSlotCount> slotPictures_{};
    std::array<QLabel*, kSlotCount> slotCaptions_{};
    QSize centredOuterSize_; // the outer size the window was last centred by
};

} // namespace specialty
