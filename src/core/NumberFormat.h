// Every number the program writes or reads goes through these helpers: a point as decimal
// separator whatever the locale, and one rounding rule (half away from zero on the number as
// written in decimal, so 9.995 becomes 10.00 as a reader expects).
#pragma once

#include <string>
#include <string_view>

namespace varnodel {

// `decimals` decimals, right-aligned in at least `width` characters: fixedField(3.14159, 7, 4)
// is " 3.1416". A value that rounds to zero is written without a minus sign.
std::string fixedField(double value, int width, int decimals);

// `decimals` decimals without padding; when the integer part has more than `precision` digits,
// scientific with `precision` significant digits: fixedText(12345, 4, 0) is "1.235E4".
std::string fixedText(double value, int precision, int decimals);

// Up to 15 significant digits without trailing zeros; scientific when the decimal exponent is
// below -4 or from 15 on: 0.3 is "0.3", 1e-5 is "1E-5".
std::string shortestGeneral(double value);

// The padded labels and names of the tables: `text` without its trailing blanks; `text`
// right-aligned or left-aligned in `width` characters (never cut).
std::string trimmedRight(std::string_view text);
std::string rightAligned(std::string_view text, std::size_t width);
std::string leftAligned(std::string_view text, std::size_t width);

// Composition lines: two decimals after two blanks below 9.995, after one blank from it on.
std::string padded(double value);

// A text field of a result or parameter file, by the usual CSV rule: a text holding a comma, a
// double quote or a line break is written between double quotes, each quote inside doubled
// ("Olv-Ford et al., 1983" becomes "\"Olv-Ford et al., 1983\""). A semicolon counts as well,
// so that a spreadsheet that splits on semicolons keeps the field whole. Any other text is
// returned as it is. Every writer passes names, labels and report lines through it.
std::string csvField(std::string_view text);

// Strict reading of a whole text (surrounding blanks allowed) as a finite decimal number.
bool parseNumber(std::string_view text, double& value);

// Lenient reading of typed or file text: trailing characters are dropped until the rest parses
// (an empty text is 0); the number is then clamped into [min, max].
double parseBounded(std::string_view text, double min = 0.0, double max = 100.0);

struct BoundedValue {
    double value;
    std::string status;  // "good", or "bad" when the value had to be clamped
};
BoundedValue parseBoundedWithStatus(std::string_view text, double min = 0.0, double max = 100.0);

}  // namespace varnodel
