// Plotting on the chart's grid: one new column per run over its own length, the
// excess in column 1, rows by the time step, the runs' names, round scales.
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

}  // namespace

TEST(HydrographChart, EachRunKeepsItsOwnLength)
{
    ChartGrid g;
    resetChartGrid(g, {"1", "6"}, {"1.00", "2.00"}, {});
    ComputeState first = run(5, 2, 0.5f);
    plotHydrograph(g, first, 0, "A");
    // The excess, the hydrograph and the empty column for the next run, 6 rows.
    ASSERT_EQ(std::pair(g.ColumnCount(), g.RowCount()), std::pair(3, 6));
    for (int r = 1; r <= 6; ++r) {
        EXPECT_FLOAT_EQ(g.data(r, 2), static_cast<float>(r - 1));
        EXPECT_FLOAT_EQ(g.data(r, 1), r - 1 <= 3 ? 0.1f : 0.0f);  // excess through obs + 1
    }

    // Longer: the grid holds 97 rows 0.25 h apart, the first run still its 6.
    ComputeState second = run(96, 4, 0.25f, 2);
    plotHydrograph(g, second, 0, "B");
    ASSERT_EQ(std::pair(g.RowCount(), g.hoursPerRow), std::pair(97, 0.25f));
    EXPECT_EQ(std::pair(g.columnRows(2), g.columnRows(3)), std::pair(6, 97));
    EXPECT_FLOAT_EQ(g.data(97, 3), 192);

    // Shorter: no earlier run is cut; the excess is the newest run's alone.
    const std::uint64_t secondStamp = g.columnStamp(3);
    ComputeState third = run(3, 1, 2);
    plotHydrograph(g, third, 0, "C");
    EXPECT_EQ(std::tuple(g.RowCount(), g.columnRows(2), g.columnRows(3), g.columnRows(4)), std::tuple(97, 6, 97, 4));
    EXPECT_EQ(g.columnStamp(3), secondStamp);  // untouched, so not drawn again
    EXPECT_EQ(std::tuple(g.data(97, 3), g.data(4, 4), g.data(5, 1)), std::tuple(192.0f, 3.0f, 0.0f));

    // A routing run plots the outflow; its excess column is all 0.
    third.obs = -2;
    plotHydrograph(g, third, 2, "D");
    for (int r = 1; r <= 4; ++r) EXPECT_EQ(std::pair(g.data(r, 1), g.data(r, 5)), std::pair(0.0f, 1.0f - r)) << r;
    third.excess.redim(0);  // obs + 1 = 2 lies outside the excess
    third.obs = 1;
    EXPECT_THROW(plotHydrograph(g, third, 0, "E"), RuntimeError);
}

// Each name says what tells the run apart: its number, method and storm or file, or
// its routing with the values it was routed with.
TEST(HydrographChart, RunsAreNamedByWhatDiffers)
{
    ComputeState s;
    s.stormFile = "/data/storms/STORM1.TXT";
    s.combineFileName = "/data/Basin1.GRF";
    RunInputs in{"SCS.DGF", "Peak at 2/3", " 1.5", "0.25", "30", "minutes", "/data/POND.RAT"};
    const std::pair<std::int16_t, const char*> cases[] = {
        {0, "SCS, Peak at 2/3"},       {1, "Modified Puls routing, POND.RAT"},
        {2, "Muskingum routing, K 1.5 h, X 0.25"}, {3, "Combined with Basin1.GRF"},
        {4, "Travel time routing, 30 minutes"}};
    for (auto [route, name] : cases) EXPECT_EQ(runName(route, s, in), name) << route;
    in.ComboRain = "Storm File";
    EXPECT_EQ(runName(0, s, in), "SCS, storm file STORM1.TXT");
    s.combineFileName = "/prog/TmpHDB.GRF";
    EXPECT_EQ(runName(3, s, in), "Combined with HDB flow");
}

// Computes that differ only in their losses are named apart by them, as entered.
TEST(HydrographChart, ComputesAreNamedByTheirLosses)
{
    struct Losses {
        bool scs;
        float entered, dry, wet;  // the limits when the box held three values
        float constant, impervious, recovery;
        const char* name;
    };
    const Losses cases[] = {
        {true, 75, 0, 0, 0, 0, 0.2f, "SCS, Peak at 2/3, CN 75"},  // no constant loss to recover by
        {true, 70, 60, 88, 0.1f, 0.2f, 0.5f, "SCS, Peak at 2/3, CN 70 (dry 60, wet 88), CL 0.1 in/hr, 20% impervious, recovery 0.5"},
        {false, 0.5f, 0, 0, 0.15f, 0, 0, "SCS, Peak at 2/3, IL 0.5 in, CL 0.15 in/hr"},
        {false, 1.1f, 1.3f, 0.55f, 0, 0, 0, "SCS, Peak at 2/3, IL 1.1 in (dry 1.3, wet 0.55)"},
        {false, 0, 0, 0, 0, 0, 0, "SCS, Peak at 2/3"},  // no loss at all
    };
    RunInputs in;
    in.ComboDimgraph = "SCS.DGF", in.ComboRain = "Peak at 2/3";
    for (const Losses& c : cases) {
        ComputeState s;
        s.scsMode = c.scs;
        s.lossValueEntered = c.entered;
        if (c.dry != 0) s.lossParts = QStringList{"", "", ""};
        (c.scs ? s.CNdry : s.dryLimit) = c.dry;
        (c.scs ? s.CNwet : s.wetLimit) = c.wet;
        s.constLoss = c.constant, s.imperviousFraction = c.impervious, s.recoveryFactor = c.recovery;
        EXPECT_EQ(runName(0, s, in), c.name);
    }
}

