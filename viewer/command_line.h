// The command line as the host passes it.
#pragma once

#include <string>
#include <string_view>

namespace specialty {

// The argument text: the one argument byte for byte; no argument is the empty text; several arguments
// (a host that forgot to quote) are joined with single blanks.
std::string commandLineText(int argc, const char* const* argv);

// True when the text, in upper case, is exactly "DEMO" (no blanks around it).
bool isDemoKeyword(std::string_view text);

} // namespace specialty
