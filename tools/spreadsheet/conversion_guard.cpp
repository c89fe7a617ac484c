#include "tools/spreadsheet/conversion_guard.h"

#include "tools/spreadsheet/locale_numbers.h"

#include <array>
#include <cstdint>
#include <vector>

namespace specialty {

namespace {

// The significant digits a spreadsheet keeps of a number.
constexpr std::size_t kSpreadsheetDigits = 15;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A decimal number as written, and its value as 0.DIGITS x 10^scale (no leading or trailing zero digits).
struct Number {
    bool plus = false;
    bool negative = false;
    bool leadingZeros = false; // "0123", "00": a zero before other whole-number digits
    bool exponent = false;
    std::size_t fractionDigits = 0;
    std::string digits;
    std::int64_t scale = 0;

    bool sameValue(const Number& other) const {
        return digits == other.digits &&
               (digits.empty() || (negative == other.negative && scale == other.scale));
    }
};

// [+-] digits [. digits] [E [+-] digits], with at least one digit before the exponent.
std::optional<Number> readNumber(std::string_view text) {
    Number n;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        n.plus = text[i] == '+';
        n.negative = text[i] == '-';
        ++i;
    }
    std::string whole;
    std::string fraction;
    while (i < text.size() && isDigit(text[i]))
        whole += text[i++];
    bool point = false;
    if (i < text.size() && text[i] == '.') {
        point = true;
        ++i;
        while (i < text.size() && isDigit(text[i]))
            fraction += text[i++];
    }
    if (whole.empty() && fraction.empty()) return std::nullopt;
    std::int64_t power = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        n.exponent = true;
        ++i;
        bool negativePower = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) negativePower = text[i++] == '-';
        if (i >= text.size()) return std::nullopt;
        while (i < text.size() && isDigit(text[i])) {
            if (power < 1'000'000'000) power = power * 10 + (text[i] - '0'); // far beyond any cell
            ++i;
        }
        if (negativePower) power = -power;
    }
    if (i != text.size()) return std::nullopt;
    n.leadingZeros = whole.size() > 1 && whole[0] == '0';
    n.fractionDigits = point ? fraction.size() : 0;
    std::string all = whole + fraction;
    const std::size_t first = all.find_first_not_of('0');
    if (first == std::string::npos) return n; // zero
    const std::size_t last = all.find_last_not_of('0');
    n.digits = all.substr(first, last - first + 1);
    n.scale = static_cast<std::int64_t>(whole.size()) - static_cast<std::int64_t>(first) + power;
    return n;
}

// `n` rounded half up to `keep` significant digits.
Number rounded(Number n, std::size_t keep) {
    if (keep == 0 || n.digits.size() <= keep) return n;
    const bool up = n.digits[keep] >= '5';
    n.digits.resize(keep);
    for (std::size_t i = keep; up && i-- > 0;) {
        if (n.digits[i] != '9') {
            ++n.digits[i];
            break;
        }
        n.digits[i] = '0';
        if (i == 0) {
            n.digits.insert(n.digits.begin(), '1');
            ++n.scale;
        }
    }
    n.digits.resize(n.digits.find_last_not_of('0') + 1);
    return n;
}

std::optional<std::string> numberConversion(const Number& before, const Number& after) {
    if (before.sameValue(after)) {
        if ((before.plus || before.negative) && !after.plus && !after.negative) return "sign lost"; // +4, -0
        if (before.exponent && !after.exponent) return "number written out of exponent form";
        if (!before.exponent && after.exponent) return "number turned into exponent form";
        if (before.leadingZeros && !after.leadingZeros) return "leading zeros lost";
        if (before.fractionDigits > after.fractionDigits)
            return after.fractionDigits == 0 ? "decimal part lost" : "decimal part shortened";
        if (before.fractionDigits < after.fractionDigits) return "decimal part added";
        return "number written in another form";
    }
    // A spreadsheet keeps 15 significant digits, and in exponent form may show fewer.
    const std::size_t keep = after.exponent && !before.exponent ? after.digits.size() : kSpreadsheetDigits;
    if (before.digits.size() > keep && after.digits.size() <= keep && rounded(before, keep).sameValue(after))
        return after.exponent && !before.exponent ? "number rounded into exponent form"
                                                  : "number rounded to " + std::to_string(keep) + " digits";
    return std::nullopt;
}

// The pieces of a text: runs of digits, runs of letters, and single other characters.
struct Piece {
    enum class Kind { Digits, Letters, Other } kind;
    std::string_view text;
};

std::vector<Piece> piecesOf(std::string_view text) {
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i + 1;
        Piece::Kind kind = Piece::Kind::Other;
        if (isDigit(text[i])) {
            kind = Piece::Kind::Digits;
            while (end < text.size() && isDigit(text[end]))
                ++end;
        } else if (isLetter(text[i])) {
            kind = Piece::Kind::Letters;
            while (end < text.size() && isLetter(text[end]))
                ++end;
        }
        pieces.push_back({kind, text.substr(i, end - i)});
        i = end;
    }
    return pieces;
}

// 1 to 12 for a month's name or its first three letters, in English; 0 otherwise.
int monthNumber(std::string_view word) {
    static const std::array<const char*, 12> months = {"january",   "february", "march",    "april",
                                                       "may",       "june",     "july",     "august",
                                                       "september", "october",  "november", "december"};
    if (word.size() < 3) return 0;
    for (std::size_t m = 0; m < months.size(); ++m) {
        const std::string_view name = months[m];
        if (word.size() > name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < word.size() && same; ++i)
            same = lower(word[i]) == name[i];
        if (same && (word.size() == 3 || word.size() == name.size())) return static_cast<int>(m + 1);
    }
    return 0;
}

