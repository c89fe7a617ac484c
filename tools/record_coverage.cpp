#include "record_coverage.h"

#include "text_encoding.h"

namespace specialty {

namespace {

void appendFolded(std::string& key, const std::string& name) {
    key += std::to_string(name.size());
    key += ':';
    for (char c : name)
        key += static_cast<char>(upperWindows1252(static_cast<unsigned char>(c)));
}

bool coveredBy(const std::map<int, int>& covered, int from, int to) {
    auto it = covered.upper_bound(from);
    if (it == covered.begin())
        return false;
    --it;
    return it->first <= from && it->second >= to;
}

void cover(std::map<int, int>& covered, int from, int to) {
    auto it = covered.upper_bound(from);
    if (it != covered.begin() && std::prev(it)->second >= from - 1)
        --it;
    while (it != covered.end() && it->first <= to + 1) {
        from = std::min(from, it->first);
        to = std::max(to, it->second);
        it = covered.erase(it);
    }
    covered.emplace(from, to);
}

} // namespace

std::string RecordCoverage::key(const CatalogueRecord& record) {
    std::string key;
    appendFolded(key, record.Make);
    appendFolded(key, record.Model);
    appendFolded(key, record.Submodel);
    return key;
}

std::string RecordCoverage::add(const CatalogueRecord& record, int from, int to, std::int64_t position) {
    Vehicle& vehicle = vehicles_[key(record)];
    std::string shadows;
    if (coveredBy(vehicle.covered, from, to)) {
        std::vector<std::int64_t> earlier;
        for (const Range& r : vehicle.records)
            if (r.from <= to && r.to >= from)
                earlier.push_back(r.position);
        if (earlier.size() == 1) {
            shadows = "the record at position " + std::to_string(earlier[0]);
        } else {
            shadows = "the records at positions ";
            const std::size_t shown = std::min<std::size_t>(earlier.size(), 5);
            for (std::size_t i = 0; i < shown; ++i)
                shadows += (i == 0 ? "" : i + 1 == shown && shown == earlier.size() ? " and " : ", ") +
                           std::to_string(earlier[i]);
            if (shown < earlier.size())
                shadows += " and " + std::to_string(earlier.size() - shown) + " more";
        }
    }
    cover(vehicle.covered, from, to);
    vehicle.records.push_back({from, to, position});
    return shadows;
}

} // namespace specialty
