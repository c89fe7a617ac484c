// The vehicle search: the first catalogue record that fits a selection, or the record at a position.
#pragma once

#include "catalogue_record.h"
#include "list_reader.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace specialty {

// The catalogue's file name inside the data folder.
constexpr std::string_view kCatalogueName = "specialty.txt";

struct SearchResult {
    enum class Outcome { Found, NotFound, Failed };
    Outcome outcome = Outcome::NotFound;
    CatalogueRecord record;    // when Found
    std::int64_t position = 0; // when Found: the record's 0-based position in the file
    std::string reason;        // when Failed: what failed, for the user (UTF-8)

    bool found() const { return outcome == Outcome::Found; }
    bool failed() const { return outcome == Outcome::Failed; }
};

// Searches the catalogue of `dataFolder` (a path ending in "/"). `selection` is code-page text: an
// 80-column vehicle selection, or "-1" to choose the record whose position is the absolute value of
// `demoIndex`. Reads from the first record to the one that ends the search and closes the file before it
// returns, on every path.
SearchResult searchCatalogue(std::string_view selection, std::int32_t demoIndex,
                             const std::string& dataFolder);

// The same search over catalogue bytes in memory; `catalogueName` names them in failure reasons.
SearchResult searchCatalogueBytes(std::string_view selection, std::int32_t demoIndex, std::string_view bytes,
                                  const std::string& catalogueName, std::size_t chunkBytes,
                                  SimdKernel kernel = SimdKernel::Best);

} // namespace specialty
