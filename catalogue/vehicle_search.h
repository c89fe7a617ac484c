// The catalogue's two entry points: the first record that fits a vehicle selection, and the record at a
// position of the file. Each opens the catalogue, reads from its first record to the one that ends the
// search, and closes it before it returns, on every path.
#pragma once

#include "catalogue_record.h"
#include "result.h"
#include "simd_kernel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace specialty {

// A record a lookup found, and its 0-based position in the file.
struct FoundRecord {
    CatalogueRecord record;
    std::int64_t position = 0;
    // The record's SpareField, which the viewer never shows, is longer than the reader keeps: the record
    // holds only its first bytes.
    bool spareFieldCut = false;

    bool operator==(const FoundRecord& other) const {
        return position == other.position && record == other.record && spareFieldCut == other.spareFieldCut;
    }
    bool operator!=(const FoundRecord& other) const { return !(*this == other); }
};

// A lookup's result: the record found, or none (the lookup went well but no record fits), or the failure
// that stopped it.
using Lookup = Result<std::optional<FoundRecord>>;

// The first record of the catalogue in `dataFolder` (a path ending in "/") that fits `selection`, an
// 80-column vehicle selection in code-page text. The host's text "-1" asks for the first record of the
// file instead, whatever its names.
Lookup findVehicle(std::string_view selection, const std::string& dataFolder);

// The record at `position` (from 0), unless the end record or the end of the file comes first.
Lookup recordAt(std::int64_t position, const std::string& dataFolder);

// The same over catalogue bytes in memory, read through a buffer of `chunkBytes` by the given kernel, for
// tests and fuzzing; `catalogueName` names the bytes in failures.
Lookup findVehicleInBytes(std::string_view selection, std::string_view bytes,
                          const std::string& catalogueName, std::size_t chunkBytes,
                          SimdKernel kernel = SimdKernel::Best);
Lookup recordAtInBytes(std::int64_t position, std::string_view bytes, const std::string& catalogueName,
                       std::size_t chunkBytes, SimdKernel kernel = SimdKernel::Best);

} // namespace specialty
