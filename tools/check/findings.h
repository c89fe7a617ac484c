// What the tools need to show a finding of check (a fault found in the catalogue, with its severity and
// place): the compiler's form "FILE:LINE: error: " that editors jump from, before the text describe()
// makes of its Failure.
#pragma once

#include <cstdint>
#include <string>

namespace specialty {

struct Failure;
class TextWriter;

enum class FindingLevel { Error, Warning };

// "error" or "warning".
const char* levelName(FindingLevel level);

// "FILE:LINE: error: " for a finding on a line, "FILE: warning: " for one about a file as a whole (line
// 0). `shownFile` is the file's name as the output shows it.
std::string findingLead(const std::string& shownFile, std::uint64_t line, FindingLevel level);
// The whole finding in that form, "FILE:LINE: error: " and the text describe() makes of `what`, without a
// line end: how check writes findings by the million, each piece straight into `out`.
void putFinding(TextWriter& out, const std::string& shownFile, std::uint64_t line, FindingLevel level,
                const Failure& what);

// The first selection column is 5 wide: no year below this can be asked for.
constexpr int kLowestSelectionYear = -9999;

} // namespace specialty
