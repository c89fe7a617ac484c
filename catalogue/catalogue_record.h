// One record of the catalogue: 23 text fields.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace specialty {

constexpr int kRecordFields = 23;
constexpr int kPartCodes = 16;

// Field numbers, counted from 1 as catalogue maintainers count them.
enum RecordField {
    kVehicleId = 1,
    kSpareField,
    kMake,
    kModel,
    kSubmodel,
    kYearFrom,
    kYearTo,
    kPartCode1, // PartCode N is field kPartCode1 + N - 1
};

// The field's name, for messages ("Make", "PartCode12", ...). `field` counts from 1.
std::string fieldName(int field);

struct CatalogueRecord {
    std::string VehicleId;
    std::string SpareField;
    std::string Make;
    std::string Model;    // with the "*" rule applied
    std::string Submodel; // with the "*" rule applied
    std::string YearFrom;
    std::string YearTo;
    std::array<std::string, kPartCodes> PartCodes; // the sixteen, PartCodes[0] holding PartCode1

    // PartCode n, counted from 1 as the fields are named.
    const std::string& partCode(int n) const { return PartCodes[static_cast<std::size_t>(n - 1)]; }
    // Field `number` (from 1, as in RecordField).
    const std::string& field(int number) const;
    bool hasNoParts() const;

    bool operator==(const CatalogueRecord& other) const {
        return VehicleId == other.VehicleId && SpareField == other.SpareField && Make == other.Make &&
               Model == other.Model && Submodel == other.Submodel && YearFrom == other.YearFrom &&
               YearTo == other.YearTo && PartCodes == other.PartCodes;
    }
    bool operator!=(const CatalogueRecord& other) const { return !(*this == other); }
};

// The fields of a record as the file holds them, before the "*" rule. field[0] is VehicleId.
struct RawRecord {
    std::array<std::string_view, kRecordFields> field;
    std::string_view operator[](int number) const { return field[static_cast<std::size_t>(number - 1)]; }
};

// How reading the next record of the catalogue went.
enum class RecordRead {
    Record,   // a whole record was read
    CutShort, // the file ended inside the record: the reader tells how many fields there were
    TooLong,  // a field is longer than the reader keeps: the record is read whole, each such field holding
              // only its first bytes (the reader tells which were cut)
    Failed,   // the file could not be read (the reader holds the failure)
};

// Field `number` (from 1) as a bit of a set of fields.
constexpr std::uint32_t fieldBit(int number) {
    return std::uint32_t(1) << (number - 1);
}
// The fields of a record the viewer shows or tests: all but SpareField. A record whose SpareField is longer
// than the reader keeps still shows; any other field cut short would show, or be tested, wrongly.
constexpr std::uint32_t kShownFields = ((std::uint32_t(1) << kRecordFields) - 1) & ~fieldBit(kSpareField);
// The lowest field (from 1) of a set, or 0 for none.
inline int firstField(std::uint32_t fields) {
    for (int f = 1; f <= kRecordFields; ++f)
        if (fields & fieldBit(f)) return f;
    return 0;
}

// How many "*" of Model and of Submodel stand for a double quote.
constexpr int kModelStars = 1;
constexpr int kSubmodelStars = 2;
// The same for any field (from 1): 0 for the fields the rule leaves alone.
constexpr int starsOfField(int field) {
    return field == kModel ? kModelStars : field == kSubmodel ? kSubmodelStars : 0;
}

// The "*" rule, one byte of a stored name at a time: while `stars` remain, a "*" stands for a double
// quote and uses one of them up.
inline char withStarRule(char c, int& stars) {
    if (c != '*' || stars <= 0) return c;
    --stars;
    return '"';
}

// Replaces the first `count` "*" of `text` with double quotes.
std::string decodeStars(std::string_view text, int count);

// The record with the "*" rule applied to Model and Submodel; the other fields as they are.
CatalogueRecord decodeRecord(const RawRecord& raw);

} // namespace specialty
