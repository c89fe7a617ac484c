#include "tools/spreadsheet/record_alignment.h"

#include <algorithm>
#include <numeric>

namespace specialty {

namespace {

// How far ahead among the unpaired new records between two kept ones an old record looks for itself.
constexpr std::size_t kPairingReach = 16;

std::vector<std::uint32_t> byId(const IdList& ids) {
    std::vector<std::uint32_t> order(ids.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return ids[a] < ids[b]; });
    return order;
}

// Pairs new records with old ones of the same VehicleId, the k-th with the k-th.
void pairSameIds(const IdList& oldIds, const IdList& newIds, Alignment& a) {
    const std::vector<std::uint32_t> olds = byId(oldIds);
    const std::vector<std::uint32_t> news = byId(newIds);
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < olds.size() && j < news.size()) {
        const std::string_view o = oldIds[olds[i]];
        const std::string_view n = newIds[news[j]];
        if (o < n) {
            ++i;
        } else if (n < o) {
            ++j;
        } else {
            a.oldOfNew[news[j]] = olds[i];
            a.oldPaired[olds[i]] = true;
            ++i;
            ++j;
        }
    }
}

// Pairs the records still unpaired whose VehicleIds have the same loose key, the k-th with the k-th.
void pairByLooseKeys(const IdList& oldIds, const IdList& newIds, const LooseKey& looseKey, Alignment& a) {
    // Keys are sorted by their hashes, and compared whole only where the hashes agree.
    using Keyed = std::pair<std::uint64_t, std::uint32_t>;
    const std::hash<std::string> hash;
    auto keyed = [&](const IdList& ids, auto unpaired) {
        std::vector<Keyed> list;
        for (std::uint32_t i = 0; i < ids.size(); ++i)
            if (unpaired(i))
                if (const std::string key = looseKey(ids[i]); !key.empty()) list.emplace_back(hash(key), i);
        std::sort(list.begin(), list.end());
        return list;
    };
    const std::vector<Keyed> olds = keyed(oldIds, [&](std::uint32_t o) { return !a.oldPaired[o]; });
    if (olds.empty()) return; // nothing to pair with: the new records' keys are not needed
    const std::vector<Keyed> news =
        keyed(newIds, [&](std::uint32_t n) { return a.oldOfNew[n] == kNoRecord; });
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < olds.size() && j < news.size()) {
        if (olds[i].first != news[j].first) {
            olds[i].first < news[j].first ? ++i : ++j;
            continue;
        }
        if (looseKey(oldIds[olds[i].second]) == looseKey(newIds[news[j].second])) {
            a.oldOfNew[news[j].second] = olds[i].second;
            a.oldPaired[olds[i].second] = true;
        }
        ++i;
        ++j;
    }
}

// Marks in place the longest run of pairs whose old records come in the same order as the new ones.
void keepLongestOrder(Alignment& a) {
    std::vector<std::uint32_t> tails;                                // new records ending the runs
    std::vector<std::uint32_t> before(a.oldOfNew.size(), kNoRecord); // the run's previous new record
    for (std::uint32_t n = 0; n < a.oldOfNew.size(); ++n) {
        const std::uint32_t o = a.oldOfNew[n];
        if (o == kNoRecord) continue;
        const auto at =
            std::lower_bound(tails.begin(), tails.end(), o,
                             [&](std::uint32_t tail, std::uint32_t old) { return a.oldOfNew[tail] < old; });
        if (at != tails.begin()) before[n] = *(at - 1);
        if (at == tails.end())
            tails.push_back(n);
        else
            *at = n;
    }
    for (std::uint32_t n = tails.empty() ? kNoRecord : tails.back(); n != kNoRecord; n = before[n])
        a.inPlace[n] = true;
}

// Between two records that stay in place: old and new records left unpaired, paired in order where
// `pairable` allows. An old record looks at the next few new records still unpaired; those paired by
// VehicleId (moved) are passed over once for the whole gap, not once for each old record.
void pairGap(std::uint32_t oldFrom, std::uint32_t oldTo, std::uint32_t newFrom, std::uint32_t newTo,
             const Pairable& pairable, Alignment& a, std::vector<std::uint32_t>& unpaired) {
    unpaired.clear();
    for (std::uint32_t m = newFrom; m < newTo; ++m)
        if (a.oldOfNew[m] == kNoRecord) unpaired.push_back(m);
    std::size_t next = 0;
    for (std::uint32_t o = oldFrom; o < oldTo && next < unpaired.size(); ++o) {
        if (a.oldPaired[o]) continue;
        const std::size_t reach = std::min(unpaired.size(), next + kPairingReach);
        for (std::size_t k = next; k < reach; ++k) {
            const std::uint32_t m = unpaired[k];
            if (pairable(o, m)) {
                a.oldOfNew[m] = o;
                a.oldPaired[o] = true;
                a.inPlace[m] = true;
                next = k + 1;
                break;
            }
        }
    }
}

} // namespace

Alignment alignByIds(const IdList& oldIds, const IdList& newIds, const LooseKey& looseKey) {
    Alignment a;
    a.oldOfNew.assign(newIds.size(), kNoRecord);
    a.inPlace.assign(newIds.size(), false);
    a.oldPaired.assign(oldIds.size(), false);
    pairSameIds(oldIds, newIds, a);
    pairByLooseKeys(oldIds, newIds, looseKey, a);
    keepLongestOrder(a);
    return a;
}

void pairBetweenKept(std::uint32_t oldCount, const Pairable& pairable, Alignment& a) {
    std::uint32_t oldFrom = 0;
    std::uint32_t newFrom = 0;
    const auto newCount = static_cast<std::uint32_t>(a.oldOfNew.size());
    std::vector<std::uint32_t> unpaired;
    for (std::uint32_t n = 0; n <= newCount; ++n) {
        if (n < newCount && !a.inPlace[n]) continue;
        const std::uint32_t oldTo = n < newCount ? a.oldOfNew[n] : oldCount;
        pairGap(oldFrom, oldTo, newFrom, n, pairable, a, unpaired);
        oldFrom = oldTo + 1;
        newFrom = n + 1;
    }
}

Alignment alignRecords(const IdList& oldIds, const IdList& newIds, const LooseKey& looseKey,
                       const Pairable& pairable) {
    Alignment a = alignByIds(oldIds, newIds, looseKey);
    pairBetweenKept(static_cast<std::uint32_t>(oldIds.size()), pairable, a);
    return a;
}

} // namespace specialty
