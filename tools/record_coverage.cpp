#include "record_coverage.h"

#include "text_encoding.h"

#include <algorithm>
#include <map>

namespace specialty {

namespace {

std::string describe(const std::vector<std::int64_t>& positions) {
    if (positions.size() == 1) return "the record at position " + std::to_string(positions[0]);
    std::string text = "the records at positions ";
    const std::size_t shown = std::min<std::size_t>(positions.size(), 5);
    for (std::size_t i = 0; i < shown; ++i)
        text += (i == 0                                        ? ""
                 : i + 1 == shown && shown == positions.size() ? " and "
                                                               : ", ") +
                std::to_string(positions[i]);
    if (shown < positions.size()) text += " and " + std::to_string(positions.size() - shown) + " more";
    return text;
}

// Which record a run of years finds first: disjoint runs, keyed by their first year.
struct FirstRecord {
    int to;
    std::int64_t position;
};
using Runs = std::map<int, FirstRecord>;

// Adds a record's years to the runs of its vehicle. Returns the earlier records that together answer all of
// its years, or nothing when some year still finds it.
std::vector<std::int64_t> cover(Runs& firsts, int from, int to, std::int64_t position) {
    std::vector<std::int64_t> earlier;
    std::vector<std::pair<int, int>> gaps;
    int next = from; // the first year not yet accounted for
    auto run = firsts.upper_bound(from);
    if (run != firsts.begin() && std::prev(run)->second.to >= from) --run;
    for (; run != firsts.end() && run->first <= to && next <= to; ++run) {
        if (run->first > next) gaps.emplace_back(next, run->first - 1);
        if (std::find(earlier.begin(), earlier.end(), run->second.position) == earlier.end())
            earlier.push_back(run->second.position);
        next = std::max(next, run->second.to + 1);
    }
    if (next <= to) gaps.emplace_back(next, to);
    for (const auto& [first, last] : gaps)
        firsts.emplace(first, FirstRecord{last, position});
    if (!gaps.empty()) return {};
    std::sort(earlier.begin(), earlier.end());
    return earlier;
}

} // namespace

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
            std::vector<std::pair<std::string_view, Runs>> vehicles;
            for (std::size_t i = first; i < end; ++i) {
                const Entry& e = entries_[i];
                const std::string_view key = text(e.key, e.keyLength);
                auto vehicle = std::find_if(vehicles.begin(), vehicles.end(),
                                            [&](const auto& v) { return v.first == key; });
                if (vehicle == vehicles.end()) vehicle = vehicles.insert(vehicles.end(), {key, Runs()});
                const std::vector<std::int64_t> earlier = cover(vehicle->second, e.from, e.to, e.position);
                if (!earlier.empty())
                    shadowed.push_back({e.position, e.line,
                                        "the record at position " + std::to_string(e.position) + " (" +
                                            printableForMessage(text(e.id, e.idLength)) +
                                            ") is never shown: every year from " + std::to_string(e.from) +
                                            " to " + std::to_string(e.to) + " already finds " +
                                            describe(earlier)});
            }
        }
        first = end;
    }
    std::sort(shadowed.begin(), shadowed.end(),
              [](const Shadowed& a, const Shadowed& b) { return a.position < b.position; });
    return shadowed;
}

} // namespace specialty
