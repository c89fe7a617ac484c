// Start-up time: from starting the process to the window shown with a 16-part vehicle found in a
// 10,000-record catalogue, against a bare Qt window of the same size, in the same run.
//
//   bench_startup [RUNS [FOLDER]]      defaults: 21 runs, /tmp/specialty-startup/
//
// Both programs end themselves at their first paint (the viewer's after Form_Load); the time is the wall
// time from the spawn to the end of the process, the median of RUNS runs taken in turns. Without a display
// both run on Qt's offscreen platform.
#include "data_folder.h"
#include "synthetic_catalogue.h"
#include "vehicle_search.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

double runSeconds(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string besideMe(const char* argv0, const char* name) {
    std::string self = argv0;
    return self.substr(0, self.rfind('/') + 1) + name;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 21;
    const std::string folder = argc > 2 ? argv[2] : "/tmp/specialty-startup/";
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);

    ::mkdir(folder.c_str(), 0755);
    specialty::bench::writeSyntheticCatalogue(folder + std::string(specialty::kCatalogueName), 10000, true);
    for (int part = 1; part <= 16; ++part) {
        QImage picture(240 + 20 * part, 180, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(part * 22, 200, 220));
        const QString name =
            QString("%1ZZ%2ill.jpg").arg(QString::fromStdString(folder)).arg(part, 2, 10, QChar('0'));
        if (!picture.save(name, "JPEG")) return 1;
    }
    const std::vector<std::string> viewer = {besideMe(argv[0], "startup_viewer"), folder,
                                             specialty::bench::lastRecordSelection()};
    const std::vector<std::string> bare = {besideMe(argv[0], "startup_bare")};
    std::vector<double> viewerTimes, bareTimes;
    for (int i = 0; i < runs; ++i) {
        bareTimes.push_back(runSeconds(bare));
        viewerTimes.push_back(runSeconds(viewer));
        if (bareTimes.back() < 0 || viewerTimes.back() < 0) {
            std::fprintf(stderr, "a start failed\n");
            return 1;
        }
    }
    const double v = median(viewerTimes), b = median(bareTimes);
    std::printf("start to first paint (%s platform), median of %d runs:\n",
                std::getenv("DISPLAY") ? "display" : "offscreen", runs);
    std::printf("bare Qt window:                               %7.1f ms\n", b * 1e3);
    std::printf("viewer, 16-part vehicle of 10,000 records:    %7.1f ms   ratio %.2fx\n", v * 1e3, v / b);
    return 0;
}
