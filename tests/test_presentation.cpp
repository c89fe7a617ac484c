// Showing a found record: slot assignment, notice, caption, and pictures that are missing or damaged.
#include "test_support.h"

#include "catalogue/messages.h"
#include "catalogue/vehicle_selection.h"
#include "pictures/picture_loader.h"
#include "viewer/src/guarded.h"
#include "viewer/src/picture_box.h"

#include <QBuffer>
#include <QFile>
#include <QLabel>
#include <QTest>

#include <csignal>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

using namespace specialty;
using namespace specialty::test;

namespace {

// A distinct colour for each PartCode number.
QColor colourOfPart(int n) {
    return QColor::fromHsv((n * 22) % 360, 255, 150 + (n % 4) * 30);
}

std::string lookFor(const char* make) {
    return joinSelection(make, "X", "", "2000", "2000");
}

QByteArray jpegBytes(QColor colour, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

} // namespace

class PresentationTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void onlyAStepThatRunsOutOfMemoryIsSkipped() {
        // Out of memory, a step is skipped without a word and the next one runs.
        int ran = 0;
        guarded([] { throw std::bad_alloc(); });
        guarded([&] { ++ran; });
        QCOMPARE(ran, 1);
        // Any other exception is a fault of the program: it ends the program instead of vanishing.
        const pid_t child = ::fork();
        if (child == 0) {
            guarded([] { throw std::runtime_error("a fault"); });
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGABRT);
    }

    void eachPartCodeGoesToItsSlot() {
        DataFolder folder;
        std::map<int, std::string> parts;
        for (int n = 1; n <= 16; ++n) {
            parts[n] = "P" + std::to_string(n);
            folder.writePicture(parts[n], colourOfPart(n));
        }
        folder.writeCatalogue({recordLine("7", "Full", "X", "", "2000", "2000", parts), endRecordLine()});
        RecordingWindow w(folder);
        w->show();
        w->session().lookUp(lookFor("Full"));
        QVERIFY(w.messages.isEmpty());
        const QColor background = w->palette().color(QPalette::Window);
        // The PartCode number each slot shows, slot 1 first; 0: none. The catalogue lists front caster
        // before front camber, the window shows front camber first.
        const int shows[17] = {1, 2, 3, 4, 5, 0, 6, 7, 8, 12, 13, 14, 15, 16, 9, 10, 11};
        for (int slot = 1; slot <= 17; ++slot) {
            const int part = shows[slot - 1];
            auto* picture = w.control<PictureBox>(QString("Image%1").arg(slot));
            auto* caption = w.control<QLabel>(QString("Label%1").arg(slot));
            if (part == 0) {
                QVERIFY(picture->picture().isNull());
                QVERIFY(!picture->hasBorder());
                QVERIFY(caption->text().isEmpty());
                QVERIFY(RecordingWindow::near(w.slotColour(slot), background));
                continue;
            }
            QCOMPARE(caption->text(), QString("P%1").arg(part));
            QCOMPARE(picture->toolTip(), QString(kSlotHint));
            QVERIFY(picture->hasBorder());
            QVERIFY2(RecordingWindow::near(w.slotColour(slot), colourOfPart(part)),
                     qPrintable(QString("slot %1").arg(slot)));
            QVERIFY(picture->accessibleName().endsWith(QString(": part P%1").arg(part)));
        }
        // The front groups in the window's order: PartCode12 leads front camber, PartCode9 front caster.
        QCOMPARE(w.control<QLabel>("Label10")->text(), QString("P12"));
        QCOMPARE(w.control<QLabel>("Label15")->text(), QString("P9"));
        QVERIFY(w.control<QLabel>("lblNoMatch")->text().isEmpty());
    }

    void noticeAndCaption() {
        DataFolder folder;
        folder.writeCatalogue({recordLine("11", "Bare", "X", "", "1999", "2001"),
                               recordLine("12", "Star", "X", "", "2000", "2000", {{3, "Q"}}),
                               recordLine("[*]", "Title", "X", "S*b", "2000", "2000"), endRecordLine()});
        RecordingWindow w(folder);
        w->session().lookUp(lookFor("bare"));
        QCOMPARE(w.control<QLabel>("lblNoMatch")->text(), QString(kNoPartsNotice));
        QCOMPARE(w->caption(), QString("(11) 1999-2001 Bare X ")); // an empty Submodel leaves a blank
        for (int n = 1; n <= 17; ++n)
            QVERIFY(!w.control<PictureBox>(QString("Image%1").arg(n))->hasBorder());

        w->session().lookUp(lookFor("Star"));
        QVERIFY(w.control<QLabel>("lblNoMatch")->text().isEmpty()); // a code counts even without its picture
        QCOMPARE(w.control<QLabel>("Label3")->text(), QString("Q"));

        w->session().lookUp(joinSelection("Title", "X", "S\"b", "2000", "2000"));
        QCOMPARE(w->caption(), QString("([*]) 2000-2000 Title X S\"b"));

        // Not found: caption, notice and slots stay as they were.
        w->session().lookUp(lookFor("Nobody"));
        QCOMPARE(w.messages, QStringList{kNoMatchMessage});
        QCOMPARE(w->caption(), QString("([*]) 2000-2000 Title X S\"b"));
        QCOMPARE(w.control<QLabel>("Label3")->text(), QString("Q"));
    }

