#include "tools/check/record_coverage.h"
#include "tools/check/check_fault.h"
#include "tools/check/failure_links.h"

#include "tools/check/vehicle_names.h"

#include "catalogue/failure.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <unistd.h>

namespace specialty {

namespace {

// At most this many of the earlier records that shadow a record are named.
constexpr std::size_t kEarlierNamed = 5;

// The earlier records, in file order and each once, as the chain CheckNeverShown names: the first
// kEarlierNamed, then how many more there are; `more` when there are earlier records besides `earlier` that
// were not counted. Its links come from `links`, head first.
std::shared_ptr<const Failure> earlierChain(std::vector<RecordCoverage::Earlier>& earlier, bool more,
                                            FailureLinks& links) {
    std::sort(earlier.begin(), earlier.end(),
              [](const auto& a, const auto& b) { return a.position < b.position; });
    earlier.erase(std::unique(earlier.begin(), earlier.end(),
                              [](const auto& a, const auto& b) { return a.position == b.position; }),
                  earlier.end());
    const std::size_t shown = std::min(earlier.size(), kEarlierNamed);
    std::shared_ptr<const Failure> chain;
    std::shared_ptr<const Failure>* end = &chain; // where the next link hangs
    for (std::size_t i = 0; i < shown; ++i) {
        std::shared_ptr<Failure> link = links.take(CheckFault::EarlierRecord);
        link->record = earlier[i].position;
        link->line = earlier[i].line;
        *end = link;
        end = &link->cause;
    }
    if (more || shown == 0) { // `earlier` is never empty
        *end = links.take(CheckFault::EarlierOthers);
    } else if (shown < earlier.size()) {
        std::shared_ptr<Failure> rest = links.take(CheckFault::EarlierMore);
        rest->count = static_cast<std::int64_t>(earlier.size() - shown);
        *end = std::move(rest);
    }
    return chain;
}

// At most this many runs are looked at to name the records that shadow another, so that a record over
// many runs costs no more than one over a few.
constexpr std::size_t kRunsNamed = 64;

// What a run in ordered maps costs: two nodes.
constexpr std::size_t kHeavyRunBytes = 2 * 64;

} // namespace

struct RecordCoverage::Heavy {
    std::map<int, int> covered; // disjoint spans of covered years: first -> last
    std::map<int, Run> firsts;  // runs of years, keyed by their first, with the record found
};

RecordCoverage::RecordCoverage(std::string catalogue, std::size_t mostBytes)
    : catalogue_(std::move(catalogue)), mostBytes_(mostBytes) {
    if (!catalogue_.empty()) fd_ = ::open(catalogue_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

RecordCoverage::~RecordCoverage() {
    if (fd_ >= 0) ::close(fd_);
}

std::string RecordCoverage::canonical(const RawRecord& record) const {
    return canonicalNames(record[kMake], record[kModel], record[kSubmodel]);
}

std::size_t RecordCoverage::bytes() const {
    return slots_.size() * sizeof(std::uint32_t) + vehicles_.bytes() + runs_.bytes() + kept_.capacity() +
           heavyRuns_ * kHeavyRunBytes + heavy_.capacity() * sizeof(Heavy) +
           (raw_.capacity() > kMostAsReadBytes ? raw_.capacity() - kMostAsReadBytes : 0);
}

bool RecordCoverage::within(std::size_t more) {
    return bytes() + more <= mostBytes_ || (giveBackAsRead() && bytes() + more <= mostBytes_);
}

bool RecordCoverage::grow() {
    const std::size_t size = slots_.empty() ? 1024 : slots_.size() + slots_.size() / 2;
    if (!within(size * sizeof(std::uint32_t))) return false;
    std::vector<std::uint32_t> slots(size, 0);
    for (std::uint32_t s : slots_) {
        if (s == 0) continue;
        std::size_t i = homeSlot(vehicles_[(s & kIndexMask) - 1].tag & ~kListedAgain, size);
        while (slots[i] != 0)
            i = i + 1 == size ? 0 : i + 1;
        slots[i] = s;
    }
    slots_.swap(slots);
    return true;
}

// The slot of the vehicle named as `record` names it, or the free slot where it would go (`found` false).
// Null when it is not there and the table has no room left.
std::uint32_t* RecordCoverage::findSlot(const VehicleKey& key, const RawRecord& record, std::string& names,
                                        bool& found) {
    found = false;
    // The table grows before it is three quarters full; when it cannot, no vehicle is added (null), so
    // that looks along it stay short, but those there are still found.
    const bool room = (used_ + 1) * 4 <= slots_.size() * 3 || grow();
    if (slots_.empty()) return nullptr;
    const std::uint32_t tag = static_cast<std::uint32_t>(key.hash() >> 33);
    const std::size_t size = slots_.size();
    for (std::size_t i = homeSlot(tag, size);; i = i + 1 == size ? 0 : i + 1) {
        const std::uint32_t s = slots_[i];
        if (s == 0) return room ? &slots_[i] : nullptr;
        if (((s ^ slotBits(tag)) & ~kIndexMask) != 0) continue; // the slot's own bits of the tag differ
        const std::uint32_t index = (s & kIndexMask) - 1;
        if ((vehicles_[index].tag & ~kListedAgain) != tag) continue;
        if (sameNames(index, key, record, names)) {
            found = true;
            return &slots_[i];
        }
    }
}

bool RecordCoverage::coverListed(Vehicle& v, int from, int to, std::int64_t position, std::uint64_t line,
                                 bool& more) {
    std::vector<std::pair<int, int>>& gaps = gaps_;
    std::vector<Earlier>& earlier = earlier_;
    gaps.clear();
    earlier.clear();
    int next = from; // the first year not yet accounted for
    int runs = 0;
    for (std::uint32_t r = runsOf(v); r != kNoRuns; r = runs_[r].next, ++runs, ++visited_) {
        const Run& run = runs_[r];
        if (run.first > to) break;
        if (run.last < from) continue;
        if (run.first > next) gaps.emplace_back(next, run.first - 1);
        next = std::max(next, run.last + 1);
        earlier.push_back({run.position, run.line});
    }
    if (next <= to) gaps.emplace_back(next, to);
    if (gaps.empty()) {
        more = false;
        return true;
    }
    if (!roomFor(runs_)) {
        full_ = true; // no room to remember these years: later records of the vehicle may pass
        return false;
    }
    // Insert the gaps as runs of this record, in year order.
    std::uint32_t* link = &runsOf(v);
    for (const auto& [first, last] : gaps) {
        while (*link != kNoRuns && runs_[*link].first < first)
            link = &runs_[*link].next;
        const Run added{static_cast<std::int16_t>(first), static_cast<std::int16_t>(last),
                        static_cast<std::uint32_t>(position), static_cast<std::uint32_t>(line), *link};
        *link = static_cast<std::uint32_t>(runs_.push(added));
        link = &runs_[*link].next;
    }
    if (runs + static_cast<int>(gaps.size()) > kMostListedRuns) { // too many to walk: ordered maps from now
        Heavy heavy;
        for (std::uint32_t r = runsOf(v); r != kNoRuns; r = runs_[r].next) {
            const Run& run = runs_[r];
            heavy.firsts.emplace(run.first, run);
            auto span = heavy.covered.end();
            if (!heavy.covered.empty() && std::prev(span)->second + 1 == run.first)
                std::prev(span)->second = run.last;
            else
                heavy.covered.emplace(run.first, run.last);
            ++heavyRuns_;
        }
        heavy_.push_back(std::move(heavy));
        runsOf(v) = kHeavy | static_cast<std::uint32_t>(heavy_.size() - 1);
    }
    return false;
}

// Adds [from, to] to a vehicle listed again. Returns the earlier records that together answer all of its
// years (`more` set when there are others beyond them), or nothing when some year still finds it.
//
// In ordered maps the covered years are kept twice: merged into disjoint spans, to find the gaps a record
// fills at a cost that the merging pays back, and as runs of years with the record each finds first, to
// name them.
bool RecordCoverage::cover(Vehicle& v, int from, int to, std::int64_t position, std::uint64_t line,
                           bool& more) {
    if ((runsOf(v) & kHeavy) == 0) return coverListed(v, from, to, position, line, more);
    Heavy& h = heavy_[runsOf(v) & ~kHeavy];
    std::vector<std::pair<int, int>>& gaps = gaps_;
    gaps.clear();
    int next = from;
    auto span = h.covered.upper_bound(from);
    if (span != h.covered.begin() && std::prev(span)->second >= from) --span;
    for (; span != h.covered.end() && span->first <= to && next <= to; ++span, ++visited_) {
        if (span->first > next) gaps.emplace_back(next, span->first - 1);
        next = std::max(next, span->second + 1);
    }
    if (next <= to) gaps.emplace_back(next, to);
    if (!gaps.empty()) {
        if (!within(gaps.size() * kHeavyRunBytes)) {
            full_ = true; // no room to remember these years: later records of the vehicle may pass
            return false;
        }
        for (const auto& [first, last] : gaps) {
            h.firsts.emplace(first, Run{static_cast<std::int16_t>(first), static_cast<std::int16_t>(last),
                                        static_cast<std::uint32_t>(position),
                                        static_cast<std::uint32_t>(line), kNoRuns});
            ++heavyRuns_;
        }
        int low = from, high = to;
        auto touching = h.covered.upper_bound(from);
        if (touching != h.covered.begin() && std::prev(touching)->second >= from - 1) --touching;
        while (touching != h.covered.end() && touching->first <= to + 1) {
            low = std::min(low, touching->first);
            high = std::max(high, touching->second);
            touching = h.covered.erase(touching);
            ++visited_;
        }
        h.covered.emplace(low, high);
        return false;
    }
    std::vector<Earlier>& earlier = earlier_;
    earlier.clear();
    auto run = h.firsts.upper_bound(from);
    if (run != h.firsts.begin() && std::prev(run)->second.last >= from) --run;
    std::size_t looked = 0;
    for (; run != h.firsts.end() && run->first <= to; ++run, ++visited_) {
        if (++looked > kRunsNamed) {
            more = true;
            break;
        }
        earlier.push_back({run->second.position, run->second.line});
    }
    return true;
}

std::optional<Failure> RecordCoverage::add(const VehicleKey& key, const RawRecord& record, int from, int to,
                                           std::int64_t position, std::uint64_t line,
                                           const NameOffsets* offsets) {
    const std::uint64_t hash = key.hash();
    std::string names; // made only when a candidate's bytes must be compared
    bool found = false;
    std::uint32_t* slot = findSlot(key, record, names, found);
    const std::uint32_t line32 = static_cast<std::uint32_t>(std::min<std::uint64_t>(line, UINT32_MAX));
    if (!found) {
        if (full_ || !slot || !roomFor(vehicles_) || vehicles_.size() + 1 >= kIndexMask) {
            full_ = true; // a vehicle first seen with no room left to judge it
            return std::nullopt;
        }
        Vehicle v{static_cast<std::uint32_t>(hash >> 33),
                  0,
                  0,
                  static_cast<std::int16_t>(from),
                  static_cast<std::int16_t>(to),
                  static_cast<std::uint32_t>(position),
                  line32};
        if (!locate(record, offsets, names, v)) {
            full_ = true;
            return std::nullopt;
        }
        const std::uint32_t index = static_cast<std::uint32_t>(vehicles_.push(v));
        *slot = slotBits(v.tag) | (index + 1);
        ++used_;
        remember(index, key, names); // the next record may well name it again
        return std::nullopt;         // the vehicle's first record
    }
    Vehicle& v = vehicles_[(*slot & kIndexMask) - 1];
    bool more = false;
    const bool listed = (v.tag & kListedAgain) != 0;
    if (!listed && v.from <= from && to <= v.to) { // its first record answers every year: it stays alone
        earlier_.assign(1, Earlier{v.first, v.line});
    } else {
        if (!listed) { // its first record becomes its first run
            if (!roomFor(runs_)) {
                full_ = true;
                return std::nullopt;
            }
            const std::size_t run = runs_.push(Run{v.from, v.to, v.first, v.line, kNoRuns});
            runsOf(v) = static_cast<std::uint32_t>(run);
            v.tag |= kListedAgain;
        }
        if (!cover(v, from, to, position, line, more) || earlier_.empty()) return std::nullopt;
    }
    std::optional<Failure> shadowed(std::in_place, CheckFault::NeverShown); // made in place: no moves
    shadowed->record = position;
    shadowed->value.assign(record[kVehicleId]);
    shadowed->count = from;
    shadowed->limit = to;
    shadowed->cause = earlierChain(earlier_, more, links_);
    return shadowed;
}

} // namespace specialty
