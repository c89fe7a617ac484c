#include "tools/spreadsheet/import_cell.h"
#include "tools/spreadsheet/spreadsheet_fault.h"

#include "catalogue/catalogue_record.h"
#include "catalogue/list_syntax.h"
#include "catalogue/text_encoding.h"
#include "catalogue/vehicle_selection.h"

#include <cstdint>

namespace specialty {

namespace {

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
    auto refused = [&](SpreadsheetFault fault) {
        Failure failure(fault);
        failure.field = field;
        failure.value = std::string(value);
        return failure;
    };
    auto tooLong = [&](std::uint64_t length) {
        Failure failure = refused(SpreadsheetFault::CellLongerThanReaderKeeps);
        failure.count = static_cast<std::int64_t>(length);
        failure.limit = static_cast<std::int64_t>(mostFieldBytes);
        return R::failure(std::move(failure));
    };
    if (bytes > 4 * static_cast<std::uint64_t>(mostFieldBytes)) // beyond any UTF-8 of a readable field
        return tooLong(bytes);
    if (localToUtf8(value) != value) return R::failure(refused(SpreadsheetFault::CellNotUtf8));
    Result<std::string> converted = utf8ToWindows1252Exactly(value);
    if (!converted)
        return R::failure(causedBy(refused(SpreadsheetFault::CellNotInCodePage), converted.error()));
    const std::string& text = converted.value();
    if (text.size() > mostFieldBytes) return tooLong(text.size());
    if (hasHighBytes(text) && looksLikeUtf8(text)) {
        Failure misread = refused(SpreadsheetFault::CellReadAsWindows1252);
        misread.expected = text;
        return R::failure(std::move(misread));
    }
    for (char c : text)
        if (isControl(static_cast<unsigned char>(c))) {
            Failure control = refused(SpreadsheetFault::CellControlCharacter);
            control.count = static_cast<unsigned char>(c);
            return R::failure(std::move(control));
        }
    if (const std::size_t width = nameWidth(field); width > 0) {
        if (text.find('\xA0') != std::string::npos)
            return R::failure(refused(SpreadsheetFault::CellNoBreakSpace));
        if (!text.empty() && (text.front() == ' ' || text.back() == ' '))
            return R::failure(refused(SpreadsheetFault::CellBlankAtEnd));
        if (text.size() > width) {
            Failure wide = refused(SpreadsheetFault::CellWiderThanColumns);
            wide.limit = static_cast<std::int64_t>(width);
            return R::failure(std::move(wide));
        }
    }
    const int stars = starsOfField(field);
    if (stars == 0) {
        if (text.find('"') != std::string::npos)
            return R::failure(refused(SpreadsheetFault::CellDoubleQuote));
        if ((field == kYearFrom || field == kYearTo) && !parseYear(text))
            return R::failure(refused(SpreadsheetFault::CellYearNotWhole));
        if (field == kVehicleId && text == "0")
            return R::failure(refused(SpreadsheetFault::CellEndsCatalogue));
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
    Failure lost = refused(text[at] == '*' ? SpreadsheetFault::CellLiteralStar
                                           : SpreadsheetFault::CellQuoteStarRuleLoses);
    lost.count = static_cast<std::int64_t>(at + 1);
    lost.limit = stars;
    return R::failure(std::move(lost));
}

std::string listItem(int field, const std::string& stored) {
    const bool name = field == kMake || field == kModel || field == kSubmodel;
    const bool needsQuotes = stored.find(',') != std::string::npos ||
                             (!stored.empty() && (isListBlank(stored.front()) || isListBlank(stored.back())));
    return (name && !stored.empty()) || needsQuotes ? "\"" + stored + "\"" : stored;
}

} // namespace specialty
