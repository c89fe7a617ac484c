// specialty-parts: shows the specialty parts of the vehicle a wheel-alignment host passes on the command
// line.
#include "catalogue/data_folder.h"
#include "catalogue/messages.h"
#include "command_line.h"
#include "pictures/picture_loader.h"
#include "specialty_window.h"

#include <QApplication>
#include <QImageReader>

#include <cstdio>

int main(int argc, char** argv) {
    // The selection is taken before Qt sees the arguments, so that none of them is ever read as a Qt option.
    const std::string commandLine = specialty::commandLineText(argc, argv);
    // "--help" or "--version" alone is no vehicle selection a host could pass (those are 80 columns wide);
    // both are answered before Qt starts, so that they need no display.
    if (commandLine == "--help" || commandLine == "--version") {
        if (commandLine == "--help")
            std::fputs(specialty::kViewerUsage, stdout);
        else
            std::printf("specialty-parts %s\n", SPECIALTY_VERSION);
        return std::fflush(stdout) == 0 ? 0 : 2;
    }
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("specialty-parts"));
    QImageReader::setAllocationLimit(static_cast<int>(specialty::kDecodingBytes / (1024 * 1024)));

    specialty::SpecialtyWindow window(specialty::dataFolderBelow(SPECIALTY_DRIVE_ROOT), commandLine);
    window.load();
    return QApplication::exec();
}
