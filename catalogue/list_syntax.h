// What the catalogue's list syntax takes for a blank: the reader trims it around an unquoted item, so a
// writer puts an item that begins or ends with one in quotes.
#pragma once

namespace specialty {

inline bool isListBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace specialty
