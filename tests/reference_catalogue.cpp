#include "reference_catalogue.h"

#include "description_reader.h"
#include "vehicle_selection.h"

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
SearchResult search(std::string_view bytes, std::string_view selectionText, std::optional<std::int64_t> at,
                    std::size_t maxItem) {
    const std::vector<Item> all = items(bytes, maxItem);
    const VehicleSelection sel = splitSelection(selectionText);
    const bool positionMode = at.has_value();
    const long long wanted = at.value_or(0);
    SearchResult failed;
    failed.outcome = SearchResult::Outcome::Failed;
    for (std::size_t first = 0, position = 0; first < all.size(); first += 23, ++position) {
        if (all.size() - first < 23) return failed;
        RawRecord raw;
        for (std::size_t k = 0; k < 23; ++k) {
            if (all[first + k].truncated) return failed;
            raw.field[k] = all[first + k].text;
        }
        const CatalogueRecord decoded = decodeRecord(raw);
        bool found = false;
        if (!positionMode && sameName(sel.Make, decoded.Make, 0) && sameName(sel.Model, decoded.Model, 0) &&
            sameName(sel.Submodel, decoded.Submodel, 0)) {
            auto y1 = parseYear(sel.Year1), y2 = parseYear(sel.Year2);
            auto from = parseYear(decoded.YearFrom), to = parseYear(decoded.YearTo);
            if (!y1 || !y2 || !from || !to) return failed;
            found = (*y1 >= *from && *y1 <= *to) || (*y2 >= *from && *y2 <= *to);
        }
        if (decoded.VehicleId == "0") return SearchResult{};
        if (positionMode && static_cast<long long>(position) == wanted) found = true;
        if (found) {
            SearchResult result;
            result.outcome = SearchResult::Outcome::Found;
            result.record = decoded;
            result.position = static_cast<std::int64_t>(position);
            return result;
        }
    }
    return SearchResult{};
}

} // namespace

SearchResult findVehicle(std::string_view bytes, std::string_view selection, std::size_t maxItem) {
    return search(bytes, selection, selection == "-1" ? std::optional<std::int64_t>(0) : std::nullopt,
                  maxItem);
}

SearchResult recordAt(std::string_view bytes, std::int64_t position, std::size_t maxItem) {
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
