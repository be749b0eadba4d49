// The rainfall stage: uniform and design storms from the table, a storm file chosen,
// cancelled or malformed, database rainfall without its hook.
#include <gtest/gtest.h>

#include "runoff/stage_support.h"

using namespace corv;
using namespace stagetest;

namespace {

struct StageRun {
    ComputeState s;
    ScriptedDialogs dialogs;
    CommonDialog common{dialogs};
    RainfallBoxes boxes;

    explicit StageRun(float udur = 0.25f) { s.udur = udur, s.lag = 2, s.constLoss = 0.2f; }
    StageEnd build(const RainfallInputs& in)
    {
        boxes = {};
        return buildRainfall(s, in, common, dialogs, boxes);
    }
};

}  // namespace

TEST(Rainfall, UniformAndDesignStormsFromTheTable)
{
    StageRun r;
    ASSERT_EQ(r.build(rainTable("Average", {"1", "6", "12", "24"}, {"1.00", "2.00", "0", "5"})), StageEnd::Continue);
    EXPECT_EQ(r.s.rainMode, 0);
    EXPECT_EQ(r.s.stormOrdinates, 224);
    EXPECT_EQ(r.s.obs, 24);
    EXPECT_FLOAT_EQ(r.s.tdepth, 2.0f);  // rows after the first zero depth are not read
    EXPECT_NEAR(r.s.rdepth(24), 0.0833f, 1e-4);

    RainfallInputs in = rainTable("Peak Centered", {"1", "6"}, {"1.00", "2.00"});
    ASSERT_EQ(r.build(in), StageEnd::Continue);
    EXPECT_EQ(r.s.stormOrdinates, 52);  // 24 + 24 + 4
    in.ComboDimgraph = "Linear Reservoir";
    in.txtC = "0.5";
    r.build(in);
    EXPECT_EQ(r.s.stormOrdinates, 72);  // 6 / (0.25 * 0.5) + 24

    in = rainTable("None", {"1", "6"}, {"1.00", "2.00"});  // areal factors: empty or zero count as 1
    in.txtArealAdj = {"0", "0.9"};
    r.build(in);
    EXPECT_FLOAT_EQ(r.s.depths(1), 1.0f);
    EXPECT_FLOAT_EQ(r.s.tdepth, 1.8f);

    r.build(rainTable("Peak at 1/3"));
    r.build(rainTable("Peak somewhere"));  // an unknown arrangement keeps the previous one
    EXPECT_EQ(r.s.rainMode, 1);
    EXPECT_EQ(r.s.arrangement, 2);
    StageRun zero(0);
    EXPECT_EQ(caught([&] { zero.build(rainTable("None")); }).number, err::kDivisionByZero);
}

// A storm file through the stage: its step replaces the box's, the table is cleared;
// Cancel ends the compute quietly and a malformed file leaves the boxes as typed.
TEST(Rainfall, StormFileChosenCancelledOrMalformed)
{
    StageRun r;
    r.dialogs.answerFile(testData("storm_tab.STM"));
    ASSERT_EQ(r.build(rainTable("Storm File")), StageEnd::Continue);
    EXPECT_EQ(r.s.obs, 3);
    EXPECT_NEAR(r.s.tdepth, 0.6f, 1e-6);
    EXPECT_FLOAT_EQ(r.s.stepTimes(3), 1.5f);
    EXPECT_FLOAT_EQ(r.s.constLossStep, 0.1f);  // 0.2 in/hr over the file's half-hour step
    EXPECT_TRUE(r.boxes.clearTable);
    const FileRequest& req = r.dialogs.asked().at(0).file;
    EXPECT_EQ(req.filter, "Storm files (*.STM)|*.STM|All files (*.*)|*.*|");
    EXPECT_EQ(req.initDir, TEST_DATA_DIR);

    StageRun cancelled;
    cancelled.dialogs.answerFile(std::nullopt);
    EXPECT_EQ(cancelled.build(rainTable("Storm File")), StageEnd::EndCompute);
    EXPECT_TRUE(cancelled.dialogs.messages().empty());
    EXPECT_FALSE(cancelled.boxes.txtGraphtimestep.has_value());
    EXPECT_FLOAT_EQ(cancelled.s.udur, 0.25f);

    StageRun bad;
    bad.dialogs.answerFile(testData("storm_letters.STM"));
    EXPECT_EQ(caught([&] { bad.build(rainTable("Storm File")); }).number, err::kTypeMismatch);
    EXPECT_FALSE(bad.boxes.clearTable);
}

// Without a database hook the compute ends and says so (the hook: hdb_rainfall.scn).
TEST(Rainfall, DatabaseRainfallWithoutItsHook)
{
    StageRun r;
    EXPECT_EQ(r.build(rainTable("HDB Database")), StageEnd::EndCompute);
    ASSERT_EQ(r.dialogs.messages().size(), 1u);
    EXPECT_TRUE(r.dialogs.messages()[0].contains("database"));
}
