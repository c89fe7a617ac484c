#include "tools/spreadsheet/number_format.h"

#include <cstdint>
#include <vector>

namespace specialty {

namespace {

// The significant digits a spreadsheet keeps of a number.
constexpr int kKeptDigits = 15;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A stored value as digits and the position of the decimal point: value = 0.DIGITS x 10^point.
struct Decimal {
    bool negative = false;
    std::string digits; // no leading zero; empty for zero
    std::int64_t point = 0;
};

std::optional<Decimal> readDecimal(std::string_view text) {
    Decimal d;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) d.negative = text[i++] == '-';
    std::string all;
    std::int64_t whole = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++whole)
        all += text[i];
    if (i < text.size() && text[i] == '.')
        for (++i; i < text.size() && isDigit(text[i]); ++i)
            all += text[i];
    if (all.empty() || all.size() > 400) return std::nullopt;
    std::int64_t power = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool negative = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
        if (i == text.size() || text.size() - i > 4) return std::nullopt;
        for (; i < text.size() && isDigit(text[i]); ++i)
            power = power * 10 + (text[i] - '0');
        if (negative) power = -power;
    }
    if (i != text.size()) return std::nullopt;
    const std::size_t first = all.find_first_not_of('0');
    if (first == std::string::npos) return d; // zero
    const std::size_t last = all.find_last_not_of('0');
    d.digits = all.substr(first, last - first + 1);
    d.point = whole - static_cast<std::int64_t>(first) + power;
    return d;
}

// `d` rounded half away from zero to `keep` significant digits (none kept: zero, or 1 when it rounds up).
Decimal roundedDigits(Decimal d, std::int64_t keep) {
    if (d.digits.empty() || keep >= static_cast<std::int64_t>(d.digits.size())) return d;
    if (keep < 0) return Decimal{d.negative, "", 0};
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    for (std::size_t i = d.digits.size(); up;) {
        if (i == 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.point;
            break;
        }
        if (d.digits[--i] != '9') {
            ++d.digits[i];
            break;
        }
        d.digits[i] = '0';
    }
    const std::size_t last = d.digits.find_last_not_of('0');
    d.digits.resize(last == std::string::npos ? 0 : last + 1);
    if (d.digits.empty()) d.point = 0;
    return d;
}

// `d` rounded to `decimals` places after the point.
Decimal roundedPlaces(const Decimal& d, int decimals) {
    return roundedDigits(d, d.point + decimals);
}

// The whole part's digits ("0" for none) and exactly `decimals` digits after the point.
std::pair<std::string, std::string> partsOf(const Decimal& d, int decimals) {
    std::string whole;
    std::string fraction;
    for (std::int64_t i = 0; i < d.point; ++i)
        whole += i < static_cast<std::int64_t>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0';
    for (std::int64_t i = d.point; static_cast<std::int64_t>(fraction.size()) < decimals; ++i)
        fraction += i >= 0 && i < static_cast<std::int64_t>(d.digits.size())
                        ? d.digits[static_cast<std::size_t>(i)]
                        : '0';
    return {whole.empty() ? "0" : whole, fraction};
}

std::string grouped(const std::string& whole) {
    std::string out;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) out += ',';
        out += whole[i];
    }
    return out;
}

// General: 15 significant digits written out, trailing zeros dropped; numbers a spreadsheet would write
// in exponent form (or whose form depends on the column's width) are not told.
std::optional<std::string> general(const Decimal& value) {
    const Decimal d = roundedDigits(value, kKeptDigits);
    if (d.digits.empty()) return std::string("0");
    if (d.point > kKeptDigits || d.point < -4) return std::nullopt;
    const int decimals =
        static_cast<int>(std::max<std::int64_t>(0, static_cast<std::int64_t>(d.digits.size()) - d.point));
    auto [whole, fraction] = partsOf(d, decimals);
    return (d.negative ? "-" : "") + whole + (fraction.empty() ? "" : "." + fraction);
}

