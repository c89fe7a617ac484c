// The viewer's start for the start-up benchmark: the window built and loaded as main() does it, on a
// data folder, ending the process at the first paint after load(), when the found vehicle is on screen.
//   startup_viewer DATA_FOLDER SELECTION
#include "first_paint.h"
#include "viewer/specialty_window.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    specialty::SpecialtyWindow window(argv[1], argv[2]);
    window.setMessageSink([](const QString& text) {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        std::exit(1);
    });
    specialty::bench::FirstPaint firstPaint;
    firstPaint.armed = false;
    window.installEventFilter(&firstPaint);
    window.load(argv[2]);
    firstPaint.armed = true;
    return QApplication::exec();
}
