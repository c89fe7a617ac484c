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
// `fullLastRecord` the last record lists all sixteen parts, ZZ01 to ZZ16. With `listings` above 1 each
// vehicle is listed that many times, in records that follow each other, each with years of its own.
long long writeSyntheticCatalogue(const std::string& path, long long records, bool fullLastRecord = false,
                                  int listings = 1);

// Makes `folder` a data folder holding the catalogue of `records` records, unless an earlier run left it
// there (the generator is deterministic). Returns the catalogue's size in bytes.
long long prepareSyntheticFolder(const std::string& folder, long long records, int listings = 1);

// A catalogue whose records after the first `distinct` list those vehicles again, in the same order and
// with the same years, so that every one of them is never shown: `records - distinct` findings for check,
// each about a vehicle first seen long before. Written into `folder` unless an earlier run left it there.
long long prepareRepeatingFolder(const std::string& folder, long long records, long long distinct);

} // namespace specialty::bench
