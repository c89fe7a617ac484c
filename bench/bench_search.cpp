// How close the catalogue search comes to the cost of just reading the file.
//
//   bench_search [RECORDS [RUNS [FOLDER]]]     defaults: 1000000 records, 15 runs, /tmp/specialty-bench/
//
// Prints the median of RUNS runs on the page-cached file: a search whose only match is the last record, one
// that finds nothing, a demo step to the last record (position RECORDS - 1), a baseline that reads the file
// and counts its line ends with memchr, their ratio, throughput, and the peak resident memory of a search
// over 10 and over RECORDS records (each measured in a fresh process).
#include "catalogue/data_folder.h"
#include "catalogue/regular_file.h"
#include "catalogue/vehicle_search.h"
#include "synthetic_catalogue.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace specialty;
using Clock = std::chrono::steady_clock;

namespace {

// Runs each piece of work `runs` times, taking turns so that a noisy moment of the machine falls on all
// of them alike, and returns each one's median time in seconds.
std::vector<double> medianSeconds(int runs, const std::vector<std::function<void()>>& work) {
    std::vector<std::vector<double>> times(work.size());
    for (int i = 0; i < runs; ++i)
        for (std::size_t w = 0; w < work.size(); ++w) {
            auto start = Clock::now();
            work[w]();
            times[w].push_back(std::chrono::duration<double>(Clock::now() - start).count());
        }
    std::vector<double> medians;
    for (auto& t : times) {
        std::sort(t.begin(), t.end());
        medians.push_back(t[t.size() / 2]);
    }
    return medians;
}

// The floor: read the same bytes through a buffer of the same size and count line ends.
long long countLineEnds(const std::string& path) {
    RegularFile file;
    if (!file.open(path)) return -1;
    std::vector<char> buffer(256 * 1024);
    long long lines = 0;
    for (;;) {
        const Result<std::size_t> got = file.read(buffer.data(), buffer.size());
        if (!got || got.value() == 0) break;
        const char* p = buffer.data();
        const char* end = p + got.value();
        while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) !=
               nullptr) {
            ++lines;
            ++p;
        }
    }
    return lines;
}

long peakResidentKB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// Runs one search in a fresh process and returns that process's peak resident memory in KB.
long peakOfSearchInFreshProcess(const std::string& folder) {
    std::string self = "/proc/self/exe";
    std::string mode = "--peak-rss";
    std::vector<char*> argv = {self.data(), mode.data(), const_cast<char*>(folder.c_str()), nullptr};
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    pid_t child = 0;
    int spawned = posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    char text[64] = {};
    ssize_t got = spawned == 0 ? ::read(pipeEnds[0], text, sizeof text - 1) : -1;
    ::close(pipeEnds[0]);
    int status = 0;
    if (spawned == 0) ::waitpid(child, &status, 0);
    return got > 0 ? std::atol(text) : -1;
}

// The catalogue of `folder`, written unless an earlier run left it there.
std::string prepare(const std::string& folder, long long records, long long& bytes) {
    bytes = bench::prepareSyntheticFolder(folder, records);
    return folder + std::string(kCatalogueName);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--peak-rss") == 0) {
        const Lookup result = findVehicle(bench::lastRecordSelection(), argv[2]);
        std::printf("%ld\n", result && *result ? peakResidentKB() : -1L);
        return 0;
    }
    const long long records = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 15;
    const std::string base = argc > 3 ? argv[3] : "/tmp/specialty-bench/";
    const std::string bigFolder = base + std::to_string(records) + "/";
    const std::string smallFolder = base + "10/";
    ::mkdir(base.c_str(), 0755);

    long long bytes = 0, smallBytes = 0;
    const std::string path = prepare(bigFolder, records, bytes);
    prepare(smallFolder, 10, smallBytes);
    countLineEnds(path); // into the page cache

    std::optional<Lookup> last, none, step;
    const std::vector<double> medians =
        medianSeconds(runs, {[&] { countLineEnds(path); },
                             [&] { last = findVehicle(bench::lastRecordSelection(), bigFolder); },
                             [&] { none = findVehicle(bench::missingSelection(), bigFolder); },
                             [&] { step = recordAt(records - 1, bigFolder); }});
    const double baseline = medians[0];
    const double toLast = medians[1];
    const double toNone = medians[2];
    const double stepToLast = medians[3];
    auto found = [](const std::optional<Lookup>& lookup) { return lookup && *lookup && **lookup; };
    if (!found(last) || (**last)->position != records - 1 || !none || !*none || **none || !found(step) ||
        (**step)->record != (**last)->record) {
        std::fprintf(stderr, "the searches did not give the expected results\n");
        return 1;
    }
    const double mb = static_cast<double>(bytes) / 1e6;
    std::printf("catalogue: %lld records, %.1f MB (page-cached), median of %d runs\n", records, mb, runs);
    std::printf("baseline (read + memchr line count): %8.1f ms  %7.0f MB/s\n", baseline * 1e3, mb / baseline);
    std::printf("search, match is the last record:    %8.1f ms  %7.0f MB/s  %6.2f M records/s  ratio %.2fx\n",
                toLast * 1e3, mb / toLast, static_cast<double>(records) / toLast / 1e6, toLast / baseline);
    std::printf("search, no match:                    %8.1f ms  %7.0f MB/s  %6.2f M records/s  ratio %.2fx\n",
                toNone * 1e3, mb / toNone, static_cast<double>(records) / toNone / 1e6, toNone / baseline);
    const std::string stepLabel = "demo step to position " + std::to_string(records - 1) + ":";
    std::printf("%-37s%8.1f ms  %7.0f MB/s  %6.2f M records/s  ratio %.2fx\n", stepLabel.c_str(),
                stepToLast * 1e3, mb / stepToLast, static_cast<double>(records) / stepToLast / 1e6,
                stepToLast / baseline);
    const long small = peakOfSearchInFreshProcess(smallFolder);
    const long big = peakOfSearchInFreshProcess(bigFolder);
    std::printf(
        "peak resident memory of a search: %ld KB over 10 records, %ld KB over %lld records (+%ld KB)\n",
        small, big, records, big - small);
    return 0;
}
