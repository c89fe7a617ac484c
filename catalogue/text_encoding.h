// The Western 8-bit code page (Windows-1252) that catalogue, description and selection bytes are read in.
#pragma once

#include "result.h"

#include <string>
#include <string_view>

namespace specialty {

// A selection character that the code page cannot hold is stored as this byte, which a name test never
// matches (0x81 is not assigned in the code page, so no real text contains it).
constexpr unsigned char kUnmappable = 0x81;

// Upper-case form of one code-page byte: a-z, the accented letters and the letters with caron, ligature
// and diaeresis that have a capital in the code page. Every other byte maps to itself.
unsigned char upperWindows1252(unsigned char c);
// Every byte of `text` in its upper-case form, as upperWindows1252() gives it, in place.
void upperWindows1252InPlace(char* text, std::size_t size);

// True when two code-page bytes are the same letter without regard to case. kUnmappable on the left side
// (the selection's) never matches.
inline bool sameLetterIgnoringCase(unsigned char selection, unsigned char stored) {
    return selection != kUnmappable && upperWindows1252(selection) == upperWindows1252(stored);
}

// Converts text in the locale's encoding (UTF-8) to the code page. Well-formed UTF-8 sequences become the
// character's code-page byte, or kUnmappable when the code page has none; a byte that is not part of a
// well-formed sequence is taken as a code-page byte as it stands, so a host that passes 8-bit text keeps
// working and a multibyte character cut in the middle cannot break the conversion.
std::string utf8ToWindows1252(std::string_view text);

// Converts UTF-8 to the code page exactly: a byte that is not part of well-formed UTF-8, or a character
// the code page does not hold, is a failure (NotUtf8, NotInCodePage) that says which character (counted
// from 1) it is.
Result<std::string> utf8ToWindows1252Exactly(std::string_view text);

// The character that the well-formed UTF-8 sequence at the start of `text` stands for; U+FFFD when `text`
// begins with none.
char32_t codePointOf(std::string_view text);

// Converts code-page text to UTF-8; every byte has a character (the five unassigned ones map to the C1
// control of the same number).
std::string windows1252ToUtf8(std::string_view text);

// Text in the locale's encoding (file names, paths from the command line) as well-formed UTF-8: well-formed
// sequences stay as they are, any other byte is taken as a code-page character.
std::string localToUtf8(std::string_view text);

// True when `text` reads as UTF-8 rather than as code-page text: it holds at least one well-formed
// multibyte UTF-8 sequence and no byte above 0x7F outside one. Code-page text with accented letters
// almost never does ("é" alone is one byte that no UTF-8 sequence begins and ends with).
bool looksLikeUtf8(std::string_view text);

// Code-page text made fit for a message: UTF-8, control characters written as \xNN, cut after `maxChars`
// characters with "..." so that a damaged field cannot flood the message box.
std::string printableForMessage(std::string_view text, std::size_t maxChars = 60);

} // namespace specialty
