#include "vehicle_search.h"

#include "data_folder.h"
#include "messages.h"
#include "src/catalogue_file.h"
#include "text_encoding.h"
#include "vehicle_selection.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace specialty {

namespace {

// The text a host passes to ask for the first record of the file instead of a vehicle.
constexpr std::string_view kPositionMarker = "-1";

// No record fits: the lookup went well and found none.
Lookup noRecord() {
    return std::optional<FoundRecord>();
}

// A name cut short by the reader is longer than any selection column, so it never matches.
bool namesMatch(const VehicleSelection& selection, const RawRecord& raw, std::uint32_t cut) {
    if (cut & (fieldBit(kMake) | fieldBit(kModel) | fieldBit(kSubmodel))) return false;
    return sameName(selection.Make, raw[kMake], 0) && sameName(selection.Model, raw[kModel], kModelStars) &&
           sameName(selection.Submodel, raw[kSubmodel], kSubmodelStars);
}

// The year test of a record that passed the name test: whether the record's years hold the selection's.
// All four years are converted before anything is decided; a year that does not convert is a failure.
Result<bool> yearsFit(const VehicleSelection& selection, const RawRecord& raw, std::int64_t position) {
    const std::string_view years[] = {selection.Year1, selection.Year2, raw[kYearFrom], raw[kYearTo]};
    std::int16_t value[4] = {};
    for (int i = 0; i < 4; ++i) {
        auto converted = parseYear(years[i]);
        if (!converted)
            return Result<bool>::failure(i < 2 ? selectionYearNotWhole(i + 1, years[i], position)
                                               : recordYearNotWhole(kYearFrom + i - 2, years[i], position));
        value[i] = *converted;
    }
    auto inside = [&](std::int16_t year) { return year >= value[2] && year <= value[3]; };
    return inside(value[0]) || inside(value[1]);
}

// The bytes a record's Make can begin with and still pass the name test for `make`, so that records whose
// Make begins otherwise can be passed over unread. False when the test cannot be put that way.
bool makeStarts(std::string_view make, std::string& starts) {
    starts.clear();
    if (make.empty() || std::string_view(" \t,\r\n\"", 6).find(make[0]) != std::string_view::npos)
        return false;
    const auto first = static_cast<unsigned char>(make[0]);
    if (first == kUnmappable) return true; // it can never match
    for (int c = 1; c < 256; ++c)
        if (upperWindows1252(static_cast<unsigned char>(c)) == upperWindows1252(first))
            starts += static_cast<char>(c);
    return starts.size() <= 2;
}

// Scans for the record that fits `selectionText`, or, with `at` set, for the record at that position.
Lookup scan(CatalogueFile& file, std::string_view selectionText, std::optional<std::int64_t> at,
            const std::string& name) {
    const VehicleSelection selection = splitSelection(at ? std::string_view() : selectionText);
    // In position mode only the position decides: no names are compared, so a record whose names happen
    // to fit the empty ones cannot stop the search with a year failure.
    const bool positionMode = at.has_value();
    auto makeMatches = [&](std::string_view make) {
        return !positionMode && sameName(selection.Make, make, 0);
    };
    const std::int64_t wanted = at.value_or(0);
    RawRecord raw;
    ListReader::Skim skim;
    // A record whose Make differs fails the name test; unless it is the end record or the wanted position,
    // nothing else about it matters, and the reader may pass over it without reading its fields.
    auto mustLookAt = [&](const ListReader::Skim& s, std::int64_t at) {
        return s.first == "0" || makeMatches(s.third) || (positionMode && at == wanted);
    };
    // Better still, whole blocks of records go by at once while no VehicleId can be "0" and no Make can
    // begin as the selection's does.
    std::string starts; // empty in position mode: no Make matters
    const bool canPass = positionMode || makeStarts(selection.Make, starts);
    for (std::int64_t position = 0;; ++position) {
        if (canPass)
            position += file.passRecords(
                "0", starts, positionMode ? std::max<std::int64_t>(0, wanted - position) : INT64_MAX,
                [](std::string_view make, const void* wantedMake) {
                    return sameName(*static_cast<const std::string_view*>(wantedMake), make, 0);
                },
                &selection.Make);
        if (file.atEnd()) {
            if (file.failed()) return Lookup::failure(catalogueCannotBeRead(name, file.failure()));
            return noRecord();
        }
        bool stopped = false;
        const std::int64_t passed = file.skimRecords(
            [&](const ListReader::Skim& s, std::int64_t k) { return mustLookAt(s, position + k); }, skim,
            stopped, canPass ? 1 : INT64_MAX);
        position += passed;
        if (stopped) {
            if (skim.first == "0" && !makeMatches(skim.third) && !(positionMode && position == wanted))
                return noRecord(); // the end record
            file.rewindRecord();
        } else if (passed > 0) {
            --position; // a record that is not plain: ask for the end again, then read it field by field
            continue;
        }
        const RecordRead read = file.readRecord(raw);
        if (read != RecordRead::Record && read != RecordRead::TooLong)
            return Lookup::failure(file.whyNoRecord(read, name, position));
        // A field longer than the reader keeps is longer than any selection column and than "0": the name
        // and end tests need no more of it. Only a year to convert, or a record to show, needs the whole.
        const std::uint32_t cut = read == RecordRead::TooLong ? file.cutFields() : 0;
        auto tooLong = [&](std::uint32_t fields) {
            return Lookup::failure(
                catalogueFieldTooLong(name, firstField(fields), position, file.maxFieldBytes()));
        };
        bool found = false;
        if (!positionMode && namesMatch(selection, raw, cut)) {
            if (const std::uint32_t years = cut & (fieldBit(kYearFrom) | fieldBit(kYearTo)))
                return tooLong(years);
            const Result<bool> fits = yearsFit(selection, raw, position);
            if (!fits) return Lookup::failure(fits.error());
            found = fits.value();
        }
        if (raw[kVehicleId] == "0" && !(cut & fieldBit(kVehicleId)))
            return noRecord(); // the end record: never a result, nothing after it is read
        if (positionMode && position == wanted) found = true;
        if (!found) continue; // whatever its fields hold, a record passed over never stops the search
        if (cut & kShownFields) return tooLong(cut & kShownFields);
        return std::optional<FoundRecord>(
            FoundRecord{decodeRecord(raw), position, (cut & fieldBit(kSpareField)) != 0});
    }
}

Lookup searchFile(std::string_view selection, std::optional<std::int64_t> at, const std::string& dataFolder) {
    const std::string path = dataFolder + std::string(kCatalogueName);
    CatalogueFile file;
    if (Status opened = file.open(path); !opened)
        return Lookup::failure(catalogueCannotBeOpened(path, opened.error()));
    Lookup result = scan(file, selection, at, path);
    file.close(); // before anything is shown
    return result;
}

Lookup searchBytes(std::string_view selection, std::optional<std::int64_t> at, std::string_view bytes,
                   const std::string& catalogueName, std::size_t chunkBytes, SimdKernel kernel) {
    CatalogueFile file(chunkBytes, kernel);
    file.openMemory(bytes);
    return scan(file, selection, at, catalogueName);
}

// The host's marker asks for the first record of the file.
std::optional<std::int64_t> markedPosition(std::string_view selection) {
    return selection == kPositionMarker ? std::optional<std::int64_t>(0) : std::nullopt;
}

} // namespace

Lookup findVehicle(std::string_view selection, const std::string& dataFolder) {
    return searchFile(selection, markedPosition(selection), dataFolder);
}

Lookup recordAt(std::int64_t position, const std::string& dataFolder) {
    return searchFile({}, position, dataFolder);
}

Lookup findVehicleInBytes(std::string_view selection, std::string_view bytes,
                          const std::string& catalogueName, std::size_t chunkBytes, SimdKernel kernel) {
    return searchBytes(selection, markedPosition(selection), bytes, catalogueName, chunkBytes, kernel);
}

Lookup recordAtInBytes(std::int64_t position, std::string_view bytes, const std::string& catalogueName,
                       std::size_t chunkBytes, SimdKernel kernel) {
    return searchBytes({}, position, bytes, catalogueName, chunkBytes, kernel);
}

} // namespace specialty
