// The catalogue's two entry points: the first record that fits a vehicle selection, and the record at a
// position of the file. Each opens the catalogue, reads from its first record to the one that ends the
// search, and closes it before it returns, on every path.
#pragma once

#include "catalogue_record.h"
#include "simd_kernel.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace specialty {

// A lookup's result: the record found, or none, or the reason the lookup failed.
struct SearchResult {
    enum class Outcome { Found, NotFound, Failed };
    Outcome outcome = Outcome::NotFound;
    CatalogueRecord record;    // when Found
    std::int64_t position = 0; // when Found: the record's 0-based position in the file
    std::string reason;        // when Failed: what failed, for the user (UTF-8)

    bool found() const { return outcome == Outcome::Found; }
    bool failed() const { return outcome == Outcome::Failed; }
};

// The first record of the catalogue in `dataFolder` (a path ending in "/") that fits `selection`, an
// 80-column vehicle selection in code-page text. The host's text "-1" asks for the first record of the
// file instead, whatever its names.
SearchResult findVehicle(std::string_view selection, const std::string& dataFolder);

// The record at `position` (from 0), unless the end record or the end of the file comes first.
SearchResult recordAt(std::int64_t position, const std::string& dataFolder);

// The same over catalogue bytes in memory, read through a buffer of `chunkBytes` by the given kernel, for
// tests and fuzzing; `catalogueName` names the bytes in failure reasons.
SearchResult findVehicleInBytes(std::string_view selection, std::string_view bytes,
                                const std::string& catalogueName, std::size_t chunkBytes,
                                SimdKernel kernel = SimdKernel::Best);
SearchResult recordAtInBytes(std::int64_t position, std::string_view bytes, const std::string& catalogueName,
                             std::size_t chunkBytes, SimdKernel kernel = SimdKernel::Best);

} // namespace specialty
