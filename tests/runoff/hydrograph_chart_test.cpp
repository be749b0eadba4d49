// Plotting on the chart's grid: one new column per run, the excess in column 1, row
// labels by the time step, routing runs and shorter runs.
#include <gtest/gtest.h>

#include "runoff/hydrograph_chart.h"

using namespace corv;

namespace {

// A run of it + 1 ordinates (inflow i * scale, outflow its negative) with excess over obs + 1.
ComputeState run(int it, int obs, float udur, float scale = 1)
{
    ComputeState s;
    s.it = static_cast<std::int16_t>(it), s.obs = static_cast<std::int16_t>(obs), s.udur = udur;
    s.qi.redim(it);
    s.qout.redim(it);
    s.excess.redim(it + 1);
    for (long i = 0; i <= it; ++i) {
        s.qi(i) = scale * static_cast<float>(i);
        s.qout(i) = -s.qi(i);
        s.excess(i) = 0.1f;
    }
    return s;
}

ChartGrid tableView()  // the depth-duration table before any run
{
    ChartGrid g;
    resetChartGrid(g, {"1", "6"}, {"1.00", "2.00"}, {});
    return g;
}

}  // namespace

TEST(HydrographChart, EachComputeAddsAColumn)
{
    ChartGrid g = tableView();
    ComputeState first = run(5, 2, 0.5f);
    plotHydrograph(g, first, 0);
    EXPECT_EQ(g.ColumnCount(), 3);  // excess, the hydrograph, and the empty one for the next run
    ASSERT_EQ(g.RowCount(), 6);
    EXPECT_EQ(first.labelFormat, "0.0");
    for (int r = 1; r <= 6; ++r) {
        EXPECT_EQ(g.rowLabel(r), QString::number((r - 1) * 0.5));
        EXPECT_FLOAT_EQ(g.data(r, 2), static_cast<float>(r - 1));
        EXPECT_FLOAT_EQ(g.data(r, 3), 0);
        EXPECT_FLOAT_EQ(g.data(r, 1), r - 1 <= 3 ? 0.1f : 0.0f);  // excess through obs + 1
    }
    EXPECT_EQ(g.columnStyle(1), 1);
    EXPECT_EQ(g.columnStyle(3), 6);

    ComputeState second = run(96, 4, 0.25f, 2);  // longer: older columns keep their values, then 0
    plotHydrograph(g, second, 0);
    EXPECT_EQ(g.ColumnCount(), 4);
    ASSERT_EQ(g.RowCount(), 97);
    EXPECT_EQ(second.labelStep, 16);
    EXPECT_EQ(g.divisionsPerLabel, 16);
    EXPECT_EQ(g.rowLabel(2), "0.25");
    EXPECT_FLOAT_EQ(g.data(7, 2), 0);
    EXPECT_FLOAT_EQ(g.data(97, 3), 192);

    ComputeState third = run(3, 1, 2);  // shorter: every series is shortened
    plotHydrograph(g, third, 0);
    ASSERT_EQ(g.RowCount(), 4);
    EXPECT_EQ(g.rowLabel(4), "6");
    for (int c = 2; c <= 4; ++c) EXPECT_FLOAT_EQ(g.data(4, c), c == 3 ? 6 : 3) << c;
}

TEST(HydrographChart, RoutingRunPlotsTheOutflowWithoutExcess)
{
    ChartGrid g = tableView();
    ComputeState computed = run(8, 3, 1);
    plotHydrograph(g, computed, 0);
    computed.obs = -2;
    plotHydrograph(g, computed, 2);
    EXPECT_EQ(g.ColumnCount(), 4);
    for (int r = 1; r <= 9; ++r) {
        EXPECT_FLOAT_EQ(g.data(r, 1), 0) << r;
        EXPECT_FLOAT_EQ(g.data(r, 3), -static_cast<float>(r - 1));
    }
    ComputeState shortExcess = run(5, 2, 1);
    shortExcess.excess.redim(2);  // obs + 1 = 3 lies outside
    EXPECT_THROW(plotHydrograph(g, shortExcess, 0), RuntimeError);
}