    void missingOrDamagedPicturesLeaveTheSlotsPictureAndTheRestRuns() {
        DataFolder folder;
        folder.writePicture("RED", Qt::red);
        folder.writePicture("BLUE", Qt::blue);
        folder.writeFile("BADill.jpg", "this is not a picture");
        folder.writeFile("CUTill.jpg", jpegBytes(Qt::green, QSize(40, 40)).left(100).toStdString());
        QImage png(20, 20, QImage::Format_RGB32);
        png.fill(Qt::yellow);
        QVERIFY(png.save(QString::fromStdString(folder.file("PNGill.jpg")), "PNG"));
        folder.writeCatalogue(
            {recordLine("1", "First", "X", "", "2000", "2000", {{1, "RED"}, {2, "RED"}, {3, "RED"}}),
             recordLine("2", "Second", "X", "", "2000", "2000",
                        {{1, "BAD"}, {2, "CUT"}, {3, "NONE"}, {4, "BLUE"}, {5, "PNG"}}),
             endRecordLine()});
        RecordingWindow w(folder);
        w->show();
        w->session().lookUp(lookFor("First"));
        w->session().lookUp(lookFor("Second"));
        QVERIFY(w.messages.isEmpty());
        for (int slot : {1, 2, 3}) {
            QVERIFY(RecordingWindow::near(w.slotColour(slot), Qt::red));
            QVERIFY(w.control<PictureBox>(QString("Image%1").arg(slot))->hasBorder());
        }
        QCOMPARE(w.control<QLabel>("Label1")->text(), QString("BAD"));
        QCOMPARE(w.control<QLabel>("Label3")->text(), QString("NONE"));
        QVERIFY(RecordingWindow::near(w.slotColour(4), Qt::blue));
        // A picture of another format named ".jpg" is recognised by its content.
        QVERIFY(RecordingWindow::near(w.slotColour(5), Qt::yellow));
    }

    void absurdPictureDimensionsAreRefused() {
        DataFolder folder;
        QByteArray jpeg = jpegBytes(Qt::red, QSize(16, 16));
        qsizetype sof = jpeg.indexOf("\xFF\xC0");
        QVERIFY(sof > 0);
        // 30000 x 30000 pixels: 3.6 GB once decoded, far above the allocation limit.
        for (int i : {5, 7}) {
            jpeg[sof + i] = '\x75';
            jpeg[sof + i + 1] = '\x30';
        }
        folder.writeFile("HUGEill.jpg", jpeg.toStdString());
        QVERIFY(!loadPicture(folder.file("HUGEill.jpg")));
        QVERIFY(!loadPicture(folder.file("MISSINGill.jpg")));
        folder.writeFile("OKill.jpg", jpegBytes(Qt::red, QSize(16, 16)).toStdString());
        const Result<QImage> ok = loadPicture(folder.file("OKill.jpg"));
        QVERIFY2(ok, ok.reason().c_str());
        QCOMPARE(ok->size(), QSize(16, 16));
    }

    void partCodesNeverLeaveTheDataFolder() {
        DataFolder outer;
        outer.writePicture("secret", Qt::red);
        QDir(QString::fromStdString(outer.path())).mkdir("data");
        const std::string data = outer.file("data/");
        QFile::copy(QString::fromStdString(outer.file("secretill.jpg")),
                    QString::fromStdString(data + "..ill.jpg"));
        std::string catalogue =
            recordLine("1", "Path", "X", "", "2000", "2000", {{1, "../secret"}, {2, ".."}, {3, "a\\b"}}) +
            "\r\n";
        QFile file(QString::fromStdString(data + "specialty.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(catalogue.data(), static_cast<qint64>(catalogue.size()));
        file.close();
        SpecialtyWindow window(data);
        window.setMessageSink([](const QString&) {});
        window.session().lookUp(lookFor("Path"));
        for (int slot : {1, 2, 3}) {
            auto* picture = window.findChild<PictureBox*>(QString("Image%1").arg(slot));
            QVERIFY(picture->picture().isNull());
            QVERIFY(picture->hasBorder());
        }
        QCOMPARE(window.findChild<QLabel*>("Label1")->text(), QString("../secret"));
    }
};

QTEST_MAIN(PresentationTest)
#include "test_presentation.moc"
