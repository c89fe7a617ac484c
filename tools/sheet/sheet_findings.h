// check's findings as a review sheet shows them, kept in a temporary file rather than in memory: a
// catalogue can have millions of them, and a page needs only its own.
#pragma once

#include "catalogue/failure.h"
#include "tools/check/findings.h"
#include "tools/sheet/spill_sort.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace specialty {

struct SheetFinding {
    FindingLevel level = FindingLevel::Error;
    std::string file;         // path of the file it is about
    std::uint64_t line = 0;   // from 1; 0 for the file as a whole
    std::string message;      // its text (UTF-8)
    std::int64_t record = -1; // index into SheetModel::records of the record it is about, or -1
    std::int64_t part = -1;   // the index of the part whose file it is about, once attached, or -1
    std::string partCode;     // the code of that part, when it is about a part's file (code-page text)
};

class SheetFindings {
  public:
    SheetFindings();
    // Adds `finding` after those added before.
    void add(const SheetFinding& finding);
    std::size_t size() const { return offsets_.size(); }
    bool empty() const { return offsets_.empty(); }
    // Finding `n` of size(); an empty one once the file fails, which failure() then tells.
    SheetFinding at(std::size_t n) const;
    // Sets the part of the findings `parts` names, in their order: entries of partEntry().
    void attachParts(SpillSort& parts);
    static std::string partEntry(std::uint32_t finding, std::uint32_t part);
    // Why the findings could not be kept or read back; none while they can.
    const std::optional<Failure>& failure() const { return failure_; }

  private:
    void fail() const;

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
    std::vector<std::uint64_t> offsets_; // where each finding starts in the file
    std::uint64_t end_ = 0;
    mutable bool writing_ = true; // the file is positioned at its end
    mutable std::optional<Failure> failure_;
};

} // namespace specialty
