#include "frm_specialty.h"

#include "command_button.h"
#include "command_line.h"
#include "description_label.h"
#include "messages.h"
#include "picture_box.h"
#include "text_encoding.h"
#include "twips.h"
#include "vehicle_search.h"
#include "window_layout.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>

#include <cmath>

namespace specialty {

namespace {

QFont fontOfPoints(double points) {
    QFont font(QString::fromLatin1(kFontFamily));
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
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

FrmSpecialty::FrmSpecialty(std::string dataFolder, QWidget* parent)
    : QWidget(parent), dataFolder_(std::move(dataFolder)) {
    setObjectName(QStringLiteral("frmSpecialty"));
    setFixedSize(twipsToPixels(kClientArea).size());
    showMessage_ = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                        this);
        box.setTextFormat(Qt::PlainText); // messages quote catalogue text, which is never markup
        box.exec();
    };
    exitProgram_ = [] { QCoreApplication::exit(0); };
    createControls();
    createSlots();
    wireEvents();
    Command1->setFocus();
}

FrmSpecialty::~FrmSpecialty() = default;

void FrmSpecialty::createControls() {
    std::array<QPushButton*, kButtons.size()> buttons{};
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        const ControlPlace& place = kButtons[i];
        buttons[i] = new CommandButton(QString::fromLatin1(place.caption), this);
        buttons[i]->setObjectName(QString::fromLatin1(place.name));
        setTwipsGeometry(buttons[i], place.twips);
        buttons[i]->setVisible(place.visible);
        if (i > 0) setTabOrder(buttons[i - 1], buttons[i]);
    }
    Command1 = buttons[0];
    cmdHide = buttons[1];
    cmdNext = buttons[2];
    Command2 = buttons[3];

    for (const ControlPlace& place : kFrames) {
        QWidget* parent = this;
        if (place.parent) parent = findChild<QGroupBox*>(QString::fromLatin1(place.parent));
        auto* frame = new QGroupBox(QString::fromLatin1(place.caption), parent);
        frame->setObjectName(QString::fromLatin1(place.name));
        frame->setFocusPolicy(Qt::NoFocus);
        setTwipsGeometry(frame, place.twips);
    }
    frmRear = findChild<QGroupBox*>(QStringLiteral("frmRear"));
    frmFront = findChild<QGroupBox*>(QStringLiteral("frmFront"));

    lblNoMatch = makeLabel(kNoMatchLabel, this);
    lblNote = makeLabel(kNoteLabel, this);

    lblIllText = new DescriptionLabel(this);
    lblIllText->setObjectName(QString::fromLatin1(kIllTextLabel.name));
    lblIllText->setCaption(QString::fromLatin1(kIllTextLabel.caption));
    lblIllText->setFont(fontOfPoints(kDescriptionPoints));
    lblIllText->setFrameShape(QFrame::Box);
    lblIllText->setLineWidth(1);
    lblIllText->setAutoFillBackground(true);
    QPalette white = lblIllText->palette();
    white.setColor(QPalette::Window, QColor(255, 255, 255));
    lblIllText->setPalette(white);
    setTwipsGeometry(lblIllText, kIllTextLabel.twips);
    lblIllText->setVisible(kIllTextLabel.visible);

    imgZoom = new PictureBox(PictureBox::Mode::Unscaled, this);
    imgZoom->setObjectName(QString::fromLatin1(kZoomPicture.name));
    imgZoom->setBorderStyle(1);
    setTwipsGeometry(imgZoom, kZoomPicture.twips);
    imgZoom->setVisible(kZoomPicture.visible);
}

