// The rainfall stage: uniform and design storms from the table, storm files and their
// malformed variants, a cancelled file choice, the database hook.
#include <gtest/gtest.h>

#include <QTemporaryDir>

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

TEST(Rainfall, StormFilesWithCommasAndTabs)
{
    for (const char* name : {"storm_comma.STM", "storm_tab.STM"}) {
        StageRun r;
        r.dialogs.answerFile(testData(name));
        ASSERT_EQ(r.build(rainTable("Storm File")), StageEnd::Continue) << name;
        EXPECT_EQ(r.s.obs, 3);
        EXPECT_FLOAT_EQ(r.s.udur, 0.5f);
        EXPECT_NEAR(r.s.tdepth, 0.6f, 1e-6);
        EXPECT_FLOAT_EQ(r.s.rdepth(2), 0.3f);
        EXPECT_FLOAT_EQ(r.s.stepTimes(3), 1.5f);
        EXPECT_FLOAT_EQ(r.s.constLossStep, 0.1f);  // 0.2 in/hr over the file's half-hour step
        EXPECT_TRUE(r.boxes.clearTable);
        const FileRequest& req = r.dialogs.asked().at(0).file;
        EXPECT_EQ(req.filter, "Storm files (*.STM)|*.STM|All files (*.*)|*.*|");
        EXPECT_EQ(req.initDir, TEST_DATA_DIR);
    }
    StageRun cancelled;  // Cancel ends the compute quietly, the boxes untouched
    cancelled.dialogs.answerFile(std::nullopt);
    EXPECT_EQ(cancelled.build(rainTable("Storm File")), StageEnd::EndCompute);
    EXPECT_TRUE(cancelled.dialogs.messages().empty());
    EXPECT_FALSE(cancelled.boxes.txtGraphtimestep.has_value());
    EXPECT_FLOAT_EQ(cancelled.s.udur, 0.25f);
}

TEST(Rainfall, MalformedStormFilesEndWithAClearMessage)
{
    const struct {
        const char* file;
        int number;
        const char* says;
    } cases[] = {
        {"storm_mixed.STM", err::kSubscript, "no second value on line 3"},
        {"storm_short.STM", err::kSubscript, "no second value on line 4"},
        {"storm_letters.STM", err::kTypeMismatch, "no number on line 4"},
        {"storm_missing.STM", err::kInputPastEnd, "announces 5 steps but has only 2 data lines"},
        {"storm_huge.STM", err::kOverflow, "at most 32757 steps"},
    };
    for (const auto& c : cases) {
        StageRun r;
        r.dialogs.answerFile(testData(c.file));
        const Caught e = caught([&] { r.build(rainTable("Storm File")); });
        EXPECT_EQ(e.number, c.number) << c.file;
        EXPECT_TRUE(e.says(c.says) && e.says(c.file)) << e.text;
        EXPECT_FALSE(r.boxes.clearTable);  // the boxes keep what the user typed
    }

    // A zero step, no count, one field, an empty file, a file that is gone.
    QTemporaryDir dir;
    for (const auto& [name, text] : {std::pair{"zero_step.STM", "t\r\n3,0\r\n0.5,0.1\r\n1,0.1\r\n1.5,0.1\r\n"},
                                     {"no_count.STM", "t\r\nmany,0.5\r\n0.5,0.1\r\n"},
                                     {"one_field.STM", "t\r\n3\r\n0.5,0.1\r\n"}, {"empty.STM", ""}}) {
        StageRun r;
        const Caught e = caught([&] { readStormFile(r.s, writeFile(dir.filePath(name), text)); });
        EXPECT_TRUE(e.thrown && !e.text.empty()) << name;
    }
    ComputeState gone;
    EXPECT_TRUE(caught([&] { readStormFile(gone, dir.filePath("gone.STM")); }).thrown);

    // LF line ends, extra fields and an empty rain cell (no rain) are read as well.
    StageRun lf;
    readStormFile(lf.s, writeFile(dir.filePath("lf.STM"), "t\n3,1,extra\n1,0.5,x\n2,\n3, 0.25 \n"));
    EXPECT_EQ(lf.s.obs, 3);
    EXPECT_FLOAT_EQ(lf.s.rdepth(2), 0);
    EXPECT_FLOAT_EQ(lf.s.tdepth, 0.75f);
}

TEST(Rainfall, DatabaseRainfallGoesThroughItsHook)
{
    StageRun r;
    EXPECT_EQ(r.build(rainTable("HDB Database")), StageEnd::EndCompute);  // no hook: said so
    ASSERT_EQ(r.dialogs.messages().size(), 1u);
    EXPECT_TRUE(r.dialogs.messages()[0].contains("database"));

    RainfallInputs in = rainTable("HDB Database");
    in.databaseRainfall = [](ComputeState& s, RainfallBoxes& boxes) {
        s.obs = 2;
        s.rdepth.redim(2);
        boxes.txtTile2 = "12 Rain inches Gauge";
        return StageEnd::Continue;
    };
    EXPECT_EQ(r.build(in), StageEnd::Continue);
    EXPECT_EQ(r.s.rainMode, 3);
    EXPECT_EQ(r.boxes.txtTile2, "12 Rain inches Gauge");
}
