// The stages in the driver's order: loss set-up, rainfall, loss accounting, transform.
#include <gtest/gtest.h>

#include "common/dialogs.h"
#include "runoff/losses.h"
#include "runoff/rainfall.h"
#include "runoff/transforms.h"
#include "stage_support.h"

using namespace corv;

namespace {

struct Compute {
    ComputeState s;
    ScriptedDialogs dialogs;
    CommonDialog common{dialogs};
    RainfallBoxes boxes;

    StageEnd run(const LossInputs& loss, const RainfallInputs& rain, const TransformInputs& transform)
    {
        if (setUpLosses(s, loss, dialogs) != StageEnd::Continue) return StageEnd::EndCompute;
        if (buildRainfall(s, rain, common, dialogs, boxes) != StageEnd::Continue) return StageEnd::EndCompute;
        accountLosses(s, stagetest::hourlyTable(), stagetest::monthlyTable());
        return transformExcess(s, transform, dialogs);
    }
};

LossInputs loss(const char* cn, const char* constLoss, const char* factor)
{
    LossInputs in;
    in.txtCNloss = QString::fromLatin1(cn);
    in.txtConstLoss = QString::fromLatin1(constLoss);
    in.txtResetLossFactor = QString::fromLatin1(factor);
    in.GWloss = QStringLiteral("0.0");
    return in;
}

}  // namespace

TEST(Stages, DesignStormThroughScsLossesAndTheScsGraph)
{
    Compute c;
    c.s.area = 4;
    c.s.lag = 1.5f;
    c.s.udur = 0.25f;
    RainfallInputs rain;
    rain.ComboRain = QStringLiteral("Peak at 2/3");
    rain.ComboDimgraph = QStringLiteral("SCS.DGF");
    rain.txtDuration = {QStringLiteral("1"), QStringLiteral("6"), QStringLiteral("24")};
    rain.txtRain = {QStringLiteral("1.2"), QStringLiteral("2.1"), QStringLiteral("3.4")};
    TransformInputs tr;
    tr.ComboDimgraph = QStringLiteral("SCS.DGF");
    tr.folder = stagetest::programData();
    ASSERT_EQ(c.run(loss("75", "0", "0"), rain, tr), StageEnd::Continue);
    EXPECT_EQ(c.s.obs, 96);
    EXPECT_NEAR(c.s.rainSum, 3.4f, 1e-4);

    // SCS runoff of 3.4 inches on CN 75: (3.4 - 0.6667)^2 / (3.4 + 2.6667) = 1.2314 in.
    float excess = 0;
    for (long i = 1; i <= c.s.obs; ++i) excess += c.s.excess(i);
    EXPECT_NEAR(excess, 1.2314f, 1e-3);
    // All of it leaves the basin: 1.2314 in over 4 mi^2 = 262.7 acre-ft.
    EXPECT_FLOAT_EQ(c.s.volume, 263);
    EXPECT_GT(c.s.tmax, 64);  // after the peak of the rain at step 64
    EXPECT_TRUE(c.dialogs.messages().empty());
}

TEST(Stages, StormFileThroughInitialLossAndTriangles)
{
    Compute c;
    c.s.area = 1;
    c.s.lag = 0.5f;
    c.s.udur = 0.25f;
    c.s.C = 0.4f;
    RainfallInputs rain;
    rain.ComboRain = QStringLiteral("Storm File");
    rain.ComboDimgraph = QStringLiteral("Triangle Unit Graph");
    rain.folder = QStringLiteral(TEST_DATA_DIR);
    c.dialogs.answerFile(stagetest::testData("storm_tab.STM"));
    TransformInputs tr;
    tr.ComboDimgraph = QStringLiteral("Triangle Unit Graph");
    ASSERT_EQ(c.run(loss("0.1", "0", "0"), rain, tr), StageEnd::Continue);
    // The file's half-hour step replaces the box's quarter hour; 0.1 in initial loss.
    EXPECT_FLOAT_EQ(c.s.udur, 0.5f);
    EXPECT_NEAR(c.s.excess(1), 0.0f, 1e-6);
    EXPECT_NEAR(c.s.excess(2), 0.3f, 1e-6);
    EXPECT_NEAR(c.s.excess(3), 0.2f, 1e-6);
    EXPECT_EQ(c.s.riseSteps(0), 2);  // (0.25 + 0.5) / 0.5 = 1.5, halves to even
    EXPECT_GT(c.s.maxq, 0);

    // A graph longer than the file's ten spare rows: past them there is no base flow.
    Compute g;
    g.s.area = 1;
    g.s.lag = 2;
    g.s.udur = 0.25f;
    g.dialogs.answerFile(stagetest::testData("storm_comma.STM"));
    rain.ComboDimgraph = tr.ComboDimgraph = QStringLiteral("SCS.DGF");
    tr.folder = stagetest::programData();
    ASSERT_EQ(g.run(loss("0.1", "0", "0"), rain, tr), StageEnd::Continue);
    EXPECT_GT(g.s.it, g.s.gwFlow.ubound());
    EXPECT_FLOAT_EQ(g.s.volume, 27);  // 0.5 in over 640 acres = 26.7 acre-ft
}
