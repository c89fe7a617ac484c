// The picture and description files of the part codes a catalogue uses, and the files no record uses.
//
// Each code's files are checked at its first use, so findings come in line order. The codes seen are kept
// whole (a hash only finds them), so two codes never stand for each other; the set stops growing at
// kMostTableBytes, and codes first used after that are not checked (one finding says so).
#pragma once

#include "tools/check/catalogue_check.h"
#include "tools/check/finding_stream.h"
#include "tools/check/string_set.h"
#include "tools/folder_bounds.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace specialty {

class PartFiles {
  public:
    static constexpr std::size_t kMostTableBytes = 8 * 1024 * 1024;

    PartFiles(std::string dataFolder, PictureCheck showsWhole, FindingStream& out);

    // A part code used by the record at `position`, on catalogue line `line`: its files are checked the
    // first time. `mark`, when not null, begins its findings (see marked()).
    void use(std::string_view code, std::int64_t position, std::uint64_t line, const Failure* mark);

    // Adds a finding for every part file that no record uses.
    void findUnused();

  private:
    void check(const std::string& code, std::int64_t position, std::uint64_t line, const Failure* mark);
    // The names of the folder's files, keyed by their letters folded to one case.
    // A folder that can be searched but not listed leaves `unlisted_` set: each file is then asked for.
    std::unordered_multimap<std::string, std::string> namesByFoldedCase();

    std::string folder_;
    FolderBounds inside_{folder_};
    PictureCheck showsWhole_;
    FindingStream& out_;
    std::string unlisted_; // why the folder could not be listed (the system's words); empty when it was
    std::unordered_multimap<std::string, std::string> names_; // the folder's files, listed once
    StringSet codes_{kMostTableBytes};
    bool full_ = false;
};

} // namespace specialty
