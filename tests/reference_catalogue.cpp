#include "reference_catalogue.h"

#include "catalogue/description_reader.h"
#include "catalogue/vehicle_selection.h"

#include <cstdlib>
#include <optional>

namespace specialty::reference {

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t';
}
bool lineEnd(char c) {
    return c == '\r' || c == '\n';
}

// The code page's letter pairs: each lower-case letter of a range and its capital, which lies `lowerFirst -
// upperFirst` below it. Any byte that is in none of them is its own capital.
struct LetterPairs {
    unsigned lowerFirst, lowerLast, upperFirst;
};
constexpr LetterPairs kLetterPairs[] = {
    {'a', 'z', 'A'},    // ASCII
    {0xE0, 0xF6, 0xC0}, // a grave .. o diaeresis
    {0xF8, 0xFE, 0xD8}, // o slash .. thorn (0xF7, the division sign, has no capital)
    {0x9A, 0x9A, 0x8A}, // s caron
    {0x9C, 0x9C, 0x8C}, // ligature oe
    {0x9E, 0x9E, 0x8E}, // z caron
    {0xFF, 0xFF, 0x9F}, // y diaeresis
};

unsigned capital(unsigned char c) {
    for (const LetterPairs& pair : kLetterPairs)
        if (c >= pair.lowerFirst && c <= pair.lowerLast) return c - pair.lowerFirst + pair.upperFirst;
    return c;
}

// Names are equal without regard to case. 0x81 stands in a selection for a character the code page lacks;
// it matches nothing.
bool sameNameIgnoringCase(std::string_view selection, std::string_view stored) {
    if (selection.size() != stored.size()) return false;
    for (std::size_t i = 0; i < selection.size(); ++i) {
        const auto s = static_cast<unsigned char>(selection[i]);
        if (s == 0x81 || capital(s) != capital(static_cast<unsigned char>(stored[i]))) return false;
    }
    return true;
}

// A year: blanks, an optional sign, at least one digit, blanks; -32768 to 32767.
std::optional<long> wholeYear(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    const bool negative = text[0] == '-';
    if (text[0] == '-' || text[0] == '+') text.remove_prefix(1);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    const std::size_t nonZero = text.find_first_not_of('0');
    text = nonZero == std::string_view::npos ? std::string_view("0") : text.substr(nonZero);
    if (text.size() > 5) return std::nullopt;
    const long value = (negative ? -1 : 1) * std::stol(std::string(text));
    if (value < -32768 || value > 32767) return std::nullopt;
    return value;
}

// The first `count` "*" of `text` become double quotes.
std::string starsToQuotes(std::string text, int count) {
    for (std::size_t at = text.find('*'); count > 0 && at != std::string::npos; at = text.find('*', at + 1)) {
        text[at] = '"';
        --count;
    }
    return text;
}

} // namespace

std::vector<Item> items(std::string_view s, std::size_t maxItem) {
    std::vector<Item> out;
    std::size_t i = 0;
    bool afterComma = false;
    for (;;) {
        while (i < s.size() && (blank(s[i]) || (!afterComma && lineEnd(s[i]))))
            ++i;
        Item item;
        item.offset = i;
        if (i == s.size()) {
            if (afterComma) out.push_back(item);
            return out;
        }
        const bool emptyBeforeLineEnd = afterComma && lineEnd(s[i]);
        const bool quoted = !emptyBeforeLineEnd && s[i] == '"';
        if (quoted) {
            item.offset = ++i;
            while (i < s.size() && s[i] != '"')
                item.text += s[i++];
            if (i < s.size()) ++i; // the closing quote; what follows it up to the terminator is ignored
            while (i < s.size() && s[i] != ',' && !lineEnd(s[i]))
                ++i;
        } else if (!emptyBeforeLineEnd) {
            while (i < s.size() && s[i] != ',' && !lineEnd(s[i]))
                item.text += s[i++];
        }
        if (item.text.size() > maxItem) {
            item.text.resize(maxItem);
            item.truncated = true;
        }
        if (!quoted)
            while (!item.text.empty() && blank(item.text.back()))
                item.text.pop_back();
        out.push_back(item);
        afterComma = false;
        if (i < s.size()) {
            char c = s[i++];
            afterComma = c == ',';
            if (c == '\r' && i < s.size() && s[i] == '\n') ++i;
        }
    }
}

