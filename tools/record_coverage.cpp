#include "record_coverage.h"

#include "text_encoding.h"

#include <algorithm>

namespace specialty {

namespace {

void appendFolded(std::string& key, const std::string& name) {
    key += std::to_string(name.size());
    key += ':';
    for (char c : name)
        key += static_cast<char>(upperWindows1252(static_cast<unsigned char>(c)));
}

std::string describe(const std::vector<std::int64_t>& positions) {
    if (positions.size() == 1)
        return "the record at position " + std::to_string(positions[0]);
    std::string text = "the records at positions ";
    const std::size_t shown = std::min<std::size_t>(positions.size(), 5);
    for (std::size_t i = 0; i < shown; ++i)
        text += (i == 0 ? "" : i + 1 == shown && shown == positions.size() ? " and " : ", ") +
                std::to_string(positions[i]);
    if (shown < positions.size())
        text += " and " + std::to_string(positions.size() - shown) + " more";
    return text;
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
    Vehicle& firsts = vehicles_[key(record)];
    // Walk the runs that meet [from, to]: their records come first for those years; the gaps between them
    // are years that find this record, and become runs of its own.
    std::vector<std::int64_t> earlier;
    std::vector<std::pair<int, int>> gaps;
    int next = from; // the first year not yet accounted for
    auto run = firsts.upper_bound(from);
    if (run != firsts.begin() && std::prev(run)->second.to >= from)
        --run;
    for (; run != firsts.end() && run->first <= to && next <= to; ++run) {
        if (run->first > next)
            gaps.emplace_back(next, run->first - 1);
        if (std::find(earlier.begin(), earlier.end(), run->second.position) == earlier.end())
            earlier.push_back(run->second.position);
        next = std::max(next, run->second.to + 1);
    }
    if (next <= to)
        gaps.emplace_back(next, to);
    for (const auto& [first, last] : gaps)
        firsts.emplace(first, FirstRecord{last, position});
    if (!gaps.empty())
        return std::string();
    std::sort(earlier.begin(), earlier.end());
    return describe(earlier);
}

} // namespace specialty
