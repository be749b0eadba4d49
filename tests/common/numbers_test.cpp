// Number rules: reading numbers, 16-bit counts, text and print forms, format masks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/module1.h"
#include "common/numbers.h"
#include "common/runtime_error.h"

using namespace corv;

namespace {
int errorNumber(auto&& f)
{
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}
}  // namespace

TEST(Val, ReadsTheLeadingNumber)
{
    EXPECT_DOUBLE_EQ(Val("0.2 fast"), 0.2);
    EXPECT_DOUBLE_EQ(Val("  12.5"), 12.5);
    EXPECT_DOUBLE_EQ(Val("1 2 3"), 123);  // blanks are skipped
    EXPECT_DOUBLE_EQ(Val("-3.5e2x"), -350);
    EXPECT_DOUBLE_EQ(Val("1,000"), 1);  // a comma ends the number
    EXPECT_DOUBLE_EQ(Val("1.5.3"), 1.5);
    EXPECT_DOUBLE_EQ(Val("1e"), 1);
    EXPECT_DOUBLE_EQ(Val(".5"), 0.5);
    EXPECT_DOUBLE_EQ(Val("abc"), 0);
    EXPECT_DOUBLE_EQ(Val(""), 0);
    EXPECT_DOUBLE_EQ(Val("-"), 0);
    EXPECT_DOUBLE_EQ(Val("2D3"), 2000);
    EXPECT_DOUBLE_EQ(toNumberStrict(" 42 "), 42);
    EXPECT_EQ(errorNumber([] { toNumberStrict("4x"); }), err::kTypeMismatch);
    EXPECT_EQ(errorNumber([] { toNumberStrict(""); }), err::kTypeMismatch);
}

TEST(Counts, HalvesToEvenAndOverflow)
{
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(3.5), 4);
    EXPECT_EQ(toInt16(-2.5), -2);
    EXPECT_EQ(toInt16(2.6), 3);
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_EQ(errorNumber([] { toInt16(32767.5); }), err::kOverflow);
    EXPECT_EQ(errorNumber([] { toInt16(-32769); }), err::kOverflow);
    EXPECT_EQ(errorNumber([] { toInt16(std::numeric_limits<double>::infinity()); }), err::kOverflow);
    EXPECT_EQ(errorNumber([] { toInt16(std::nan("")); }), err::kOverflow);
    EXPECT_EQ(errorNumber([] { add16(32767, 1); }), err::kOverflow);
    EXPECT_EQ(add16(-5, 3), -2);
    EXPECT_EQ(intFloor(-1.5), -2);
    EXPECT_EQ(intFloor(1.9999), 1);
    EXPECT_EQ(errorNumber([] { toSingle(1e39); }), err::kOverflow);
    EXPECT_FLOAT_EQ(toSingle(1.5), 1.5f);
}

TEST(Division, ZeroDivisorsRaiseTheirErrors)
{
    EXPECT_DOUBLE_EQ(divide(1, 4), 0.25);
    EXPECT_EQ(errorNumber([] { divide(1, 0); }), err::kDivisionByZero);
    EXPECT_EQ(errorNumber([] { divide(0, 0); }), err::kOverflow);
}

TEST(TextForms, GeneralTextOfSingleAndDouble)
{
    EXPECT_EQ(strSingle(1.25f), "1.25");
    EXPECT_EQ(strSingle(0.1f), "0.1");
    EXPECT_EQ(strSingle(0.3f + 0.6f), "0.9");  // 7 significant digits
    EXPECT_EQ(strSingle(1234567.0f), "1234567");
    EXPECT_EQ(strSingle(12345678.0f), "1.234568E+07");
    EXPECT_EQ(strSingle(1e38f), "1E+38");
    EXPECT_EQ(strSingle(-1e38f), "-1E+38");
    EXPECT_EQ(strSingle(0.0001f), "0.0001");
    EXPECT_EQ(strSingle(0.000015f), "1.5E-05");
    EXPECT_EQ(strSingle(0.0f), "0");
    EXPECT_EQ(strSingle(-2.5f), "-2.5");
    EXPECT_EQ(strSingle(100.0f), "100");
    EXPECT_EQ(strDouble(0.1 + 0.2), "0.3");
    EXPECT_EQ(strDouble(123456789012.0), "123456789012");
    for (float v : {1.25f, -3.75e-9f, 6.02e23f, 4000.0f})
        EXPECT_EQ(strSingle(v).find(' '), std::string::npos);
}

TEST(TextForms, PrintForm)
{
    EXPECT_EQ(printSingle(0.5f), " .5 ");
    EXPECT_EQ(printSingle(-0.5f), "-.5 ");
    EXPECT_EQ(printSingle(12.0f), " 12 ");
    EXPECT_EQ(printSingle(-1.25f), "-1.25 ");
    EXPECT_EQ(printSingle(0.0f), " 0 ");
    EXPECT_EQ(printDouble(0.05), " .05 ");
}

TEST(FormatMasks, DigitsPointsAndHalvesAwayFromZero)
{
    EXPECT_EQ(formatMask(3.14159, "##0.00000"), "3.14159");
    EXPECT_EQ(formatMask(0.5, "##0.00000"), "0.50000");
    EXPECT_EQ(formatMask(1000, "##0.00000"), "1000.00000");
    EXPECT_EQ(formatMask(2.345, "0.00"), "2.35");
    EXPECT_EQ(formatMask(-2.345, "0.00"), "-2.35");
    EXPECT_EQ(formatMask(1.005, "0.00"), "1.01");
    EXPECT_EQ(formatMask(0.125, "0.00"), "0.13");
    EXPECT_EQ(formatMask(2.5, "#0"), "3");
    EXPECT_EQ(formatMask(-2.5, "#0"), "-3");
    EXPECT_EQ(formatMask(9.96, "#0.0"), "10.0");
    EXPECT_EQ(formatMask(5, "#00"), "05");
    EXPECT_EQ(formatMask(5000, "#00"), "5000");
    EXPECT_EQ(formatMask(0, "#"), "");
    EXPECT_EQ(formatMask(0.004, "0.00"), "0.00");
    EXPECT_EQ(formatMask(-0.004, "0.00"), "0.00");  // no minus sign on a zero
    EXPECT_EQ(formatMask(99.95, "######0.0"), "100.0");
}

TEST(PickNumberFormat, ClassesByPowerOfTen)
{
    struct Case {
        float v;
        const char* format;
        const char* written;
    };
    const Case cases[] = {
        {0, "0.00", "0.00"},      {-1.5f, "0.00", "-1.50"},   {0.05f, "0.0000", "0.0500"},
        {0.5f, "0.000", "0.500"}, {5, "0.00", "5.00"},        {50, "#0.0", "50.0"},
        {500, "#0", "500"},       {5000, "#00", "5000"},      {10, "0.00", "10.00"},
        {100, "#0.0", "100.0"},   {1000, "#0", "1000"},       {640, "#0", "640"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PickNumberFormat(c.v), c.format) << c.v;
        EXPECT_EQ(formatMeasurement(c.v), c.written) << c.v;
    }
}
