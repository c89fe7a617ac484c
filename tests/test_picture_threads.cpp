// The window and its pictures' decoding threads: the window paints without waiting for every picture,
// late pictures fill their slots, and a thread that cannot start leaves the decoding to the window's own.
#include "test_support.h"

#include "catalogue/vehicle_selection.h"
#include "pictures/picture_source.h"
#include "viewer/src/picture_box.h"

#include <QApplication>
#include <QBuffer>
#include <QDeadlineTimer>
#include <QLabel>
#include <QProcess>
#include <QTest>

#include <cstdio>

using namespace specialty;
using namespace specialty::test;

namespace {

std::string lookFor() {
    return joinSelection("Slow", "X", "", "2000", "2000");
}

// A record of the vehicle above whose sixteen parts each have their own picture file, all of `bytes`.
void writeSixteenPictures(const DataFolder& folder, const std::string& bytes) {
    std::map<int, std::string> parts;
    for (int n = 1; n <= 16; ++n) {
        parts[n] = "P" + std::to_string(n);
        folder.writeFile(parts[n] + "ill.jpg", bytes);
    }
    folder.writeCatalogue({recordLine("1", "Slow", "X", "", "2000", "2000", parts), endRecordLine()});
}

std::string smallJpeg() {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes.toStdString();
}

int slotsWithPictures(SpecialtyWindow& window) {
    int shown = 0;
    for (int slot = 1; slot <= 17; ++slot)
        shown +=
            window.findChild<PictureBox*>(QStringLiteral("Image%1").arg(slot))->picture().isNull() ? 0 : 1;
    return shown;
}

// The child's part of noThreadMeansDecodingOnTheWindowsThread: shows the vehicle and writes how many
// slots have a picture once the pictures have settled.
int presentAndCount(const char* folder) {
    int argc = 1;
    char name[] = "test_picture_threads";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    SpecialtyWindow window(folder, lookFor()); // started as the host starts the viewer
    window.setMessageSink([](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    window.load();
    const QDeadlineTimer due(20000);
    while (slotsWithPictures(window) < 16 && !due.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    std::printf("%d\n", slotsWithPictures(window));
    return 0;
}

} // namespace

class PictureThreadsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void theWindowDoesNotWaitForEveryPicture() {
        // While the decoders' memory is all taken, no picture can decode: the window must paint with its
        // part codes and empty slots, then fill each slot once the memory is free again.
        DataFolder folder;
        writeSixteenPictures(folder, smallJpeg());
        RecordingWindow w(folder);
        const int allKilobytes = decodingKilobytes().available();
        decodingKilobytes().acquire(allKilobytes);
        w->session().lookUp(lookFor());
        QCOMPARE(slotsWithPictures(*w), 0);
        QCOMPARE(w.control<QLabel>("Label17")->text(), QString("P11")); // every code is shown at once
        QVERIFY(w.control<PictureBox>("Image17")->hasBorder());
        decodingKilobytes().release(allKilobytes);
        QTRY_COMPARE_WITH_TIMEOUT(slotsWithPictures(*w), 16, 10000);
    }

    void noThreadMeansDecodingOnTheWindowsThread() {
        DataFolder folder;
        writeSixteenPictures(folder, smallJpeg());
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_PRELOAD", SPECIALTY_NO_THREADS);
        environment.insert("ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0");
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--present", QString::fromStdString(folder.path())});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit); // it aborted before
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("16"));
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--present") return presentAndCount(argv[2]);
    QApplication application(argc, argv);
    PictureThreadsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_picture_threads.moc"