// Computes of one name are told apart by what differs among them: runs 1 and 3 by lag
// (0.48 and 0.5 h), run 4 from both by area and step; the routing between, and every
// detail they share (rain 2.4 in, C 0), stay unnamed. A lone name has no details. Linear
// reservoirs that differ only in their shape, or storms only in their duration, are
// named by them.
TEST(HydrographChart, ComputesOfOneNameAreToldApart)
{
    ChartGrid g;
    resetChartGrid(g, {"1", "6"}, {"1.00", "2.00"}, {});
    const auto compute = [&g](float area, float lag, float udur) {
        ComputeState s = run(5, 2, udur);
        s.area = area, s.lag = lag, s.tdepth = 2.4f;
        plotHydrograph(g, s, 0, "SCS, Peak at 2/3");
    };
    compute(1.2f, 0.48f, 0.1f);
    EXPECT_EQ(g.columnLabel(2), "1: SCS, Peak at 2/3");
    plotHydrograph(g, run(5, 2, 0.1f), 2, "Muskingum routing, K 1 h, X 0.25");
    compute(1.2f, 0.5f, 0.1f);
    compute(20, 0.5f, 1);
    EXPECT_EQ(g.columnLabel(2), "1: SCS, Peak at 2/3, area 1.2 mi², lag 0.48 h, step 6 min");
    EXPECT_EQ(g.columnLabel(3), "2: Muskingum routing, K 1 h, X 0.25");
    EXPECT_EQ(g.columnLabel(4), "3: SCS, Peak at 2/3, area 1.2 mi², lag 0.5 h, step 6 min");
    EXPECT_EQ(g.columnLabel(5), "4: SCS, Peak at 2/3, area 20 mi², lag 0.5 h, step 1 h");

    ChartGrid h;
    resetChartGrid(h, {"1", "6"}, {"1.00", "2.00"}, {});
    for (const auto& [shape, hours] : {std::pair(0.4f, 6.0f), std::pair(0.2f, 6.0f), std::pair(0.2f, 1.0f)}) {
        ComputeState s = run(5, 2, 0.1f);
        s.C = shape, s.stormDuration = hours;
        plotHydrograph(h, s, 0, "Linear Reservoir, Peak at 2/3");
    }
    EXPECT_EQ(h.columnLabel(2), "1: Linear Reservoir, Peak at 2/3, over 6 h, shape 0.4");
    EXPECT_EQ(h.columnLabel(4), "3: Linear Reservoir, Peak at 2/3, over 1 h, shape 0.2");
}

// Round axis scales: flows by 1, 2 or 5 times a power of ten, time by hours a reader
// counts in (quarter and half hours, 1, 2, 3, 4, 6, 12 hours, days).
TEST(HydrographChart, AxesStopAtRoundNumbers)
{
    // low, high, at most so many intervals, hours; then the scale's max, step, decimals.
    const std::tuple<double, int, bool, double, double, int> cases[] = {
        {2194.2, 5, false, 2500, 500, 0},  // by 200 would take 11 intervals
        {2194.2, 12, false, 2200, 200, 0},
        {46 * (1.0f / 6), 6, true, 8, 2, 0},  // 46 ten-minute steps: 7.667 h
        {19.25, 6, true, 20, 4, 0},         {30, 6, true, 30, 6, 0},
        {100, 6, true, 120, 24, 0},  // whole days
        {0.4, 4, true, 0.4, 0.1, 1},        {3.8333, 12, true, 4, 0.5, 1},
        {1.4, 6, true, 1.5, 0.25, 2},       {0.37 * 3, 5, false, 1.5, 0.5, 1},  // an excess of 0.37 in, tripled
        {0, 5, false, 1, 0.2, 1},  // nothing at all still gives a scale
        {24, 0, false, 50, 50, 0},  // at least one interval
    };
    for (auto [high, intervals, hours, max, step, decimals] : cases) {
        const AxisScale a = roundScale(0, high, intervals, hours);
        EXPECT_TRUE(a.min == 0 && std::fabs(a.max - max) < 1e-9 && std::fabs(a.step - step) < 1e-9) << high;
        EXPECT_EQ(a.decimals, decimals) << high;
    }
    const AxisScale negative = roundScale(-3, 47, 5);  // a negative flow widens it downwards
    EXPECT_EQ(std::tuple(negative.min, negative.max, negative.intervals()), std::tuple(-20.0, 60.0, 4));
}
