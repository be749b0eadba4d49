// Number rules: reading numbers, 16-bit counts, text and print forms, format masks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/module1.h"
#include "common/numbers.h"
#include "support/error_number.h"

using namespace corv;

using corv::test::errorNumber;

TEST(Val, ReadsTheLeadingNumber)
{
    // A million digits read whole: 0.333... is the double nearest 1/3, and 2^20 threes
    // times 10^-(2^20 + 4) is 0.333... x 10^-4, the double nearest 1/30000.
    const std::string thirds = "0." + std::string(1 << 20, '3'),
                      tail = std::string(1 << 20, '3') + "e-" + std::to_string((1 << 20) + 4);
    const std::pair<const char*, double> cases[] = {
        {thirds.c_str(), 1.0 / 3}, {tail.c_str(), 1.0 / 30000},
        {"0.2 fast", 0.2}, {"  12.5", 12.5}, {"1 2 3", 123} /* blanks are skipped */, {"-3.5e2x", -350},
        {"1,000", 1} /* a comma ends the number */, {"1.5.3", 1.5}, {"1e", 1}, {".5", 0.5}, {"abc", 0}, {"", 0},
        {"-", 0}, {"2D3", 2000}};
    for (auto [text, value] : cases) EXPECT_DOUBLE_EQ(Val(text), value) << text;
    EXPECT_DOUBLE_EQ(toNumberStrict(" 42 "), 42);
    for (const char* text : {"4x", ""}) EXPECT_EQ(errorNumber([&] { toNumberStrict(text); }), err::kTypeMismatch);
    // A file field or database value is one number: blanks around it, none inside.
    EXPECT_DOUBLE_EQ(toOneNumber("\t12.5 "), 12.5);
    for (const char* text : {"0.5 2", "12\t5", "- 5", ""})
        EXPECT_EQ(errorNumber([&] { toOneNumber(text); }), err::kTypeMismatch) << text;
}

// Quotients rounded to step counts in single precision: 0.75 / 0.1 is 7.5 in single
// (even 8) but 7.4999999 in double (7); 0.55 / 0.1 is 5.5 (even 6).
TEST(Counts, HalvesToEvenOverflowAndSingleQuotients)
{
    for (auto [x, n] : {std::pair{2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.6, 3}, {32767.4, 32767}}) EXPECT_EQ(toInt16(x), n) << x;
    EXPECT_EQ(intFloor(-1.5), -2);
    EXPECT_EQ(intFloor(1.9999), 1);
    EXPECT_EQ(toInt16(0.75 / static_cast<double>(6.0f / 60.0f)), 7);
    for (auto [t, step, n] : {std::tuple{0.75f, 6.0f / 60.0f, 8}, {0.05f + 0.5f, 0.1f, 6}, {1.5f, 10.0f / 60.0f, 9}})
        EXPECT_EQ(stepCount(t, step), n) << t;
    const std::pair<std::function<void()>, int> failures[] = {
        {[] { toInt16(32767.5); }, err::kOverflow}, {[] { toInt16(-32769.0); }, err::kOverflow},
        {[] { toInt16(std::numeric_limits<double>::infinity()); }, err::kOverflow},
        {[] { toInt16(std::nan("")); }, err::kOverflow}, {[] { add16(32767, 1); }, err::kOverflow},
        {[] { toSingle(1e39); }, err::kOverflow}, {[] { divide(1, 0); }, err::kDivisionByZero},
        {[] { divide(0, 0); }, err::kOverflow}, {[] { stepCount(1, 0); }, err::kDivisionByZero},
        {[] { singleQuotient(0, 0); }, err::kOverflow}, {[] { stepCount(1e6f, 1); }, err::kOverflow}};
    for (std::size_t i = 0; i < std::size(failures); ++i) EXPECT_EQ(errorNumber(failures[i].first), failures[i].second) << i;
}

TEST(TextForms, GeneralAndPrintForms)
{
    const std::pair<float, const char*> singles[] = {
        {1.25f, "1.25"}, {0.1f, "0.1"}, {0.3f + 0.6f, "0.9"} /* 7 significant digits */, {1234567.0f, "1234567"},
        {12345678.0f, "1.234568E+07"}, {1e38f, "1E+38"}, {-1e38f, "-1E+38"}, {0.0001f, "0.0001"},
        {0.000015f, "1.5E-05"}, {0.0f, "0"}, {-2.5f, "-2.5"}, {100.0f, "100"}};
    for (auto [v, text] : singles) EXPECT_EQ(strSingle(v), text) << text;
    EXPECT_EQ(strDouble(0.1 + 0.2), "0.3");
    EXPECT_EQ(strDouble(123456789012.0), "123456789012");
    for (auto [v, text] : {std::pair{0.5f, " .5 "}, {-0.5f, "-.5 "}, {12.0f, " 12 "}, {-1.25f, "-1.25 "}, {0.0f, " 0 "}})
        EXPECT_EQ(printSingle(v), text) << text;
    EXPECT_EQ(printDouble(0.05), " .05 ");
}

TEST(FormatMasks, DigitsPointsAndHalvesAwayFromZero)
{
    const std::tuple<double, const char*, const char*> cases[] = {
        {2.345, "0.00", "2.35"}, {-2.345, "0.00", "-2.35"}, {1.005, "0.00", "1.01"}, {0.125, "0.00", "0.13"},
        {2.5, "#0", "3"}, {9.96, "#0.0", "10.0"}, {5, "#00", "05"}, {5000, "#00", "5000"}, {0, "#", ""},
        {0.004, "0.00", "0.00"}, {-0.0, "0.00", "0.00"}, {-0.004, "0.00", "-0.00"} /* the sign stays on a rounded zero */};
    // The nine-character report cells (runoff's number format tests) show the ##0.00000 masks.
    for (auto [v, mask, text] : cases) EXPECT_EQ(formatMask(v, mask), text) << v << " " << mask;
}

TEST(PickNumberFormat, ClassesByPowerOfTen)
{
    const std::tuple<float, const char*, const char*> cases[] = {
        {0, "0.00", "0.00"},      {-1.5f, "0.00", "-1.50"}, {0.05f, "0.0000", "0.0500"}, {0.5f, "0.000", "0.500"},
        {5, "0.00", "5.00"},      {50, "#0.0", "50.0"},     {500, "#0", "500"},         {5000, "#00", "5000"},
        {10, "0.00", "10.00"},    {100, "#0.0", "100.0"},   {1000, "#0", "1000"},       {640, "#0", "640"}};
    for (auto [v, format, written] : cases) {
        EXPECT_EQ(PickNumberFormat(v), format) << v;
        EXPECT_EQ(formatMeasurement(v), written) << v;
    }
}
