#include "tools/check/record_judge.h"

#include "catalogue/messages.h"
#include "catalogue/text_encoding.h"
#include "catalogue/vehicle_search.h"
#include "catalogue/vehicle_selection.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace specialty {

namespace {

struct NameColumn {
    int field;
    std::size_t width;
};
constexpr NameColumn kNameColumns[] = {
    {kMake, kMakeColumns.width}, {kModel, kModelColumns.width}, {kSubmodel, kSubmodelColumns.width}};

// What the VehicleIds seen may cost, kept whole to find one used twice.
constexpr std::size_t kMostVehicleIdBytes = 8 * 1024 * 1024;

// Field `number` as the viewer reads it (the "*" rule applied), for messages.
std::string shownField(const RawRecord& raw, int number) {
    return decodeStars(raw[number], starsOfField(number));
}

// A fault of the record at `position`, with the field it names as the viewer reads it.
Failure fieldFault(CheckFault fault, const RawRecord& raw, int field, std::int64_t position) {
    Failure failure(fault);
    failure.field = field;
    failure.value = shownField(raw, field);
    failure.record = position;
    return failure;
}

// A record whose years run from `from` to `to`.
Failure yearsFault(CheckFault fault, std::int64_t position, int from, int to) {
    Failure failure = recordFault(fault, position);
    failure.count = from;
    failure.limit = to;
    return failure;
}

// Why no selection can match a name in columns `width` wide, or nothing when one can. A selection's columns
// lose their blanks at both ends, and a character the code page lacks comes as a byte that never matches
// (only names with `highBytes` can hold it).
std::optional<CheckFault> unmatchable(std::string_view name, std::size_t width, bool highBytes) {
    if (name.size() > width) return CheckFault::NameTooLong; // the "*" rule keeps the length
    if (!name.empty() && (name.front() == ' ' || name.back() == ' ')) return CheckFault::NameBlankEnds;
    if (highBytes && name.find(static_cast<char>(kUnmappable)) != std::string_view::npos)
        return CheckFault::NameUnmappable;
    return std::nullopt;
}

// A year as parseYear() reads it: four digits, the usual year, without a call.
std::optional<std::int16_t> yearOf(std::string_view text) {
    if (text.size() == 4) {
        std::uint32_t word;
        std::memcpy(&word, text.data(), 4);
        // A byte below "0" sets its bit in the first, one above "9" in the second.
        if ((((word - 0x30303030u) | (word + 0x46464646u)) & 0x80808080u) == 0) {
            const auto digit = [&](int i) { return text[static_cast<std::size_t>(i)] - '0'; };
            return static_cast<std::int16_t>(digit(0) * 1000 + digit(1) * 100 + digit(2) * 10 + digit(3));
        }
    }
    return parseYear(text);
}

} // namespace

Failure recordFault(CheckFault fault, std::int64_t position) {
    Failure failure(fault);
    failure.record = position;
    return failure;
}

bool hasHighBytes(std::string_view text) {
    std::uint64_t any = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        any |= word;
    }
    for (; i < text.size(); ++i)
        any |= static_cast<unsigned char>(text[i]);
    return (any & 0x8080808080808080ULL) != 0;
}

RecordJudge::RecordJudge(const std::string& dataFolder, const PictureCheck& showsWhole, FindingStream& out,
                         const std::string& catalogue)
    : out_(out), coverage_(catalogue), vehicleIds_(kMostVehicleIdBytes), parts_(dataFolder, showsWhole, out) {
}

void RecordJudge::report(Finding::Level level, std::uint64_t line, Failure&& what) {
    if (mark_)
        out_.add(level, line, causedBy(*mark_, std::move(what)));
    else
        out_.add(level, line, std::move(what));
}

void RecordJudge::judge(const JudgedRecord& record, const Failure* mark) {
    mark_ = mark;
    judgeEncoding(record);
    const VehicleKey key(record.raw);
    judgeYears(record, key, judgeNames(record, key));
    judgeVehicleId(record);
    useParts(record);
    mark_ = nullptr;
}

