#include "tools/check/vehicle_names.h"

#include "catalogue/text_encoding.h"

#include <algorithm>
#include <cstring>

namespace specialty {

namespace {

constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kLong = 1ULL << 63;

// The `size` bytes (1 to 7) at `text` as a word in memory order, zero beyond them, read without a call;
// `behind` bytes before `text` may be read as well.
inline std::uint64_t loadTail(const char* text, std::size_t size, std::size_t behind) {
    std::uint64_t word = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (behind >= 8 - size) { // the last 8 bytes, those before `text` shifted out
        std::memcpy(&word, text + size - 8, 8);
        word >>= 8 * (8 - size);
    } else if (size >= 4) { // two halves that may overlap
        std::uint32_t low, high;
        std::memcpy(&low, text, 4);
        std::memcpy(&high, text + size - 4, 4);
        word = low | std::uint64_t(high) << (8 * (size - 4));
    } else {
        const auto byte = [&](std::size_t i) {
            return std::uint64_t(static_cast<unsigned char>(text[i])) << (8 * i);
        };
        word = byte(0) | byte(size / 2) | byte(size - 1);
    }
#else
    std::memcpy(&word, text, size);
#endif
    return word;
}

// The word's bytes in upper case, one at a time: a word with a byte of the code page's upper half.
std::uint64_t foldedByBytes(std::uint64_t word) {
    unsigned char bytes[8];
    std::memcpy(bytes, &word, 8);
    for (unsigned char& b : bytes)
        b = upperWindows1252(b);
    std::memcpy(&word, bytes, 8);
    return word;
}

// The word folded for the hash, the same for any two words that differ only in their letters' case: ASCII
// all at once, with bit 0x20 set in every byte (which also joins some signs to others, which the names'
// bytes then tell apart), the code page's upper half in upper case byte by byte. A byte's case never moves
// it between the halves, so two such words take the same branch.
inline std::uint64_t folded(std::uint64_t word) {
    if ((word & kHigh) != 0) return foldedByBytes(word);
    return word | 0x20 * kOnes;
}

// Not 0 when a byte of the word is a "*" (now and then also when none is).
inline std::uint64_t holdsStar(std::uint64_t word) {
    const std::uint64_t x = word ^ ('*' * kOnes);
    return (x - kOnes) & ~x & kHigh;
}

inline std::uint64_t mixed(std::uint64_t hash, std::uint64_t word) {
    hash = (hash ^ word) * 0x9E3779B97F4A7C15ULL;
    return hash ^ (hash >> 32);
}

// The word as the "*" rule reads it, while `stars` of them remain to be read as double quotes.
std::uint64_t starsRead(std::uint64_t word, int& stars) {
    unsigned char bytes[8];
    std::memcpy(bytes, &word, 8);
    for (unsigned char& b : bytes)
        if (b == '*' && stars > 0) {
            b = '"';
            --stars;
        }
    std::memcpy(&word, bytes, 8);
    return word;
}

// `hash` with the name added as the viewer reads it (the first `stars` "*" as double quotes), eight bytes
// at a time folded to one case, then its length, so that "AB","C" and "A","BC" differ. Its words go to
// `place` unless it is null; `seen` gathers the bits of every word.
[[gnu::always_inline]] inline std::uint64_t withName(std::uint64_t hash, std::string_view name, int stars,
                                                     std::uint64_t* place, std::uint64_t& seen) {
    const std::size_t size = name.size();
    const auto take = [&](std::uint64_t word) {
        if (place) *place++ = word;
        seen |= word;
        if (stars > 0 && holdsStar(word) != 0) word = starsRead(word, stars);
        hash = mixed(hash, folded(word));
    };
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, name.data() + i, 8);
        take(word);
    }
    if (i < size) take(loadTail(name.data() + i, size - i, i));
    return mixed(hash, size);
}

} // namespace

VehicleKey::VehicleKey(const RawRecord& record) : words_{} {
    const std::string_view make = record[kMake], model = record[kModel], submodel = record[kSubmodel];
    const bool fit = make.size() <= 2 * 8 && model.size() <= 3 * 8 && submodel.size() <= 4 * 8;
    std::uint64_t seen = 0;
    std::uint64_t h = withName(0x243F6A8885A308D3ULL, make, 0, fit ? words_ : nullptr, seen);
    h = withName(h, model, kModelStars, fit ? words_ + 2 : nullptr, seen);
    h = withName(h, submodel, kSubmodelStars, fit ? words_ + 5 : nullptr, seen);
    high_ = (seen & kHigh) != 0;
    lengths_ = fit ? make.size() | model.size() << 8 | submodel.size() << 16 : kLong;
    h = (h ^ (h >> 33)) *
        0xFF51AFD7ED558CCDULL; // spread every input bit over the low bits the table indexes by
    h = (h ^ (h >> 33)) * 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 33;
    hash_ = h == 0 ? 1 : h;
}

bool VehicleKey::sameBytes(const VehicleKey& other) const {
    if (((lengths_ | other.lengths_) & kLong) != 0 || lengths_ != other.lengths_) return false;
    std::uint64_t differ = 0;
    for (std::size_t w = 0; w < kWords; ++w)
        differ |= words_[w] ^ other.words_[w];
    return differ == 0;
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
