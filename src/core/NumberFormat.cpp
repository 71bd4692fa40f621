#include "core/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>

#include "core/Errors.h"

namespace varnodel {

namespace {

// The shortest decimal digits of |value| that read back to the same double, and the decimal
// exponent of the first digit: value = 0.d1d2d3... x 10^(exponent + 1).
struct Decimal {
    std::string digits;
    int exponent = 0;
};

Decimal shortestDecimal(double value) {
    // Every writer comes through here: a NaN or an infinity is the caller's floating-point
    // error, never text in a file.
    if (!std::isfinite(value))
        throw EFloatingPointError("a value to be written is not a finite number");
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                   std::chars_format::scientific);
    (void)ec;
    const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    const auto e = text.find('e');
    Decimal d;
    for (char c : text.substr(0, e))
        if (c != '.') d.digits.push_back(c);
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                    d.exponent);
    return d;
}

// Rounds the digit string half away from zero so that `keep` digits remain (keep may be <= 0).
// Returns the rounded digits (which may have gained a leading '1') and adjusts the exponent.
Decimal roundDigits(Decimal d, int keep) {
    if (keep < 0) return Decimal{"", d.exponent};
    if (static_cast<std::size_t>(keep) >= d.digits.size()) return d;
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        for (; i >= 0; --i) {
            auto& c = d.digits[static_cast<std::size_t>(i)];
            if (c == '9') {
                c = '0';
            } else {
                ++c;
                break;
            }
        }
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    return d;
}

// Rounds to `decimals` places after the point; the digits may come out empty (a zero).
Decimal roundToDecimals(const Decimal& d, int decimals) {
    const int keep = d.exponent + 1 + decimals;
    if (keep > 0) return roundDigits(d, keep);
    // Only the rounding digit is left, or not even that: 0.6 with no decimals becomes 1.
    if (keep == 0 && d.digits[0] >= '5') return Decimal{"1", d.exponent + 1};
    return Decimal{"", 0};
}

std::string fixedDigits(double value, int decimals) {
    const Decimal d =
        value == 0.0 ? Decimal{"", 0} : roundToDecimals(shortestDecimal(value), decimals);
    const auto digitAt = [&d](int power) {
        const int i = d.exponent - power;
        return i >= 0 && i < static_cast<int>(d.digits.size())
                   ? d.digits[static_cast<std::size_t>(i)]
                   : '0';
    };
    std::string text = value < 0.0 && !d.digits.empty() ? "-" : "";
    for (int power = std::max(d.exponent, 0); power >= 0; --power)
        text.push_back(digitAt(power));
    if (decimals > 0) {
        text.push_back('.');
        for (int power = -1; power >= -decimals; --power)
            text.push_back(digitAt(power));
    }
    return text;
}

std::string scientific(const Decimal& d, bool negative) {
    std::string text = negative ? "-" : "";
    text.push_back(d.digits.empty() ? '0' : d.digits[0]);
    if (d.digits.size() > 1) text += "." + d.digits.substr(1);
    return text + "E" + std::to_string(d.exponent);
}

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string fixedField(double value, int width, int decimals) {
    std::string text = fixedDigits(value, decimals);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

std::string fixedText(double value, int precision, int decimals) {
    if (value != 0.0 && std::isfinite(value)) {
        const Decimal d = shortestDecimal(value);
        if (d.exponent + 1 > precision) {
            Decimal r = roundDigits(d, precision);
            r.digits.resize(static_cast<std::size_t>(precision), '0');
            return scientific(r, value < 0.0);
        }
    }
    return fixedDigits(value, decimals);
}

std::string trimmedRight(std::string_view text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return std::string(text);
}

std::string rightAligned(std::string_view text, std::size_t width) {
    std::string out(text.size() < width ? width - text.size() : 0, ' ');
    return out.append(text);
}

std::string leftAligned(std::string_view text, std::size_t width) {
    std::string out(text);
    if (out.size() < width) out.append(width - out.size(), ' ');
    return out;
}

std::string shortestGeneral(double value) {
    if (value == 0.0) return "0";
    Decimal d = roundDigits(shortestDecimal(value), 15);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.exponent < -4 || d.exponent >= 15) return scientific(d, value < 0.0);
    const int decimals = std::max(0, static_cast<int>(d.digits.size()) - d.exponent - 1);
    return fixedDigits(value, decimals);
}

std::string padded(double value) {
    return (value < 9.995 ? "  " : " ") + fixedDigits(value, 2);
}

bool parseNumber(std::string_view text, double& value) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    double parsed = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

namespace {

// No number needs more characters than this; a longer text is read from its first ones, which
// keeps the reading of an endless field linear.
constexpr std::size_t kLongestNumberText = 400;

// The lenient rule drops trailing characters until the rest parses. No text longer than the
// longest prefix of number form (the match of from_chars) can parse, so that is where the
// dropping starts; shorter prefixes are only tried when that one is out of range.
std::optional<double> longestReadablePrefix(std::string_view text) {
    text = trim(text.substr(0, kLongestNumberText));
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double parsed = 0.0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec == std::errc::invalid_argument) return std::nullopt;
    if (ec == std::errc{}) {
        // "inf" and "nan" have no shorter prefix of number form either.
        if (!std::isfinite(parsed)) return std::nullopt;
        return parsed;
    }
    for (auto length = static_cast<std::size_t>(end - text.data()); length-- > 1;) {
        const std::string_view prefix = text.substr(0, length);
        const auto [stop, error] =
            std::from_chars(prefix.data(), prefix.data() + prefix.size(), parsed);
        if (error == std::errc{} && stop == prefix.data() + prefix.size() && std::isfinite(parsed))
            return parsed;
    }
    return std::nullopt;
}

}  // namespace

BoundedValue parseBoundedWithStatus(std::string_view text, double min, double max) {
    const double value = longestReadablePrefix(text).value_or(0.0);
    if (value < min) return {min, "bad"};
    if (value > max) return {max, "bad"};
    return {value, "good"};
}

double parseBounded(std::string_view text, double min, double max) {
    return parseBoundedWithStatus(text, min, max).value;
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",;\"\r\n") == std::string_view::npos) return std::string(text);
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

}  // namespace varnodel
