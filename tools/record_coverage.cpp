#include "record_coverage.h"

#include "messages.h"
#include "text_encoding.h"

#include <algorithm>
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

namespace {} // namespace

void RecordCoverage::add(const CatalogueRecord& record, int from, int to, std::int64_t position,
                         std::uint64_t line) {
    Entry entry{};
    entry.key = text_.size();
    std::uint64_t hash = 1469598103934665603ULL; // FNV-1a over the folded names and their lengths
    for (const std::string* name : {&record.Make, &record.Model, &record.Submodel}) {
        text_ += std::to_string(name->size());
        text_ += ':';
        for (char c : *name)
            text_ += static_cast<char>(upperWindows1252(static_cast<unsigned char>(c)));
    }
    entry.keyLength = text_.size() - entry.key;
    for (char c : text(entry.key, entry.keyLength))
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    entry.hash = hash;
    entry.id = text_.size();
    text_ += record.VehicleId;
    entry.idLength = record.VehicleId.size();
    entry.position = position;
    entry.line = line;
    entry.from = from;
    entry.to = to;
    entries_.push_back(entry);
}

std::vector<RecordCoverage::Shadowed> RecordCoverage::finish() {
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.position < b.position;
    });
    std::vector<Shadowed> shadowed;
    for (std::size_t first = 0; first < entries_.size();) {
        std::size_t end = first + 1;
        while (end < entries_.size() && entries_[end].hash == entries_[first].hash)
            ++end;
        if (end - first > 1) {
            // The same hash: vehicles with these names (and, rarely, others that share the hash).
            std::vector<std::pair<std::string_view, Vehicle>> vehicles;
            for (std::size_t i = first; i < end; ++i) {
                const Entry& e = entries_[i];
                const std::string_view key = text(e.key, e.keyLength);
                auto vehicle = std::find_if(vehicles.begin(), vehicles.end(),
                                            [&](const auto& v) { return v.first == key; });
                if (vehicle == vehicles.end()) vehicle = vehicles.insert(vehicles.end(), {key, Vehicle()});
                bool more = false;
                const std::vector<std::int64_t> earlier =
                    vehicle->second.cover(e.from, e.to, e.position, more, visited_);
                if (!earlier.empty())
                    shadowed.push_back({e.position, e.line,
                                        recordNumbered(e.position) + " (VehicleId " +
                                            printableForMessage(text(e.id, e.idLength)) +
                                            ") is never shown: every year from " + std::to_string(e.from) +
                                            " to " + std::to_string(e.to) + " already finds " +
                                            describe(earlier, more)});
            }
        }
        first = end;
    }
    std::sort(shadowed.begin(), shadowed.end(),
              [](const Shadowed& a, const Shadowed& b) { return a.position < b.position; });
    return shadowed;
}

} // namespace specialty
