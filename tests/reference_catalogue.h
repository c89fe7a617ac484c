// A plain, byte-at-a-time reading of the list syntax and the search over a whole text in memory.
//
// It is deliberately simple: no buffers, no views, no cleverness. The real reader streams and scans many
// bytes at a time; the tests and fuzz targets check that both always agree. It has its own name test, year
// conversion and "*" rule, written from the rules rather than shared, so that a fault in the real ones shows.
#pragma once

#include "catalogue/vehicle_search.h"

#include <string>
#include <string_view>
#include <vector>

namespace specialty::reference {

struct Item {
    std::string text;
    bool truncated = false;
    std::size_t offset = 0; // where the item's text begins in the bytes

    bool operator==(const Item& other) const {
        return text == other.text && truncated == other.truncated && offset == other.offset;
    }
};

std::vector<Item> items(std::string_view bytes, std::size_t maxItem);

// The lookups' outcome and record; failures are not compared, only that the lookup failed. The host's
// marker "-1" given to findVehicle asks for the record at position 0.
Lookup findVehicle(std::string_view bytes, std::string_view selection, std::size_t maxItem);
Lookup recordAt(std::string_view bytes, std::int64_t position, std::size_t maxItem);

// The description caption: each item followed by LF CR, cut at maxBytes with the note.
std::string descriptionCaption(std::string_view bytes, std::size_t maxBytes);

} // namespace specialty::reference
