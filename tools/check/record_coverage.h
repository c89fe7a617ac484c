// Which years of a vehicle earlier records already answer: first match wins, so a record whose every year
// an earlier record with the same names covers is never shown.
//
// Records are judged as they are read. A hash of a vehicle's names only picks the candidates: whether two
// records name the same vehicle is decided by their names' bytes, re-read from the catalogue at the offsets
// kept for the vehicle's first record (or, for names whose layout those offsets cannot describe, kept in
// full); once re-read, a vehicle's names are kept as read while they fit (see kMostAsReadBytes), so that a
// vehicle listed many times is read again once. A vehicle costs 24 bytes and 5 to 8 bytes of slots in the
// table (at most about two million fit); a vehicle listed again with years its first record lacks keeps its
// runs of years in a shared pool (16 bytes a run), and only a vehicle of more than kMostListedRuns runs moves
// to ordered maps, so that a record is judged with a bounded look. All of it stays within kMostBytes;
// vehicles first seen after that are not judged (full() tells, and check says so once).
#pragma once

#include "catalogue/catalogue_record.h"
#include "catalogue/failure.h"
#include "tools/check/chunked_pool.h"
#include "tools/check/failure_links.h"
#include "tools/check/vehicle_names.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace specialty {

class RecordCoverage {
  public:
    static constexpr std::size_t kMostBytes = 30 * 1024 * 1024;
    static constexpr int kMostListedRuns = 64;
    // Names of vehicles listed again kept as read, besides kMostBytes: about 12,000 vehicles, so that check
    // stays within 64 MB when the vehicle table is full as well. More are kept in the room kMostBytes leaves,
    // and given back (their names read from the catalogue again) when the table needs that room.
    static constexpr std::size_t kMostAsReadBytes = 512 * 1024;

    // `catalogue` is the file the offsets given to add() point into; `mostBytes` is kMostBytes but in tests.
    explicit RecordCoverage(std::string catalogue = {}, std::size_t mostBytes = kMostBytes);
    ~RecordCoverage();
    RecordCoverage(const RecordCoverage&) = delete;
    RecordCoverage& operator=(const RecordCoverage&) = delete;

    // Where a record's Make, Model and Submodel begin in the catalogue; unknown (nullptr) keeps the names.
    struct NameOffsets {
        std::uint64_t make, model, submodel;
    };
    // Adds a record's years (from <= to) on catalogue line `line`; its names are read as the viewer reads
    // them ("*" rule included) and must fit their selection columns. Returns the finding when every one of
    // them already finds an earlier record (a CheckNeverShown).
    std::optional<Failure> add(const RawRecord& record, int from, int to, std::int64_t position,
                               std::uint64_t line = 0, const NameOffsets* offsets = nullptr) {
        return add(VehicleKey(record), record, from, to, position, line, offsets);
    }
    // The same, with the key of the record's names made already.
    std::optional<Failure> add(const VehicleKey& key, const RawRecord& record, int from, int to,
                               std::int64_t position, std::uint64_t line, const NameOffsets* offsets);

    // True once vehicles first seen have stopped being judged, for lack of room.
    bool full() const { return full_; }

    // How many runs of years add() stepped over: it stays within a small multiple of the records,
    // whatever their years.
    std::uint64_t yearRunsVisited() const { return visited_; }

    struct Earlier {
        std::uint32_t position;
        std::uint32_t line;
    };

  private:
    struct Vehicle {
        std::uint32_t tag;      // 31 bits of the names' hash, and kListedAgain once a second record names it
        std::uint32_t namesLow; // where the names are: see locate()
        std::uint32_t namesHigh;
        std::int16_t from, to; // the first record's years, its position and line, until it is listed again:
        std::uint32_t first;   // its first record is then the first of its runs, and `first` says where
        std::uint32_t line;    // they are (see runsOf())
    };
    struct Run { // a run of years whose first match is one record; runs of a vehicle are in year order
        std::int16_t first, last;
        std::uint32_t position;
        std::uint32_t line;
        std::uint32_t next;
    };
    struct Heavy;
    static constexpr std::uint32_t kNoRuns = 0xFFFFFFFFu;
    static constexpr std::uint32_t kHeavy = 0x80000000u;
    static constexpr std::uint32_t kListedAgain = 0x80000000u;
    // Of a vehicle listed again: the first run in runs_, or kHeavy | index in heavy_.
    static std::uint32_t& runsOf(Vehicle& v) { return v.first; }

    std::string canonical(const RawRecord& record) const;
    void remember(std::uint32_t vehicle, const VehicleKey& key, const std::string& names);
    bool sameNames(std::uint32_t vehicle, const VehicleKey& key, const RawRecord& record, std::string& names);
    void keepAsRead(std::uint32_t vehicle, const RawRecord& record);
    // `names` is made when they must be kept here.
    bool locate(const RawRecord& record, const NameOffsets* offsets, std::string& names, Vehicle& v);
    std::uint32_t* findSlot(const VehicleKey& key, const RawRecord& record, std::string& names, bool& found);
    bool grow();
    std::size_t bytes() const;
    // True when `more` bytes fit within mostBytes_, once the names kept as read beyond kMostAsReadBytes are
    // given back if they must be.
    bool within(std::size_t more);
    bool giveBackAsRead();
    // True when the pool can take one more entry (and the block it may need) within kMostBytes.
    template <typename Pool>
    bool roomFor(const Pool& pool) {
        return pool.bytes() > pool.size() * pool.entryBytes() || within(pool.blockBytes());
    }
    // Adds [from, to] to a vehicle listed again; true when earlier records answer all of it, which are
    // then in earlier_.
    bool cover(Vehicle& v, int from, int to, std::int64_t position, std::uint64_t line, bool& more);
    bool coverListed(Vehicle& v, int from, int to, std::int64_t position, std::uint64_t line, bool& more);

    std::string catalogue_;
    std::size_t mostBytes_;
    int fd_ = -1;
    // 0 free, otherwise 11 bits of the vehicle's tag over its index + 1 (the low 21 bits). A vehicle's look
    // starts at the slot its tag scales to, and the table grows by half, so that it is never more than
    // three quarters full nor, once grown, less than half.
    static constexpr std::uint32_t kIndexMask = (1u << 21) - 1;
    static std::uint32_t slotBits(std::uint32_t tag) { return tag << 21; }
    static std::size_t homeSlot(std::uint32_t tag, std::size_t size) {
        return (std::uint64_t(tag) * size) >> 31;
    }
    std::vector<std::uint32_t> slots_;
    std::size_t used_ = 0;
    ChunkedPool<Vehicle> vehicles_;
    ChunkedPool<Run> runs_;
    std::vector<Heavy> heavy_;
    std::size_t heavyRuns_ = 0;
    std::string kept_; // names kept in full: a length byte and the bytes of each of the three
    // Names kept as read, each after the vehicle's index and where its names are in the catalogue, and then
    // in the same form as kept_; beyond kMostAsReadBytes they count within kMostBytes, until given back.
    std::string raw_;
    bool rawGivenBack_ = false;           // once given back, they stay within kMostAsReadBytes
    std::uint32_t lastVehicle_ = kNoRuns; // the vehicle last named, its record's names and their form
    std::optional<VehicleKey> lastKey_;
    std::string lastNames_;
    bool full_ = false;
    std::uint64_t visited_ = 0;
    // Room reused from record to record: the years a record adds, and the earlier records that answer it.
    std::vector<std::pair<int, int>> gaps_;
    std::vector<Earlier> earlier_;
    FailureLinks links_; // of the chains of earlier records its findings name
};

} // namespace specialty
