// The zoom view: geometry, the description text, and "Hide".
#include "test_support.h"

#include "catalogue/vehicle_selection.h"
#include "viewer/src/description_label.h"
#include "viewer/src/picture_box.h"
#include "viewer/src/twips.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QWheelEvent>

using namespace specialty;
using namespace specialty::test;

namespace {

struct ZoomFixture {
    DataFolder folder;
    std::unique_ptr<RecordingWindow> w;

    ZoomFixture() {
        folder.writePicture("AC1", Qt::red, QSize(64, 48));
        folder.writePicture("WIDE", Qt::blue, QSize(800, 40));
        folder.writeDescription("AC1", "one, two\r\n\"three, four\"\r\n  five,,six\r\n");
        folder.writeCatalogue(
            {recordLine("1", "Zoom", "X", "", "2000", "2000", {{1, "AC1"}, {2, "WIDE"}, {3, "NOPIC"}}),
             recordLine("2", "Next", "X", "", "2000", "2000", {{1, "AC1"}}), endRecordLine()});
        folder.writeDescription("NOPIC", "no picture yet\r\n");
        w = std::make_unique<RecordingWindow>(folder);
        (*w)->load(joinSelection("Zoom", "X", "", "2000", "2000"));
    }
    DescriptionLabel* text() const { return w->control<DescriptionLabel>("lblIllText"); }
    PictureBox* zoom() const { return w->control<PictureBox>("imgZoom"); }
    bool shown(const char* name) const { return w->control(name)->isVisible(); }
};

// Turns the mouse wheel one notch down over the middle of `control`, as a user would: the event goes to
// whatever widget stands under the pointer there.
void wheelDownOver(QWidget* window, QWidget* control) {
    const QPoint inWindow = control->mapTo(window, control->rect().center());
    QWidget* under = window->childAt(inWindow);
    const QPointF local = under->mapFrom(window, inWindow);
    QWheelEvent wheel(local, under->mapToGlobal(local), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(under, &wheel);
}

} // namespace

class ZoomViewTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void clickOpensTheZoomViewBesideThePicture() {
        ZoomFixture f;
        QTest::mouseClick(f.w->control("Image1"), Qt::LeftButton);
        QVERIFY(!f.shown("frmRear") && !f.shown("frmFront") && !f.shown("lblNote") && !f.shown("cmdNext"));
        QVERIFY(f.shown("cmdHide") && f.shown("imgZoom") && f.shown("lblIllText"));
        QVERIFY(f.shown("Command1") && f.shown("Command2") && f.shown("lblNoMatch"));

        const QSizeF window = outerSizeInTwips(&**f.w);
        QCOMPARE(twipsGeometry(f.zoom()), QRectF(120, 640, 64 * 15, 48 * 15));
        QCOMPARE(twipsGeometry(f.text()),
                 QRectF(960 + 240, 640, window.width() - 960 - 360, window.height() - 640 - 480));
        QCOMPARE(f.zoom()->geometry(), QRect(8, 43, 64, 48));
        // The very picture of the slot, shared, not read again.
        QVERIFY(f.zoom()->source());
        QCOMPARE(f.zoom()->source(), (*f.w)->session().slotSource(1));
        QVERIFY(RecordingWindow::near(f.zoom()->picture().pixelColor(32, 24), Qt::red));
    }

    void descriptionItemsEachOnALine() {
        ZoomFixture f;
        (*f.w)->session().zoom(1);
        QCOMPARE(f.text()->caption(), QString("one\n\rtwo\n\rthree, four\n\rfive\n\r\n\rsix\n\r"));
        QCOMPARE(f.text()->text(), QString("one\ntwo\nthree, four\nfive\n\nsix"));
    }

