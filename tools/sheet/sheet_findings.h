// check's findings as a review sheet shows them, kept in a temporary file rather than in memory: a
// catalogue can have millions of them. They are read back in order; the pages that show them by record
// or by part get them through sorted spills.
#pragma once

#include "catalogue/failure.h"
#include "tools/check/findings.h"
#include "tools/sheet/spill_sort.h"
#include "tools/sheet/temporary_file.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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

// A finding as bytes, and back; false for bytes that are not one.
std::string findingBytes(const SheetFinding& finding);
bool readFinding(std::string_view bytes, SheetFinding& finding);

class SheetFindings {
  public:
    SheetFindings();
    // Adds `finding` after those added before.
    void add(const SheetFinding& finding);
    std::uint64_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Sets the part of the findings `parts` names (entries of partEntry(), in order of the findings), and
    // hands each finding, so completed, to `each` in order.
    void attachParts(SpillSort& parts, const std::function<void(std::uint32_t, const SheetFinding&)>& each);
    static std::string partEntry(std::uint32_t finding, std::uint32_t part);
    // Reads the findings again from the first: next() gives them in order, false past the last or once the
    // file fails, which failure() then tells.
    void rewind() const;
    bool next(SheetFinding& finding) const;
    // Why the findings could not be kept or read back; none while they can.
    const std::optional<Failure>& failure() const { return failure_; }

  private:
    void fail() const;
    bool nextBytes(std::string& bytes) const;

    TemporaryStream file_;
    std::uint64_t count_ = 0;
    mutable std::uint64_t read_ = 0; // findings read since rewind()
    mutable bool writing_ = true;    // the file is positioned at its end
    mutable std::optional<Failure> failure_;
};

} // namespace specialty