bool isAmPm(std::string_view word) {
    return word.size() == 2 && (lower(word[0]) == 'a' || lower(word[0]) == 'p') && lower(word[1]) == 'm';
}

// A digit run's value, capped so that a long run cannot overflow.
std::int64_t valueOf(std::string_view digits) {
    std::int64_t value = 0;
    for (char c : digits)
        value = value < 1'000'000'000'000 ? value * 10 + (c - '0') : value;
    return value;
}

// The numbers of a date or a time as a spreadsheet writes one ("03/04/26", "2026-03-04", "4-Mar",
// "Mar 4, 2026", "01:30:00 PM"), a month name counting as its number; nothing for any other text.
struct DateNumbers {
    std::vector<std::int64_t> numbers;
    bool timeOnly = false;
};
std::optional<DateNumbers> dateNumbers(std::string_view text) {
    std::vector<std::int64_t> numbers;
    int months = 0;
    int clock = 0;     // ":" separators
    std::string dated; // the separators of a date written in numbers
    for (const Piece& piece : piecesOf(text)) {
        switch (piece.kind) {
        case Piece::Kind::Digits:
            if (piece.text.size() > 4) return std::nullopt;
            numbers.push_back(valueOf(piece.text));
            break;
        case Piece::Kind::Letters:
            if (const int month = monthNumber(piece.text)) {
                numbers.push_back(month);
                ++months;
            } else if (!isAmPm(piece.text)) {
                return std::nullopt;
            }
            break;
        case Piece::Kind::Other:
            if (piece.text == ":")
                ++clock;
            else if (piece.text == "/" || piece.text == "-" || piece.text == ".")
                dated += piece.text;
            else if (piece.text != " " && piece.text != ",")
                return std::nullopt;
            break;
        }
    }
    const bool numericDate = months == 0 && dated.size() == 2 && dated[0] == dated[1] && numbers.size() >= 3;
    const bool namedDate = months == 1 && numbers.size() >= 2;
    const bool time = clock >= 1 && clock <= 2 && numbers.size() >= 2;
    if (!numericDate && !namedDate && !time) return std::nullopt;
    return DateNumbers{numbers, time && !numericDate && !namedDate};
}

// Whether every number written in `before` appears among `numbers`, a year also as its last two digits.
bool numbersKept(std::string_view before, const std::vector<std::int64_t>& numbers) {
    bool any = false;
    for (const Piece& piece : piecesOf(before)) {
        if (piece.kind == Piece::Kind::Letters) {
            if (monthNumber(piece.text) == 0) return false;
            continue;
        }
        if (piece.kind != Piece::Kind::Digits) continue;
        any = true;
        const std::int64_t n = valueOf(piece.text);
        bool found = false;
        for (std::int64_t m : numbers)
            found = found || m == n || (n >= 100 && n % 100 == m);
        if (!found) return false;
    }
    return any;
}

// Both read as numbers in some locale's form, the same number or `before` rounded the way a spreadsheet
// rounds: the first way found, with the forms it took.
std::optional<std::string> localeConversion(std::string_view before, std::string_view after) {
    std::vector<NumberReading> olds = localeReadings(before);
    std::vector<NumberReading> news = localeReadings(after);
    if (olds.empty() && news.empty()) return std::nullopt;
    olds.push_back({std::string(before), ""});
    news.push_back({std::string(after), ""});
    for (const NumberReading& old : olds) {
        const std::optional<Number> was = readNumber(old.plain);
        if (!was) continue;
        for (const NumberReading& now : news) {
            const std::optional<Number> is = readNumber(now.plain);
            if (!is || (old.form.empty() && now.form.empty())) continue;
            if (std::optional<std::string> found = numberConversion(*was, *is)) {
                const std::string& form = old.form.empty() ? now.form : old.form;
                const bool same = *found == "number written in another form";
                return (same ? std::string("read as a number") : *found + ", read") + " with " + form;
            }
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> convertedShape(std::string_view text) {
    if (const std::optional<Number> n = readNumber(text); n && n->exponent)
        return "shaped like a number in exponent form";
    if (const std::optional<DateNumbers> date = dateNumbers(text))
        return date->timeOnly ? "shaped like a time" : "shaped like a date";
    return std::nullopt;
}

std::string numberKey(std::string_view text) {
    const std::optional<Number> n = readNumber(text);
    if (!n) return {};
    const Number kept = rounded(*n, kSpreadsheetDigits);
    if (kept.digits.empty()) return "0";
    return (kept.negative ? "-0." : "0.") + kept.digits + "e" + std::to_string(kept.scale);
}

std::optional<std::string> spreadsheetConversion(std::string_view before, std::string_view after) {
    if (before == after) return std::nullopt;
    if (after.empty() && isMissingValueMarker(before)) return "missing-value marker read as an empty cell";
    if (before.empty() && isMissingValueMarker(after)) return "empty cell written as a missing-value marker";
    const std::optional<Number> was = readNumber(before);
    const std::optional<Number> is = readNumber(after);
    if (was && is)
        if (std::optional<std::string> found = numberConversion(*was, *is)) return found;
    if (std::optional<std::string> found = localeConversion(before, after)) return found;
    if (const std::string kept = withoutSeparatorsAndSigns(before); !kept.empty() && kept == after)
        return "separators or signs dropped";
    if (const auto date = dateNumbers(after); date && numbersKept(before, date->numbers))
        return date->timeOnly ? "turned into a time" : "turned into a date";
    return std::nullopt;
}

} // namespace specialty
