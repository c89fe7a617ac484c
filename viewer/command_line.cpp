#include "command_line.h"

namespace specialty {

std::string commandLineText(int argc, const char* const* argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
    }
    return text;
}

bool isDemoKeyword(std::string_view text) {
    constexpr std::string_view kDemo = "DEMO";
    if (text.size() != kDemo.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != kDemo[i]) return false;
    }
    return true;
}

} // namespace specialty
