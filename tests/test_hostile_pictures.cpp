// Pictures built to cost time or memory: many scans, many slots sharing one file, more pixels than fit,
// metadata that inflates, formats that read other files.
#include "test_support.h"

#include "catalogue/vehicle_selection.h"
#include "pictures/picture_loader.h"
#include "pictures/picture_set.h"
#include "pictures/src/jpeg_scans.h"
#include "viewer/src/picture_box.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QTest>

#include <algorithm>
#include <atomic>

using namespace specialty;
using namespace specialty::test;

namespace {

// The picture loaded, or a null one when it was not.
QImage loaded(const Result<QImage>& picture) {
    return picture ? *picture : QImage();
}

QImage filled(QColor colour, QSize size = QSize(40, 30)) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QByteArray saved(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format)) qFatal("cannot write a %s picture", format);
    return bytes;
}

// A 40x30 grey TIFF, uncompressed, written byte by byte: Qt writes TIFF only with an optional plugin, and the
// test must not depend on which plugins a machine has.
QByteArray tiffPicture() {
    QByteArray tiff("II*\0\x08\0\0\0", 8); // little-endian, the directory at offset 8
    const quint16 entries[][2] = {
        {256, 40}, {257, 30}, {258, 8}, {259, 1}, {262, 1}, {273, 8 + 2 + 7 * 12 + 4}, {279, 40 * 30}};
    auto little = [&tiff](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            tiff.append(static_cast<char>(value >> (8 * i)));
    };
    little(7, 2);
    for (const auto& entry : entries) {
        little(entry[0], 2); // tag
        little(3, 2);        // type SHORT
        little(1, 4);        // one value, stored in the entry itself
        little(entry[1], 4);
    }
    little(0, 4); // no further directory
    return tiff + QByteArray(40 * 30, '\x80');
}

// A 1x1 GIF, from the format's own example: Qt has no GIF writer.
const QByteArray kGifPicture =
    QByteArray::fromHex("47494638396101000100800000ffffff0000002c00000000010001000002024401003b");

QByteArray bigEndian(quint32 value) {
    const char bytes[] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                          static_cast<char>(value >> 8), static_cast<char>(value)};
    return QByteArray(bytes, 4);
}

// The CRC-32 a PNG chunk ends with, bit by bit.
quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data) {
    return bigEndian(static_cast<quint32>(data.size())) + type + data + bigEndian(crc32(type + data));
}

// A red PNG with `chunk` right after its header chunk, `times` times: where a decoder reads it while it
// only takes the picture's size.
QByteArray pngWith(const QByteArray& chunk, int times) {
    const QByteArray png = saved(filled(Qt::red), "PNG");
    constexpr int kAfterHeader = 8 + 25; // signature, IHDR
    return png.left(kAfterHeader) + chunk.repeated(times) + png.mid(kAfterHeader);
}

// A red JPEG with a segment (marker, data) right after its start.
QByteArray jpegWith(char marker, const QByteArray& data, int times) {
    const QByteArray jpeg = saved(filled(Qt::red), "JPEG");
    const QByteArray length = bigEndian(static_cast<quint32>(data.size() + 2)).mid(2);
    return jpeg.left(2) + (QByteArray("\xFF", 1) + marker + length + data).repeated(times) + jpeg.mid(2);
}

std::atomic<int> decoderWarnings{0};

void countWarning(QtMsgType type, const QMessageLogContext&, const QString&) {
    if (type == QtWarningMsg) ++decoderWarnings;
}

} // namespace

class HostilePicturesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
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
        QCOMPARE(loaded(loadPicture(folder.file("OKill.jpg"))).size(), QSize(64, 64));
        const Result<QImage> refused = loadPicture(folder.file("SCANSill.jpg"));
        QVERIFY(!refused);
        QVERIFY2(refused.reason().find("scans") != std::string::npos, refused.reason().c_str());
    }

    void largePictureWithManyScansIsRefused() {
        // Few enough scans for a small picture, too many passes over sixteen million pixels.
        DataFolder folder;
        folder.writeFile("BIGill.jpg", progressiveJpeg(QSize(4000, 4000), 20));
        QVERIFY(!loadPicture(folder.file("BIGill.jpg")));
        folder.writeFile("FEWill.jpg", progressiveJpeg(QSize(1000, 1000), 20));
        QCOMPARE(loaded(loadPicture(folder.file("FEWill.jpg"))).size(), QSize(1000, 1000));
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
        // One picture read and kept for all of them, each slot showing it at its own size.
        const std::shared_ptr<PictureSource> first = w->session().slotSource(1);
        QVERIFY(first);
        for (int slot = 2; slot <= 17; ++slot)
            if (slot != 6) {
                QCOMPARE(w->session().slotSource(slot), first);
                QVERIFY(!w.control<PictureBox>(QStringLiteral("Image%1").arg(slot))->picture().isNull());
            }
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
        // What is kept counts, not the pictures' whole size: their files and one preview a slot. Room for
        // that and nothing more shows both; a byte less leaves the second one out.
        const std::int64_t files =
            QFileInfo(QString::fromStdString(p1)).size() + QFileInfo(QString::fromStdString(p2)).size();
        const std::int64_t kept = files + 2 * 75 * 75 * 4;
        QVERIFY(kept < 300 * 200 * 4);
        PictureSet tight(kept);
        tight.decodeAhead({{p1, QSize(75, 75)}, {p2, QSize(75, 75)}});
        QCOMPARE(tight.bytesLeft(), std::int64_t(0));
        QVERIFY(!tight.preview(p1, QSize(75, 75)).isNull() && !tight.preview(p2, QSize(75, 75)).isNull());
        PictureSet short1(kept - 1);
        short1.decodeAhead({{p1, QSize(75, 75)}, {p2, QSize(75, 75)}});
        short1.bytesLeft();
        QVERIFY(!short1.preview(p1, QSize(75, 75)).isNull() && short1.preview(p2, QSize(75, 75)).isNull());
    }

    void aPictureWithPreviewsIsDecodedWholeFromTheBytesItWasRead() {
        // Decoded ahead at its preview's size only; its whole picture comes later from the bytes read
        // then, never from the file as it is by that time, and is decoded once.
        DataFolder folder;
        folder.writePicture("P1", Qt::red, QSize(640, 480));
        const std::string p1 = folder.file("P1ill.jpg");
        PictureSet pictures;
        pictures.decodeAhead({{p1, QSize(40, 30)}});
        pictures.bytesLeft(); // every picture settled
        QCOMPARE(pictures.preview(p1, QSize(40, 30)).size(), QSize(40, 30));
        folder.writeFile("P1ill.jpg", "not a picture any more");
        const QImage whole = pictures.picture(p1);
        QCOMPARE(whole.size(), QSize(640, 480));
        QVERIFY(whole.pixelColor(320, 240).red() > 240 && whole.pixelColor(320, 240).green() < 16);
        QCOMPARE(pictures.picture(p1).cacheKey(), whole.cacheKey());
    }

    void metadataNeverReachesTheDecoder_data() {
        QTest::addColumn<QByteArray>("file");
        // 4 MB of text in 4 KB of file; the decoder would inflate each copy as it takes the size.
        const QByteArray compressed =
            QByteArray("Comment\0\0", 9) + qCompress(QByteArray(4 << 20, 'x')).mid(4);
        QTest::newRow("PNG, compressed text") << pngWith(pngChunk("zTXt", compressed), 4);
        QTest::newRow("PNG, plain text") << pngWith(pngChunk("tEXt", QByteArray("Title\0a part", 12)), 3);
        QTest::newRow("PNG, international text")
            << pngWith(pngChunk("iTXt", QByteArray("Title\0\0\0\0\0a part", 16)), 3);
        QTest::newRow("JPEG, comments") << jpegWith('\xFE', QByteArray(60000, 'c'), 3);
    }

    void metadataNeverReachesTheDecoder() {
        QFETCH(QByteArray, file);
        DataFolder folder;
        folder.writeFile("METAill.jpg", file.toStdString());
        const std::string path = folder.file("METAill.jpg");
        const QImage picture = loaded(loadPicture(path));
        QCOMPARE(picture.size(), QSize(40, 30));
        QVERIFY(RecordingWindow::near(picture.pixelColor(20, 15), Qt::red));
        QCOMPARE(picture.textKeys(), QStringList()); // no text was read, so none was inflated
        QVERIFY(pictureShowsWhole(path).ok());       // and check finds the picture whole
    }

    void theDecodingBudgetCoversWhatTheDecoderMakes_data() {
        QTest::addColumn<QByteArray>("file");
        const QImage picture = filled(Qt::darkCyan, QSize(120, 90));
        QTest::newRow("JPEG") << saved(picture, "JPEG");
        QTest::newRow("PNG, 8 bits a channel") << saved(picture, "PNG");
        QTest::newRow("PNG, 16 bits a channel")
            << saved(picture.convertToFormat(QImage::Format_RGBA64), "PNG");
        QTest::newRow("BMP") << saved(picture, "BMP");
    }

    void theDecodingBudgetCoversWhatTheDecoderMakes() {
        // Whatever a picture is counted at before decoding, the decoder's own picture must fit in it.
        QFETCH(QByteArray, file);
        DataFolder folder;
        folder.writeFile("DEEPill.jpg", file.toStdString());
        const PictureInput input = readPicture(folder.file("DEEPill.jpg"));
        QVERIFY(!input.problem);
        QBuffer buffer(&file);
        QImageReader reader(&buffer);
        const QImage decoded = reader.read();
        QVERIFY(!decoded.isNull());
        QVERIFY2(
            decodingBytesOf(input) >= static_cast<std::int64_t>(decoded.sizeInBytes()),
            qPrintable(
                QString("counted %1, decoded %2").arg(decodingBytesOf(input)).arg(decoded.sizeInBytes())));
    }

    void onlyJpegPngAndBmpAreDecoded_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("shown");
        const QImage blue = filled(Qt::blue);
        QTest::newRow("JPEG") << saved(blue, "JPEG") << true;
        QTest::newRow("PNG") << saved(blue, "PNG") << true;
        QTest::newRow("BMP") << saved(blue, "BMP") << true;
        QTest::newRow("TIFF") << tiffPicture() << false;
        QTest::newRow("GIF") << kGifPicture << false;
        QTest::newRow("XPM") << saved(blue, "XPM") << false;
        QTest::newRow("ICO") << saved(blue, "ICO") << false;
        // A drawing that shows a picture from anywhere on the disk.
        QTest::newRow("SVG naming another file")
            << QByteArray(
                   "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
                   "width='40' height='30'><image xlink:href='OUTSIDE' width='40' height='30'/></svg>")
            << false;
        QTest::newRow("SVG") << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='40' height='30'>"
                                           "<circle cx='20' cy='15' r='10'/></svg>")
                             << false;
    }

    void onlyJpegPngAndBmpAreDecoded() {
        QFETCH(QByteArray, file);
        QFETCH(bool, shown);
        DataFolder outside;
        outside.writePicture("secret", Qt::blue, QSize(40, 30));
        file.replace("OUTSIDE", QByteArray::fromStdString(outside.file("secretill.jpg")));
        DataFolder folder;
        folder.writeFile("PARTill.jpg", file.toStdString());
        const Result<QImage> picture = loadPicture(folder.file("PARTill.jpg"));
        QCOMPARE(picture.ok(), shown);
        if (shown)
            QVERIFY(RecordingWindow::near(picture->pixelColor(20, 15), Qt::blue));
        else
            QVERIFY2(picture.reason().find("JPEG, PNG or BMP") != std::string::npos,
                     picture.reason().c_str());
    }

    void picturesThatDoNotFitAreNeverDecoded() {
        // The third picture is cut short: decoding it would warn. It does not fit, so nothing warns.
        DataFolder folder;
        folder.writePicture("P1", Qt::red, QSize(100, 100));
        folder.writePicture("P2", Qt::red, QSize(100, 100));
        const QByteArray whole = saved(filled(Qt::red, QSize(100, 100)), "JPEG");
        folder.writeFile("CUTill.jpg", whole.left(whole.size() - 8).toStdString()); // scan data cut
        QVERIFY(!pictureShowsWhole(folder.file("CUTill.jpg")).ok()); // it does warn when decoded
        decoderWarnings = 0;
        const QtMessageHandler previous = qInstallMessageHandler(countWarning);
        {
            PictureSet pictures(2 * 100 * 100 * 4);
            pictures.decodeAhead({{folder.file("P1ill.jpg"), QSize()},
                                  {folder.file("P2ill.jpg"), QSize()},
                                  {folder.file("CUTill.jpg"), QSize()}});
            QVERIFY(!pictures.picture(folder.file("P1ill.jpg")).isNull());
            QVERIFY(!pictures.picture(folder.file("P2ill.jpg")).isNull());
            QVERIFY(pictures.picture(folder.file("CUTill.jpg")).isNull());
            QCOMPARE(pictures.bytesLeft(), std::int64_t(0));
        }
        qInstallMessageHandler(previous);
        QCOMPARE(decoderWarnings.load(), 0);
    }
};

QTEST_MAIN(HostilePicturesTest)
#include "test_hostile_pictures.moc"