void FrmSpecialty::createSlots() {
    const QFont captionFont = fontOfPoints(kSlotCaptionPoints);
    for (const PartSlot& slot : kPartSlots) {
        auto* frame = findChild<QGroupBox*>(QString::fromLatin1(slot.frame));
        auto* caption = new QLabel(frame);
        caption->setObjectName(QStringLiteral("Label%1").arg(slot.number));
        caption->setTextFormat(Qt::PlainText);
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        caption->setFont(captionFont);
        setTwipsGeometry(caption, QRectF(slot.left, kSlotLabelTop, slot.labelWidth, slot.labelHeight));

        auto* picture = new PictureBox(PictureBox::Mode::Scaled, frame);
        picture->setObjectName(QStringLiteral("Image%1").arg(slot.number));
        setTwipsGeometry(picture, QRectF(slot.left, kSlotPictureTop, slot.pictureSize, slot.pictureSize));

        Label_[static_cast<std::size_t>(slot.number - 1)] = caption;
        Image_[static_cast<std::size_t>(slot.number - 1)] = picture;
        setSlotCaption(slot, QString());
    }
}

void FrmSpecialty::wireEvents() {
    connect(Command1, &QPushButton::clicked, this, &FrmSpecialty::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FrmSpecialty::Command2_Click);
    connect(cmdNext, &QPushButton::clicked, this, &FrmSpecialty::cmdNext_Click);
    connect(cmdHide, &QPushButton::clicked, this, &FrmSpecialty::cmdHide_Click);
    for (const PartSlot& slot : kPartSlots) {
        const int number = slot.number;
        connect(image(slot), &PictureBox::clicked, this, [this, number] { Image_Click(number); });
    }
}

void FrmSpecialty::centreOnScreen() {
    // Centred by the window's outer size, computed in twips as the design does.
    const QRect screenArea = screen()->geometry();
    const QSizeF outer = outerSizeInTwips(this);
    const double left = (screenArea.width() * kTwipsPerPixel - outer.width()) / 2;
    const double top = (screenArea.height() * kTwipsPerPixel - outer.height()) / 2;
    move(screenArea.topLeft() + QPoint(static_cast<int>(std::lround(left / kTwipsPerPixel)),
                                       static_cast<int>(std::lround(top / kTwipsPerPixel))));
}

void FrmSpecialty::Form_Load(const std::string& commandLine) {
    centreOnScreen();
    const QSize outerBeforeShow = frameGeometry().size();
    show();
    // The frame's size is known only once the window is on screen; centre again by the true outer size.
    if (frameGeometry().size() != outerBeforeShow) centreOnScreen();

    demoIndex_ = 0;
    if (commandLine.empty() || isDemoKeyword(commandLine)) {
        demoMode_ = true;
        cmdNext_Click();
    } else if (commandLine.front() != ';') {
        demoMode_ = false;
        ShowSpecialtyParts(commandLine);
    } else {
        ShowMessage(QString::fromLatin1(kNoSelectionMessage));
    }
}

void FrmSpecialty::Command1_Click() {
    exitProgram_();
}

void FrmSpecialty::ShowSpecialtyParts(const std::string& selection) {
    // The catalogue is closed when the search returns, before anything is shown.
    SearchResult result = searchCatalogue(utf8ToWindows1252(selection), demoIndex_, dataFolder_);
    switch (result.outcome) {
    case SearchResult::Outcome::Found:
        PresentRecord(result.record);
        break;
    case SearchResult::Outcome::NotFound:
        ShowMessage(QString::fromLatin1(kNoMatchMessage));
        break;
    case SearchResult::Outcome::Failed:
        ShowMessage(QString::fromStdString(result.reason));
        break;
    }
}

void FrmSpecialty::ShowMessage(const QString& text) {
    showMessage_(text);
}

QString FrmSpecialty::Caption() const {
    QString caption = windowTitle();
    return caption.replace(QStringLiteral("[*][*]"), QStringLiteral("[*]"));
}

void FrmSpecialty::setCaption(const QString& caption) {
    // The title bar treats "[*]" as a placeholder; doubled, it shows as written.
    QString title = caption;
    setWindowTitle(title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
}

void FrmSpecialty::setSlotCaption(const PartSlot& slot, const QString& caption) {
    label(slot)->setText(caption);
    const QString what = caption.isEmpty() ? tr("empty") : tr("part %1").arg(caption);
    image(slot)->setAccessibleName(
        tr("%1, slot %2: %3").arg(QString::fromLatin1(slot.group)).arg(slot.number).arg(what));
}

} // namespace specialty
