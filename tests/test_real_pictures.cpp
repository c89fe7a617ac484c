// Pictures as cameras, phones and scanners make them, and pictures cut short: every valid one shows, in
// its slot and in the zoom view, and rows a file never gave show as one fixed colour or not at all.
#include "test_support.h"

#include "catalogue/messages.h"
#include "catalogue/vehicle_selection.h"
#include "pictures/picture_loader.h"
#include "pictures/picture_set.h"
#include "viewer/src/picture_box.h"

#include <QBuffer>
#include <QImageWriter>
#include <QTest>

#include <cstdint>
#include <map>

using namespace specialty;
using namespace specialty::test;

Q_DECLARE_METATYPE(QImage::Format)

namespace {

const QColor kColour(200, 60, 40);

QByteArray encoded(QSize size, QImage::Format format, const char* type, bool progressive) {
    QImage image(size, format);
    image.fill(format == QImage::Format_Grayscale8
                   ? QColor(qGray(kColour.rgb()), qGray(kColour.rgb()), qGray(kColour.rgb()))
                   : kColour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, type);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image)) qFatal("cannot write a %s picture", type);
    return bytes;
}

// A little-endian BMP of `width` x `height` pixels with `bits` a pixel, `compression` (0 none, 1 runs of
// 8 bits) and `pixels` as its pixel data, however short; a grey palette for 8 bits.
QByteArray bmp(int width, int height, int bits, int compression, const QByteArray& pixels) {
    QByteArray palette;
    if (bits == 8)
        for (int i = 0; i < 256; ++i)
            palette += QByteArray(3, static_cast<char>(i)) + QByteArray(1, '\0');
    QByteArray out;
    auto little = [&out](qint64 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.append(static_cast<char>(value >> (8 * i)));
    };
    const qint64 offset = 14 + 40 + palette.size();
    out += "BM";
    little(offset + pixels.size(), 4);
    little(0, 4);
    little(offset, 4);
    for (const qint64 value : {qint64(40), qint64(width), qint64(height)})
        little(value, 4);
    little(1, 2);
    little(bits, 2);
    little(compression, 4);
    little(pixels.size(), 4);
    for (const qint64 value : {2835, 2835, bits == 8 ? 256 : 0, 0})
        little(value, 4);
    return out + palette + pixels;
}

// One row of a 40-pixel-wide BMP of `bits` a pixel, padded to four bytes, in kColour or its nearest.
QByteArray bmpRow(int bits) {
    const QByteArray pixel = bits == 32   ? QByteArray("\x28\x3C\xC8\x00", 4)
                             : bits == 24 ? QByteArray("\x28\x3C\xC8", 3)
                             : bits == 16 ? QByteArray("\xE5\x64", 2) // 5 bits each: 25, 7, 5
                                          : QByteArray(1, '\x80');
    QByteArray row = pixel.repeated(40);
    return row + QByteArray((4 - row.size() % 4) % 4, '\0');
}

// A record of one vehicle whose slots 1, 2, ... show the codes P1 ... P`count`.
std::string recordWith(int count) {
    std::map<int, std::string> parts;
    for (int n = 1; n <= count; ++n)
        parts[n] = "P" + std::to_string(n);
    return recordLine("1", "Camera", "X", "", "2000", "2000", parts);
}

// The slot that shows the record's part code N (slot 6 shows none).
int slotOfPart(int part) {
    return part <= 5 ? part : part + 1;
}

bool nearColour(QColor shown, QImage::Format format) {
    const int grey = qGray(kColour.rgb());
    return RecordingWindow::near(shown,
                                 format == QImage::Format_Grayscale8 ? QColor(grey, grey, grey) : kColour);
}

} // namespace

class RealPicturesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void cameraPicturesAllShowInSlotsAndZoom_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<QImage::Format>("format");
        const QSize twelve(4000, 3000);
        QTest::newRow("sixteen 12 MP JPEGs")
            << twelve << 16 << QByteArray("jpeg") << false << QImage::Format_RGB32;
        QTest::newRow("five 12 MP JPEGs")
            << twelve << 5 << QByteArray("jpeg") << false << QImage::Format_RGB32;
        QTest::newRow("sixteen 3 MP JPEGs")
            << QSize(2048, 1536) << 16 << QByteArray("jpeg") << false << QImage::Format_RGB32;
        QTest::newRow("one 48 MP JPEG")
            << QSize(8000, 6000) << 1 << QByteArray("jpeg") << false << QImage::Format_Grayscale8;
        QTest::newRow("two 12 MP progressive JPEGs")
            << twelve << 2 << QByteArray("jpeg") << true << QImage::Format_RGB32;
        QTest::newRow("two 12 MP PNGs") << twelve << 2 << QByteArray("png") << false << QImage::Format_RGB32;
    }

    void cameraPicturesAllShowInSlotsAndZoom() {
        QFETCH(QSize, size);
        QFETCH(int, count);
        QFETCH(QByteArray, type);
        QFETCH(bool, progressive);
        QFETCH(QImage::Format, format);
        DataFolder folder;
        {
            const QByteArray bytes = encoded(size, format, type.constData(), progressive);
            for (int n = 1; n <= count; ++n) // distinct files, each read and decoded on its own
                folder.writeFile("P" + std::to_string(n) + "ill.jpg", bytes.toStdString());
        }
        folder.writeCatalogue({recordWith(count), endRecordLine()});
        RecordingWindow w(folder);
        w->load(joinSelection("Camera", "X", "", "2000", "2000"));
        for (int part = 1; part <= count; ++part) {
            auto* slot = w.control<PictureBox>(QStringLiteral("Image%1").arg(slotOfPart(part)));
            QTRY_VERIFY2_WITH_TIMEOUT(!slot->picture().isNull(), qPrintable(slot->objectName()), 10000);
            QVERIFY(nearColour(w.slotColour(slotOfPart(part)), format));
        }
        // The zoom shows the picture at its own size and holds no more of it than the window shows.
        QTest::mouseClick(w.control("Image1"), Qt::LeftButton);
        auto* zoom = w.control<PictureBox>("imgZoom");
        QCOMPARE(zoom->size(), size);
        const QImage shown = zoom->picture();
        QVERIFY(!shown.isNull());
        const QSize window = w->size();
        QCOMPARE(shown.size(), QSize(window.width() - zoom->x(), window.height() - zoom->y()));
        QVERIFY(nearColour(shown.pixelColor(shown.width() - 1, shown.height() - 1), format));
        QVERIFY(nearColour(zoom->grab().toImage().pixelColor(10, 10), format));
    }

    void cutPicturesShowNoMemory_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("checkSays"); // empty: check finds it whole
        const QString rows = QStringLiteral("its pixel rows stop after 1 of its 30 rows");
        for (const int bits : {16, 24, 32, 8})
            QTest::addRow("BMP, %d bits, one row of thirty", bits)
                << bmp(40, 30, bits, 0, bmpRow(bits)) << false << rows;
        // One run of 40 pixels and the end of its row, then nothing: no end-of-picture mark.
        QTest::newRow("BMP, runs of 8 bits, one row of thirty")
            << bmp(40, 30, 8, 1, QByteArray("\x28\x80\x00\x00", 4)) << false << rows;
        QTest::newRow("BMP, runs of 8 bits, whole")
            << bmp(40, 30, 8, 1, QByteArray("\x28\x80\x00\x00", 4).repeated(30) + QByteArray("\x00\x01", 2))
            << true << QString();
        QTest::newRow("BMP, 24 bits, whole")
            << bmp(40, 30, 24, 0, bmpRow(24).repeated(30)) << true << QString();
        const QByteArray png = encoded(QSize(40, 300), QImage::Format_RGB32, "png", false);
        QTest::newRow("PNG cut short")
            << png.left(png.size() / 2) << false << QStringLiteral("not a picture that can be decoded");
        QImage stripes(64, 480, QImage::Format_RGB32); // detail enough that the cut falls in the rows
        for (int y = 0; y < stripes.height(); ++y)
            for (int x = 0; x < stripes.width(); ++x)
                stripes.setPixelColor(x, y, (x / 4 + y / 4) % 2 ? kColour : Qt::white);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        stripes.save(&buffer, "JPEG", 90);
        QTest::newRow("JPEG cut short")
            << jpeg.left(jpeg.size() / 2) << true << QStringLiteral("it decodes only partly");
    }

    void cutPicturesShowNoMemory() {
        QFETCH(QByteArray, file);
        QFETCH(bool, shown);
        QFETCH(QString, checkSays);
        DataFolder folder;
        folder.writeFile("CUTill.jpg", file.toStdString());
        const std::string path = folder.file("CUTill.jpg");

        // The viewer's slot, as it decodes ahead at the slot's size.
        PictureSet pictures;
        pictures.decodeAhead({{path, QSize(20, 15)}});
        pictures.bytesLeft();
        QCOMPARE(!pictures.preview(path, QSize(20, 15)).isNull(), shown);

        // The sheet's thumbnail and the picture whole: the last row, never given or given, is one colour.
        const Result<QImage> picture = loadPicture(path);
        QCOMPARE(picture.ok(), shown);
        if (shown) {
            const QImage image = picture->convertToFormat(QImage::Format_RGB32);
            const QRgb corner = image.pixel(0, image.height() - 1);
            for (int x = 0; x < image.width(); ++x)
                QCOMPARE(image.pixel(x, image.height() - 1), corner);
        }

        // check reports it.
        const Status whole = pictureShowsWhole(path);
        QCOMPARE(whole.ok(), checkSays.isEmpty());
        if (!whole.ok()) {
            const QString said = QString::fromStdString(describe(whole.error()));
            QVERIFY2(said.contains(checkSays), qPrintable(said));
        }
    }
};

QTEST_MAIN(RealPicturesTest)
#include "test_real_pictures.moc"
