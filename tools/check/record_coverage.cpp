#include "check/record_coverage.h"

#include "messages.h"
#include "text_encoding.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace specialty {

namespace {

// `more` when there are earlier records besides `positions` that were not counted.
std::string describe(const std::vector<std::int64_t>& positions, bool more) {
    if (positions.size() == 1 && !more) return recordNumbered(positions[0]);
    std::string text = "records ";
    const std::size_t shown = std::min<std::size_t>(positions.size(), 5);
    for (std::size_t i = 0; i < shown; ++i)
        text += (i == 0                                                 ? ""
                 : i + 1 == shown && shown == positions.size() && !more ? " and "
                                                                        : ", ") +
                std::to_string(positions[i] + 1);
    if (more)
        text += " and others";
    else if (shown < positions.size())
        text += " and " + std::to_string(positions.size() - shown) + " more";
    return text;
}

// At most this many runs are looked at to name the records that shadow another, so that a record over
// many runs costs no more than one over a few.
constexpr std::size_t kRunsNamed = 64;

} // namespace

// Adds a record's years to its vehicle. Returns the earlier records that together answer all of its years
// (`more` set when there are others beyond them), or nothing when some year still finds it.
//
// The covered years are kept twice: merged into disjoint spans, to find the gaps a record fills at a cost
// that the merging pays back, and as runs of years with the record each finds first, to name them.
std::vector<std::int64_t> RecordCoverage::Vehicle::cover(int from, int to, std::int64_t position, bool& more,
                                                         std::uint64_t& visited) {
    std::vector<std::pair<int, int>> gaps;
    int next = from; // the first year not yet accounted for
    auto span = covered.upper_bound(from);
    if (span != covered.begin() && std::prev(span)->second >= from) --span;
    for (; span != covered.end() && span->first <= to && next <= to; ++span, ++visited) {
        if (span->first > next) gaps.emplace_back(next, span->first - 1);
        next = std::max(next, span->second + 1);
    }
    if (next <= to) gaps.emplace_back(next, to);
    if (!gaps.empty()) {
        for (const auto& [first, last] : gaps)
            firsts.emplace(first, FirstRecord{last, position});
        // Merge [from, to] and every span touching it into one.
        int low = from, high = to;
        auto touching = covered.upper_bound(from);
        if (touching != covered.begin() && std::prev(touching)->second >= from - 1) --touching;
        while (touching != covered.end() && touching->first <= to + 1) {
            low = std::min(low, touching->first);
            high = std::max(high, touching->second);
            touching = covered.erase(touching);
            ++visited;
        }
        covered.emplace(low, high);
        return {};
    }
    std::vector<std::int64_t> earlier;
    auto run = firsts.upper_bound(from);
    if (run != firsts.begin() && std::prev(run)->second.to >= from) --run;
    std::size_t looked = 0;
    for (; run != firsts.end() && run->first <= to; ++run, ++visited) {
        if (++looked > kRunsNamed) {
            more = true;
            break;
        }
        earlier.push_back(run->second.position);
    }
    std::sort(earlier.begin(), earlier.end());
    earlier.erase(std::unique(earlier.begin(), earlier.end()), earlier.end());
    return earlier;
}

namespace {

// The names as the viewer compares them (the first "*" of a Model and the first two of a Submodel read as
// double quotes; letters folded to one case), hashed eight bytes at a time, each name followed by its
// length so that "AB","C" and "A","BC" differ.
class VehicleHash {
  public:
    void addName(std::string_view name, int stars) {
        if (stars > 0 && name.find('*') != std::string_view::npos) {
            std::string shown(name);
            for (char& c : shown)
                if (c == '*' && stars > 0) {
                    c = '"';
                    --stars;
                }
            addFolded(shown);
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

std::uint64_t vehicleHash(const RawRecord& record) {
    VehicleHash hash;
    hash.addName(record[kMake], 0);
    hash.addName(record[kModel], kModelStars);
    hash.addName(record[kSubmodel], kSubmodelStars);
    return hash.value();
}

} // namespace

std::optional<std::string> RecordCoverage::add(const RawRecord& record, int from, int to,
                                               std::int64_t position) {
    const std::uint64_t hash = vehicleHash(record);
    const Slot first{hash, static_cast<std::int16_t>(from), static_cast<std::int16_t>(to),
                     static_cast<std::uint32_t>(position)};
    bool added = false;
    Slot* slot = full_ || position >= kListedAgain ? table_.find(hash) : table_.findOrAdd(first, added);
    if (added) return std::nullopt; // the vehicle's first record
    if (!slot) {                    // a vehicle first seen with no room left to judge it
        full_ = true;
        return std::nullopt;
    }
    if ((slot->record & kListedAgain) == 0) { // the vehicle's second record: its years are kept in full now
        vehicles_.emplace_back();
        bool more = false;
        vehicles_.back().cover(slot->from, slot->to, slot->record, more, visited_);
        slot->record = kListedAgain | static_cast<std::uint32_t>(vehicles_.size() - 1);
    }
    bool more = false;
    const std::vector<std::int64_t> earlier =
        vehicles_[slot->record & ~kListedAgain].cover(from, to, position, more, visited_);
    if (earlier.empty()) return std::nullopt;
    return recordNumbered(position) + " (VehicleId " + printableForMessage(record[kVehicleId]) +
           ") is never shown: every year from " + std::to_string(from) + " to " + std::to_string(to) +
           " already finds " + describe(earlier, more);
}

} // namespace specialty
