// Which years of a vehicle earlier records already answer: first match wins, so a record whose every year
// an earlier record with the same names covers is never shown.
//
// Records are collected as they are read and judged at the end, vehicle by vehicle: sorting compact entries
// costs far less than a hash table of every vehicle in a catalogue of a million records.
#pragma once

#include "catalogue_record.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace specialty {

class RecordCoverage {
  public:
    struct Shadowed {
        std::int64_t position;
        std::uint64_t line;
        std::string message; // "record 8 (1008) is never shown: ..."
    };

    void add(const CatalogueRecord& record, int from, int to, std::int64_t position, std::uint64_t line);
    // The records never shown, in the order they were added.
    std::vector<Shadowed> finish();

    // How many spans and runs of years finish() stepped over: it stays within a small multiple of the
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

    struct Entry {
        std::uint64_t hash; // of the vehicle's names, without regard to case
        std::size_t key;    // the names, in text_
        std::size_t keyLength;
        std::size_t id; // VehicleId, in text_
        std::size_t idLength;
        std::int64_t position;
        std::uint64_t line;
        int from;
        int to;
    };
    std::string_view text(std::size_t at, std::size_t length) const { return {text_.data() + at, length}; }

    std::vector<Entry> entries_;
    std::string text_; // names and ids of all entries, one after another
    std::uint64_t visited_ = 0;
};

} // namespace specialty
