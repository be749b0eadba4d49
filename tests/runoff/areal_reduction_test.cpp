// Areal reduction factors, the table lookup and the factor column.
#include <gtest/gtest.h>

#include "common/dialogs.h"
#include "common/numbers.h"
#include "runoff/areal_reduction.h"

using namespace corv;

namespace {
QString factorText(float area, float hours)
{
    ScriptedDialogs dialogs;
    const float f = ArealReductionFactor(area, hours, dialogs);
    EXPECT_TRUE(dialogs.asked().empty());
    return QString::fromStdString(formatMask(f, "0.000"));
}

VArray<float> table(std::initializer_list<float> entries)
{
    VArray<float> t(static_cast<long>(entries.size()));
    long i = 1;
    for (float e : entries) t(i++) = e;
    return t;
}
}  // namespace

TEST(ArealReduction, FactorsAtAndBetweenTheNodes)
{
    EXPECT_EQ(factorText(20, 2), "0.928");
    EXPECT_EQ(factorText(100, 6), "0.894");
    EXPECT_EQ(factorText(50, 1.5f), "0.839");
    EXPECT_EQ(factorText(400, 1), "0.655");
    EXPECT_EQ(factorText(400, 24), "0.913");
    EXPECT_EQ(factorText(400, 30), "0.913");
    EXPECT_EQ(factorText(400, 23.9f), "0.913");
    EXPECT_EQ(factorText(400, 0.5f), "0.550");
    EXPECT_EQ(factorText(5, 0.25f), "0.933");
    EXPECT_EQ(factorText(1000, 12), "0.873");
    for (float hours : {0.25f, 1.0f, 6.0f, 48.0f}) {
        EXPECT_EQ(factorText(0.5f, hours), "1.000");
        EXPECT_EQ(factorText(1, hours), "1.000");
    }
}

TEST(ArealReduction, LocateInTable)
{
    float fraction = -1;
    std::int16_t k = 0;
    LocateInTable(3, table({1, 2, 4}), 3, fraction, k);
    EXPECT_EQ(k, 2);
    EXPECT_FLOAT_EQ(fraction, 0.5f);

    k = 0;
    LocateInTable(1, table({1, 2, 4}), 3, fraction, k);
    EXPECT_EQ(k, 0);
    EXPECT_FLOAT_EQ(fraction, 0);

    // Beyond the last entry of a zero-padded table: extrapolated from the last pair.
    k = 0;
    LocateInTable(5, table({1, 2, 4, 0}), 3, fraction, k);
    EXPECT_EQ(k, 2);
    EXPECT_FLOAT_EQ(fraction, 1.5f);

    k = 1;  // descending
    LocateInTable(4.5f, table({24, 6, 3}), 3, fraction, k);
    EXPECT_EQ(k, 2);
    EXPECT_FLOAT_EQ(fraction, 0.5f);

    // No entry after the n-th, or equal neighbours: the caller gets the error.
    k = 0;
    EXPECT_THROW(LocateInTable(5, table({1, 2, 4}), 3, fraction, k), RuntimeError);
    k = 0;
    EXPECT_THROW(LocateInTable(5, table({1, 2, 2, 0}), 3, fraction, k), RuntimeError);
    k = 0;
    LocateInTable(3, table({1, 2, 4}), 0, fraction, k);  // an empty table
    EXPECT_EQ(k, 0);
}

TEST(ArealReduction, FactorColumnClick)
{
    ScriptedDialogs dialogs;
    ArealReductionInputs in;
    in.basinArea = "20";
    in.areaCaption = "Basin Area (mi^2)";
    in.ticked = true;
    in.durations = {"2", "", "6", "0", "", "", "", ""};
    auto out = chkAreaAdj_Click(in, dialogs);
    EXPECT_EQ(out[0].value_or("-"), "0.928");
    EXPECT_FALSE(out[1]);  // no duration: the old text stays
    EXPECT_TRUE(out[2]);
    EXPECT_FALSE(out[3]);

    in.ticked = false;
    out = chkAreaAdj_Click(in, dialogs);
    EXPECT_EQ(out[0].value_or("-"), "1.000");
    EXPECT_EQ(out[2].value_or("-"), "1.000");

    // 640 acres is one square mile; so is 27,878,400 square feet.
    in.ticked = true;
    in.basinArea = "640";
    in.areaCaption = "Basin Area (acres)";
    EXPECT_EQ(chkAreaAdj_Click(in, dialogs)[0].value_or("-"), "1.000");
    EXPECT_FLOAT_EQ(basinAreaSquareMiles("27878400", "Basin Area (ft^2)"), 1.0f);
    EXPECT_FLOAT_EQ(basinAreaSquareMiles("12,800", "Basin Area (acres)"), 12.0f / 640.0f);

    // An empty or zero area changes nothing.
    for (const char* area : {"", "0", "abc"}) {
        in.basinArea = area;
        for (const auto& f : chkAreaAdj_Click(in, dialogs)) EXPECT_FALSE(f);
    }
    EXPECT_TRUE(dialogs.asked().empty());
}
