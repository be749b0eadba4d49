// The report's cells give exactly what fm, usgsround and the shortest text give, on
// the values where rounding is delicate and on a wide spread of random singles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/numbers.h"
#include "runoff/number_format.h"
#include "runoff/report_cells.h"

using namespace corv;

namespace {

const char* const kMasks[] = {"########0", "######0.0", "#####0.00", "####0.000", "###0.0000", "##0.00000"};

std::string flowCellByTheRules(float x)
{
    float v = static_cast<float>(Val(strSingle(x)));
    usgsround(v);
    std::string t = strSingle(v);
    if (t.size() >= 9) return t.substr(0, 9);
    return std::string(9 - t.size(), ' ') + t;
}

std::string maskCell(float x, int decimals)
{
    std::string s;
    appendMaskCell(s, x, decimals);
    return s;
}

std::string flowCell(float x)
{
    std::string s;
    appendFlowCell(s, x);
    return s;
}

// Singles on both sides of a value.
std::vector<float> around(float v)
{
    return {std::nextafter(std::nextafter(v, -INFINITY), -INFINITY), std::nextafter(v, -INFINITY), v,
            std::nextafter(v, INFINITY), std::nextafter(std::nextafter(v, INFINITY), INFINITY)};
}

std::vector<float> delicateValues()
{
    std::vector<float> out;
    const float marks[] = {0,       0.0005f, 0.00005f, 0.000125f, 0.0995f, 0.995f,   9.95f,    99.95f,  100,
                           999.5f,  1005,    -1005,    1e-4f,     9.9999995f, 1e6f,  9999999.5f, 1e7f, 12345678.0f,
                           1e9f,    1e12f,   3.4e38f,  -2.5f, 0.125f,   1.005f,  2.675f,   0.25f,   1048576.5f,
                           99999.995f, 0.045f, 16777216.0f, 33554432.0f, 999999.94f, 1e-38f, 1e-45f};
    for (float m : marks) {
        for (float v : around(m)) {
            out.push_back(v);
            out.push_back(-v);
        }
    }
    for (int i = 0; i <= 8000; ++i) out.push_back(static_cast<float>(i) * 0.25f);
    for (int i = 0; i <= 4000; ++i) out.push_back(static_cast<float>(i) / 997.0f);
    out.push_back(NAN);
    out.push_back(INFINITY);
    out.push_back(-INFINITY);
    return out;
}

std::vector<float> randomValues(int n)
{
    std::mt19937 gen(20240611);
    std::uniform_real_distribution<double> exponent(-6.0, 10.0);
    std::uniform_int_distribution<std::uint32_t> bits;
    std::vector<float> out;
    for (int i = 0; i < n; ++i) {
        const double magnitude = std::pow(10.0, exponent(gen));
        out.push_back(static_cast<float>(i % 2 ? magnitude : -magnitude));
        // Any bit pattern at all, NaNs and infinities included.
        std::uint32_t b = bits(gen);
        float f;
        std::memcpy(&f, &b, sizeof f);
        out.push_back(f);
    }
    return out;
}

void checkAll(const std::vector<float>& values)
{
    for (float x : values) {
        for (int d : {0, 1, 2, 3, 5}) ASSERT_EQ(maskCell(x, d), fm(x, kMasks[d])) << x << " decimals " << d;
        ASSERT_EQ(flowCell(x), flowCellByTheRules(x)) << x;
        ASSERT_EQ(shortestText(x), strSingle(x)) << x;
        float v = x;
        const float byRule = usgsround(v);
        const float fast = usgsroundValue(x);
        if (std::isnan(byRule)) ASSERT_TRUE(std::isnan(fast));
        else ASSERT_EQ(std::memcmp(&fast, &byRule, sizeof fast) == 0 || fast == byRule, true) << x;
        ASSERT_EQ(maskText(x, 2), formatMask(x, "0.00")) << x;
    }
}

}  // namespace

TEST(ReportCells, DelicateValuesAsTheGeneralRules)
{
    checkAll(delicateValues());
    // The cells the report relies on.
    EXPECT_EQ(maskCell(0.25f, 5), "  0.25000");
    EXPECT_EQ(maskCell(3, 1), "      3.0");
    EXPECT_EQ(maskCell(-0.000001f, 5), "  0.00000");  // no minus before a zero
    EXPECT_EQ(maskCell(1000, 5), "1000.0000");        // ten characters, the first nine kept
    EXPECT_EQ(flowCell(1005), "     1010");
    EXPECT_EQ(flowCell(96.7995f), "       97");
    EXPECT_EQ(flowCell(0.0123f), "    0.012");
    EXPECT_EQ(flowCell(123456789), "1.234568E");  // the exponent form, cut to nine
    EXPECT_EQ(shortestText(0.5f), "0.5");
}

TEST(ReportCells, RandomSinglesAsTheGeneralRules) { checkAll(randomValues(12000)); }
