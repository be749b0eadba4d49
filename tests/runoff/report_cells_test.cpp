// fm cells and usgsround's rounding by magnitude; the report's fast cells give exactly
// what they and the shortest text give, on delicate values and random singles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "common/numbers.h"
#include "runoff/number_format.h"
#include "runoff/report_cells.h"

using namespace corv;

namespace {

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

void checkAll(const std::vector<float>& values)
{
    const char* masks[] = {"########0", "######0.0", "#####0.00", "####0.000", "###0.0000", "##0.00000"};
    for (float x : values) {
        for (int d : {0, 1, 2, 3, 5}) ASSERT_EQ(maskCell(x, d), fm(x, masks[d])) << x << " decimals " << d;
        float v = static_cast<float>(Val(strSingle(x)));
        usgsround(v);
        const std::string t = strSingle(v);
        ASSERT_EQ(flowCell(x), t.size() >= 9 ? t.substr(0, 9) : std::string(9 - t.size(), ' ') + t) << x;
        ASSERT_EQ(shortestText(x), strSingle(x)) << x;
        v = x;
        const float byRule = usgsround(v), fast = usgsroundValue(x);
        if (std::isnan(byRule)) ASSERT_TRUE(std::isnan(fast));
        else ASSERT_TRUE(std::memcmp(&fast, &byRule, sizeof fast) == 0 || fast == byRule) << x;
        ASSERT_EQ(maskText(x, 2), formatMask(x, "0.00")) << x;
    }
}

}  // namespace

TEST(ReportCells, DelicateAndRandomValuesAsTheGeneralRules)
{
    std::vector<float> values = {NAN, INFINITY, -INFINITY};
    for (float m : {0.0f, 0.0005f, 0.00005f, 0.000125f, 0.0995f, 0.995f, 9.95f, 99.95f, 100.0f, 999.5f, 1005.0f,
                    1e-4f, 9.9999995f, 1e6f, 9999999.5f, 1e7f, 12345678.0f, 1e9f, 1e12f, 3.4e38f, 2.5f, 0.125f,
                    1.005f, 2.675f, 0.25f, 1048576.5f, 99999.995f, 0.045f, 16777216.0f, 33554432.0f, 999999.94f,
                    1e-38f, 1e-45f}) {
        // Two singles either side of each mark, both signs.
        float v = std::nextafter(std::nextafter(m, -INFINITY), -INFINITY);
        for (int k = 0; k < 5; ++k, v = std::nextafter(v, INFINITY)) values.insert(values.end(), {v, -v});
    }
    for (int i = 0; i <= 8000; ++i) values.push_back(static_cast<float>(i) * 0.25f);
    for (int i = 0; i <= 4000; ++i) values.push_back(static_cast<float>(i) / 997.0f);
    std::mt19937 gen(20240611);  // random magnitudes, and singles of any bit pattern (NaNs, infinities)
    std::uniform_real_distribution<double> exponent(-6.0, 10.0);
    for (int i = 0; i < 12000; ++i) {
        const auto magnitude = static_cast<float>(std::pow(10.0, exponent(gen)));
        const std::uint32_t bits = gen();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        values.insert(values.end(), {i % 2 ? magnitude : -magnitude, f});
    }
    checkAll(values);

    EXPECT_EQ(flowCell(96.7995f), "       97");
    EXPECT_EQ(flowCell(123456789), "1.234568E");  // the exponent form, cut to nine
}

TEST(NumberFormat, FmRightJustifiesAndCutsTheRight)
{
    const struct {
        float x;
        const char *mask, *cell;
    } cases[] = {{3.14159f, "##0.00000", "  3.14159"}, {0.5f, "##0.00000", "  0.50000"},
                 {1000, "##0.00000", "1000.0000"},  // ten characters formatted, nine kept
                 {99.96f, "######0.0", "    100.0"}, {-2.5f, "########0", "       -3"},  // halves away from zero
                 {0, "####0.000", "    0.000"}, {-0.0f, "#####0.00", "     0.00"},
                 {-0.000001f, "##0.00000", " -0.00000"}};  // the sign stays on a rounded zero
    for (const auto& c : cases) EXPECT_EQ(fm(c.x, c.mask), c.cell) << c.x;
}

TEST(NumberFormat, UsgsroundByMagnitude)
{
    const std::pair<float, float> cases[] = {
        {999.4f, 999},     {999.5f, 1000},  {1234, 1230},      {1235, 1240},      {1005, 1010},    {-1005, -1000},
        {9.94f, 9.9f},     {9.95f, 10},     {0.994f, 0.99f},   {0.995f, 1.0f},    {0.0994f, 0.099f},
        {0.0995f, 0.1f},   {-2.345f, -2.3f}, {0.0123f, 0.012f}, {0, 0},            {53.3333f, 53},  {9.96f, 10}};
    for (auto [in, out] : cases) {
        float v = in;
        EXPECT_FLOAT_EQ(usgsround(v), out) << in;
        EXPECT_FLOAT_EQ(v, out) << "rewritten in place: " << in;
    }
}
