// Which record of a new catalogue is which record of the old one.
//
// A record is known by its VehicleId; the k-th record with a VehicleId in the old catalogue is the k-th with
// it in the new one, so that duplicates pair up in file order. Records left unpaired are then paired the
// same way by `looseKey` of their VehicleIds (a spreadsheet's reading of it as a number, so that "0012" is
// still found as "12" when the rows were also sorted); an empty key pairs nothing. Of the pairs, the longest
// run that keeps its order in both catalogues stays in place; the other pairs have moved. Between two records
// that stay, an old record and a new one that no VehicleId paired are one edited record when `pairable` says
// so (same vehicle name, or a VehicleId a spreadsheet converted), taken in order; the rest are removed and
// added.
//
// Memory: the VehicleIds once (4 bytes a record beside their own bytes), a few 4-byte numbers per record, and
// 16 bytes per record that no VehicleId paired; time O(n log n).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

// VehicleIds one after another, without copying each into a string of its own.
class IdList {
  public:
    // The most bytes of VehicleIds a list holds.
    static constexpr std::size_t kMostBytes = UINT32_MAX;
    // Adds `id`; false, adding nothing, when the list would hold more than kMostBytes.
    bool add(std::string_view id) {
        if (id.size() > kMostBytes - bytes_.size()) return false;
        bytes_ += id;
        ends_.push_back(static_cast<std::uint32_t>(bytes_.size()));
        return true;
    }
    std::size_t size() const { return ends_.size(); }
    std::string_view operator[](std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(bytes_).substr(begin, ends_[i] - begin);
    }

  private:
    std::string bytes_;
    std::vector<std::uint32_t> ends_;
};

constexpr std::uint32_t kNoRecord = UINT32_MAX;

struct Alignment {
    std::vector<std::uint32_t> oldOfNew; // for each new record, its old record, or kNoRecord when added
    std::vector<bool> inPlace;           // for each new record with an old one: whether it kept its order
    std::vector<bool> oldPaired; // for each old record: whether a new record is it (otherwise removed)
};

using LooseKey = std::function<std::string(std::string_view id)>;
using Pairable = std::function<bool(std::uint32_t oldRecord, std::uint32_t newRecord)>;

// The pairs made by VehicleId and by loose key, and which of them stay in place.
Alignment alignByIds(const IdList& oldIds, const IdList& newIds, const LooseKey& looseKey);
// Then the records left unpaired between two that stay in place, of `oldCount` old records.
void pairBetweenKept(std::uint32_t oldCount, const Pairable& pairable, Alignment& a);
// Both steps.
Alignment alignRecords(const IdList& oldIds, const IdList& newIds, const LooseKey& looseKey,
                       const Pairable& pairable);

} // namespace specialty
