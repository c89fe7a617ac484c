#include "tools/spreadsheet/locale_numbers.h"

#include <array>

namespace specialty {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Currency signs as UTF-8, and the blanks a spreadsheet puts between a number's groups or before a sign.
constexpr std::array<std::string_view, 5> kCurrencySigns = {"\xE2\x82\xAC", "$", "\xC2\xA3", "\xC2\xA5",
                                                            "\xE2\x82\xB9"};
constexpr std::array<std::string_view, 4> kBlanks = {" ", "\xC2\xA0", "\xE2\x80\xAF", "\xE2\x80\x89"};

template <typename List>
bool startsWithAny(std::string_view text, const List& list, std::size_t& length) {
    for (std::string_view item : list)
        if (text.substr(0, item.size()) == item) {
            length = item.size();
            return true;
        }
    return false;
}

template <typename List>
bool endsWithAny(std::string_view text, const List& list, std::size_t& length) {
    for (std::string_view item : list)
        if (text.size() >= item.size() && text.substr(text.size() - item.size()) == item) {
            length = item.size();
            return true;
        }
    return false;
}

void trimBlanks(std::string_view& text) {
    std::size_t n = 0;
    while (startsWithAny(text, kBlanks, n))
        text.remove_prefix(n);
    while (endsWithAny(text, kBlanks, n))
        text.remove_suffix(n);
}

// `body` ([digits and separators] [E [+-] digits]) with `point` as its decimal mark and `group` (empty:
// none) between groups of three digits, written plainly; empty when it is not written so.
std::string plainOf(std::string_view body, char point, std::string_view group) {
    std::string plain;
    std::size_t i = 0;
    std::size_t run = 0;  // digits since the last group separator
    bool grouped = false; // a group separator seen
    bool firstRun = true;
    while (i < body.size()) {
        if (isDigit(body[i])) {
            plain += body[i++];
            ++run;
            if (firstRun && grouped) return {};
            continue;
        }
        if (!group.empty() && body.substr(i, group.size()) == group) {
            if ((firstRun && (run == 0 || run > 3)) || (!firstRun && run != 3)) return {};
            firstRun = false;
            grouped = true;
            run = 0;
            i += group.size();
            continue;
        }
        break;
    }
    if (grouped && run != 3) return {};
    if (i < body.size() && body[i] == point) {
        plain += '.';
        ++i;
        while (i < body.size() && isDigit(body[i]))
            plain += body[i++];
    }
    if (plain.empty() || plain == ".") return {};
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        plain += body[i++];
        if (i < body.size() && (body[i] == '+' || body[i] == '-')) plain += body[i++];
        const std::size_t digits = i;
        while (i < body.size() && isDigit(body[i]))
            plain += body[i++];
        if (i == digits) return {};
    }
    return i == body.size() ? plain : std::string();
}

// A plain number divided by a hundred, as a percent sign means: "50" -> "50E-2".
std::string hundredth(const std::string& plain) {
    const std::size_t e = plain.find_first_of("eE");
    if (e == std::string::npos) return plain + "E-2";
    long power = 0;
    for (std::size_t i = e + 1; i < plain.size(); ++i)
        if (isDigit(plain[i]) && power < 1'000'000'000) power = power * 10 + (plain[i] - '0');
    if (plain.find('-', e) != std::string::npos) power = -power;
    return plain.substr(0, e) + "E" + std::to_string(power - 2);
}

} // namespace

std::vector<NumberReading> localeReadings(std::string_view text) {
    std::vector<NumberReading> readings;
    std::string_view body = text;
    trimBlanks(body);
    std::string sign;
    std::string signs; // the forms of the signs around the number
    std::size_t n = 0;
    if (!body.empty() && (body.front() == '-' || body.front() == '+')) {
        sign = body.front() == '-' ? "-" : "";
        body.remove_prefix(1);
    }
    if (startsWithAny(body, kCurrencySigns, n) || endsWithAny(body, kCurrencySigns, n)) {
        body = startsWithAny(body, kCurrencySigns, n) ? body.substr(n) : body.substr(0, body.size() - n);
        signs = "currency sign";
        trimBlanks(body);
        if (sign.empty() && !body.empty() && body.front() == '-') {
            sign = "-";
            body.remove_prefix(1);
        }
    }
    bool percent = false;
    if (!body.empty() && body.back() == '%') {
        percent = true;
        body.remove_suffix(1);
        trimBlanks(body);
        signs += std::string(signs.empty() ? "" : ", ") + "percent sign";
    }
    struct Form {
        char point;
        std::string_view group;
        const char* name;
    };
    static const std::array<Form, 9> forms = {{{'.', "", ""},
                                               {',', "", "decimal comma"},
                                               {',', ".", "thousands separator \".\", decimal comma"},
                                               {'.', ",", "thousands separator \",\""},
                                               {',', " ", "thousands separator \" \", decimal comma"},
                                               {'.', " ", "thousands separator \" \""},
                                               {',', "\xC2\xA0", "thousands separator no-break space"},
                                               {',', "\xE2\x80\xAF", "thousands separator no-break space"},
                                               {'.', "'", "thousands separator \"'\""}}};
    for (const Form& form : forms) {
        std::string plain = plainOf(body, form.point, form.group);
        if (plain.empty()) continue;
        std::string name = form.name;
        if (!signs.empty()) name += (name.empty() ? "" : ", ") + signs;
        if (name.empty()) continue; // the plain form, read as it is elsewhere
        readings.push_back({sign + (percent ? hundredth(plain) : plain), name});
    }
    return readings;
}

std::string withoutSeparatorsAndSigns(std::string_view text) {
    std::string digits;
    bool dropped = false;
    for (std::size_t i = 0, n = 0; i < text.size();) {
        if (isDigit(text[i]) || (text[i] == '-' && i == 0)) { // a minus only in front
            digits += text[i++];
        } else if (text[i] == ',' || text[i] == '.' || text[i] == '%' || text[i] == '\'' || text[i] == ' ') {
            dropped = true;
            ++i;
        } else if (startsWithAny(text.substr(i), kCurrencySigns, n) ||
                   startsWithAny(text.substr(i), kBlanks, n)) {
            dropped = true;
            i += n;
        } else {
            return {};
        }
    }
    return dropped && !digits.empty() && digits != "-" ? digits : std::string();
}

bool isMissingValueMarker(std::string_view text) {
    static const std::array<std::string_view, 18> markers = {
        "#N/A", "#N/A N/A", "#NA", "-1.#IND", "-1.#QNAN", "-NaN", "-nan", "1.#IND", "1.#QNAN",
        "<NA>", "N/A",      "NA",  "NULL",    "NaN",      "None", "n/a",  "nan",    "null"};
    for (std::string_view marker : markers)
        if (text == marker) return true;
    return false;
}

} // namespace specialty
