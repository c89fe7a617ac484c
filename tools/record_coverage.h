// Which years of a vehicle earlier records already answer: first match wins, so a record whose every year
// an earlier record with the same names covers is never shown.
#pragma once

#include "catalogue_record.h"

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace specialty {

class RecordCoverage {
public:
    // Adds a record's years. Returns the earlier records that together cover all of them ("the record at
    // position 3", "the records at positions 3 and 7"), or nothing when some year still finds this record.
    std::string add(const CatalogueRecord& record, int from, int to, std::int64_t position);

private:
    // Which record a run of years finds first: disjoint runs, keyed by their first year.
    struct FirstRecord {
        int to;
        std::int64_t position;
    };
    using Vehicle = std::map<int, FirstRecord>;
    static std::string key(const CatalogueRecord& record);

    std::unordered_map<std::string, Vehicle> vehicles_;
};

} // namespace specialty
