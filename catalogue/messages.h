// Every text the viewer and specialty-catalogue show their users: the fixed messages, and the reasons a
// lookup fails, built in one place so that both programs word them alike.
#pragma once

#include "failure.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace specialty {

constexpr const char* kNoSelectionMessage = "No Vehicle Specification Selected.";
constexpr const char* kNoMatchMessage = "No vehicle ID Match found.";
constexpr const char* kNoPartsNotice = "No Specialty Parts Identified for this Vehicle.";
constexpr const char* kSlotHint = "Click image for larger picture and text description.";

// Code-page text in double quotes, fit for a message: UTF-8, control characters written as \xNN, cut
// short when long.
std::string quoted(std::string_view codePage);
// The same for text that is UTF-8 (or mostly so: stray bytes are taken as code-page characters).
std::string quotedUtf8(std::string_view text);

// A record as users count them, from 1 in file order: "record 8" for the record at position 7. The
// tool's list numbers records the same way.
std::string recordNumbered(std::int64_t position);

// A count with its noun, singular for one: "1 error", "2 errors", "0 parts".
std::string counted(std::int64_t count, std::string_view noun);

// "holds 22 fields, not 23": a line or a stretch of the catalogue that holds no whole record.
std::string holdsFields(std::int64_t fields);

// The years a year field may hold, as every text about a year words them.
constexpr const char* kYearRange = "from -32768 to 32767";

// A failure worded for the user: the one place where the texts of failures are made. Its family (see
// failure.h) words it.
std::string describe(const Failure& failure);
// The same text appended to `text`, for a writer that gathers many of them in one buffer.
void describeTo(std::string& text, const Failure& failure);
// The text of `failure.cause`, or `failure.why` when it has none.
std::string causeOf(const Failure& failure);

// Why a lookup failed. `catalogue` is the catalogue's path, `why` the failure below.
Failure catalogueCannotBeOpened(const std::string& catalogue, const Failure& why);
Failure catalogueCannotBeRead(const std::string& catalogue, const Failure& why);
// A record cut short by the end of the file (`fieldsRead` of its fields there), and a field longer than
// the reader keeps, at `position` (from 0).
Failure catalogueEndsInRecord(const std::string& catalogue, std::int64_t position, int fieldsRead);
Failure catalogueFieldTooLong(const std::string& catalogue, int field, std::int64_t position,
                              std::size_t maxBytes);
// A year the year test could not convert: the selection's Year1 or Year2 (`which` 1 or 2), needed for the
// record at `position` whose names match; or field `field` (YearFrom or YearTo) of that record.
Failure selectionYearNotWhole(int which, std::string_view text, std::int64_t position);
Failure recordYearNotWhole(int field, std::string_view text, std::int64_t position);

// What the viewer prints for "--help".
constexpr const char* kViewerUsage =
    "Usage: specialty-parts [SELECTION | DEMO | --help | --version]\n"
    "\n"
    "Shows the specialty parts for the vehicle that a wheel-alignment host passes as SELECTION: one\n"
    "argument of 80 columns, the make in columns 1-14, the model in 16-36, the submodel in 38-68 and the\n"
    "two model years in 70-74 and 76-80.\n"
    "\n"
    "  DEMO, or no argument  browse the catalogue record by record (DEMO in any letter case)\n"
    "  -1                    show the first record of the catalogue\n"
    "  ;                     or any text that begins with it: no vehicle is selected\n"
    "  --help                print this text and exit\n"
    "  --version             print the version and exit\n";

} // namespace specialty