void RecordJudge::judgeEncoding(const JudgedRecord& record) {
    if (!record.mayHoldUtf8) return;
    for (int f = 1; f <= kRecordFields; ++f) {
        if (!looksLikeUtf8(record.raw[f])) continue; // the "*" rule changes no byte that UTF-8 is made of
        report(Finding::Level::Error, record.fieldLine[f - 1],
               fieldFault(CheckFault::Utf8Field, record.raw, f, record.position));
        return; // one finding a record is enough to show the file was saved in the wrong encoding
    }
}

bool RecordJudge::judgeNames(const JudgedRecord& record, const VehicleKey& key) {
    bool findable = true;
    for (const NameColumn& column : kNameColumns) {
        const std::optional<CheckFault> why =
            unmatchable(record.raw[column.field], column.width, key.highBytes());
        if (!why) continue;
        findable = false;
        Failure name = fieldFault(*why, record.raw, column.field, record.position);
        name.limit = static_cast<std::int64_t>(column.width);
        report(Finding::Level::Error, record.fieldLine[column.field - 1], std::move(name));
    }
    return findable;
}

void RecordJudge::judgeYears(const JudgedRecord& record, const VehicleKey& key, bool findable) {
    const auto from = yearOf(record.raw[kYearFrom]);
    const auto to = yearOf(record.raw[kYearTo]);
    for (auto [field, year] : {std::pair{kYearFrom, &from}, std::pair{kYearTo, &to}})
        if (!*year)
            report(Finding::Level::Error, record.fieldLine[field - 1],
                   fieldFault(CheckFault::YearNotWhole, record.raw, field, record.position));
    if (!from || !to) return;
    const std::uint64_t line = record.fieldLine[0];
    if (*from > *to)
        report(Finding::Level::Error, line,
               yearsFault(CheckFault::YearsReversed, record.position, *from, *to));
    else if (*to < kLowestSelectionYear)
        report(Finding::Level::Error, line,
               yearsFault(CheckFault::YearsBelowSelection, record.position, *from, *to));
    if (*from <= *to && findable) judgeCoverage(record, key, *from, *to);
}

void RecordJudge::judgeCoverage(const JudgedRecord& record, const VehicleKey& key, int from, int to) {
    const std::uint64_t line = record.fieldLine[0];
    if (std::optional<Failure> shadowed =
            coverage_.add(key, record.raw, from, to, record.position, line, &record.names))
        report(Finding::Level::Error, line, std::move(*shadowed));
    if (coverage_.full() && !coverageFull_) {
        coverageFull_ = true;
        report(Finding::Level::Warning, line, recordFault(CheckFault::TooManyVehicles, record.position));
    }
}

void RecordJudge::judgeVehicleId(const JudgedRecord& record) {
    const std::uint64_t line = record.fieldLine[0];
    std::uint64_t first = std::uint64_t(record.position) << 32 | std::min<std::uint64_t>(line, UINT32_MAX);
    // A full set takes no new id but still knows the ones it holds, so their repeats are still found.
    const StringSet::Added id = vehicleIds_.add(record.raw[kVehicleId], first);
    if (id == StringSet::Added::Present) {
        Failure earlier = recordFault(CheckFault::EarlierRecord, static_cast<std::int64_t>(first >> 32));
        earlier.line = first & UINT32_MAX;
        report(Finding::Level::Warning, line,
               causedBy(fieldFault(CheckFault::VehicleIdRepeated, record.raw, kVehicleId, record.position),
                        earlier));
    } else if (id == StringSet::Added::Full && !vehicleIdsFull_) {
        vehicleIdsFull_ = true;
        report(Finding::Level::Warning, line, recordFault(CheckFault::TooManyVehicleIds, record.position));
    }
}

void RecordJudge::useParts(const JudgedRecord& record) {
    // Most of the sixteen are empty in most records.
    const std::string_view* const codes = &record.raw.field[kPartCode1 - 1];
    const std::uint64_t* const lines = &record.fieldLine[kPartCode1 - 1];
    for (int n = 0; n < kPartCodes; ++n)
        if (!codes[n].empty()) parts_.use(codes[n], record.position, lines[n], mark_);
}

} // namespace specialty
