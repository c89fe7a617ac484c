// The faults check finds in a catalogue, its lines and its part files; their texts are made in
// check_texts.cpp. The comment of each fault names the details it uses.
#pragma once

#include "catalogue/failure.h"

#include <cstdint>

namespace specialty {

enum class CheckFault : std::uint16_t {
    SpareFieldLong = 111, // record, limit: the bytes of it kept

    // The checker's findings.
    // About the catalogue's bytes and records; `record` is the record's position, `value` a field as the
    // viewer shows it ("*" rule applied).
    ByteOrderMark = 300,       // (no details)
    Utf8Field = 301,           // field, value, record
    NameTooLong = 302,         // field, value, record, limit: the width of its selection columns
    NameBlankEnds = 303,       // field, value, record
    NameUnmappable = 304,      // field, value, record
    YearNotWhole = 305,        // field, value, record
    YearsReversed = 306,       // record, count: YearFrom, limit: YearTo
    YearsBelowSelection = 307, // record, count: YearFrom, limit: YearTo
    NeverShown = 308,          // record, value: its VehicleId, count: YearFrom, limit: YearTo,
                               // cause: the earlier records that find those years (EarlierRecord
                               // after EarlierRecord, then EarlierMore or EarlierOthers
                               // when some are not named)
    EarlierRecord = 309,       // record, line (0: not known); cause: the next of the chain
    VehicleIdRepeated = 310,   // value: the VehicleId, record, cause: an EarlierRecord
    EarlierMore = 311,         // count: earlier records not named
    EarlierOthers = 312,       // (no details): earlier records not counted
    TooManyVehicles = 313,     // record: the first not judged
    TooManyVehicleIds = 314,   // record: the first not judged
    EndsInRecord = 315,        // record, count: the fields it has
    FieldTooLong = 316,        // field, record, limit: the bytes a field may hold
    LinesAfterEnd = 317,       // (no details)
    NoEndRecord = 318,         // (no details)
    NoRecord = 319,            // (no details)
    // About the lines: `line` is the line, `count` the fields it holds.
    LineFields = 320,       // line, count
    ShiftBegins = 321,      // line, count, record: the first record read shifted
    ShiftUntil = 322,       // line, count, record, limit: the line where the records are in step again
    ShiftToEnd = 323,       // line, count, record
    ShiftEnds = 324,        // line: where the shift began
    ShiftStays = 325,       // line: where the shift began
    RecordsOnLine = 326,    // line, count: the records it holds
    RecordSpansLines = 327, // record, line: its first, limit: its last
    AsLineReads = 328,      // line: the line judged, limit: the line where the shift began; cause
    UnjudgedLines = 329,    // count: lines, line: the first of them
    // About part files: `value` is the part code, `record` the record that first used it, `file` the file's
    // name in the data folder.
    TooManyPartCodes = 330,      // record: the first not checked
    PartCodeNotAName = 331,      // value, record
    NoPicture = 332,             // value, record, file, expected: a name differing in letter case alone
    PictureNotWhole = 333,       // value, record, file, why: what keeps it from showing whole
    NoDescription = 334,         // value, record, file, expected: as for NoPicture
    DescriptionUnreadable = 335, // value, record, file, cause
    FolderUnlisted = 336,        // why: the system's reason
    FolderTooLarge = 345,        // limit: the megabytes of names a listing keeps
    UnusedPicture = 337,         // (no details: the finding names the file)
    UnusedDescription = 338,     // (no details)
    PartFileLeadsOutside = 360,  // value: the code, record, file: its name; expected: where it leads
};
const FaultFamily& faultFamily(CheckFault);

} // namespace specialty
