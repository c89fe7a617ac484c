// The viewer's start for the start-up benchmark: the real window and load() on a data folder, ending the
// process at the first paint after load(), when the found vehicle is on screen.
//   startup_viewer DATA_FOLDER SELECTION
#include "specialty_window.h"

#include <QApplication>
#include <QEvent>

#include <cstdio>
#include <cstdlib>

namespace {

class FirstPaint : public QObject {
  public:
    bool loaded = false;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (loaded && event->type() == QEvent::Paint)
            QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    specialty::SpecialtyWindow window(argv[1]);
    window.setMessageSink([](const QString& text) {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        std::exit(1);
    });
    FirstPaint firstPaint;
    window.installEventFilter(&firstPaint);
    window.load(argv[2]);
    firstPaint.loaded = true;
    return QApplication::exec();
}
