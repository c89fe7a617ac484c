// Checks a catalogue the way its maintainers need: faults the viewer cannot see or does not report.
#pragma once

#include "catalogue/failure.h"
#include "catalogue/messages.h"
#include "catalogue/result.h"
#include "tools/check/findings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace specialty {

struct Finding {
    using Level = FindingLevel;
    Level level;
    std::string file;   // path of the file the finding is about
    std::uint64_t line; // from 1; 0 for the file as a whole
    Failure what;       // the fault found and its details

    std::string message() const { return describe(what); }
};

struct CheckReport {
    std::vector<Finding> findings; // by line, then those about whole files (when collected)
    std::int64_t records = 0;      // records read up to the end record
    int errors = 0;
    int warnings = 0;
    // The catalogue could not be read to its end; the findings made before still count.
    std::optional<Failure> failure;
    // For the summary: "1 line could not be judged ...", when lines of a shift hold no whole record.
    std::optional<Failure> unjudged;
};

// Whether the picture file at a path shows whole, and when not, why ("it is not a picture", "it decodes
// only partly: Premature end of JPEG file").
using PictureCheck = std::function<Status(const std::string& path)>;

using FindingSink = std::function<void(const Finding&)>;

// Checks the catalogue of `dataFolder`, handing each finding to `sink` as soon as it is final: in line
// order, then those about whole files. Memory stays bounded whatever the catalogue holds.
CheckReport checkCatalogue(const std::string& dataFolder, const PictureCheck& showsWhole,
                           const FindingSink& sink);
// The same, with the findings collected in the report.
CheckReport checkCatalogue(const std::string& dataFolder, const PictureCheck& showsWhole);

} // namespace specialty
