// Start-up time: from starting the process to the window shown with a 16-part vehicle (16 distinct 300 x 300
// JPEG pictures) found in a 10,000-record catalogue, against a bare Qt window of the same size, in the same
// run.
//
//   bench_startup [RUNS [FOLDER]]      defaults: 21 runs, /tmp/specialty-startup/
//
// Both programs report the moment their first paint is done (the viewer's after load()) and end; the time
// is from just before the spawn to that moment, the median of RUNS runs taken in turns. Without a display
// both run on Qt's offscreen platform; under a display (DISPLAY set, e.g. xvfb-run) on xcb.
#include "catalogue/data_folder.h"
#include "catalogue/vehicle_search.h"
#include "synthetic_catalogue.h"

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
#include <time.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

long long monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Seconds from just before the spawn to the first paint, which the program reports on its standard
// output as a reading of the same clock.
double secondsToFirstPaint(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    const long long start = monotonicNanoseconds();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    std::string text;
    char chunk[64];
    for (ssize_t got; spawned == 0 && (got = ::read(pipeEnds[0], chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || text.empty()) return -1;
    return static_cast<double>(std::atoll(text.c_str()) - start) / 1e9;
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
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        // Qt warns at every start without one; the programs must start as a desktop session starts them.
        ::mkdir("/tmp/specialty-startup-runtime", 0700);
        setenv("XDG_RUNTIME_DIR", "/tmp/specialty-startup-runtime", 1);
    }
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);

    ::mkdir(folder.c_str(), 0755);
    specialty::bench::writeSyntheticCatalogue(folder + std::string(specialty::kCatalogueName), 10000, true);
    // Sixteen distinct 300 x 300 pictures with detail in them (a gradient under a fine pattern), so that
    // decoding costs what a photograph of a part costs, not what a flat colour does.
    for (int part = 1; part <= 16; ++part) {
        QImage picture(300, 300, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const int pattern = ((x * 7 + y * 13 + part * 31) * (x ^ y)) & 63;
                picture.setPixelColor(x, y,
                                      QColor::fromHsv((part * 22 + x / 4) % 360, 120 + pattern,
                                                      120 + (y * 100) / 300 + pattern / 2));
            }
        const QString name =
            QString("%1ZZ%2ill.jpg").arg(QString::fromStdString(folder)).arg(part, 2, 10, QChar('0'));
        if (!picture.save(name, "JPEG")) return 1;
    }
    const std::vector<std::string> viewer = {besideMe(argv[0], "startup_viewer"), folder,
                                             specialty::bench::lastRecordSelection()};
    const std::vector<std::string> bare = {besideMe(argv[0], "startup_bare")};
    std::vector<double> viewerTimes, bareTimes;
    for (int i = 0; i < runs; ++i) {
        bareTimes.push_back(secondsToFirstPaint(bare));
        viewerTimes.push_back(secondsToFirstPaint(viewer));
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
