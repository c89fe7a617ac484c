// The picture and description files of the part codes a catalogue uses, and the files no record uses.
//
// Each code's files are checked at its first use, so findings come in line order. The codes seen are kept
// whole (a hash only finds them), so two codes never stand for each other; the set stops growing at
// kMostTableBytes, and codes first used after that are not checked (one finding says so).
#pragma once

#include "tools/check/catalogue_check.h"
#include "tools/check/finding_stream.h"
#include "tools/check/part_listing.h"
#include "tools/check/string_set.h"
#include "tools/folder_bounds.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace specialty {

class PartFiles {
  public:
    static constexpr std::size_t kMostTableBytes = 8 * 1024 * 1024;

    PartFiles(std::string dataFolder, PictureCheck showsWhole, FindingStream& out);

    // One use of a code, as use() takes it.
    struct Use {
        std::string_view code;
        std::int64_t position;
        std::uint64_t line;
        const Failure* mark;
    };

    // A part code used by the record at `position`, on catalogue line `line`: its files are checked the
    // first time. `mark`, when not null, begins its findings (see marked()). Most uses are of a code seen
    // before, and cost one look.
    void use(std::string_view code, std::int64_t position, std::uint64_t line, const Failure* mark) {
        if (full_) return;
        std::uint64_t unused = 0;
        const StringSet::Added added = codes_.add(code, unused);
        if (added != StringSet::Added::Present)
            firstUse(added == StringSet::Added::New, {code, position, line, mark});
    }

    // Adds a finding for every part file that no record uses.
    void findUnused();

  private:
    // A code not seen before: `added` when the set took it, otherwise the set is full.
    void firstUse(bool added, const Use& use);
    void check(const Use& use);
    // The code's files when the listing holds a name of either in some letter case.
    void checkListed(const Use& use, PartListing::Range named, std::string pictureName,
                     std::string descriptionName);
    void report(const Use& use, Failure&& found);

    std::string folder_;
    FolderBounds inside_{folder_};
    PictureCheck showsWhole_;
    FindingStream& out_;
    // The folder's files, listed once. A folder that can be searched but not listed has no names: each file
    // is then asked for.
    PartListing listing_;
    StringSet codes_{kMostTableBytes};
    bool full_ = false;
};

} // namespace specialty
