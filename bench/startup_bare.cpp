// A bare Qt window of the viewer's size, ending the process at its first paint: the floor for start-up.
#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

class FirstPaint : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char** argv) {
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    (void)argc;
    QWidget window;
    window.resize(704, 549);
    FirstPaint firstPaint;
    window.installEventFilter(&firstPaint);
    window.show();
    return QApplication::exec();
}
