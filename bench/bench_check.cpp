// specialty-catalogue check against the search to the last record, on the bench catalogue (1,000,000
// records whose parts have no files), and check's peak memory there, on the same number of records of
// vehicles listed twice, and on hostile catalogues. Each
// program runs in a fresh process; times are medians, taken in turns.
//   bench_check [RECORDS] [RUNS] [FOLDER]
#include "synthetic_catalogue.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

struct Run {
    double seconds = 0;
    long peakKB = 0;
    int status = -1;
};

// Runs the tool with `arguments`, its output thrown away, and measures it.
Run runTool(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    std::string tool = SPECIALTY_TOOL;
    argv.push_back(tool.data());
    std::vector<std::string> copies = arguments;
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKB = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void writeFile(const std::string& path, const std::string& bytes, long long copies) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    for (long long i = 0; out && i < copies; ++i)
        std::fwrite(bytes.data(), 1, bytes.size(), out);
    if (out) std::fclose(out);
}

} // namespace

int main(int argc, char** argv) {
    using namespace specialty;
    const long long records = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string base = argc > 3 ? argv[3] : "/tmp/specialty-bench/";
    const std::string folder = base + std::to_string(records) + "/";
    const long long bytes = bench::prepareSyntheticFolder(folder, records);

    const std::vector<std::string> find = {"--data",      folder,    "find",   "--make",
                                           "Zzyzx",       "--model", "Finale", "--submodel",
                                           "Last Of All", "--years", "2020",   "2020"};
    const std::vector<std::string> check = {"--data", folder, "check"};
    std::vector<double> findTimes, checkTimes;
    long checkPeak = 0, findPeak = 0;
    for (int i = 0; i < runs; ++i) {
        const Run f = runTool(find);
        const Run c = runTool(check);
        if (f.status != 0 || c.status < 0 || c.status > 1) {
            std::fprintf(stderr, "the tool did not run as expected (find %d, check %d)\n", f.status,
                         c.status);
            return 1;
        }
        findTimes.push_back(f.seconds);
        checkTimes.push_back(c.seconds);
        findPeak = std::max(findPeak, f.peakKB);
        checkPeak = std::max(checkPeak, c.peakKB);
    }
    const double findSeconds = median(findTimes);
    const double checkSeconds = median(checkTimes);
    std::printf("catalogue: %lld records, %.1f MB (page-cached), median of %d runs, each a fresh process\n",
                records, static_cast<double>(bytes) / 1e6, runs);
    std::printf("find, the last record:  %8.1f ms  peak %6.1f MB\n", findSeconds * 1e3, findPeak / 1024.0);
    std::printf("check:                  %8.1f ms  peak %6.1f MB  ratio %.2fx (goal 5x, 64 MB)\n",
                checkSeconds * 1e3, checkPeak / 1024.0, checkSeconds / findSeconds);

    // The same number of records, each vehicle listed twice (with years of its own each time): every
    // vehicle's years are kept for the second record.
    const std::string twiceFolder = base + std::to_string(records) + "-twice/";
    bench::prepareSyntheticFolder(twiceFolder, records, 2);
    std::vector<double> twiceTimes;
    long twicePeak = 0;
    for (int i = 0; i < runs; ++i) {
        const Run c = runTool({"--data", twiceFolder, "check"});
        if (c.status < 0 || c.status > 1) {
            std::fprintf(stderr, "the tool did not run as expected (check %d)\n", c.status);
            return 1;
        }
        twiceTimes.push_back(c.seconds);
        twicePeak = std::max(twicePeak, c.peakKB);
    }
    std::printf("check, vehicles listed twice:  %8.1f ms  peak %6.1f MB\n", median(twiceTimes) * 1e3,
                twicePeak / 1024.0);

    // Catalogues built to cost memory: many line ends, one long line of commas, many shifted lines.
    struct Hostile {
        const char* what;
        std::string unit;
        long long copies;
    };
    const Hostile hostile[] = {
        {"100 MB of line feeds", std::string(1 << 20, '\n'), 100},
        {"100 MB of commas on one line", std::string(1 << 20, ','), 100},
        {"1,000,000 lines of 22 fields", std::string(21, ',') + "\r\n", 1000000},
    };
    for (const Hostile& h : hostile) {
        const std::string hostileFolder = base + "hostile/";
        ::mkdir(hostileFolder.c_str(), 0755);
        writeFile(hostileFolder + "specialty.txt", h.unit, h.copies);
        const Run run = runTool({"--data", hostileFolder, "check"});
        std::printf("check on %-30s %8.1f ms  peak %6.1f MB\n", h.what, run.seconds * 1e3,
                    run.peakKB / 1024.0);
    }
    return 0;
}
