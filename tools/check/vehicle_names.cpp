#include "tools/check/vehicle_names.h"

#include "catalogue/text_encoding.h"

#include <algorithm>
#include <cstring>

namespace specialty {

namespace {

// The names as the viewer compares them (the first "*" of a Model and the first two of a Submodel read as
// double quotes; letters folded to one case), hashed eight bytes at a time, each name followed by its
// length so that "AB","C" and "A","BC" differ.
class VehicleHash {
  public:
    void addName(std::string_view name, int stars) {
        if (stars > 0 && name.find('*') != std::string_view::npos) {
            addFolded(decodeStars(name, stars));
        } else {
            addFolded(name);
        }
        mix(name.size());
    }
    std::uint64_t value() const {
        std::uint64_t h = hash_; // spread every input bit over the low bits the table indexes by
        h = (h ^ (h >> 33)) * 0xFF51AFD7ED558CCDULL;
        h = (h ^ (h >> 33)) * 0xC4CEB9FE1A85EC53ULL;
        h ^= h >> 33;
        return h == 0 ? 1 : h;
    }

  private:
    void addFolded(std::string_view text) {
        for (std::size_t i = 0; i < text.size(); i += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, text.data() + i, std::min<std::size_t>(8, text.size() - i));
            mix(folded(word));
        }
    }
    // The word's bytes in upper case: ASCII all at once, the code page's upper half byte by byte.
    static std::uint64_t folded(std::uint64_t word) {
        constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
        constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
        if ((word & kHigh) == 0) {
            const std::uint64_t atLeastA = word + (0x80 - 'a') * kOnes;
            const std::uint64_t aboveZ = word + (0x80 - 'z' - 1) * kOnes;
            return word ^ (((atLeastA & ~aboveZ) & kHigh) >> 2);
        }
        unsigned char bytes[8];
        std::memcpy(bytes, &word, 8);
        for (unsigned char& b : bytes)
            b = upperWindows1252(b);
        std::memcpy(&word, bytes, 8);
        return word;
    }
    void mix(std::uint64_t word) {
        hash_ = (hash_ ^ word) * 0x9E3779B97F4A7C15ULL;
        hash_ ^= hash_ >> 32;
    }

    std::uint64_t hash_ = 0x243F6A8885A308D3ULL;
};

} // namespace

std::uint64_t vehicleHash(const RawRecord& record) {
    VehicleHash hash;
    hash.addName(record[kMake], 0);
    hash.addName(record[kModel], kModelStars);
    hash.addName(record[kSubmodel], kSubmodelStars);
    return hash.value();
}

std::string canonicalNames(std::string_view make, std::string_view model, std::string_view submodel) {
    std::string names;
    names.reserve(3 + make.size() + model.size() + submodel.size()); // the "*" rule keeps the length
    for (auto [name, stars] :
         {std::pair{make, 0}, std::pair{model, kModelStars}, std::pair{submodel, kSubmodelStars}}) {
        names += static_cast<char>(name.size());
        const std::size_t at = names.size();
        if (stars > 0 && name.find('*') != std::string_view::npos)
            names += decodeStars(name, stars);
        else
            names += name;
        names[at - 1] = static_cast<char>(names.size() - at);
        upperWindows1252InPlace(names.data() + at, names.size() - at);
    }
    return names;
}

std::optional<std::uint64_t> packedPlace(std::uint64_t make, std::size_t makeLength, std::uint64_t model,
                                         std::size_t modelLength, std::uint64_t submodel,
                                         std::size_t submodelLength) {
    if (make >= (1ULL << 39) || makeLength > 15 || modelLength > 31 || submodelLength > 31)
        return std::nullopt;
    if (model < make + makeLength || submodel < model + modelLength) return std::nullopt;
    const std::uint64_t gap1 = model - make - makeLength, gap2 = submodel - model - modelLength;
    if (gap1 > 31 || gap2 > 31) return std::nullopt;
    return make | std::uint64_t(makeLength) << 39 | std::uint64_t(modelLength) << 43 |
           std::uint64_t(submodelLength) << 48 | gap1 << 53 | gap2 << 58;
}

UnpackedPlace unpackedPlace(std::uint64_t place) {
    return {place & ((1ULL << 39) - 1), (place >> 39) & 15, (place >> 53) & 31,
            (place >> 43) & 31,         (place >> 58) & 31, (place >> 48) & 31};
}

} // namespace specialty
