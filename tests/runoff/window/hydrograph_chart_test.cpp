// Plotting on the chart's grid: one new column per run, the excess in column 1, row
// labels by the time step, routing runs and shorter runs.
#include <gtest/gtest.h>

#include <cmath>

#include "runoff/window/hydrograph_chart.h"

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

TEST(HydrographChart, RunsAreNamedByNumberAndMethodOrRouting)
{
    ChartGrid g = tableView();
    EXPECT_EQ(g.columnLabel(1), "Storm depth");
    ComputeState s = run(8, 3, 1);
    plotHydrograph(g, s, 0, "SCS, Peak at 2/3");
    EXPECT_EQ(g.columnLabel(2), "1: SCS, Peak at 2/3");
    EXPECT_EQ(g.columnLabel(1), "Excess of run 1");
    EXPECT_EQ(g.columnLabel(3), "");  // the empty column waiting for the next run
    EXPECT_FLOAT_EQ(g.hoursPerRow, 1);
    s.obs = -2;
    plotHydrograph(g, s, 2);  // a routing run names itself by its routing
    plotHydrograph(g, s, 4);
    plotHydrograph(g, s, 3, "Combined with Basin1.GRF");
    EXPECT_EQ(g.columnLabel(3), "2: Muskingum routing");
    EXPECT_EQ(g.columnLabel(4), "3: Travel time routing");
    EXPECT_EQ(g.columnLabel(5), "4: Combined with Basin1.GRF");
    EXPECT_EQ(routingRunName(1), "Modified Puls routing");
    // Back to the table view the numbering starts again.
    resetChartGrid(g, {"1"}, {"1"}, {});
    EXPECT_EQ(g.columnLabel(2), "");
    EXPECT_FLOAT_EQ(g.hoursPerRow, 0);
    plotHydrograph(g, s, 0, "Rational Method, Average");
    EXPECT_EQ(g.columnLabel(2), "1: Rational Method, Average");
}

// Round axis scales: flows by 1, 2 or 5 times a power of ten, time by hours a reader
// counts in (quarter and half hours, 1, 2, 3, 4, 6, 12 hours, days).
TEST(HydrographChart, AxesStopAtRoundNumbers)
{
    auto expectScale = [](AxisScale a, double min, double max, double step, int decimals) {
        EXPECT_DOUBLE_EQ(a.min, min);
        EXPECT_DOUBLE_EQ(a.max, max);
        EXPECT_DOUBLE_EQ(a.step, step);
        EXPECT_EQ(a.decimals, decimals);
        EXPECT_EQ(a.intervals(), static_cast<int>(std::lround((max - min) / step)));
    };
    // The peak of 2194.2 cfs in five intervals: by 500 to 2500 (by 200 would take 11).
    expectScale(roundScale(0, 2194.2, 5), 0, 2500, 500, 0);
    expectScale(roundScale(0, 2194.2, 12), 0, 2200, 200, 0);
    // 46 ten-minute steps end at 7.667 h: by 2 h to 8 in six intervals (by 1 h: 8).
    expectScale(roundScale(0, 46 * (1.0f / 6), 6, true), 0, 8, 2, 0);
    // 19.25 h by 4 h; 30 h by 6 h; 100 h by whole days; 0.4 h by 0.1 h.
    expectScale(roundScale(0, 19.25, 6, true), 0, 20, 4, 0);
    expectScale(roundScale(0, 30, 6, true), 0, 30, 6, 0);
    expectScale(roundScale(0, 100, 6, true), 0, 120, 24, 0);
    expectScale(roundScale(0, 0.4, 4, true), 0, 0.4, 0.1, 1);
    expectScale(roundScale(0, 3.8333, 12, true), 0, 4, 0.5, 1);
    expectScale(roundScale(0, 1.2, 6, true), 0, 1.2, 0.2, 1);
    expectScale(roundScale(0, 1.4, 6, true), 0, 1.5, 0.25, 2);
    // Excess of 0.37 in, tripled: by 0.5 in three intervals where five fit.
    expectScale(roundScale(0, 0.37 * 3, 5), 0, 1.5, 0.5, 1);
    // A negative flow widens the scale downwards; nothing at all still gives a scale.
    expectScale(roundScale(-3, 47, 5), -20, 60, 20, 0);
    expectScale(roundScale(0, 0, 5), 0, 1, 0.2, 1);
    expectScale(roundScale(0, 24, 0), 0, 50, 50, 0);  // at least one interval
}
