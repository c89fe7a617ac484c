#include "real_window.h"

#include "viewer/src/picture_box.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

namespace specialty::test {

namespace {

QString windowId(const QWidget& window) {
    return QString::number(window.winId());
}

// The number after `label` in xwininfo's report ("Absolute upper-left X:  310").
int xwininfoValue(const QString& report, const QString& label) {
    const QRegularExpression line(QRegularExpression::escape(label) + QStringLiteral(":\\s*(-?\\d+)"));
    return line.match(report).captured(1).toInt();
}

} // namespace

QString xOutput(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0) return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

RealWindow::RealWindow(const DataFolder& folder, const std::string& commandLine) : window_(folder) {
    window_->load(commandLine);
    // Framed: the window manager has said how large its frame is. On the screen: the window is exposed.
    const bool framed = QTest::qWaitFor([&] { return property("_NET_FRAME_EXTENTS").contains('='); }, 10000);
    if (!framed) QTest::qFail("the window manager did not frame the window", __FILE__, __LINE__);
    if (!QTest::qWaitForWindowExposed(&*window_))
        QTest::qFail("the window did not come on the screen", __FILE__, __LINE__);
    QTest::qWait(200); // the window manager's last moves and the first paint
}

RealWindow::~RealWindow() {
    const QString folder = qEnvironmentVariable("SPECIALTY_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QString name = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag() != nullptr) name += '-' + QString::fromLatin1(QTest::currentDataTag());
    screenshot().save(folder + '/' + name.replace(QRegularExpression("[^A-Za-z0-9_-]"), "_") + ".png");
}

QString RealWindow::property(const char* name) const {
    return xOutput(QStringLiteral("xprop"),
                   {QStringLiteral("-id"), windowId(*window_), QString::fromLatin1(name)})
        .trimmed();
}

QRect RealWindow::clientOnScreen() const {
    const QString report = xOutput(QStringLiteral("xwininfo"), {QStringLiteral("-id"), windowId(*window_)});
    return QRect(xwininfoValue(report, QStringLiteral("Absolute upper-left X")),
                 xwininfoValue(report, QStringLiteral("Absolute upper-left Y")),
                 xwininfoValue(report, QStringLiteral("Width")),
                 xwininfoValue(report, QStringLiteral("Height")));
}

QRect RealWindow::frameOnScreen() const {
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    const QStringList extents = property("_NET_FRAME_EXTENTS").section('=', 1).split(',');
    if (extents.size() != 4) return QRect();
    const int left = extents[0].trimmed().toInt(), right = extents[1].trimmed().toInt();
    const int top = extents[2].trimmed().toInt(), bottom = extents[3].trimmed().toInt();
    return clientOnScreen().adjusted(-left, -top, right, bottom);
}

QRect RealWindow::screen() const {
    const QString report = xOutput(QStringLiteral("xwininfo"), {QStringLiteral("-root")});
    return QRect(0, 0, xwininfoValue(report, QStringLiteral("Width")),
                 xwininfoValue(report, QStringLiteral("Height")));
}

QImage RealWindow::screenshot() const {
    const QRect client = clientOnScreen();
    // Window 0 is the root: the pixels the X server shows there, whoever drew them.
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, client.x(), client.y(), client.width(), client.height())
        .toImage();
}

QRect RealWindow::controlRect(const QString& name) const {
    auto* control = window_.control<QWidget>(name);
    if (control == nullptr) return QRect();
    return QRect(control->mapTo(&*window_, QPoint(0, 0)), control->size());
}

QColor RealWindow::slotColourOnScreen(int slot) const {
    return screenshot().pixelColor(controlRect(QStringLiteral("Image%1").arg(slot)).center());
}

} // namespace specialty::test
