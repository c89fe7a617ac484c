// Writes a benchmark catalogue into a data folder, for the measuring scripts.
//   make_catalogue FOLDER RECORDS [DISTINCT]
// Without DISTINCT the bench catalogue (each vehicle listed once, the last record the only one of its
// make); with it, the first DISTINCT vehicles listed over and over (see prepareRepeatingFolder()).
#include "synthetic_catalogue.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: make_catalogue FOLDER RECORDS [DISTINCT]\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const long long records = std::atoll(argv[2]);
    const long long bytes =
        argc == 4 ? specialty::bench::prepareRepeatingFolder(folder, records, std::atoll(argv[3]))
                  : specialty::bench::prepareSyntheticFolder(folder, records);
    std::printf("%lld\n", bytes);
    return 0;
}
