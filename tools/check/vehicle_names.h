// A vehicle's names as check compares them: a hash that picks candidate vehicles, the names in one form
// that is equal exactly when the viewer cannot tell them apart, and where they lie in the catalogue, packed
// into 64 bits so that they can be read again from there.
#pragma once

#include "catalogue/catalogue_record.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace specialty {

// A record's Make, Model and Submodel, read once for the vehicle table: their hash as the viewer compares
// them (the "*" rule applied, letters in one case), never 0, and, when each fits its selection columns,
// their bytes in fixed places, so that two records' names compare as a few words.
class VehicleKey {
  public:
    explicit VehicleKey(const RawRecord& record);

    std::uint64_t hash() const { return hash_; }
    // True when both hold their names' bytes and those are the same.
    bool sameBytes(const VehicleKey& other) const;

    // True when a byte of a name is in the code page's upper half.
    bool highBytes() const { return high_; }

  private:
    // The places of the Make, the Model and the Submodel, in words: 14, 21 and 31 bytes at most.
    static constexpr std::size_t kWords = 2 + 3 + 4;

    std::uint64_t words_[kWords];
    std::uint64_t lengths_; // one byte each, or a top bit alone when a name does not fit its place
    std::uint64_t hash_;
    bool high_;
};

// The three names as one string that is equal for two records exactly when the viewer cannot tell their
// names apart: each name with the "*" rule applied and its letters in upper case, after a length byte.
std::string canonicalNames(std::string_view make, std::string_view model, std::string_view submodel);

// The names' place in the catalogue, packed in 64 bits: the Make's offset (39 bits), the three lengths
// (4, 5 and 5 bits: names longer than their columns are never kept) and the gaps from the end of the Make
// to the Model and from the end of the Model to the Submodel (5 bits each). Nothing when they do not fit.
// The top bit is left clear, for the caller to mark names kept elsewhere.
std::optional<std::uint64_t> packedPlace(std::uint64_t make, std::size_t makeLength, std::uint64_t model,
                                         std::size_t modelLength, std::uint64_t submodel,
                                         std::size_t submodelLength);

struct UnpackedPlace {
    std::uint64_t make;
    std::size_t makeLength, gap1, modelLength, gap2, submodelLength;
    std::size_t span() const { return makeLength + gap1 + modelLength + gap2 + submodelLength; }
};
UnpackedPlace unpackedPlace(std::uint64_t place);

} // namespace specialty
