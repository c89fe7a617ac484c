// The window on a real X display under a window manager (run by tests/run-with-window-manager.sh): the
// title the window manager reads, where it centres the frame, how the frames look on the screen, and that
// a record shows as a user would see it.
#include "real_window.h"

#include "catalogue/vehicle_selection.h"

#include <QGuiApplication>
#include <QTest>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>

using namespace specialty;
using namespace specialty::test;

namespace {

const std::string kAldena = recordLine("7", "Aldena", "Tarsa", "GL", "1998", "2004", {{1, "A1"}});

// The value xprop prints for a text property ("NAME(TYPE) = \"text\"", or "NAME(TYPE) =" when it is
// empty), without its quotes; "(absent)" when the window has no such property.
QString textValue(const QString& printed) {
    const qsizetype at = printed.indexOf('=');
    if (at < 0 || !printed.contains('(')) return QStringLiteral("(absent)");
    const QString value = printed.mid(at + 1).trimmed();
    return value.size() >= 2 && value.startsWith('"') ? value.mid(1, value.size() - 2) : value;
}

} // namespace

class RealWindowTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY2(xOutput("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id"),
                 "no window manager runs on this display");
    }

    void titleAsTheWindowManagerReadsIt_data() {
        QTest::addColumn<std::vector<std::string>>("catalogue");
        QTest::addColumn<std::string>("commandLine");
        QTest::addColumn<QString>("title");
        QTest::newRow("no selection") << std::vector{kAldena, endRecordLine()} << std::string(";") << "";
        QTest::newRow("demo start that finds nothing")
            << std::vector{kAldena, endRecordLine()} << std::string("DEMO") << "";
        QTest::newRow("selection that finds nothing")
            << std::vector{kAldena, endRecordLine()} << joinSelection("Nobody", "", "", "2000", "2000") << "";
        QTest::newRow("a record shown")
            << std::vector{kAldena, endRecordLine()} << std::string("-1") << "(7) 1998-2004 Aldena Tarsa GL";
    }

    void titleAsTheWindowManagerReadsIt() {
        QFETCH(std::vector<std::string>, catalogue);
        QFETCH(std::string, commandLine);
        QFETCH(QString, title);
        DataFolder folder;
        folder.writeCatalogue(catalogue);
        RealWindow w(folder, commandLine);
        QCOMPARE(textValue(w.property("_NET_WM_NAME")), title);
        QCOMPARE(textValue(w.property("WM_NAME")), title);
    }

    void centredByItsFrame() {
        DataFolder folder;
        folder.writeCatalogue({kAldena, endRecordLine()});
        RealWindow w(folder, ";");
        const QRect frame = w.frameOnScreen(), client = w.clientOnScreen(), screen = w.screen();
        QVERIFY2(frame.height() > client.height(), "the window manager drew no title bar");
        // Left = (screen width - outer width) / 2, the same for Top; a pixel either way for the rounding.
        QVERIFY2(std::abs(2 * frame.left() + frame.width() - screen.width()) <= 2,
                 qPrintable(QString("frame at %1, %2 wide").arg(frame.left()).arg(frame.width())));
        QVERIFY2(std::abs(2 * frame.top() + frame.height() - screen.height()) <= 2,
                 qPrintable(QString("frame at %1, %2 high").arg(frame.top()).arg(frame.height())));
    }

    void captionsStandInTheirFrameLines_data() {
        QTest::addColumn<QString>("frame");
        for (const char* name :
             {"frmRear", "frmFront", "frmRearCamber", "frmRearToe", "frmFrontCamber", "frmFrontCaster"})
            QTest::newRow(name) << QString(name);
    }

    void captionsStandInTheirFrameLines() {
        // On the screen: the frame's top line is the first row, from the frame's top, that runs in one
        // colour darker than the window's along the right part of the frame (a neighbour's light edge may
        // lie above it). The caption is the dark pixels
        // near the frame's left end above the first control inside it. The line must cross the caption's
        // height and be broken where the caption stands.
        QFETCH(QString, frame);
        DataFolder folder;
        folder.writeCatalogue({kAldena, endRecordLine()});
        RealWindow w(folder, ";");
        const QImage shot = w.screenshot();
        const QRect box = w.controlRect(frame);
        QVERIFY(!box.isEmpty());
        const QColor background = shot.pixelColor(2, 2); // no control stands in the window's corner
        auto oneColour = [&](int y, int from, int to, QColor colour) {
            for (int x = from; x <= to; ++x)
                if (shot.pixelColor(x, y) != colour) return false;
            return true;
        };
        int border = -1;
        QColor line;
        for (int y = box.top(); y < box.top() + 30 && border < 0; ++y) {
            line = shot.pixelColor(box.right() - 4, y);
            if (line.lightness() < background.lightness() &&
                oneColour(y, box.right() - 40, box.right() - 4, line))
                border = y;
        }
        QVERIFY2(border >= 0, "no top line along the frame");
        int inside = box.height(); // where the first control inside the frame begins
        for (QWidget* child : w.window()->findChild<QWidget*>(frame)->findChildren<QWidget*>(
                 QString(), Qt::FindDirectChildrenOnly))
            inside = std::min(inside, child->y());
        int glyphTop = INT_MAX, glyphBottom = -1, glyphLeft = INT_MAX, glyphRight = -1;
        for (int y = box.top(); y < box.top() + inside; ++y)
            for (int x = box.left() + 2; x < box.left() + 80; ++x) {
                const QColor c = shot.pixelColor(x, y);
                if (c == line || c.lightness() > 100) continue;
                glyphTop = std::min(glyphTop, y), glyphBottom = std::max(glyphBottom, y);
                glyphLeft = std::min(glyphLeft, x), glyphRight = std::max(glyphRight, x);
            }
        QVERIFY2(glyphBottom >= 0, "no caption on the screen");
        QVERIFY2(glyphTop < border && border < glyphBottom,
                 qPrintable(QString("line at row %1, caption in rows %2 to %3")
                                .arg(border - box.top())
                                .arg(glyphTop - box.top())
                                .arg(glyphBottom - box.top())));
        QVERIFY2(!oneColour(border, glyphLeft - 1, glyphRight + 1, line),
                 "the line runs through the caption");
    }

    void wantedRecordShowsPastALongField() {
        // 200 KB in the SpareField of the record before the wanted one, which the viewer never shows.
        DataFolder folder;
        folder.writePicture("A1", Qt::red);
        std::string before = recordLine("1", "Brisko", "Meridian", "", "2001", "2008", {{1, "B1"}});
        folder.writeCatalogue({before.insert(2, std::string(200 * 1024, 's')), kAldena, endRecordLine()});
        RealWindow w(folder, joinSelection("Aldena", "Tarsa", "GL", "2000", "2000"));
        QCOMPARE(w.window().messages, QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(RecordingWindow::near(w.slotColourOnScreen(1), Qt::red), 5000);
        QCOMPARE(textValue(w.property("_NET_WM_NAME")), QString("(7) 1998-2004 Aldena Tarsa GL"));
    }

    void cameraPhotographsShowInTheirSlotsAndTheZoom_data() {
        QTest::addColumn<int>("pictures");
        QTest::addColumn<QSize>("size");
        QTest::newRow("sixteen of 12 megapixels") << 16 << QSize(4000, 3000);
        QTest::newRow("one of 48 megapixels") << 1 << QSize(8000, 6000);
    }

    void cameraPhotographsShowInTheirSlotsAndTheZoom() {
        QFETCH(int, pictures);
        QFETCH(QSize, size);
        DataFolder folder;
        std::map<int, std::string> codes;
        std::map<std::string, QColor> colours;
        for (int n = 1; n <= pictures; ++n) {
            const std::string code = "CAM" + std::to_string(n);
            codes[n] = code;
            colours[code] = QColor::fromHsv((n - 1) * 22, 220, 230);
            folder.writePicture(code, colours[code], size);
        }
        folder.writeCatalogue(
            {recordLine("9", "Corvane", "Atlas", "", "2010", "2012", codes), endRecordLine()});
        RealWindow w(folder, joinSelection("Corvane", "Atlas", "", "2011", "2011"));
        QCOMPARE(w.window().messages, QStringList());
        int shown = 0;
        for (int slot = 1; slot <= 17; ++slot) {
            const std::string code = w.window()->session().slotCode(slot);
            if (code.empty()) continue;
            QTRY_VERIFY2_WITH_TIMEOUT(RecordingWindow::near(w.slotColourOnScreen(slot), colours[code]),
                                      qPrintable(QString("slot %1 (%2) shows %3")
                                                     .arg(slot)
                                                     .arg(QString::fromStdString(code))
                                                     .arg(w.slotColourOnScreen(slot).name())),
                                      20000);
            ++shown;
        }
        QVERIFY(shown >= pictures);
        // The zoom view of the first picture, at its own size from the top left of its box.
        const QString first =
            QStringLiteral("Image%1").arg(w.window()->session().slotCode(1).empty() ? 2 : 1);
        const std::string code = w.window()->session().slotCode(first.mid(5).toInt());
        w.window().click(first);
        QTRY_VERIFY_WITH_TIMEOUT(
            RecordingWindow::near(
                w.screenshot().pixelColor(w.controlRect("imgZoom").topLeft() + QPoint(4, 4)), colours[code]),
            20000);
    }
};

QTEST_MAIN(RealWindowTest)
#include "test_real_window.moc"
