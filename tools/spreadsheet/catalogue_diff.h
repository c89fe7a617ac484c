// What changes from one catalogue to another, record by record, as the viewer reads them (Model and Submodel
// with the star rule applied; records up to the end record). Records are paired as record_alignment.h says;
// each changed field is checked for a spreadsheet's conversion (conversion_guard.h).
//
// Both catalogues are read twice, record by record: once for their VehicleIds, once side by side to hand on
// the changes as they are found. Records that no VehicleId paired are read once more for their vehicle's
// names, the old records that moved once more for where they stand, and a moved record that changed once
// more on its own. Held in memory: the VehicleIds and a few 4-byte numbers a record (about 25 bytes a record
// in all), and 12 to 28 bytes for each record unpaired or moved. Records are told unchanged by comparing
// their fields, but a moved record by a 64-bit hash of its fields.
#pragma once

#include "catalogue/catalogue_record.h"
#include "catalogue/result.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

// A catalogue to compare: a file, or catalogue text in memory (which `name` then names in messages).
struct CatalogueSource {
    std::string name;
    std::optional<std::string_view> text;
    std::string file; // the file read, when it is not `name` (a catalogue made from `name` for a while)

    const std::string& read() const { return file.empty() ? name : file; }
};

struct FieldChange {
    int field = 0; // from 1
    std::string before;
    std::string after;
    std::optional<std::string> conversion; // what a spreadsheet did, when it looks like one
};

struct RecordChange {
    enum class Kind { Changed, Moved, Added, Removed };
    Kind kind = Kind::Changed;
    std::int64_t number = 0;       // from 1: in the new catalogue; for Removed, in the old
    std::int64_t numberBefore = 0; // Changed, Moved: from 1, in the old catalogue
    bool moved = false;            // Changed: out of its old order
    CatalogueRecord record;        // the new record; for Removed, the old one
    std::vector<FieldChange> fields;
};

struct DiffSummary {
    std::int64_t oldRecords = 0;
    std::int64_t newRecords = 0;
    std::int64_t changed = 0;
    std::int64_t moved = 0; // moved and not changed
    std::int64_t added = 0;
    std::int64_t removed = 0;
    std::int64_t conversions = 0; // fields that look like a spreadsheet's conversion
    bool identical() const { return changed + moved + added + removed == 0; }
};

// Hands each change to `report`, in the new catalogue's order (a removed record where it stood). A failure
// names the catalogue that cannot be read and where.
Result<DiffSummary> compareCatalogues(const CatalogueSource& before, const CatalogueSource& after,
                                      const std::function<void(const RecordChange&)>& report);

} // namespace specialty
