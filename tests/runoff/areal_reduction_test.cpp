// Areal reduction factors, the table lookup and the factor column.
#include <gtest/gtest.h>

#include <vector>

#include "common/dialogs.h"
#include "common/numbers.h"
#include "runoff/areal_reduction.h"

using namespace corv;

TEST(ArealReduction, FactorsAtAndBetweenTheNodes)
{
    const struct {
        float area, hours;
        const char* factor;
    } cases[] = {{20, 2, "0.928"},    {100, 6, "0.894"},     {50, 1.5f, "0.839"},    {400, 1, "0.655"},
                 {400, 24, "0.913"},  {400, 30, "0.913"},    {400, 23.9f, "0.913"},  {400, 0.5f, "0.550"},
                 {5, 0.25f, "0.933"}, {1000, 12, "0.873"},   {0.5f, 0.25f, "1.000"}, {1, 48, "1.000"}};
    ScriptedDialogs dialogs;
    for (const auto& c : cases)
        EXPECT_EQ(formatMask(ArealReductionFactor(c.area, c.hours, dialogs), "0.000"), c.factor) << c.area << " " << c.hours;
    EXPECT_TRUE(dialogs.asked().empty());
}

TEST(ArealReduction, LocateInTable)
{
    // k in: 0 ascending, 1 descending; out: the pair's first entry and the fraction.
    const auto locate = [](float x, std::vector<float> entries, std::int16_t n, std::int16_t k) {
        VArray<float> t(static_cast<long>(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i) t(static_cast<long>(i) + 1) = entries[i];
        float fraction = -1;
        LocateInTable(x, t, n, fraction, k);
        return std::pair{k, fraction};
    };
    EXPECT_EQ(locate(3, {1, 2, 4}, 3, 0), std::pair(std::int16_t{2}, 0.5f));
    EXPECT_EQ(locate(1, {1, 2, 4}, 3, 0), std::pair(std::int16_t{0}, 0.0f));
    EXPECT_EQ(locate(5, {1, 2, 4, 0}, 3, 0), std::pair(std::int16_t{2}, 1.5f));  // zero-padded: extrapolated
    EXPECT_EQ(locate(4.5f, {24, 6, 3}, 3, 1), std::pair(std::int16_t{2}, 0.5f));  // descending
    EXPECT_EQ(locate(3, {1, 2, 4}, 0, 0), std::pair(std::int16_t{0}, 0.0f));     // an empty table
    // No entry after the n-th, or equal neighbours: the caller gets the error.
    EXPECT_THROW(locate(5, {1, 2, 4}, 3, 0), RuntimeError);
    EXPECT_THROW(locate(5, {1, 2, 2, 0}, 3, 0), RuntimeError);
}

// The factor column through the window (ticked and unticked, areas in acres, emptied
// boxes): form3_chart_window_test. An area of 0 or of letters changes no factor.
TEST(ArealReduction, NoAreaNoFactors)
{
    ScriptedDialogs dialogs;
    for (const char* area : {"0", "abc"}) {
        const ArealReductionInputs in{area, "Basin Area (mi^2)", true, {"2", "6"}};
        for (const auto& f : chkAreaAdj_Click(in, dialogs)) EXPECT_FALSE(f) << area;
    }
    EXPECT_TRUE(dialogs.asked().empty());
}
