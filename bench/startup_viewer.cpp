// The viewer's start for the start-up benchmark: the window built and loaded as main() does it, on a
// data folder, ending the process at the first paint after load(), when the found vehicle is on screen;
// with ALL, at the first paint once every slot of the vehicle shows its picture.
//   startup_viewer DATA_FOLDER SELECTION [ALL]
#include "first_paint.h"
#include "viewer/specialty_window.h"

#include <QApplication>

#include <cstdlib>
#include <string>

namespace {

bool everySlotShowsItsPicture(const specialty::ViewerSession& session) {
    for (int slot = 1; slot <= specialty::kSlotCount; ++slot)
        if (!session.slotCode(slot).empty() && session.slotPreview(slot).isNull()) return false;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool all = argc == 4 && std::string(argv[3]) == "ALL";
    if (argc != 3 && !all) return 2;
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
    window.load();
    firstPaint.armed = !all || everySlotShowsItsPicture(window.session());
    if (!firstPaint.armed)
        QObject::connect(&window.session(), &specialty::ViewerSession::slotFilled, &window, [&] {
            if (firstPaint.armed || !everySlotShowsItsPicture(window.session())) return;
            firstPaint.armed = true;
            window.update();
        });
    return QApplication::exec();
}
