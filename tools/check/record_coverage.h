// Which years of a vehicle earlier records already answer: first match wins, so a record whose every year
// an earlier record with the same names covers is never shown.
//
// Records are judged as they are read. A vehicle listed once costs one 16-byte place in a flat table (its
// names' 64-bit hash, its years and its record); only vehicles listed again keep their years in full.
// Vehicles are told apart by that hash alone: two different vehicles share one with a chance of about 1 in
// 10^7 in a catalogue of a million distinct vehicles. The table, filled up to 85%, stops growing at
// kMostTableBytes (about 890,000 vehicles), and vehicles first seen after that are not judged (full()
// tells, and check says so once).
#pragma once

#include "catalogue_record.h"
#include "check/flat_hash_table.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace specialty {

class RecordCoverage {
  public:
    static constexpr std::size_t kMostTableBytes = 16 * 1024 * 1024;

    // Adds a record's years (from <= to); its names are read as the viewer reads them ("*" rule included).
    // Returns the finding when every one of them already finds an earlier record: "record 8 (VehicleId
    // 1008) is never shown: ...".
    std::optional<std::string> add(const RawRecord& record, int from, int to, std::int64_t position);

    // True once vehicles first seen have stopped being judged, for lack of room.
    bool full() const { return full_; }

    // How many spans and runs of years add() stepped over: it stays within a small multiple of the
    // records, whatever their years.
    std::uint64_t yearRunsVisited() const { return visited_; }

  private:
    // The years of one vehicle that earlier records answer.
    struct FirstRecord {
        int to;
        std::int64_t position;
    };
    struct Vehicle {
        std::map<int, int> covered;        // disjoint spans of covered years: first -> last
        std::map<int, FirstRecord> firsts; // runs of years, keyed by their first, with the record found
        std::vector<std::int64_t> cover(int from, int to, std::int64_t position, bool& more,
                                        std::uint64_t& visited);
    };
    // 16 bytes: the names' hash, and the years and record of the vehicle's first record, or, once the
    // vehicle is listed again, kListedAgain with its index in vehicles_.
    struct Slot {
        std::uint64_t hash = 0; // 0: a free place
        std::int16_t from = 0;
        std::int16_t to = 0;
        std::uint32_t record = 0;
    };
    static constexpr std::uint32_t kListedAgain = 0x80000000u;

    FlatHashTable<Slot> table_{kMostTableBytes, 85};
    std::vector<Vehicle> vehicles_;
    bool full_ = false;
    std::uint64_t visited_ = 0;
};

} // namespace specialty
