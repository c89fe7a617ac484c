// Pictures built to cost time or memory: many scans, many slots sharing one file, more pixels than fit.
#include "test_support.h"

#include "jpeg_scans.h"
#include "picture_box.h"
#include "picture_loader.h"
#include "picture_set.h"
#include "vehicle_selection.h"

#include <QTest>

#include <algorithm>

using namespace specialty;
using namespace specialty::test;

class HostilePicturesTest : public QObject {
    Q_OBJECT

  private slots:
    void scansAreCountedWithoutDecoding() {
        const std::string plain = progressiveJpeg(QSize(32, 32));
        const auto scans = jpegScanCount(plain);
        QVERIFY(scans && *scans >= 2); // a progressive picture has several
        QCOMPARE(jpegScanCount(progressiveJpeg(QSize(32, 32), 500)),
                 std::optional<std::int64_t>(*scans + 500));
        QCOMPARE(jpegScanCount("GIF89a"), std::optional<std::int64_t>());
        // Cut short anywhere, the count never runs past the end.
        for (std::size_t cut = 0; cut < plain.size(); ++cut)
            QVERIFY(jpegScanCount(std::string_view(plain).substr(0, cut)).value_or(0) <= *scans);
    }

    void pictureWithTooManyScansIsRefused() {
        // A small, valid file that would keep the decoder busy for as long as it repeats its last scan.
        DataFolder folder;
        folder.writeFile("OKill.jpg", progressiveJpeg(QSize(64, 64)));
        folder.writeFile("SCANSill.jpg", progressiveJpeg(QSize(64, 64), 2000));
        QCOMPARE(loadPicture(folder.file("OKill.jpg")).image.size(), QSize(64, 64));
        const Picture refused = loadPicture(folder.file("SCANSill.jpg"));
        QVERIFY(refused.image.isNull());
        QVERIFY2(refused.problem.find("scans") != std::string::npos, refused.problem.c_str());
    }

    void largePictureWithManyScansIsRefused() {
        // Few enough scans for a small picture, too many passes over sixteen million pixels.
        DataFolder folder;
        folder.writeFile("BIGill.jpg", progressiveJpeg(QSize(4000, 4000), 20));
        QVERIFY(loadPicture(folder.file("BIGill.jpg")).image.isNull());
        folder.writeFile("FEWill.jpg", progressiveJpeg(QSize(1000, 1000), 20));
        QCOMPARE(loadPicture(folder.file("FEWill.jpg")).image.size(), QSize(1000, 1000));
    }

    void slotsShowingOneCodeShareOneDecodedPicture() {
        DataFolder folder;
        folder.writePicture("SAME", Qt::red, QSize(400, 400));
        std::map<int, std::string> parts;
        for (int n = 1; n <= 16; ++n)
            parts[n] = "SAME";
        folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2000", parts), endRecordLine()});
        RecordingWindow w(folder);
        w->load(joinSelection("A", "B", "", "2000", "2000"));
        const QImage first = w.control<PictureBox>("Image1")->picture();
        QVERIFY(!first.isNull());
        for (int slot = 2; slot <= 17; ++slot)
            if (slot != 6)
                QCOMPARE(w.control<PictureBox>(QStringLiteral("Image%1").arg(slot))->picture().cacheKey(),
                         first.cacheKey());
    }

    void picturesBeyondTheBudgetCountAsMissing() {
        DataFolder folder;
        for (const char* code : {"P1", "P2", "P3"})
            folder.writePicture(code, Qt::blue, QSize(100, 100));
        const std::int64_t onePicture = 100 * 100 * 4;
        PictureSet pictures(2 * onePicture);
        QVERIFY(!pictures.picture(folder.file("P1ill.jpg")).isNull());
        QVERIFY(!pictures.picture(folder.file("P2ill.jpg")).isNull());
        QVERIFY(pictures.picture(folder.file("P3ill.jpg")).isNull());  // no room left
        QVERIFY(!pictures.picture(folder.file("P1ill.jpg")).isNull()); // shared, costs nothing more
        QCOMPARE(pictures.bytesLeft(), std::int64_t(0));
    }

    void decodingAheadSettlesTheBudgetInTheOrderGiven() {
        // Whatever the two threads finish first, the pictures that fit are the first ones in order, as
        // when they are asked for one by one; a bad file fails the same way.
        DataFolder folder;
        std::vector<std::string> paths;
        for (int i = 1; i <= 8; ++i) {
            const std::string code = "P" + std::to_string(i);
            folder.writePicture(code, Qt::blue, QSize(100 + i, 100));
            paths.push_back(folder.file(code + "ill.jpg"));
        }
        folder.writeFile("P9ill.jpg", "not a picture");
        paths.insert(paths.begin() + 2, folder.file("P9ill.jpg"));
        paths.push_back(paths.front()); // asked for twice: decoded once
        const std::int64_t budget = 4 * 104 * 100 * 4;
        PictureSet oneByOne(budget);
        std::vector<bool> shown;
        for (const std::string& path : paths)
            shown.push_back(!oneByOne.picture(path).isNull());
        std::vector<PictureSet::Wanted> wanted;
        for (const std::string& path : paths)
            wanted.push_back({path, QSize()});
        for (int run = 0; run < 20; ++run) {
            PictureSet ahead(budget);
            ahead.decodeAhead(wanted);
            for (std::size_t i = 0; i < paths.size(); ++i)
                QCOMPARE(!ahead.picture(paths[i]).isNull(), shown[i]);
            QCOMPARE(ahead.bytesLeft(), oneByOne.bytesLeft());
        }
        QCOMPARE(std::count(shown.begin(), shown.end(), true), 5L); // P1 to P4, and P1 again
    }

    void previewsAreThePictureScaledAndFitTheBudgetAfterIt() {
        DataFolder folder;
        folder.writePicture("P1", Qt::red, QSize(300, 200));
        folder.writePicture("P2", Qt::green, QSize(300, 200));
        const std::string p1 = folder.file("P1ill.jpg");
        const std::string p2 = folder.file("P2ill.jpg");
        PictureSet pictures;
        pictures.decodeAhead({{p1, QSize(75, 75)}, {p2, QSize()}, {p1, QSize(74, 75)}});
        const QImage picture = pictures.picture(p1);
        QCOMPARE(pictures.preview(p1, QSize(75, 75)),
                 picture.scaled(QSize(75, 75), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        QCOMPARE(pictures.preview(p1, QSize(74, 75)).size(), QSize(74, 75));
        QVERIFY(pictures.preview(p1, QSize(10, 10)).isNull()); // not asked for
        QVERIFY(pictures.preview(p2, QSize(75, 75)).isNull());
        // Room for both pictures but not for a preview as well: the pictures come first.
        PictureSet tight(2 * 300 * 200 * 4);
        tight.decodeAhead({{p1, QSize(75, 75)}, {p2, QSize(75, 75)}});
        QVERIFY(!tight.picture(p1).isNull() && !tight.picture(p2).isNull());
        QVERIFY(tight.preview(p1, QSize(75, 75)).isNull());
    }
};

QTEST_MAIN(HostilePicturesTest)
#include "test_hostile_pictures.moc"