// A fixed format's code: [#,0]* [. 0*] [%], at least one 0 before the point.
struct Fixed {
    bool thousands = false;
    int decimals = 0;
    bool percent = false;
};

std::optional<Fixed> fixedOf(std::string_view code) {
    Fixed f;
    std::size_t i = 0;
    bool zero = false;
    for (; i < code.size() && (code[i] == '#' || code[i] == '0' || code[i] == ','); ++i) {
        f.thousands = f.thousands || code[i] == ',';
        zero = zero || code[i] == '0';
    }
    if (!zero || (!code.empty() && code[i - 1] == ',')) return std::nullopt; // "0," scales by a thousand
    if (i < code.size() && code[i] == '.')
        for (++i; i < code.size() && code[i] == '0'; ++i)
            ++f.decimals;
    if (i < code.size() && code[i] == '%') {
        f.percent = true;
        ++i;
    }
    if (i != code.size()) return std::nullopt;
    return f;
}

std::string fixed(Decimal d, const Fixed& f) {
    if (f.percent && !d.digits.empty()) d.point += 2;
    d = roundedPlaces(d, f.decimals);
    auto [whole, fraction] = partsOf(d, f.decimals);
    return std::string(d.negative && !d.digits.empty() ? "-" : "") + (f.thousands ? grouped(whole) : whole) +
           (f.decimals > 0 ? "." + fraction : "") + (f.percent ? "%" : "");
}

// Whether a format code shows a date or a time: a d, m, y, h or s outside quotes, escapes and brackets
// (other than an elapsed time's [h]).
bool isDateCode(std::string_view code) {
    bool quoted = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\\' || c == '_' || c == '*') {
            ++i;
            continue;
        }
        if (c == '[') {
            const std::size_t close = code.find(']', i);
            if (close == std::string_view::npos) return false;
            const std::string_view inside = code.substr(i + 1, close - i - 1);
            if (!inside.empty() && (inside[0] == 'h' || inside[0] == 'H' || inside[0] == 'm' ||
                                    inside[0] == 'M' || inside[0] == 's' || inside[0] == 'S'))
                return true;
            i = close;
            continue;
        }
        for (char letter : {'d', 'm', 'y', 'h', 's', 'D', 'M', 'Y', 'H', 'S'})
            if (c == letter) return true;
    }
    return false;
}

// The code of a built-in format that a number keeps its digits in; empty for the others.
std::string_view builtInCode(int id) {
    switch (id) {
    case 0:
        return "General";
    case 1:
        return "0";
    case 2:
        return "0.00";
    case 3:
        return "#,##0";
    case 4:
        return "#,##0.00";
    case 9:
        return "0%";
    case 10:
        return "0.00%";
    case 49:
        return "@";
    default:
        return {};
    }
}

bool isBuiltInDate(int id) {
    return (id >= 14 && id <= 22) || (id >= 45 && id <= 47) || (id >= 27 && id <= 36) ||
           (id >= 50 && id <= 58);
}

} // namespace

ShownNumber shownNumber(std::string_view value, const NumberFormat& format) {
    const std::optional<Decimal> d = readDecimal(value);
    if (!d) return {};
    std::string_view code = format.code.empty() ? builtInCode(format.id) : std::string_view(format.code);
    if (format.code.empty() && isBuiltInDate(format.id)) return {ShownKind::DateOrTime, {}};
    if (code.empty()) return {};
    if (code == "General" || code == "GENERAL" || code == "@") {
        const std::optional<std::string> text = general(*d);
        return text ? ShownNumber{ShownKind::Number, *text} : ShownNumber{};
    }
    if (isDateCode(code)) return {ShownKind::DateOrTime, {}};
    if (const std::optional<Fixed> f = fixedOf(code)) return {ShownKind::Number, fixed(*d, *f)};
    return {};
}

} // namespace specialty
