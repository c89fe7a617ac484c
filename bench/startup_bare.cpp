// A bare Qt window of the viewer's size, ending the process at its first paint: the floor for start-up.
#include "first_paint.h"

#include <QApplication>
#include <QWidget>

int main(int, char** argv) {
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QWidget window;
    window.resize(704, 549);
    specialty::bench::FirstPaint firstPaint;
    window.installEventFilter(&firstPaint);
    window.show();
    return QApplication::exec();
}
