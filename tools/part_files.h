// The picture and description files of the part codes a catalogue uses, and the files no record uses.
#pragma once

#include "catalogue_check.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace specialty {

class PartFiles {
  public:
    explicit PartFiles(std::string dataFolder) : folder_(std::move(dataFolder)) {}

    // A part code used by the record at `position`, on catalogue line `line`; the first use is kept.
    void use(const std::string& code, std::int64_t position, std::uint64_t line);

    // Adds a finding for every used code whose files are missing or broken, and for every part file that
    // no record uses. `catalogue` names the catalogue in the findings.
    void check(const PictureProblem& pictureProblem, const std::string& catalogue,
               std::vector<Finding>& out) const;

  private:
    struct Use {
        std::int64_t position;
        std::uint64_t line;
    };
    void findUnused(std::vector<Finding>& out) const;
    // The names of the folder's files, keyed by their letters folded to one case.
    std::unordered_multimap<std::string, std::string> namesByFoldedCase() const;

    std::string folder_;
    std::unordered_map<std::string, Use> used_;
};

} // namespace specialty
