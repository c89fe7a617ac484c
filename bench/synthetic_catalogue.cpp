#include "synthetic_catalogue.h"

#include "catalogue/data_folder.h"
#include "catalogue/vehicle_selection.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <sys/stat.h>
#include <vector>

namespace specialty::bench {

namespace {

const char* const kMakes[] = {"Aldena", "Brisko",  "Corvane", "Dunmore", "Estrel", "Fjordan",
                              "Garnet", "Halvik",  "Istra",   "Jorvik",  "Kestel", "Lumen",
                              "Morrow", "Navarre", "Oberon",  "Pellam"};
const char* const kModels[] = {
    "Tarsa", "Meridian", "Atlas",  "Kestrel 16* Wheel", "Voyager", "Nordkap", "Sierra", "Polar", "Canyon",
    "Fenn",  "Brava",    "Arc 2*", "Solstice",          "Harrow"};
const char* const kSubmodels[] = {"2.0 GL", "Estate 4WD", "",      "Sport", "LX Cab",    "Turbo, 4 door",
                                  "GT",     "Pickup",     "Coupe", "Van",   "Cabriolet", "EV Long Range"};
const char* const kPrefixes[] = {"AC", "TL", "FC", "CS"};

struct Random {
    std::uint64_t state;
    std::uint32_t next(std::uint32_t below) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state >> 33) % below;
    }
};

template <std::size_t N>
const char* pick(Random& random, const char* const (&list)[N]) {
    return list[random.next(N)];
}

} // namespace

std::string lastRecordSelection() {
    return joinSelection("Zzyzx", "Finale", "Last Of All", "2020", "2020");
}
std::string missingSelection() {
    return joinSelection("Nomatch", "Nothing", "None", "2020", "2020");
}

namespace {

long long writeCatalogue(const std::string& path, long long records, bool fullLastRecord, int listings,
                         long long distinct) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) throw std::runtime_error("cannot write " + path);
    Random random{12345};
    std::string line;
    std::string vehicle;
    std::vector<std::string> repeated;
    long long size = 0;
    for (long long r = 1; r <= records; ++r) {
        const bool last = r == records;
        line = std::to_string(10000 + r) + ",,";
        // A vehicle listed again repeats the names of its first record, and takes years after them.
        const long long listing = (r - 1) % listings;
        if (listing == 0 || last) {
            vehicle = "\"" + std::string(last ? "Zzyzx" : pick(random, kMakes)) + "\",";
            vehicle += "\"" + std::string(last ? "Finale" : pick(random, kModels)) + "\",";
            // Each vehicle is listed once (or `listings` times), as in a maintained catalogue: the record
            // number makes the submodel unique.
            const std::string submodel = std::string(pick(random, kSubmodels)) + " " + std::to_string(r);
            vehicle += "\"" + (last ? std::string("Last Of All") : submodel) + "\",";
        }
        const int from =
            1980 + static_cast<int>(random.next(35)) + (last ? 0 : 50 * static_cast<int>(listing));
        std::string named = vehicle + std::to_string(from) + "," +
                            std::to_string(last ? 2024 : from + static_cast<int>(random.next(10)));
        if (distinct > 0 && !last) { // the first `distinct` vehicles and their years, over and over
            if (r <= distinct)
                repeated.push_back(named);
            else
                named = repeated[static_cast<std::size_t>((r - 1) % distinct)];
        }
        line += named;
        for (int p = 0; p < 16; ++p) {
            line += ',';
            if (last && fullLastRecord) {
                line += (p < 9 ? "ZZ0" : "ZZ") + std::to_string(p + 1);
            } else if (random.next(3) == 0) {
                std::string code =
                    std::string(pick(random, kPrefixes)) + std::to_string(1000 + random.next(9000));
                line += random.next(2) ? "\"" + code + "\"" : code;
            }
        }
        line += "\r\n";
        size += static_cast<long long>(line.size());
        std::fwrite(line.data(), 1, line.size(), out);
    }
    line = "0,,,,,,,,,,,,,,,,,,,,,,\r\n";
    size += static_cast<long long>(line.size());
    std::fwrite(line.data(), 1, line.size(), out);
    if (std::fclose(out) != 0) throw std::runtime_error("cannot write " + path);
    return size;
}

long long prepare(const std::string& folder, long long records, int listings, long long distinct) {
    ::mkdir(folder.c_str(), 0755);
    const std::string path = folder + std::string(kCatalogueName);
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && info.st_size > 0) return info.st_size;
    return writeCatalogue(path, records, false, listings, distinct);
}

} // namespace

long long writeSyntheticCatalogue(const std::string& path, long long records, bool fullLastRecord,
                                  int listings) {
    return writeCatalogue(path, records, fullLastRecord, listings, 0);
}

long long prepareSyntheticFolder(const std::string& folder, long long records, int listings) {
    return prepare(folder, records, listings, 0);
}

long long prepareRepeatingFolder(const std::string& folder, long long records, long long distinct) {
    return prepare(folder, records, 1, distinct);
}

} // namespace specialty::bench
