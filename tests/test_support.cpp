#include "test_support.h"

#include "viewer/src/picture_box.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QTest>

#include <cstdlib>

namespace specialty::test {

std::string recordLine(const std::string& id, const std::string& make, const std::string& model,
                       const std::string& submodel, const std::string& yearFrom, const std::string& yearTo,
                       const std::map<int, std::string>& parts) {
    std::string line = id + ",," + make + "," + model + "," + submodel + "," + yearFrom + "," + yearTo;
    for (int n = 1; n <= 16; ++n) {
        auto it = parts.find(n);
        line += "," + (it == parts.end() ? std::string() : it->second);
    }
    return line;
}

std::string endRecordLine() {
    return recordLine("0", "", "", "", "", "");
}

std::string progressiveJpeg(QSize size, int extraScans) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    if (!writer.write(image)) std::abort();
    const qsizetype lastScan = bytes.lastIndexOf(QByteArray("\xFF\xDA", 2));
    const qsizetype endOfImage = bytes.size() - 2;
    const QByteArray scan = bytes.mid(lastScan, endOfImage - lastScan);
    QByteArray out = bytes.left(endOfImage);
    for (int i = 0; i < extraScans; ++i)
        out += scan;
    out += bytes.right(2);
    return out.toStdString();
}

DataFolder::DataFolder() : dir_(std::make_unique<QTemporaryDir>()) {
    if (!dir_->isValid()) std::abort();
}

std::string DataFolder::path() const {
    return dir_->path().toStdString() + "/";
}

void DataFolder::writeFile(const std::string& name, const std::string& bytes) const {
    QFile out(QString::fromStdString(file(name)));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes.data(), static_cast<qint64>(bytes.size())) < 0)
        QFAIL("cannot write a test file");
}

void DataFolder::writeCatalogue(const std::vector<std::string>& lines) const {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    writeFile("specialty.txt", bytes);
}

void DataFolder::writePicture(const std::string& code, QColor colour, QSize size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    if (!image.save(QString::fromStdString(file(code + "ill.jpg")), "JPEG", 95))
        QFAIL("cannot write a test picture");
}

void DataFolder::writeDescription(const std::string& code, const std::string& bytes) const {
    writeFile(code + ".txt", bytes);
}

void DataFolder::remove(const std::string& name) const {
    QFile::remove(QString::fromStdString(file(name)));
}

RecordingWindow::RecordingWindow(const DataFolder& folder)
    : window_(std::make_unique<SpecialtyWindow>(folder.path())) {
    window_->setMessageSink([this](const QString& text) { messages << text; });
    window_->setExitHandler([this] { ++exits; });
}

void RecordingWindow::click(const QString& name) const {
    QTest::mouseClick(control(name), Qt::LeftButton);
}

QColor RecordingWindow::slotColour(int slot) const {
    auto* picture = control<PictureBox>(QStringLiteral("Image%1").arg(slot));
    QImage shot = window_->grab().toImage();
    return shot.pixelColor(picture->mapTo(window_.get(), picture->rect().center()));
}

bool RecordingWindow::near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) <= 16 && std::abs(a.green() - b.green()) <= 16 &&
           std::abs(a.blue() - b.blue()) <= 16;
}

ProgramRun runProgram(const QString& program, const QStringList& arguments, const QString& stdoutFile) {
    QProcess process;
    if (!stdoutFile.isEmpty()) process.setStandardOutputFile(stdoutFile);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(120000);
    return {ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace specialty::test