    void aLongDescriptionScrollsInsideItsPlace_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("lastLine");
        QByteArray lines;
        for (int n = 1; n <= 199; ++n)
            lines += "line " + QByteArray::number(n) + "\r\n";
        QTest::newRow("200 lines") << lines + "the last line\r\n"
                                   << "the last line";
        QByteArray words;
        for (int n = 1; n <= 400; ++n)
            words += "word" + QByteArray::number(n) + ' ';
        QTest::newRow("long lines") << words + "\r\n" + words + "\r\n" + words + "end\r\n"
                                    << QString("word399 word400 end");
    }
    void aLongDescriptionScrollsInsideItsPlace() {
        QFETCH(QByteArray, file);
        QFETCH(QString, lastLine);
        ZoomFixture f;
        (*f.w)->session().zoom(1); // a short description
        QWidget* label = f.w->control("lblIllText");
        const QRect place = label->geometry();
        f.w->click("cmdHide");
        f.folder.writeDescription("AC1", file.toStdString());
        (*f.w)->session().zoom(1);
        QCOMPARE(label->geometry(), place);

        auto* area = qobject_cast<QPlainTextEdit*>(label);
        QVERIFY2(area, "the description cannot scroll");
        QApplication::processEvents(); // the label lays out its new text
        QVERIFY(area->toPlainText().endsWith(lastLine));
        // The wheel brings the end of the text into view: the last line reaches the bottom of the label.
        QScrollBar* bar = area->verticalScrollBar();
        QVERIFY(bar->isVisible() && bar->maximum() > 0);
        for (int notch = 0; notch < 1000 && bar->value() < bar->maximum(); ++notch)
            wheelDownOver(&**f.w, label);
        QCOMPARE(bar->value(), bar->maximum());
        const QTextBlock bottom = area->cursorForPosition(QPoint(1, area->viewport()->height() - 2)).block();
        QVERIFY2(bottom.text().endsWith(lastLine), qPrintable(bottom.text().right(80)));
        QCOMPARE(area->horizontalScrollBar()->maximum(), 0); // words wrap, nothing is cut at the right

        QCOMPARE(label->geometry(), place);
        for (QWidget* part : label->findChildren<QWidget*>())
            QCOMPARE(part->focusPolicy(), Qt::NoFocus);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        // The next zoom starts at the top again.
        f.w->click("cmdHide");
        (*f.w)->session().zoom(1);
        QCOMPARE(bar->value(), 0);
    }

    void aMegabyteOfDescriptionShowsWhole_data() {
        QTest::addColumn<int>("lines"); // of 50 bytes each, line end included; 0: one line of a megabyte
        QTest::addColumn<bool>("cut");
        QTest::newRow("a megabyte") << 20000 << false; // 1,000,000 bytes
        QTest::newRow("50 MB") << 1000000 << true;
        QTest::newRow("a megabyte on one line") << 0 << false;
    }
    void aMegabyteOfDescriptionShowsWhole() {
        QFETCH(int, lines);
        QFETCH(bool, cut);
        ZoomFixture f;
        std::string file = lines == 0 ? std::string(999998, 'x') + "\r\n" : std::string();
        file.reserve(static_cast<std::size_t>(lines) * 50);
        for (int n = 1; n <= lines; ++n) {
            std::string line = "line " + std::to_string(n);
            file += line.append(48 - line.size(), '.') + "\r\n";
        }
        f.folder.writeDescription("AC1", file);
        (*f.w)->session().zoom(1);
        const QString caption = f.text()->caption();
        const QString note = "[The description is longer than 1 MB; only its beginning is shown.]\n\r";
        QCOMPARE(caption.endsWith(note), cut);
        if (lines == 0) { // every character shows, the line broken into shorter ones
            QCOMPARE(caption.size(), 1000000);
            QCOMPARE(f.text()->text().remove('\n'), QString(999998, 'x'));
            return;
        }
        QVERIFY(caption.startsWith("line 1...."));
        // The first megabyte's lines are there whole: all 20,000 of them.
        QVERIFY(caption.contains("\n\rline 20000..."));
        if (!cut) QCOMPARE(caption.size(), lines * 50);
    }

    void pictureTooWideForText() {
        ZoomFixture f;
        (*f.w)->session().zoom(2);
        QCOMPARE(twipsGeometry(f.zoom()).width(), 800 * 15.0);
        QCOMPARE(twipsGeometry(f.text()).width(), 0.0);
        QCOMPARE(twipsGeometry(f.text()).left(), 800 * 15.0 + 240);
    }

    void partWithoutPictureStillShowsItsDescription() {
        ZoomFixture f;
        (*f.w)->session().zoom(3);
        QVERIFY(f.zoom()->picture().isNull());
        QCOMPARE(f.text()->caption(), QString("no picture yet\n\r"));
    }

    void emptySlotReadsTheBareSuffixFile() {
        ZoomFixture f;
        (*f.w)->session().zoom(1);
        f.w->click("cmdHide");
        (*f.w)->session().zoom(6);
        QVERIFY(f.zoom()->picture().isNull());
        QVERIFY(f.text()->caption().isEmpty()); // the last description is not carried over
        // After "Hide" the zoom picture measures 0 x 0: the text starts at 240 and is window width - 360
        // wide.
        QCOMPARE(twipsGeometry(f.text()).left(), 240.0);
        QCOMPARE(twipsGeometry(f.text()).width(), outerSizeInTwips(&**f.w).width() - 360);
        f.w->click("cmdHide");
        f.folder.writeDescription("", "for the empty caption\r\n");
        (*f.w)->session().zoom(6);
        QCOMPARE(f.text()->caption(), QString("for the empty caption\n\r"));
    }

    void eachClickReadsTheFileAgain() {
        ZoomFixture f;
        (*f.w)->session().zoom(1);
        f.w->click("cmdHide");
        f.folder.writeDescription("AC1", "changed\r\n");
        (*f.w)->session().zoom(1);
        QCOMPARE(f.text()->caption(), QString("changed\n\r"));
        f.w->click("cmdHide");
        f.folder.remove("AC1.txt");
        (*f.w)->session().zoom(1);
        QVERIFY(f.text()->caption().isEmpty());
    }

    void hideReturnsToTheSlotView() {
        ZoomFixture f;
        (*f.w)->session().zoom(1);
        QTest::mouseClick(f.w->control("cmdHide"), Qt::LeftButton);
        QVERIFY(f.shown("frmRear") && f.shown("frmFront") && f.shown("lblNote"));
        QVERIFY(!f.shown("cmdHide") && !f.shown("imgZoom") && !f.shown("lblIllText"));
        QVERIFY(!f.shown("cmdNext")); // not in demo mode
        QVERIFY(f.zoom()->picture().isNull());
        QCOMPARE(twipsGeometry(f.zoom()).size(), QSizeF(0, 0));
        QVERIFY(!f.w->control<PictureBox>("Image1")->picture().isNull()); // the slot keeps its picture
        QVERIFY(!f.text()->caption().isEmpty());                          // until the next click empties it
    }

    void demoStepBehindTheZoomView() {
        ZoomFixture f;
        (*f.w)->session().zoom(1);
        QTest::mouseClick(f.w->control("Command2"), Qt::LeftButton);
        QVERIFY((*f.w)->session().demoMode());
        QVERIFY((*f.w)->caption().startsWith("(2)"));
        QVERIFY(f.shown("imgZoom") && !f.shown("frmRear") && !f.shown("cmdNext"));
        QCOMPARE(f.text()->caption(), QString("one\n\rtwo\n\rthree, four\n\rfive\n\r\n\rsix\n\r"));
        f.w->click("cmdHide");
        QVERIFY(f.shown("cmdNext") && f.shown("frmRear"));
    }

    void captionsAndFramesIgnoreClicks() {
        ZoomFixture f;
        QTest::mouseClick(f.w->control("Label1"), Qt::LeftButton);
        QTest::mouseClick(f.w->control("frmRearCamber"), Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(!f.shown("imgZoom") && f.shown("frmRear"));
    }
};

QTEST_MAIN(ZoomViewTest)
#include "test_zoom_view.moc"
