// The window as created, and the start-up roads of the command line.
#include "test_support.h"

#include "catalogue/messages.h"
#include "catalogue/vehicle_selection.h"
#include "viewer/src/picture_box.h"
#include "viewer/src/window_layout.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace specialty;
using namespace specialty::test;

namespace {

std::vector<std::string> threeRecords() {
    return {recordLine("100", "Aldena", "Tarsa", "GL", "1998", "2004", {{1, "A1"}}),
            recordLine("101", "Brisko", "Meridian", "", "2001", "2008", {{2, "B2"}}),
            recordLine("102", "Corvane", "Atlas", "", "1995", "1999"), endRecordLine()};
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void controlsStandWhereTheDesignPutsThem_data() {
        // Pixels of the design's twips at 15 a pixel, each edge rounded to the nearest pixel; positions
        // count from the control's container.
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("Exit") << "Command1"
                              << "frmSpecialty"
                              << "Exit" << QRect(48, 8, 49, 25);
        QTest::newRow("Hide") << "cmdHide"
                              << "frmSpecialty"
                              << "Hide" << QRect(104, 8, 49, 25);
        QTest::newRow("Demo, wider") << "Command2"
                                     << "frmSpecialty"
                                     << "Demo" << QRect(608, 8, 57, 25);
        QTest::newRow("notice") << "lblNoMatch"
                                << "frmSpecialty"
                                << "" << QRect(224, 8, 377, 25);
        QTest::newRow("rear") << "frmRear"
                              << "frmSpecialty"
                              << "Rear" << QRect(48, 40, 617, 241);
        QTest::newRow("front") << "frmFront"
                               << "frmSpecialty"
                               << "Front" << QRect(48, 288, 617, 233);
        QTest::newRow("rear toe") << "frmRearToe"
                                  << "frmRear"
                                  << "Toe" << QRect(16, 128, 585, 105);
        QTest::newRow("front caster") << "frmFrontCaster"
                                      << "frmFront"
                                      << "Caster" << QRect(16, 120, 585, 105);
        QTest::newRow("hint") << "lblNote"
                              << "frmSpecialty" << kSlotHint << QRect(48, 520, 617, 17);
        QTest::newRow("slot 1, larger") << "Image1"
                                        << "frmRearCamber"
                                        << "" << QRect(16, 24, 75, 75);
        QTest::newRow("slot 2") << "Image2"
                                << "frmRearCamber"
                                << "" << QRect(112, 24, 74, 74);
        QTest::newRow("slot 6, never filled") << "Image6"
                                              << "frmRearCamber"
                                              << "" << QRect(496, 24, 74, 74);
        QTest::newRow("slot 17") << "Image17"
                                 << "frmFrontCaster"
                                 << "" << QRect(208, 24, 74, 74);
        QTest::newRow("caption 1") << "Label1"
                                   << "frmRearCamber"
                                   << "" << QRect(16, 13, 74, 11);
        QTest::newRow("caption 7, larger") << "Label7"
                                           << "frmRearToe"
                                           << "" << QRect(16, 13, 75, 11);
    }
    void controlsStandWhereTheDesignPutsThem() {
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QString, caption);
        QFETCH(QRect, pixels);
        DataFolder folder;
        RecordingWindow w(folder);
        QWidget* control = w.control(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), pixels);
        QCOMPARE(control->parentWidget()->objectName(), container);
        if (auto* button = qobject_cast<QAbstractButton*>(control)) QCOMPARE(button->text(), caption);
        if (auto* frame = qobject_cast<QGroupBox*>(control)) QCOMPARE(frame->title(), caption);
        if (auto* label = qobject_cast<QLabel*>(control)) QCOMPARE(label->text(), caption);
    }

    void windowHasTheDesignsControlsAndFonts() {
        DataFolder folder;
        RecordingWindow w(folder);
        QCOMPARE(w->size(), QSize(704, 549)); // 10560 x 8235 twips
        int named = 0;
        for (QWidget* child : w->findChildren<QWidget*>())
            named += child->objectName().isEmpty() || child->objectName().startsWith("qt_") ? 0 : 1;
        QCOMPARE(named, 48);
        for (int n = 1; n <= 17; ++n) {
            auto* caption = w.control<QLabel>(QString("Label%1").arg(n));
            QCOMPARE(caption->parentWidget(), w.control(QString("Image%1").arg(n))->parentWidget());
            QCOMPARE(caption->font().family(), QString("Arial"));
            QCOMPARE(caption->font().pointSizeF(), 7.5);
        }
        QCOMPARE(w.control("lblIllText")->font().pointSizeF(), 8.25);
        // Edges are rounded, not sizes: the 12-twip overlap of the front frames stays an overlap.
        QVERIFY(w.control("frmFrontCaster")->geometry().top() <=
                w.control("frmFrontCamber")->geometry().bottom());
    }

    void freshWindowIsTheEmptySlotView() {
        DataFolder folder;
        RecordingWindow w(folder);
        QVERIFY(w->windowTitle().isEmpty());
        QVERIFY(w.control<QLabel>("lblNoMatch")->text().isEmpty());
        QCOMPARE(w.control<QLabel>("lblNote")->text(), QString(kSlotHint));
        for (int n = 1; n <= 17; ++n) {
            auto* picture = w.control<PictureBox>(QString("Image%1").arg(n));
            QVERIFY(picture->picture().isNull());
            QVERIFY(picture->toolTip().isEmpty());
            QVERIFY(!picture->hasBorder());
            QVERIFY(w.control<QLabel>(QString("Label%1").arg(n))->text().isEmpty());
            QVERIFY(picture->accessibleName().endsWith(": empty"));
        }
        QCOMPARE(w.control("Image15")->accessibleName(), QString("Front caster, slot 15: empty"));
        QVERIFY(!w.control("imgZoom")->isVisibleTo(&*w));
        QVERIFY(!w.control("lblIllText")->isVisibleTo(&*w));
        QVERIFY(!w.control("cmdNext")->isVisibleTo(&*w));
        QVERIFY(!w.control("cmdHide")->isVisibleTo(&*w));
        QVERIFY(w.control("Command1")->isVisibleTo(&*w));
        QVERIFY(w.control("Command2")->isVisibleTo(&*w));
    }

    void onlyButtonsTakeFocusAndEnterPressesExit() {
        DataFolder folder;
        folder.writeCatalogue(threeRecords());
        RecordingWindow w(folder);
        for (QWidget* child : w->findChildren<QWidget*>())
            if (!qobject_cast<QPushButton*>(child))
                QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
        for (auto* button : w->findChildren<QPushButton*>()) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
            QVERIFY(!button->text().contains('&'));
        }
        w->load(std::string("DEMO"));
        QVERIFY(QTest::qWaitForWindowActive(&*w));
        QCOMPARE(QApplication::focusWidget(), w.control("Command1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(w.exits, 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(w.exits, 2);
        // Tab moves to "Demo": "Hide" and "Next" are hidden and skipped.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.control("Command2"));
    }

    void commandLineRoads_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("demoMode");
        QTest::addColumn<QString>("vehicleShown"); // empty: none
        QTest::addColumn<QString>("message");
        QTest::newRow("no argument") << "" << true << "101"
                                     << "";
        QTest::newRow("DEMO") << "DEMO" << true << "101"
                              << "";
        QTest::newRow("demo") << "demo" << true << "101"
                              << "";
        QTest::newRow("DEMO with a blank") << "DEMO " << false << "" << kNoMatchMessage;
        QTest::newRow("no selection") << ";" << false << "" << kNoSelectionMessage;
        QTest::newRow("no selection with text") << ";Aldena" << false << "" << kNoSelectionMessage;
        QTest::newRow("position marker") << "-1" << false << "100"
                                         << "";
        QTest::newRow("a vehicle") << QString::fromStdString(
                                          joinSelection("ALDENA", "tarsa", "GL", "2000", "2000"))
                                   << false << "100"
                                   << "";
        QTest::newRow("an unknown vehicle")
            << QString::fromStdString(joinSelection("Nobody", "", "", "2000", "2000")) << false << ""
            << kNoMatchMessage;
    }
    void commandLineRoads() {
        QFETCH(QString, commandLine);
        QFETCH(bool, demoMode);
        QFETCH(QString, vehicleShown);
        QFETCH(QString, message);
        DataFolder folder;
        folder.writeCatalogue(threeRecords());
        RecordingWindow w(folder);
        w->load(commandLine.toStdString());
        QVERIFY(w->isVisible());
        QCOMPARE(w->session().demoMode(), demoMode);
        QCOMPARE(w->session().demoIndex(), demoMode ? -1 : 0);
        QCOMPARE(w.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(w->caption().startsWith("(" + vehicleShown + ")"), !vehicleShown.isEmpty());
        QVERIFY(!w.control("cmdNext")->isVisible());
    }

    void helpAndVersionNeedNoDisplay_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("help") << "--help"
                              << "Usage: specialty-parts [SELECTION | DEMO | --help | --version]\n";
        QTest::newRow("version") << "--version"
                                 << "specialty-parts ";
    }
    void helpAndVersionNeedNoDisplay() {
        QFETCH(QString, argument);
        QFETCH(QString, firstLine);
        QProcess viewer;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        viewer.setProcessEnvironment(environment);
        viewer.start(SPECIALTY_VIEWER, {argument});
        QVERIFY(viewer.waitForFinished(60000));
        QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(viewer.exitCode(), 0);
        QVERIFY2(viewer.readAllStandardOutput().startsWith(firstLine.toUtf8()), qPrintable(argument));
        QCOMPARE(viewer.readAllStandardError(), QByteArray());
    }

    void windowIsCentredOnTheScreen() {
        DataFolder folder;
        folder.writeCatalogue(threeRecords());
        RecordingWindow w(folder);
        w->load(std::string(";"));
        const QRect screen = w->screen()->geometry();
        QVERIFY(std::abs(w->frameGeometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(std::abs(w->frameGeometry().center().y() - screen.center().y()) <= 1);
    }

    void failedSearchIsReportedAndTheWindowStaysUsable() {
        DataFolder folder;
        RecordingWindow w(folder);
        w->load(std::string("DEMO"));
        QCOMPARE(w.messages.size(), 1);
        QVERIFY(w.messages[0].startsWith("The catalogue " +
                                         QString::fromStdString(folder.file("specialty.txt"))));
        QVERIFY(w.messages[0].contains("cannot be opened"));
        QVERIFY(w->windowTitle().isEmpty());
        // The file was closed: once mended, "Demo" works.
        folder.writeCatalogue(threeRecords());
        QTest::mouseClick(w.control("Command2"), Qt::LeftButton);
        QCOMPARE(w.messages.size(), 1);
        QVERIFY(w->caption().startsWith("(102)"));
    }

    void messageBoxShowsCatalogueTextAsPlainText() {
        // A year holding markup reaches the failure message; the box must show it as written, never load
        // what it names.
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "A", "B", "", "<img src=/tmp/outside.png>", "2000")});
        SpecialtyWindow window(folder.path());
        QString shown;
        Qt::TextFormat format = Qt::AutoText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown = box->text();
            format = box->textFormat();
            box->accept();
        });
        window.load(joinSelection("A", "B", "", "2000", "2000"));
        QVERIFY(shown.contains("<img src=/tmp/outside.png>"));
        QCOMPARE(format, Qt::PlainText);
    }

    void aPreparedStartLooksTheSameAsAPlainOne() {
        // Started as main() starts it, the window decodes and scales the pictures while it builds its
        // controls; what it shows must be what a window given the command line once built shows, pixel for
        // pixel, and the zoom view must show the slot's own picture.
        DataFolder folder;
        folder.writeCatalogue(
            {recordLine("1", "A", "B", "", "2000", "2000", {{1, "P1"}, {2, "P2"}, {9, "P1"}}),
             endRecordLine()});
        folder.writePicture("P1", Qt::red, QSize(300, 300));
        folder.writePicture("P2", Qt::blue, QSize(120, 300));
        const std::string selection = joinSelection("A", "B", "", "2000", "2000");
        SpecialtyWindow plain(folder.path());
        plain.load(selection);
        SpecialtyWindow prepared(folder.path(), selection);
        prepared.load(selection);
        for (int slot : {1, 2, 15}) { // made at the very size the slot shows it, in device pixels
            const PictureBox* box = prepared.findChild<PictureBox*>(QStringLiteral("Image%1").arg(slot));
            QCOMPARE(prepared.session().slotPreview(slot).size(), box->size() * box->devicePixelRatioF());
        }
        QCOMPARE(prepared.grab().toImage(), plain.grab().toImage());
        QTest::mouseClick(prepared.findChild<PictureBox*>("Image1"), Qt::LeftButton);
        const PictureBox* zoom = prepared.findChild<PictureBox*>(kZoomPicture.name);
        QVERIFY(zoom->source());
        QCOMPARE(zoom->source(), prepared.session().slotSource(1));
        QCOMPARE(zoom->picture().size(), QSize(300, 300));
        QVERIFY(RecordingWindow::near(zoom->picture().pixelColor(150, 150), Qt::red));
    }

    void exitButtonEndsTheProgram() {
        DataFolder folder;
        RecordingWindow w(folder);
        w->load(std::string(";"));
        QTest::mouseClick(w.control("Command1"), Qt::LeftButton);
        QCOMPARE(w.exits, 1);
    }
};

QTEST_MAIN(WindowTest)
#include "test_window.moc"
