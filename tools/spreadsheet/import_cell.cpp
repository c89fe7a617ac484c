#include "spreadsheet/import_cell.h"

#include "catalogue_record.h"
#include "spreadsheet/spreadsheet_messages.h"
#include "text_encoding.h"
#include "vehicle_selection.h"

#include <cstdint>

namespace specialty {

namespace {

// How many "*" of a name the star rule turns into double quotes; 0 for fields without the rule.
int starsOf(int field) {
    return field == kModel ? kModelStars : field == kSubmodel ? kSubmodelStars : 0;
}

// The selection columns a name must fit; 0 for fields that are not names.
std::size_t nameWidth(int field) {
    return field == kMake       ? kMakeColumns.width
           : field == kModel    ? kModelColumns.width
           : field == kSubmodel ? kSubmodelColumns.width
                                : 0;
}

bool hasHighBytes(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

// Control characters, and the code page's five unassigned bytes, which no text a user types holds.
bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

} // namespace

Result<std::string> storedCell(int field, std::string_view value, std::uint64_t bytes,
                               std::size_t mostFieldBytes) {
    using R = Result<std::string>;
    const std::string name = fieldName(field);
    if (bytes > 4 * static_cast<std::uint64_t>(mostFieldBytes)) // beyond any UTF-8 of a readable field
        return R::failure(longerThanReaderKeeps(name, bytes, mostFieldBytes));
    if (localToUtf8(value) != value) return R::failure(notUtf8(name, value));
    Result<std::string> converted = utf8ToWindows1252Exactly(value);
    if (!converted) return R::failure(notInCodePage(name, value, converted.reason()));
    const std::string& text = converted.value();
    if (text.size() > mostFieldBytes)
        return R::failure(longerThanReaderKeeps(name, text.size(), mostFieldBytes));
    if (hasHighBytes(text) && looksLikeUtf8(text))
        return R::failure(utf8ReadAsWindows1252(name, value, text));
    for (char c : text)
        if (isControl(static_cast<unsigned char>(c)))
            return R::failure(controlCharacter(name, value, static_cast<unsigned char>(c)));
    if (const std::size_t width = nameWidth(field); width > 0) {
        if (text.find('\xA0') != std::string::npos) return R::failure(noBreakSpace(name, value));
        if (!text.empty() && (text.front() == ' ' || text.back() == ' '))
            return R::failure(blankAtEnd(name, value));
        if (text.size() > width) return R::failure(longerThanColumns(name, value, width));
    }
    const int stars = starsOf(field);
    if (stars == 0) {
        if (text.find('"') != std::string::npos) return R::failure(doubleQuote(name, value));
        if ((field == kYearFrom || field == kYearTo) && !parseYear(text))
            return R::failure(yearNotWhole(name, value));
        if (field == kVehicleId && text == "0") return R::failure(endRecordInside());
        return text;
    }
    // The star rule turns the first `stars` "*" into double quotes: a quote is stored as "*", and what is
    // stored must read back as the value.
    std::string stored = text;
    for (char& c : stored)
        if (c == '"') c = '*';
    const std::string readBack = decodeStars(stored, stars);
    if (readBack == text) return stored;
    std::size_t at = 0;
    while (at < text.size() && text[at] == readBack[at])
        ++at;
    if (text[at] == '*') return R::failure(literalStar(name, value, at));
    return R::failure(quoteStarRuleLoses(name, value, stars, at));
}

std::string listItem(int field, const std::string& stored) {
    const bool name = field == kMake || field == kModel || field == kSubmodel;
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    const bool needsQuotes = stored.find(',') != std::string::npos ||
                             (!stored.empty() && (isBlank(stored.front()) || isBlank(stored.back())));
    return (name && !stored.empty()) || needsQuotes ? "\"" + stored + "\"" : stored;
}

} // namespace specialty
