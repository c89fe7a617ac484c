#include "spreadsheet/spreadsheet_messages.h"

#include "messages.h"

#include <cstdio>

namespace specialty {

namespace {

// A cell's value for a message: in double quotes, control characters as \xNN, cut after 60 characters.
std::string shown(std::string_view value) {
    constexpr std::size_t kMostCharacters = 60;
    std::size_t characters = 0;
    std::size_t end = 0;
    for (; end < value.size(); ++end) {
        if ((static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) continue; // inside a character
        if (++characters > kMostCharacters) break;
    }
    const std::string cut = quotedUtf8(value.substr(0, end));
    return end < value.size() ? cut.substr(0, cut.size() - 1) + "...\"" : cut;
}

const char* const kSaveAsUtf8 =
    "save it from the spreadsheet as \"Text CSV\" with the character set \"Unicode (UTF-8)\" and commas "
    "between cells, or edit the workbook that export -o FILE.xlsx writes, which keeps every cell as text";

} // namespace

std::string faultAt(const std::string& file, std::uint64_t line, std::uint64_t column, bool error,
                    const std::string& message) {
    std::string where = file;
    if (line > 0) where += ":" + std::to_string(line);
    if (line > 0 && column > 0) where += ":" + std::to_string(column);
    return where + (error ? ": error: " : ": warning: ") + message;
}

std::string moreFaults(std::uint64_t count) {
    return "and " + std::to_string(count) + " more";
}

std::string nothingWritten() {
    return "Nothing was written.";
}

std::string notUtf8ButUtf16() {
    return "the file is UTF-16 text, which import does not read: " + std::string(kSaveAsUtf8);
}

std::string separatedBy(char separator) {
    return std::string("the cells are separated by ") + (separator == ';' ? "semicolons" : "tabs") +
           ", not commas: " + kSaveAsUtf8;
}

std::string headerExpected(const std::string& names) {
    return "the first row must name the 23 fields: " + names;
}

std::string headerCellExpected(std::string_view cell, const std::string& name) {
    return "the first row holds " + shown(cell) + " where it must name the field " + name;
}

std::string quoteNeverCloses() {
    return "a quoted cell begins here and never closes";
}

std::string noRecords() {
    return "the file holds no record: the catalogue would be empty, and every search would find nothing";
}

std::string fileTooLarge(std::uint64_t most) {
    return "the file is larger than " + std::to_string(most) + " bytes, far beyond any catalogue";
}

std::string outOfMemory() {
    return "the catalogue made from the file does not fit into the memory the system grants";
}

std::string notAWorkbook(const std::string& why) {
    return "the file is not an Office Open XML workbook (" + why + ")";
}

std::string workbookDamaged(const std::string& part, const std::string& why) {
    return "the workbook's " + part + " cannot be read: " + why;
}

std::string workbookTooLarge(const std::string& part, const std::string& what, std::uint64_t most) {
    return "the workbook's " + part + " holds more than " + std::to_string(most) + " " + what +
           ", far beyond any catalogue";
}

std::string strayCell(std::string_view value, int columns) {
    return "a cell " + shown(value) + " beyond the " + std::to_string(columns) +
           " columns: a value typed one column too far, or a comma inside a cell that lost its quotes; move "
           "it "
           "into its column or delete it";
}

std::string tooFewCells(std::size_t cells, int columns) {
    return std::to_string(cells) + " cells, not " + std::to_string(columns);
}

std::string notUtf8(const std::string& field, std::string_view value) {
    return field + " " + shown(value) +
           " is not UTF-8: the file was saved as Windows-1252 or another 8-bit character set; " + kSaveAsUtf8;
}

std::string utf8ReadAsWindows1252(const std::string& field, std::string_view value, std::string_view meant) {
    return field + " " + shown(value) +
           " is UTF-8 text that was read as Windows-1252 (meant: " + shown(meant) +
           "), as a spreadsheet does when it opens a CSV file in its default character set: open the CSV "
           "with the "
           "character set \"Unicode (UTF-8)\" and save it again the same way, or edit the workbook that "
           "export -o FILE.xlsx writes";
}

std::string notInCodePage(const std::string& field, std::string_view value, const std::string& why) {
    return field + " " + shown(value) + ": " + why;
}

std::string controlCharacter(const std::string& field, std::string_view value, unsigned char byte) {
    char code[8];
    std::snprintf(code, sizeof code, "%02X", byte);
    if (byte == '\r' || byte == '\n') return "a line break inside " + field + " " + shown(value);
    return field + " " + shown(value) + " holds the control character " + code +
           (byte == '\t' ? " (a tab)" : "") + ", which no selection can hold";
}

std::string noBreakSpace(const std::string& field, std::string_view value) {
    return field + " " + shown(value) +
           " holds a no-break space, which no selection holds: type an ordinary space instead";
}

std::string blankAtEnd(const std::string& field, std::string_view value) {
    return field + " " + shown(value) +
           " begins or ends with a blank: a selection is trimmed, so it can never match";
}

std::string longerThanColumns(const std::string& field, std::string_view value, std::size_t width) {
    return field + " " + shown(value) + " is longer than " + std::to_string(width) +
           " characters: no selection can match it";
}

std::string longerThanReaderKeeps(const std::string& field, std::uint64_t bytes, std::size_t most) {
    return field + " holds " + std::to_string(bytes) + " bytes, more than the " + std::to_string(most) +
           " the viewer reads of a field: it could no longer read past this record";
}

std::string doubleQuote(const std::string& field, std::string_view value) {
    return field + " " + shown(value) + " holds a double quote, which the catalogue cannot hold in " + field;
}

std::string literalStar(const std::string& field, std::string_view value, std::size_t at) {
    return field + " " + shown(value) +
           " holds a literal * that the star rule would turn into a double quote "
           "(character " +
           std::to_string(at + 1) + ")";
}

std::string quoteStarRuleLoses(const std::string& field, std::string_view value, int stars, std::size_t at) {
    return field + " " + shown(value) +
           " holds a double quote that the star rule will not restore: only the "
           "first " +
           std::to_string(stars) + " * of " + field + " become quotes (character " + std::to_string(at + 1) +
           ")";
}

std::string yearNotWhole(const std::string& field, std::string_view value) {
    return field + " " + shown(value) + " is a year that is not a whole number from -32768 to 32767";
}

std::string yearsReversed(int from, int to) {
    return "the record runs from " + std::to_string(from) + " to " + std::to_string(to) +
           ": no year lies in that range, so no selection finds it";
}

std::string endRecordInside() {
    return "VehicleId \"0\", which would end the catalogue here";
}

std::string guardInWorkbook(const std::string& field, std::string_view value) {
    return field + " " + shown(value) +
           " begins with the \"'\" that export puts in front of a CSV cell so that a spreadsheet takes it as "
           "text; a workbook keeps its cells as text without it: delete the \"'\", or import the CSV file";
}

std::string formulaCell(std::string_view value) {
    return "a formula (its value " + shown(value) +
           " was computed by the spreadsheet): type the value itself as text";
}

std::string cellKindRefused(std::string_view kind, std::string_view value) {
    return "a " + std::string(kind) + " cell " + shown(value) + ": type the value as text";
}

std::string duplicateVehicleId(std::string_view value, std::uint64_t firstLine) {
    return "VehicleId " + shown(value) + " is also used on line " + std::to_string(firstLine);
}

} // namespace specialty
