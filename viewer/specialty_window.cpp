#include "specialty_window.h"

#include "catalogue/messages.h"
#include "viewer/src/code_page_text.h"
#include "viewer/src/command_button.h"
#include "viewer/src/description_label.h"
#include "viewer/src/frame_box.h"
#include "viewer/src/guarded.h"
#include "viewer/src/picture_box.h"
#include "viewer/src/twips.h"
#include "viewer/src/window_layout.h"
#include "viewer/src/window_title.h"
#include "viewer/src/zoom_view.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>

#include <cmath>

namespace specialty {

namespace {

QRectF slotPictureTwips(const SlotPlace& place) {
    return QRectF(place.left, kSlotPictureTop, place.pictureSize, place.pictureSize);
}

QRect slotPictureRect(const SlotPlace& place) {
    return twipsToPixels(slotPictureTwips(place));
}

QLabel* makeLabel(const ControlPlace& place, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(place.caption), parent);
    label->setObjectName(QString::fromLatin1(place.name));
    label->setTextFormat(Qt::PlainText); // catalogue text is never markup
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTwipsGeometry(label, place.twips);
    label->setVisible(place.visible);
    return label;
}

} // namespace

SpecialtyWindow::SpecialtyWindow(std::string dataFolder, const std::string& commandLine, QWidget* parent)
    : QWidget(parent), session_(std::move(dataFolder)) {
    setPreviewSizes();
    session_.prepare(commandLine);
    createControls();
}

// The slots' sizes come from the layout table, as createSlots() gives them, on the screen the window will
// most likely open on: the slots' pictures are decoded at these sizes, never whole.
void SpecialtyWindow::setPreviewSizes() {
    std::array<QSize, kSlotCount> previewSizes;
    const qreal ratio =
        QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->devicePixelRatio() : 1;
    for (std::size_t i = 0; i < kSlotCount; ++i)
        previewSizes[i] = slotPictureRect(kSlotPlaces[i]).size() * ratio;
    session_.setPreviewSizes(previewSizes);
}

void SpecialtyWindow::createControls() {
    setObjectName(QString::fromLatin1(kWindowName));
    setFixedSize(twipsToPixels(kClientArea).size());
    showMessage_ = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                        this);
        box.setTextFormat(Qt::PlainText); // messages quote catalogue text, which is never markup
        box.exec();
    };
    exitProgram_ = [] { QCoreApplication::exit(0); };
    createButtons();
    createFrames();
    createLabels();
    createSlots();
    connectSession();
    exitButton_->setFocus();
}

SpecialtyWindow::~SpecialtyWindow() = default;

void SpecialtyWindow::createButtons() {
    std::array<QPushButton*, kButtons.size()> buttons{};
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        const ControlPlace& place = kButtons[i];
        buttons[i] = new CommandButton(QString::fromLatin1(place.caption), this);
        buttons[i]->setObjectName(QString::fromLatin1(place.name));
        setTwipsGeometry(buttons[i], place.twips);
        buttons[i]->setVisible(place.visible);
        if (i > 0) setTabOrder(buttons[i - 1], buttons[i]);
    }
    exitButton_ = buttons[kExitButton];
    hideButton_ = buttons[kHideButton];
    nextButton_ = buttons[kNextButton];
    demoButton_ = buttons[kDemoButton];
    connect(exitButton_, &QPushButton::clicked, this, &SpecialtyWindow::exitClicked);
    connect(demoButton_, &QPushButton::clicked, &session_, &ViewerSession::startDemo);
    connect(nextButton_, &QPushButton::clicked, &session_, &ViewerSession::demoStep);
    connect(hideButton_, &QPushButton::clicked, this, &SpecialtyWindow::hideClicked);
}

void SpecialtyWindow::createFrames() {
    std::array<QGroupBox*, kFrames.size()> frames{};
    for (std::size_t i = 0; i < kFrames.size(); ++i) {
        const ControlPlace& place = kFrames[i];
        QWidget* parent = this;
        if (place.parent) parent = findChild<QGroupBox*>(QString::fromLatin1(place.parent));
        frames[i] = new FrameBox(QString::fromLatin1(place.caption), parent);
        frames[i]->setObjectName(QString::fromLatin1(place.name));
        frames[i]->setFocusPolicy(Qt::NoFocus);
        setTwipsGeometry(frames[i], place.twips);
    }
    rearFrame_ = frames[kRearFrame];
    frontFrame_ = frames[kFrontFrame];
}

void SpecialtyWindow::createLabels() {
    noticeText_ = makeLabel(kNoMatchLabel, this);
    hintText_ = makeLabel(kNoteLabel, this);
    zoom_ = std::make_unique<ZoomView>(this);
}

void SpecialtyWindow::createSlots() {
    const QFont captionFont = designFont(kSlotCaptionPoints);
    for (const PartSlot& slot : kPartSlots) {
        const SlotPlace& place = kSlotPlaces[static_cast<std::size_t>(slot.number - 1)];
        auto* frame = findChild<QGroupBox*>(QString::fromLatin1(place.frame));
        auto* caption = new QLabel(frame);
        caption->setObjectName(QString::fromLatin1(kSlotCaptionName).arg(slot.number));
        caption->setTextFormat(Qt::PlainText);
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        caption->setFont(captionFont);
        setTwipsGeometry(caption, QRectF(place.left, kSlotLabelTop, place.labelWidth, place.labelHeight));

        auto* picture = new PictureBox(PictureBox::Mode::Scaled, frame);
        picture->setObjectName(QString::fromLatin1(kSlotPictureName).arg(slot.number));
        setTwipsGeometry(picture, slotPictureTwips(place));
        const int number = slot.number;
        connect(picture, &PictureBox::clicked, this, [this, number] { slotClicked(number); });

        slotCaptions_[static_cast<std::size_t>(slot.number - 1)] = caption;
        slotPictures_[static_cast<std::size_t>(slot.number - 1)] = picture;
        setSlotCaption(slot.number, QString());
    }
}

