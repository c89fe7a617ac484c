// Every record of a catalogue up to its end record, with its number and the line it starts on: what the
// commands that look at the whole catalogue (uses, sheet) read it with.
#pragma once

#include "catalogue/catalogue_record.h"
#include "catalogue/result.h"

#include <cstdint>
#include <functional>
#include <string>

namespace specialty {

struct WalkedRecord {
    std::int64_t number = 0; // from 1, as list and check count records
    std::uint64_t line = 0;  // the line its first field stands on, from 1
    CatalogueRecord record;  // Model and Submodel decoded, as the viewer shows them
};

// Hands each record of the catalogue at `path` to `visit`, in file order, up to the end record or the end
// of the file. A catalogue that cannot be opened or read whole is a failure naming the record and the line
// where reading stopped; the records before it have been handed on.
Status walkCatalogue(const std::string& path, const std::function<void(const WalkedRecord&)>& visit);

} // namespace specialty
