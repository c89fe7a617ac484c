// Deterministic synthetic catalogues for benchmarks: realistic field lengths, quoted names, about a third of
// the part codes filled, some "*" in models, CR LF line ends, each vehicle listed once. The last record
// before the end record is the only one of its make, so a search for it reads the whole file.
#pragma once

#include <string>

namespace specialty::bench {

// The selection that matches only the last record, and one that matches nothing.
std::string lastRecordSelection();
std::string missingSelection();

// Writes `records` records and the end record to `path`. Returns the file's size in bytes. With
// `fullLastRecord` the last record lists all sixteen parts, ZZ01 to ZZ16.
long long writeSyntheticCatalogue(const std::string& path, long long records, bool fullLastRecord = false);

} // namespace specialty::bench