void SpecialtyWindow::connectSession() {
    connect(&session_, &ViewerSession::messageRaised, this, &SpecialtyWindow::showMessage);
    connect(&session_, &ViewerSession::stepStarting, this, [this] { repaint(); });
    connect(&session_, &ViewerSession::slotsEmptied, this, &SpecialtyWindow::emptySlots);
    connect(&session_, &ViewerSession::noticeChanged, noticeText_, &QLabel::setText);
    connect(&session_, &ViewerSession::captionChanged, this, &SpecialtyWindow::setCaption);
    connect(&session_, &ViewerSession::slotFilled, this, &SpecialtyWindow::showFilledSlot);
    connect(&session_, &ViewerSession::zoomOpened, this, &SpecialtyWindow::showZoomView);
    connect(&session_, &ViewerSession::descriptionRead, zoom_->description(), &DescriptionLabel::setCaption);
}

void SpecialtyWindow::centreOnScreen() {
    // Centred by the window's outer size, computed in twips as the design does.
    const QRect screenArea = screen()->geometry();
    const QSizeF outer = outerSizeInTwips(this);
    const double left = (screenArea.width() * kTwipsPerPixel - outer.width()) / 2;
    const double top = (screenArea.height() * kTwipsPerPixel - outer.height()) / 2;
    move(screenArea.topLeft() + QPoint(static_cast<int>(std::lround(left / kTwipsPerPixel)),
                                       static_cast<int>(std::lround(top / kTwipsPerPixel))));
    centredOuterSize_ = frameGeometry().size();
}

bool SpecialtyWindow::event(QEvent* event) {
    // A window manager puts its frame round the window only after the window is shown, and says how large
    // the frame is later still. Once the outer size differs from the one the window was centred by, it is
    // centred again; a window the user moves keeps its outer size and stays where it is put.
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && isVisible() &&
        frameGeometry().size() != centredOuterSize_)
        centreOnScreen();
    return QWidget::event(event);
}

void SpecialtyWindow::load(const std::string& commandLine) {
    session_.prepare(commandLine);
    load();
}

void SpecialtyWindow::load() {
    centreOnScreen();
    show();
    if (frameGeometry().size() != centredOuterSize_) centreOnScreen();
    setShownTitle(this, windowTitle()); // empty until a record is shown, also to the window manager
    session_.start();
}

void SpecialtyWindow::exitClicked() {
    exitProgram_();
}

void SpecialtyWindow::showMessage(const QString& text) {
    showMessage_(text);
}

QString SpecialtyWindow::caption() const {
    QString caption = windowTitle();
    return caption.replace(QStringLiteral("[*][*]"), QStringLiteral("[*]"));
}

void SpecialtyWindow::setCaption(const QString& caption) {
    // The title bar treats "[*]" as a placeholder; doubled, it shows as written.
    QString title = caption;
    setShownTitle(this, title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
}

void SpecialtyWindow::emptySlots() {
    for (const PartSlot& slot : kPartSlots) {
        slotPicture(slot.number)->setPicture(QImage());
        slotPicture(slot.number)->setToolTip(QString());
        slotPicture(slot.number)->setBorder(false);
        setSlotCaption(slot.number, QString());
    }
}

void SpecialtyWindow::slotClicked(int slot) {
    session_.zoom(slot);
}

// The zoom view: the slot groups and the hint go out of sight, "Hide" comes, "Next" goes in demo mode and
// outside it alike, and the slot's own picture is shown with its description beside it.
void SpecialtyWindow::showZoomView(int slot) {
    rearFrame_->hide();
    frontFrame_->hide();
    hideButton_->show();
    nextButton_->hide();
    zoom_->open(session_.slotSource(slot));
    hintText_->hide();
}

// Back to the slot view, repainted before the click returns.
void SpecialtyWindow::hideClicked() {
    hideButton_->hide();
    if (session_.demoMode()) nextButton_->show();
    zoom_->close();
    rearFrame_->show();
    frontFrame_->show();
    hintText_->show();
    repaint();
}

void SpecialtyWindow::showFilledSlot(int slot) {
    PictureBox* picture = slotPicture(slot);
    // The pictures are shared, not copied, and the hint is a constant: nothing here allocates what a
    // catalogue decides. The caption is made from the catalogue's text.
    picture->setPicture(session_.slotShown(slot), session_.slotPreview(slot));
    picture->setToolTip(QString::fromLatin1(kSlotHint));
    picture->setBorder(true);
    guarded([&] { setSlotCaption(slot, fromCodePage(session_.slotCode(slot))); });
}

void SpecialtyWindow::setSlotCaption(int slot, const QString& caption) {
    slotCaption(slot)->setText(caption);
    const QString what = caption.isEmpty() ? tr("empty") : tr("part %1").arg(caption);
    slotPicture(slot)->setAccessibleName(
        tr("%1, slot %2: %3").arg(QString::fromLatin1(partSlot(slot).group)).arg(slot).arg(what));
}

} // namespace specialty
