// The stages in the driver's order, from the rain to the hydrograph's volume.
#include <gtest/gtest.h>

#include "stage_support.h"

using namespace corv;
using namespace stagetest;

namespace {
RainfallInputs rainfall(const char* arrangement, const char* graph)
{
    RainfallInputs rain;
    rain.ComboRain = arrangement;
    rain.ComboDimgraph = graph;
    rain.txtDuration = {"1", "6", "24"};
    rain.txtRain = {"1.2", "2.1", "3.4"};
    rain.folder = TEST_DATA_DIR;
    return rain;
}
}  // namespace

TEST(Stages, DesignStormThroughScsLossesAndTheScsGraph)
{
    ComputeState s;
    s.area = 4, s.lag = 1.5f, s.udur = 0.25f;
    ScriptedDialogs d;
    ASSERT_EQ(runStages(s, loss("75"), rainfall("Peak at 2/3", "SCS.DGF"), d), StageEnd::Continue);
    EXPECT_EQ(s.obs, 96);
    float excess = 0;
    for (long i = 1; i <= s.obs; ++i) excess += s.excess(i);
    EXPECT_NEAR(excess, 1.2314f, 1e-3);  // (3.4 - 0.6667)^2 / (3.4 + 2.6667)
    EXPECT_FLOAT_EQ(s.volume, 263);      // 1.2314 in over 4 mi^2 = 262.7 acre-ft
    EXPECT_GT(s.tmax, 64);               // after the rain's peak at step 64
    EXPECT_TRUE(d.messages().empty());
}

TEST(Stages, StormFileThroughInitialLossTrianglesAndALongGraph)
{
    ComputeState s;
    s.area = 1, s.lag = 0.5f, s.udur = 0.25f, s.C = 0.4f;
    ScriptedDialogs d;
    d.answerFile(testData("storm_tab.STM"));
    ASSERT_EQ(runStages(s, loss("0.1"), rainfall("Storm File", "Triangle Unit Graph"), d), StageEnd::Continue);
    EXPECT_FLOAT_EQ(s.udur, 0.5f);  // the file's step replaces the box's
    EXPECT_NEAR(s.excess(1), 0.0f, 1e-6);
    EXPECT_NEAR(s.excess(2), 0.3f, 1e-6);
    EXPECT_EQ(s.riseSteps(0), 2);  // (0.25 + 0.5) / 0.5 = 1.5, halves to even

    // A graph longer than the file's ten spare rows: past them there is no base flow.
    ComputeState g;
    g.area = 1, g.lag = 2, g.udur = 0.25f;
    d.answerFile(testData("storm_comma.STM"));
    ASSERT_EQ(runStages(g, loss("0.1"), rainfall("Storm File", "SCS.DGF"), d), StageEnd::Continue);
    EXPECT_GT(g.it, g.gwFlow.ubound());
    EXPECT_FLOAT_EQ(g.volume, 27);  // 0.5 in over 640 acres = 26.7 acre-ft
}