namespace {

// Every record read whole, from the first, until one is the result or ends the search. With `at` set only
// the position decides.
Lookup search(std::string_view bytes, std::string_view selectionText, std::optional<std::int64_t> at,
              std::size_t maxItem) {
    // Each field both as the reader keeps it and whole: the rules below are stated on the whole text.
    const std::vector<Item> kept = items(bytes, maxItem);
    const std::vector<Item> all = items(bytes, std::string_view::npos);
    const VehicleSelection sel = splitSelection(selectionText);
    const bool positionMode = at.has_value();
    const long long wanted = at.value_or(0);
    const Lookup none = std::optional<FoundRecord>();
    // Which failure does not matter here, only that there is one.
    const Lookup failed = Lookup::failure(Failure(CatalogueFault::CannotBeRead));
    for (std::size_t first = 0, position = 0; first < all.size(); first += 23, ++position) {
        if (all.size() - first < 23) return failed;
        // A field longer than the reader keeps is "long": it never equals a name or "0", a long year needed
        // by the year test fails the search, and a shown record may be long only in its SpareField, which
        // keeps its first bytes.
        std::string field[23];
        bool longField[23];
        for (std::size_t k = 0; k < 23; ++k) {
            longField[k] = kept[first + k].truncated;
            field[k] = all[first + k].text;
        }
        if (longField[1]) field[1] = kept[first + 1].text;
        CatalogueRecord decoded;
        decoded.VehicleId = field[0];
        decoded.SpareField = field[1];
        decoded.Make = field[2];
        decoded.Model = starsToQuotes(field[3], 1);
        decoded.Submodel = starsToQuotes(field[4], 2);
        decoded.YearFrom = field[5];
        decoded.YearTo = field[6];
        for (std::size_t k = 0; k < 16; ++k)
            decoded.PartCodes[k] = field[7 + k];
        bool found = false;
        if (!positionMode && !longField[2] && !longField[3] && !longField[4] &&
            sameNameIgnoringCase(sel.Make, decoded.Make) && sameNameIgnoringCase(sel.Model, decoded.Model) &&
            sameNameIgnoringCase(sel.Submodel, decoded.Submodel)) {
            if (longField[5] || longField[6]) return failed;
            auto y1 = wholeYear(sel.Year1), y2 = wholeYear(sel.Year2);
            auto from = wholeYear(decoded.YearFrom), to = wholeYear(decoded.YearTo);
            if (!y1 || !y2 || !from || !to) return failed;
            found = (*y1 >= *from && *y1 <= *to) || (*y2 >= *from && *y2 <= *to);
        }
        if (decoded.VehicleId == "0" && !longField[0]) return none;
        if (positionMode && static_cast<long long>(position) == wanted) found = true;
        if (!found) continue;
        for (std::size_t k = 0; k < 23; ++k)
            if (longField[k] && k != 1) return failed;
        return std::optional<FoundRecord>(
            FoundRecord{decoded, static_cast<std::int64_t>(position), longField[1]});
    }
    return none;
}

} // namespace

Lookup findVehicle(std::string_view bytes, std::string_view selection, std::size_t maxItem) {
    return search(bytes, selection, selection == "-1" ? std::optional<std::int64_t>(0) : std::nullopt,
                  maxItem);
}

Lookup recordAt(std::string_view bytes, std::int64_t position, std::size_t maxItem) {
    return search(bytes, {}, position, maxItem);
}

std::string descriptionCaption(std::string_view bytes, std::size_t maxBytes) {
    std::string caption;
    for (const Item& item : items(bytes, maxBytes)) {
        if (item.truncated || caption.size() + item.text.size() + 2 > maxBytes) {
            std::size_t room = maxBytes - std::min(maxBytes, caption.size());
            caption += item.text.substr(0, room) + "\n\r" + std::string(kDescriptionCutNote) + "\n\r";
            break;
        }
        caption += item.text + "\n\r";
    }
    return caption;
}

} // namespace specialty::reference
