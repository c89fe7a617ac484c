#include "text_encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

namespace specialty {

namespace {

// Characters of the code page's bytes 0x80 to 0x9F, where Latin-1 has its C1 controls: printable
// characters (euro sign, quotation marks, dashes, letters with caron), except the five bytes the code page
// leaves unassigned, which keep the control of their number. Bytes 0xA0 to 0xFF equal Latin-1.
constexpr std::array<char32_t, 32> kCharactersOf80To9F = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::array<unsigned char, 256> makeUpperTable() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        table[c] = static_cast<unsigned char>(c - 0x20);
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7) // the division sign has no capital
            table[c] = static_cast<unsigned char>(c - 0x20);
    table[0x9A] = 0x8A; // s with caron
    table[0x9C] = 0x8C; // ligature oe
    table[0x9E] = 0x8E; // z with caron
    table[0xFF] = 0x9F; // y with diaeresis
    return table;
}

constexpr std::array<unsigned char, 256> kUpper = makeUpperTable();

int windows1252ByteOf(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (std::size_t i = 0; i < kCharactersOf80To9F.size(); ++i)
        if (kCharactersOf80To9F[i] == cp) return static_cast<int>(0x80 + i);
    return -1;
}

char32_t characterOf(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kCharactersOf80To9F[byte - 0x80] : byte;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one well-formed UTF-8 sequence at text[i]; returns its length, or 0 when it is not one.
std::size_t decodeUtf8(std::string_view text, std::size_t i, char32_t& cp) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || i + length > text.size()) return 0;
    cp = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < smallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

} // namespace

unsigned char upperWindows1252(unsigned char c) {
    return kUpper[c];
}

void upperWindows1252InPlace(char* text, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>(kUpper[static_cast<unsigned char>(text[i])]);
}

std::string utf8ToWindows1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        char32_t cp = 0;
        std::size_t length = lead < 0x80 ? 0 : decodeUtf8(text, i, cp);
        if (length == 0) {
            out += text[i++];
            continue;
        }
        int mapped = windows1252ByteOf(cp);
        out += static_cast<char>(mapped < 0 ? kUnmappable : mapped);
        i += length;
    }
    return out;
}

bool looksLikeUtf8(std::string_view text) {
    bool multibyte = false;
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(text, i, cp);
        if (length == 0) return false;
        multibyte = true;
        i += length;
    }
    return multibyte;
}

std::string localToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const std::size_t length = static_cast<unsigned char>(text[i]) < 0x80 ? 0 : decodeUtf8(text, i, cp);
        if (length == 0) cp = characterOf(static_cast<unsigned char>(text[i]));
        appendUtf8(out, cp);
        i += std::max<std::size_t>(length, 1);
    }
    return out;
}

char32_t codePointOf(std::string_view text) {
    char32_t cp = 0;
    if (text.empty()) return 0xFFFD;
    if (static_cast<unsigned char>(text[0]) < 0x80) return static_cast<unsigned char>(text[0]);
    return decodeUtf8(text, 0, cp) > 0 ? cp : 0xFFFD;
}

Result<std::string> utf8ToWindows1252Exactly(std::string_view text) {
    std::string out;
    std::size_t character = 1;
    for (std::size_t i = 0; i < text.size(); ++character) {
        auto lead = static_cast<unsigned char>(text[i]);
        char32_t cp = lead;
        std::size_t length = lead < 0x80 ? 1 : decodeUtf8(text, i, cp);
        const int mapped = length == 0 ? -1 : windows1252ByteOf(cp);
        if (mapped < 0) {
            Failure failure(length == 0 ? CatalogueFault::NotUtf8 : CatalogueFault::NotInCodePage);
            failure.count = static_cast<std::int64_t>(character);
            failure.value = std::string(text.substr(i, length));
            return Result<std::string>::failure(std::move(failure));
        }
        out += static_cast<char>(mapped);
        i += length;
    }
    return out;
}

std::string windows1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char c : text)
        appendUtf8(out, characterOf(static_cast<unsigned char>(c)));
    return out;
}

std::string printableForMessage(std::string_view text, std::size_t maxChars) {
    std::string out;
    std::size_t shown = 0;
    for (char c : text) {
        if (shown == maxChars) {
            out += "...";
            break;
        }
        auto byte = static_cast<unsigned char>(c);
        char32_t cp = characterOf(byte);
        if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            appendUtf8(out, cp);
        }
        ++shown;
    }
    return out;
}

} // namespace specialty
