// A viewer window on a real X display under a window manager (tests/run-with-window-manager.sh): what the
// window manager reads of it, where the frame stands, and the pixels on the screen. Each question is asked
// of the X server with its own tools (xprop, xwininfo) or read back from the screen, never of Qt.
//
// A case builds its data folder, opens the window with a command line and looks:
//     DataFolder folder; folder.writeCatalogue(...); folder.writePicture("A1", Qt::red, QSize(4000, 3000));
//     RealWindow w(folder, "-1");
//     QTRY_VERIFY(RecordingWindow::near(w.slotColourOnScreen(1), Qt::red));
#pragma once

#include "test_support.h"

#include <QImage>
#include <QRect>
#include <QString>

namespace specialty::test {

class RealWindow {
  public:
    // Opens the window on `folder` and takes the road `commandLine` asks for, as main() does; returns once
    // the window manager has framed the window and it is on the screen.
    RealWindow(const DataFolder& folder, const std::string& commandLine);
    // With SPECIALTY_SCREENSHOT_DIR set, leaves the window's last look there as TESTFUNCTION-DATATAG.png,
    // to compare by eye.
    ~RealWindow();
    RealWindow(const RealWindow&) = delete;
    RealWindow& operator=(const RealWindow&) = delete;

    RecordingWindow& window() { return window_; }
    // The window's property `name` as xprop prints it ("_NET_WM_NAME(UTF8_STRING) = \"...\"").
    QString property(const char* name) const;
    // The client area and the frame round it, in screen pixels, as the X server has them.
    QRect clientOnScreen() const;
    QRect frameOnScreen() const;
    QRect screen() const;
    // The client area as the screen shows it now.
    QImage screenshot() const;
    // Where the control with this object name lies in the client area.
    QRect controlRect(const QString& name) const;
    // The colour at the centre of slot N's picture on the screen.
    QColor slotColourOnScreen(int slot) const;

  private:
    mutable RecordingWindow window_; // asked about by const questions, as Qt asks nothing const of it
};

// What a command of the X tools prints, or an empty text when it fails.
QString xOutput(const QString& program, const QStringList& arguments);

} // namespace specialty::test
