// A part's description file: list items, each shown on a line of its own.
#pragma once

#include "regular_file.h"
#include "result.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace specialty {

struct Description {
    // Code-page text: every item followed by a line feed and then a carriage return (in that order).
    std::string caption;
    // The file held more than is kept; `caption` then ends with kDescriptionCutNote and its pair.
    bool cut = false;
};

// How much description text is kept: a megabyte, hundreds of pages, which the zoom view scrolls through.
// Beyond it reading stops, so that a file of any size costs no more memory or time.
constexpr std::size_t kMaxDescriptionBytes = 1024 * 1024;
constexpr std::string_view kItemEnd = "\n\r";
constexpr std::string_view kDescriptionCutNote =
    "[The description is longer than 1 MB; only its beginning is shown.]";

// Reads the description file at `path`: a failure when it is missing, not an ordinary file, or cannot be
// opened or read (the viewer then shows no description, as for a missing one).
Result<Description> readDescription(const std::string& path, std::size_t maxBytes = kMaxDescriptionBytes);
// The same from a description file already open.
Result<Description> readDescription(RegularFile file, std::size_t maxBytes = kMaxDescriptionBytes);

// The same for bytes in memory; the reader's failure, should it have one, comes back with its reason.
Result<Description> readDescriptionBytes(std::string_view bytes, std::size_t maxBytes = kMaxDescriptionBytes,
                                         std::size_t chunkBytes = 4096);

} // namespace specialty
