// fm cells and usgsround's rounding by magnitude.
#include <gtest/gtest.h>

#include "runoff/number_format.h"

using namespace corv;

TEST(NumberFormat, FmRightJustifiesAndCutsTheRight)
{
    const struct {
        float x;
        const char *mask, *cell;
    } cases[] = {{3.14159f, "##0.00000", "  3.14159"}, {0.5f, "##0.00000", "  0.50000"},
                 {1000, "##0.00000", "1000.0000"},  // ten characters formatted, nine kept
                 {99.96f, "######0.0", "    100.0"}, {-2.5f, "########0", "       -3"},  // halves away from zero
                 {0, "####0.000", "    0.000"}};
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
