// The data folder's file names, listed once, found by the part code whose picture or description file each
// would be in some letter case: one look tells of both files of a code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace specialty {

class PartListing {
  public:
    enum class Kind : std::uint8_t { Picture, Description, Other };
    struct Name {
        std::string code; // the name's letters folded to one case, less the suffix of its kind
        Kind kind;
        std::string name; // as the folder lists it
    };

    using Range = std::pair<const Name*, const Name*>;

    // The names a listing keeps take at most this much memory; a folder of more is not listed.
    static constexpr std::size_t kMostBytes = 8 * 1024 * 1024;

    explicit PartListing(const std::string& folder);

    // Whether the folder's names are all here: otherwise there are none, and each file is asked for.
    bool complete() const { return unlisted_.empty() && !tooLarge_; }
    // Why the folder could not be listed (the system's words), with no names; empty when it was.
    const std::string& unlisted() const { return unlisted_; }
    // The folder holds more names than the listing keeps; there are none.
    bool tooLarge() const { return tooLarge_; }
    // The names, by code, kind and name.
    const std::vector<Name>& names() const { return names_; }
    // The names of code `folded` (see folded()), by kind and name.
    Range named(std::string_view folded) const;

    // A part code's letters folded to one case, as its files' names are found: `shown` is the code as the
    // file system names it (UTF-8).
    static std::string folded(std::string_view code, std::string_view shown);

  private:
    std::string unlisted_;
    bool tooLarge_ = false;
    std::vector<Name> names_;
};

} // namespace specialty
