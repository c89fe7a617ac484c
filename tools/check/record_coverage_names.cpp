// The names of RecordCoverage's vehicles: where each is found again (the catalogue, or kept here), and
// whether a record names the same vehicle, decided by their bytes.
#include "tools/check/record_coverage.h"

#include "tools/check/vehicle_names.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace specialty {

namespace {

// Marks names kept in kept_ instead of a place in the catalogue; the low half is then where they begin.
constexpr std::uint64_t kKeptInFull = 1ULL << 63;

// With kKeptInFull: the names are kept in raw_, as the record held them, rather than in kept_.
constexpr std::uint64_t kKeptAsRead = 1ULL << 32;

} // namespace

// Names kept as read beyond kMostAsReadBytes make room for the table: each vehicle's names are found in the
// catalogue again. False when there were none to give back.
bool RecordCoverage::giveBackAsRead() {
    if (raw_.capacity() <= kMostAsReadBytes) return false;
    for (std::size_t at = 0; at < raw_.size();) {
        std::uint32_t index;
        std::uint64_t place;
        std::memcpy(&index, raw_.data() + at, sizeof index);
        std::memcpy(&place, raw_.data() + at + sizeof index, sizeof place);
        vehicles_[index].namesLow = static_cast<std::uint32_t>(place);
        vehicles_[index].namesHigh = static_cast<std::uint32_t>(place >> 32);
        at += sizeof index + sizeof place;
        for (int name = 0; name < 3; ++name)
            at += 1 + static_cast<unsigned char>(raw_[at]);
    }
    std::string().swap(raw_);
    rawGivenBack_ = true;
    return true;
}

void RecordCoverage::remember(std::uint32_t index, const VehicleKey& key, const std::string& names) {
    lastVehicle_ = index;
    lastKey_ = key;
    if (!names.empty() || !lastNames_.empty()) lastNames_ = names;
}

// True when the vehicle's names are the record's, decided by their bytes. `names` is made when needed.
bool RecordCoverage::sameNames(std::uint32_t index, const VehicleKey& key, const RawRecord& record,
                               std::string& names) {
    if (index == lastVehicle_ && key.sameBytes(*lastKey_)) return true; // the usual case: listed again
    const Vehicle& v = vehicles_[index];
    const std::uint64_t place = std::uint64_t(v.namesHigh) << 32 | v.namesLow;
    std::string_view asRead[3];   // the vehicle's names as a record held them, when known
    const auto sameAsRead = [&] { // the same bytes: surely the same vehicle
        return asRead[0] == record[kMake] && asRead[1] == record[kModel] && asRead[2] == record[kSubmodel];
    };
    const bool keptAsRead = (place & kKeptInFull) && (place & kKeptAsRead);
    if (keptAsRead) {
        std::size_t at = static_cast<std::uint32_t>(place);
        for (std::string_view& name : asRead) {
            const std::size_t length = static_cast<unsigned char>(raw_[at]);
            name = std::string_view(raw_).substr(at + 1, length);
            at += 1 + length;
        }
        if (sameAsRead()) {
            remember(index, key, names);
            return true;
        }
    }
    if (index == lastVehicle_ && !lastNames_.empty()) {
        if (names.empty()) names = canonical(record);
        if (names != lastNames_) return false;
        remember(index, key, names);
        return true;
    }
    std::string stored;
    if (place & kKeptInFull) {
        if (keptAsRead) {
            stored = canonicalNames(asRead[0], asRead[1], asRead[2]);
        } else {
            const std::size_t at = static_cast<std::uint32_t>(place);
            std::size_t end = at;
            for (int name = 0; name < 3; ++name)
                end += 1 + static_cast<unsigned char>(kept_[end]);
            stored = kept_.substr(at, end - at);
        }
    } else {
        const UnpackedPlace at = unpackedPlace(place);
        const std::size_t span = at.span();
        char bytes[15 + 31 + 31 + 31 + 31];
        if (fd_ < 0 || ::pread(fd_, bytes, span, static_cast<off_t>(at.make)) != static_cast<ssize_t>(span))
            return false; // the file changed under the check: take them as different vehicles
        const std::string_view all(bytes, span);
        asRead[0] = all.substr(0, at.makeLength);
        asRead[1] = all.substr(at.makeLength + at.gap1, at.modelLength);
        asRead[2] = all.substr(span - at.submodelLength, at.submodelLength);
        if (!sameAsRead()) stored = canonicalNames(asRead[0], asRead[1], asRead[2]);
    }
    if (!stored.empty()) { // not the same bytes: the same names as the viewer reads them?
        if (names.empty()) names = canonical(record);
        if (stored != names) return false;
    }
    if (!(place & kKeptInFull)) keepAsRead(index, record);
    remember(index, key, names);
    return true;
}

// A vehicle listed again, whose names were read again from the catalogue: keeps them here, as the record
// holds them, while there is room, so that its later records cost no reading.
void RecordCoverage::keepAsRead(std::uint32_t index, const RawRecord& record) {
    Vehicle& v = vehicles_[index];
    const std::uint64_t inCatalogue = std::uint64_t(v.namesHigh) << 32 | v.namesLow;
    const std::size_t size = sizeof index + sizeof inCatalogue + 3 + record[kMake].size() +
                             record[kModel].size() + record[kSubmodel].size();
    if (raw_.size() + size > raw_.capacity()) {
        const std::size_t wanted = std::max(kMostAsReadBytes, raw_.capacity() * 2);
        // While both are held, the old and the new room; an eighth of all is left for vehicles to come.
        if (wanted > kMostAsReadBytes &&
            (rawGivenBack_ ||
             wanted + raw_.capacity() - kMostAsReadBytes + bytes() > mostBytes_ - mostBytes_ / 8 ||
             wanted > (std::uint64_t(1) << 32)))
            return;
        raw_.reserve(wanted);
    }
    char header[sizeof index + sizeof inCatalogue];
    std::memcpy(header, &index, sizeof index);
    std::memcpy(header + sizeof index, &inCatalogue, sizeof inCatalogue);
    raw_.append(header, sizeof header);
    const std::uint64_t place = kKeptInFull | kKeptAsRead | raw_.size();
    for (int field : {kMake, kModel, kSubmodel})
        raw_.append(1, static_cast<char>(record[field].size())).append(record[field]);
    v.namesLow = static_cast<std::uint32_t>(place);
    v.namesHigh = static_cast<std::uint32_t>(place >> 32);
}

// Where the vehicle's names can be found again: in the catalogue at the record's offsets, or kept here.
bool RecordCoverage::locate(const RawRecord& record, const NameOffsets* offsets, std::string& names,
                            Vehicle& v) {
    std::optional<std::uint64_t> place;
    if (offsets && fd_ >= 0)
        place = packedPlace(offsets->make, record[kMake].size(), offsets->model, record[kModel].size(),
                            offsets->submodel, record[kSubmodel].size());
    if (!place) {
        if (names.empty()) names = canonical(record);
        if (kept_.size() + names.size() > mostBytes_ / 8) return false;
        place = kKeptInFull | kept_.size();
        kept_ += names;
    }
    v.namesLow = static_cast<std::uint32_t>(*place);
    v.namesHigh = static_cast<std::uint32_t>(*place >> 32);
    return true;
}

} // namespace specialty
