// The records a review sheet shows, kept compact: the six fields its captions show and where each
// record stands in the catalogue, packed one after another in blocks, so that a record costs little
// more than its text and nothing ever doubles in size as the catalogue grows. Its makes are one list
// of the records in the pages' order and where each make begins in it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

// A record as a sheet shows it; its parts come to its page through SheetModel::uses.
struct SheetRecord {
    std::int64_t number = 0; // from 1, as list and check count records
    std::uint64_t line = 0;  // the line its first field stands on, from 1
    std::string VehicleId;
    std::string Make;
    std::string Model; // decoded, as the viewer shows it
    std::string Submodel;
    std::string YearFrom;
    std::string YearTo;
};

class SheetRecords {
  public:
    enum Field { VehicleId, Make, Model, Submodel, YearFrom, YearTo, kFields };

    void add(const SheetRecord& record);
    std::size_t size() const { return starts_.size(); }
    // Record `n`, made anew.
    SheetRecord operator[](std::size_t n) const;
    std::string_view field(std::size_t n, Field field) const;
    std::uint64_t line(std::size_t n) const;
    std::int64_t number(std::size_t n) const;

  private:
    const char* at(std::size_t n) const;

    std::vector<std::string> blocks_;
    std::vector<std::uint64_t> starts_; // block << 32 | offset of each record
};

// The records of one make, in the pages' order.
struct MakeRecords {
    const std::uint32_t* first;
    const std::uint32_t* last;
    const std::uint32_t* begin() const { return first; }
    const std::uint32_t* end() const { return last; }
    std::size_t size() const { return static_cast<std::size_t>(last - first); }
    std::uint32_t front() const { return *first; }
    std::uint32_t back() const { return *(last - 1); }
};

class SheetMakes {
  public:
    // Orders `records` by make in byte order, then model, submodel and years, as a reader looks for them;
    // file order breaks ties.
    explicit SheetMakes(const SheetRecords& records);
    SheetMakes() = default;
    std::size_t size() const { return starts_.size(); }
    MakeRecords operator[](std::size_t make) const;

  private:
    std::vector<std::uint32_t> order_;  // record indexes in the pages' order
    std::vector<std::uint32_t> starts_; // where each make begins in order_
};

} // namespace specialty
