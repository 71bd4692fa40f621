#include "core/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <locale>
#include <string>

#include "core/Errors.h"

namespace varnodel {
namespace {

struct FieldCase {
    double value;
    int width;
    int decimals;
    const char* text;
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << c.value << " w" << c.width << " d" << c.decimals;
}

class FixedFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FixedFieldTest, Formats) {
    const auto& c = GetParam();
    EXPECT_EQ(fixedField(c.value, c.width, c.decimals), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixedFieldTest,
    ::testing::Values(FieldCase{3.14159, 7, 4, " 3.1416"}, FieldCase{9.994, 0, 2, "9.99"},
                      FieldCase{9.995, 0, 2, "10.00"},  // decimal rounding, half away from zero
                      FieldCase{1.005, 6, 2, "  1.01"}, FieldCase{-1.005, 6, 2, " -1.01"},
                      FieldCase{-0.001, 5, 2, " 0.00"},  // no "-0.00"
                      FieldCase{0.0, 4, 0, "   0"}, FieldCase{0.5, 1, 0, "1"},
                      FieldCase{0.4, 1, 0, "0"}, FieldCase{123456.789, 3, 1, "123456.8"},
                      FieldCase{1e-7, 8, 3, "   0.000"}, FieldCase{0.000951, 0, 3, "0.001"},
                      FieldCase{99.999, 6, 2, "100.00"}, FieldCase{-1.0, 5, 2, "-1.00"},
                      FieldCase{1234.5, 0, 1, "1234.5"},
                      FieldCase{2.5e20, 0, 1, "250000000000000000000.0"}));

TEST(FixedText, SwitchesToScientificPastThePrecision) {
    EXPECT_EQ(fixedText(1234.5, 6, 1), "1234.5");
    EXPECT_EQ(fixedText(12345, 4, 0), "1.235E4");
    EXPECT_EQ(fixedText(-12345, 4, 0), "-1.235E4");
    EXPECT_EQ(fixedText(9999, 4, 0), "9999");
    EXPECT_EQ(fixedText(99999, 4, 2), "1.000E5");  // rounding carries into the exponent
    EXPECT_EQ(fixedText(0.5, 4, 3), "0.500");
}

TEST(ShortestGeneral, DropsTrailingZerosAndSwitchesAtTheLimits) {
    EXPECT_EQ(shortestGeneral(0.3), "0.3");
    EXPECT_EQ(shortestGeneral(1e-5), "1E-5");
    EXPECT_EQ(shortestGeneral(5e-5), "5E-5");
    EXPECT_EQ(shortestGeneral(1e-4), "0.0001");
    EXPECT_EQ(shortestGeneral(100.0), "100");
    EXPECT_EQ(shortestGeneral(-2.5), "-2.5");
    EXPECT_EQ(shortestGeneral(0.0), "0");
    EXPECT_EQ(shortestGeneral(1e15), "1E15");
    EXPECT_EQ(shortestGeneral(123456789012345.0), "123456789012345");
    EXPECT_EQ(shortestGeneral(1.0 / 3.0), "0.333333333333333");  // 15 significant digits
    EXPECT_EQ(shortestGeneral(2.0 / 3.0), "0.666666666666667");
}

TEST(Padded, TwoBlanksBelowTheRoundingPoint) {
    EXPECT_EQ(padded(9.994), "  9.99");
    EXPECT_EQ(padded(9.995), " 10.00");
    EXPECT_EQ(padded(0.1), "  0.10");
    EXPECT_EQ(padded(51.234), " 51.23");
}

struct BoundedCase {
    const char* text;
    double min;
    double max;
    double value;
    const char* status;
};

void PrintTo(const BoundedCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class ParseBoundedTest : public ::testing::TestWithParam<BoundedCase> {};

TEST_P(ParseBoundedTest, ReadsLenientlyAndClamps) {
    const auto& c = GetParam();
    const BoundedValue result = parseBoundedWithStatus(c.text, c.min, c.max);
    EXPECT_DOUBLE_EQ(result.value, c.value) << '"' << c.text << '"';
    EXPECT_EQ(result.status, c.status) << '"' << c.text << '"';
    EXPECT_DOUBLE_EQ(parseBounded(c.text, c.min, c.max), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseBoundedTest,
    ::testing::Values(BoundedCase{"12.5", 0, 100, 12.5, "good"},
                      BoundedCase{"12.5abc", 0, 100, 12.5, "good"},
                      BoundedCase{"", 0, 100, 0, "good"}, BoundedCase{"abc", 0, 100, 0, "good"},
                      BoundedCase{"1,5", 0, 100, 1, "good"},  // the point is the separator
                      BoundedCase{"150", 0, 100, 100, "bad"}, BoundedCase{"-3", 0, 100, 0, "bad"},
                      BoundedCase{"-3", -10, 10, -3, "good"}, BoundedCase{" 7 ", 0, 100, 7, "good"},
                      BoundedCase{"+2", 0, 100, 2, "good"},
                      BoundedCase{"1e3", 0, 1e9, 1000, "good"},
                      BoundedCase{"nan", 0, 100, 0, "good"},  // never a NaN
                      BoundedCase{"inf", 0, 100, 0, "good"},
                      BoundedCase{"1e400", 0, 100, 100, "bad"},           // too large: the maximum
                      BoundedCase{"1e400", -1e300, 1e300, 1e40, "good"},  // as dropping finds it
                      BoundedCase{"1e-400", -1, 1, 1e-40, "good"}));

// A field of a million digits is read in one pass, as the prefix the dropping would reach.
TEST(ParseBounded, EndlessFieldsReadAsTheirLongestReadablePrefix) {
    EXPECT_EQ(parseBoundedWithStatus(std::string(1'000'000, '1'), 0, 100).status, "bad");
    EXPECT_EQ(parseBounded(std::string(1'000'000, '1'), 0, HUGE_VAL),
              std::stod(std::string(309, '1')));
    EXPECT_DOUBLE_EQ(parseBounded("2." + std::string(1'000'000, '5')), 2.5555555555555556);
    EXPECT_EQ(parseBounded(std::string(1'000'000, 'x')), 0.0);
}

TEST(NumberWriters, RefuseNonFiniteValues) {
    for (const double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        EXPECT_THROW(fixedField(bad, 7, 2), EFloatingPointError);
        EXPECT_THROW(fixedText(bad, 6, 1), EFloatingPointError);
        EXPECT_THROW(shortestGeneral(bad), EFloatingPointError);
        EXPECT_THROW(padded(bad), EFloatingPointError);
    }
}

TEST(ParseBounded, DefaultBoundsAreZeroToHundred) {
    EXPECT_EQ(parseBounded("250"), 100.0);
    EXPECT_EQ(parseBounded("-1"), 0.0);
}

TEST(ParseNumber, IsStrict) {
    double v = -1;
    EXPECT_TRUE(parseNumber(" 2.75 ", v));
    EXPECT_EQ(v, 2.75);
    EXPECT_FALSE(parseNumber("2.75x", v));
    EXPECT_FALSE(parseNumber("", v));
    EXPECT_FALSE(parseNumber("nan", v));
    EXPECT_EQ(v, 2.75);  // untouched on failure
}

// A locale whose decimal separator is a comma, as on a German or French desktop.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST(CsvField, QuotesOnlyFieldsThatWouldSplitARow) {
    const std::pair<const char*, const char*> cases[] = {
        {"VG-2 Juan de Fuca MORB glass", "VG-2 Juan de Fuca MORB glass"},
        {" 1.2500", " 1.2500"},
        {"", ""},
        {"Olv-Ford et al., 1983", "\"Olv-Ford et al., 1983\""},
        {"KL2;G", "\"KL2;G\""},
        {"the \"old\" glass", "\"the \"\"old\"\" glass\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\rlf", "\"cr\rlf\""},
    };
    for (const auto& [text, field] : cases)
        EXPECT_EQ(csvField(text), field) << text;
}

TEST(NumberFormat, PointUnderACommaLocale) {
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    EXPECT_EQ(fixedField(3.25, 5, 2), " 3.25");
    EXPECT_EQ(shortestGeneral(0.3), "0.3");
    double v = 0;
    EXPECT_TRUE(parseNumber("1.5", v));
    EXPECT_EQ(v, 1.5);
    EXPECT_EQ(parseBounded("2,5"), 2.0);
    std::locale::global(previous);
}

}  // namespace
}  // namespace varnodel
