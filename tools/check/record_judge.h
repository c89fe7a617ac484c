// Judges a catalogue's records one at a time: the faults a record shows on its own (encoding, names that no
// selection finds, years), and those it shows against the records before it (a vehicle never shown, a
// VehicleId used again) and against the data folder (its part codes' files).
#pragma once

#include "catalogue/catalogue_record.h"
#include "catalogue/failure.h"
#include "tools/check/catalogue_check.h"
#include "tools/check/check_fault.h"
#include "tools/check/finding_stream.h"
#include "tools/check/part_files.h"
#include "tools/check/record_coverage.h"
#include "tools/check/string_set.h"
#include "tools/check/vehicle_names.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace specialty {

// A fault of the record at `position` as a whole.
Failure recordFault(CheckFault fault, std::int64_t position);

// True when a byte of `text` is not ASCII: only such text can be UTF-8 other than ASCII.
bool hasHighBytes(std::string_view text);

// One record to judge, as read.
struct JudgedRecord {
    const RawRecord& raw;
    std::int64_t position;
    const std::uint64_t* fieldLine; // the catalogue line of each field
    bool mayHoldUtf8;               // a byte of a field is not ASCII
    RecordCoverage::NameOffsets names;
};

class RecordJudge {
  public:
    RecordJudge(const std::string& dataFolder, const PictureCheck& showsWhole, FindingStream& out,
                const std::string& catalogue);

    // Judges one record. `mark`, when not null, begins every finding about it (a record judged as its line
    // reads, after a shift).
    void judge(const JudgedRecord& record, const Failure* mark);
    // Adds a finding for every part file that no record judged uses.
    void findUnusedParts() { parts_.findUnused(); }

  private:
    void report(Finding::Level level, std::uint64_t line, Failure&& what);
    void judgeEncoding(const JudgedRecord& record);
    // True when a selection can find the record.
    bool judgeNames(const JudgedRecord& record, const VehicleKey& key);
    void judgeYears(const JudgedRecord& record, const VehicleKey& key, bool findable);
    void judgeCoverage(const JudgedRecord& record, const VehicleKey& key, int from, int to);
    void judgeVehicleId(const JudgedRecord& record);
    void useParts(const JudgedRecord& record);

    FindingStream& out_;
    const Failure* mark_ = nullptr;
    RecordCoverage coverage_;
    bool coverageFull_ = false;
    StringSet vehicleIds_; // each with the record and line that first used it
    bool vehicleIdsFull_ = false;
    PartFiles parts_;
};

} // namespace specialty
