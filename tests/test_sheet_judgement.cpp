// The sheet judges each picture from the decoding that makes its thumbnail: check's findings inside the
// sheet must read exactly as check's own, which decodes every picture again by its path.
#include "tool_test_support.h"

#include "tools/picture_module_loader.h"
#include "tools/sheet/sheet_folder.h"
#include "tools/sheet/sheet_model.h"
#include "tools/sheet/sheet_part_files.h"
#include "tools/sheet/sheet_part_pass.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace specialty;
using namespace specialty::test;

namespace {

// A picture of grain, as a camera makes: its scans are long and a cut lands in the middle of them.
std::string grainPicture(QSize size, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return bytes.toStdString();
}

std::string cutAt(std::string bytes, double share) {
    bytes.resize(static_cast<std::size_t>(static_cast<double>(bytes.size()) * share));
    return bytes;
}

std::string withMarkerBytesInScan(std::string bytes) {
    for (std::size_t at = bytes.size() / 2; at < bytes.size() / 2 + 64; ++at)
        bytes[at] = '\xFF';
    return bytes;
}

std::string withBytesBeforeEndMarker(std::string bytes) {
    return bytes.insert(bytes.size() - 2, "abc");
}

} // namespace

class SheetJudgementTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() {
        const Result<const PictureModule*> loaded = loadPictureModule(SPECIALTY_PICTURE_MODULE);
        QVERIFY2(loaded.ok(), loaded.reason().c_str());
        module_ = *loaded;
    }

    void sheetFindsWhatCheckFinds_data() {
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<QString>("finding"); // what check's finding of the picture says; empty: none
        const std::string large = grainPicture(QSize(1600, 1200), "JPEG");
        const std::string small = grainPicture(QSize(100, 80), "JPEG");
        const std::string png = grainPicture(QSize(400, 300), "PNG");
        auto row = [](const char* name, const std::string& bytes, const char* finding) {
            QTest::newRow(name) << QByteArray::fromStdString(bytes) << QString(finding);
        };
        row("whole JPEG", large, "");
        row("JPEG cut in half", cutAt(large, 0.5), "decodes only partly (Corrupt JPEG data: premature end");
        row("JPEG cut before its end marker", cutAt(large, 0.999), "decodes only partly");
        row("JPEG with bytes before its end marker", withBytesBeforeEndMarker(large),
            "decodes only partly (Corrupt JPEG data: 2 extraneous bytes before marker 0xd9");
        row("JPEG with marker bytes in its scan", withMarkerBytesInScan(large),
            "is not a picture that can be decoded");
        row("JPEG smaller than a thumbnail, cut", cutAt(small, 0.6), "decodes only partly");
        row("progressive JPEG cut", cutAt(progressiveJpeg(QSize(640, 480), 3), 0.7), "does not show whole");
        row("PNG cut short", cutAt(png, 0.5), "does not show whole");
        row("whole PNG", png, "");
        row("text under a picture's name", "not a picture at all", "does not show whole: it is not");
        row("JPEG header alone", large.substr(0, 600), "does not show whole");
    }

    void sheetFindsWhatCheckFinds() {
        QFETCH(QByteArray, picture);
        QFETCH(QString, finding);
        DataFolder data;
        data.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2005", {{1, "P1"}}), endRecordLine()});
        data.writeFile("P1ill.jpg", picture.toStdString());
        data.writeDescription("P1", "a part");
        const QStringList alone = findingLines(checkCatalogue(data.path(), pictureShowsWhole));
        QCOMPARE(alone.filter("P1ill.jpg").size(), finding.isEmpty() ? 0 : 1);
        if (!finding.isEmpty()) QVERIFY2(alone.filter(finding).size() == 1, qPrintable(alone.join("\n")));

        QTemporaryDir out;
        SheetFolder folder;
        QVERIFY(folder.prepare(out.path().toStdString() + "/sheet").ok());
        Result<SheetModel> model = readSheetModel(data.path());
        QVERIFY(model.ok());
        PartPass parts;
        const auto inFileOrder = [](std::uint32_t record) { return record; };
        QVERIFY(readParts(model.value(), inFileOrder, data.path(), folder, *module_, parts, {}).ok());
        checkIntoModel(model.value(), data.path(), moduleJudgement(*module_), parts.judgedPictures);
        QStringList inSheet;
        model->findings.rewind();
        for (SheetFinding f; model->findings.next(f);) {
            inSheet << QString("%1 %2: %3")
                           .arg(f.level == Finding::Level::Error ? "error" : "warning")
                           .arg(f.line)
                           .arg(QString::fromStdString(f.message));
        }
        QCOMPARE(inSheet, alone);
    }

  private:
    const PictureModule* module_ = nullptr;
};

QTEST_MAIN(SheetJudgementTest)
#include "test_sheet_judgement.moc"
