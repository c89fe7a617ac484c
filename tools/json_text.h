// JSON text for the tool's --json output.
#pragma once

#include <string>
#include <string_view>

namespace specialty {

// A JSON string literal of UTF-8 text.
std::string jsonString(std::string_view utf8);

} // namespace specialty
