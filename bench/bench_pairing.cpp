// Pairing the records of two catalogues, at scale: an old catalogue of N records that were deleted
// followed by N records, and a new one of those N in reverse order (a sheet sorted the other way, then a
// block deleted). Prints the CPU seconds alignRecords takes for each N.
//   bench_pairing [N...]     (default: 100000 300000)
#include "tools/spreadsheet/record_alignment.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double pairingSeconds(std::uint32_t n) {
    specialty::IdList olds;
    specialty::IdList news;
    for (std::uint32_t i = 0; i < n; ++i)
        olds.add("D" + std::to_string(i));
    for (std::uint32_t i = 0; i < n; ++i)
        olds.add("R" + std::to_string(i));
    for (std::uint32_t i = n; i-- > 0;)
        news.add("R" + std::to_string(i));
    const double start = cpuSeconds();
    // Every old record unpaired by VehicleId is offered to pairable: as in diff, a comparison that fails.
    const specialty::Alignment a = specialty::alignRecords(
        olds, news, [](std::string_view id) { return std::string(id); },
        [&](std::uint32_t o, std::uint32_t m) { return olds[o] == news[m]; });
    const double seconds = cpuSeconds() - start;
    if (a.oldOfNew.size() != n) std::abort();
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::uint32_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(static_cast<std::uint32_t>(std::strtoul(argv[i], nullptr, 10)));
    if (sizes.empty()) sizes = {100000, 300000};
    for (std::uint32_t n : sizes)
        std::printf("pairing %u deleted + %u reversed: %.3f s CPU\n", n, n, pairingSeconds(n));
    return 0;
}
