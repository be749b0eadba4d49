// The rainfall stage: arrangement modes, the table read, uniform and design storms,
// storm files and their malformed variants, the database hook.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "common/dialogs.h"
#include "runoff/rainfall.h"
#include "stage_support.h"

using namespace corv;
using stagetest::caught;
using stagetest::testData;

namespace {

RainfallInputs table(const char* arrangement, std::initializer_list<std::pair<const char*, const char*>> rows)
{
    RainfallInputs in;
    in.ComboRain = QString::fromLatin1(arrangement);
    in.ComboDimgraph = QStringLiteral("SCS.DGF");
    in.txtC = QStringLiteral("1");
    std::size_t i = 0;
    for (const auto& r : rows) {
        in.txtDuration[i] = QString::fromLatin1(r.first);
        in.txtRain[i] = QString::fromLatin1(r.second);
        ++i;
    }
    in.folder = QStringLiteral(TEST_DATA_DIR);
    return in;
}

struct StageRun {
    ComputeState s;
    ScriptedDialogs dialogs;
    CommonDialog common{dialogs};
    RainfallBoxes boxes;
    StageEnd end = StageEnd::Continue;

    explicit StageRun(float udur, float lag = 2)
    {
        s.udur = udur;
        s.lag = lag;
        s.constLoss = 0.2f;
    }
    StageEnd build(const RainfallInputs& in)
    {
        boxes = {};
        end = buildRainfall(s, in, common, dialogs, boxes);
        return end;
    }
    float total() const
    {
        float t = 0;
        for (long i = 1; i <= s.obs; ++i) t += s.rdepth(i);
        return t;
    }
};

}  // namespace

TEST(Rainfall, UniformStormFromTheLastTableRow)
{
    StageRun r(0.25f);
    ASSERT_EQ(r.build(table("Average", {{"1", "1.00"}, {"6", "2.00"}, {"12", "0"}, {"24", "5"}})),
              StageEnd::Continue);
    EXPECT_EQ(r.s.rainMode, 0);
    EXPECT_EQ(r.s.stormOrdinates, 224);
    EXPECT_EQ(r.s.obs, 24);
    EXPECT_FLOAT_EQ(r.s.tdepth, 2.0f);  // rows after the first zero depth are not read
    EXPECT_FLOAT_EQ(r.s.stormDuration, 6);
    for (long i = 1; i <= 24; ++i) EXPECT_NEAR(r.s.rdepth(i), 0.0833f, 1e-4);
    EXPECT_FLOAT_EQ(r.s.rdepth(25), 0);
    EXPECT_EQ(r.s.rdepth.ubound(), 224);
    EXPECT_EQ(r.s.durations.ubound(), 200);
    EXPECT_FALSE(r.boxes.clearTable);
}

TEST(Rainfall, DesignStormSizesAndArealFactors)
{
    StageRun r(0.25f, 2);
    RainfallInputs in = table("Peak Centered", {{"1", "1.00"}, {"6", "2.00"}});
    ASSERT_EQ(r.build(in), StageEnd::Continue);
    EXPECT_EQ(r.s.stormOrdinates, 52);  // 24 + 24 + 4
    EXPECT_EQ(r.s.arrangement, 3);
    EXPECT_EQ(r.s.obs, 24);
    EXPECT_NEAR(r.total(), 2.0f, 1e-5);
    EXPECT_EQ(r.s.gwFlow.ubound(), 252);
    EXPECT_EQ(r.s.excess.ubound(), 52);

    in.ComboDimgraph = QStringLiteral("Linear Reservoir");
    in.txtC = QStringLiteral("0.5");
    r.build(in);
    EXPECT_EQ(r.s.stormOrdinates, 72);  // 6 / (0.25 * 0.5) + 24

    // Factors: empty or zero count as 1.
    in = table("None", {{"1", "1.00"}, {"6", "2.00"}});
    in.txtArealAdj[0] = QStringLiteral("0");
    in.txtArealAdj[1] = QStringLiteral("0.9");
    r.build(in);
    EXPECT_FLOAT_EQ(r.s.depths(1), 1.0f);
    EXPECT_FLOAT_EQ(r.s.depths(2), 1.8f);
    EXPECT_FLOAT_EQ(r.s.tdepth, 1.8f);

    // An unknown arrangement text keeps the previous arrangement.
    r.build(table("Peak at 1/3", {{"6", "2.00"}}));
    EXPECT_EQ(r.s.arrangement, 2);
    r.build(table("Peak somewhere", {{"6", "2.00"}}));
    EXPECT_EQ(r.s.rainMode, 1);
    EXPECT_EQ(r.s.arrangement, 2);

    // A zero time step divides by zero.
    StageRun zero(0);
    EXPECT_EQ(caught([&] { zero.build(table("None", {{"6", "2.00"}})); }).number, err::kDivisionByZero);
}

TEST(Rainfall, StormFilesWithCommasAndTabs)
{
    for (const char* name : {"storm_comma.STM", "storm_tab.STM"}) {
        StageRun r(0.25f);
        const QString path = testData(name);
        r.dialogs.answerFile(path);
        ASSERT_EQ(r.build(table("Storm File", {{"1", "1.00"}})), StageEnd::Continue) << name;
        EXPECT_EQ(r.s.rainMode, 2);
        EXPECT_EQ(r.s.obs, 3);
        EXPECT_FLOAT_EQ(r.s.udur, 0.5f);
        EXPECT_NEAR(r.s.tdepth, 0.6f, 1e-6);
        EXPECT_FLOAT_EQ(r.s.stormDuration, 1.5f);
        EXPECT_FLOAT_EQ(r.s.rdepth(2), 0.3f);
        EXPECT_FLOAT_EQ(r.s.stepTimes(3), 1.5f);
        EXPECT_FLOAT_EQ(r.s.constLossStep, 0.1f);  // 0.2 in/hr over the file's half-hour step
        EXPECT_EQ(r.s.stormRows, 13);
        EXPECT_EQ(r.s.gwFlow.ubound(), 13);
        EXPECT_EQ(r.s.stormFile, path);
        EXPECT_TRUE(r.boxes.clearTable);
        EXPECT_EQ(r.boxes.txtGraphtimestep, QStringLiteral("0.5"));
        EXPECT_EQ(r.boxes.Label14, QStringLiteral("Hydrograph Time Step (hours)"));
        EXPECT_EQ(r.boxes.txtTile2, QStringLiteral("Storm file ") + path);
        ASSERT_EQ(r.dialogs.asked().size(), 1u);
        const FileRequest& req = r.dialogs.asked()[0].file;
        EXPECT_EQ(req.filter, QStringLiteral("Storm files (*.STM)|*.STM|All files (*.*)|*.*|"));
        EXPECT_EQ(req.initDir, QStringLiteral(TEST_DATA_DIR));
        EXPECT_TRUE(req.fileName.isEmpty());
        EXPECT_FALSE(req.save);
    }
}

TEST(Rainfall, CancelledStormFileEndsQuietly)
{
    StageRun r(0.25f);
    r.dialogs.answerFile(std::nullopt);
    EXPECT_EQ(r.build(table("Storm File", {{"1", "1.00"}})), StageEnd::EndCompute);
    EXPECT_TRUE(r.dialogs.messages().empty());
    EXPECT_FALSE(r.boxes.clearTable);
    EXPECT_FALSE(r.boxes.txtGraphtimestep.has_value());
    EXPECT_FLOAT_EQ(r.s.udur, 0.25f);
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
        StageRun r(0.25f);
        r.dialogs.answerFile(testData(c.file));
        const auto e = caught([&] { r.build(table("Storm File", {{"1", "1.00"}})); });
        ASSERT_TRUE(e.thrown) << c.file;
        EXPECT_EQ(e.number, c.number) << c.file;
        EXPECT_NE(e.text.find(c.says), std::string::npos) << e.text;
        EXPECT_NE(e.text.find(c.file), std::string::npos) << e.text;
        EXPECT_FALSE(r.boxes.clearTable);  // the boxes keep what the user typed
    }

    // Line 2 without a usable count or step, an empty file, a file that is gone.
    QTemporaryDir dir;
    auto write = [&](const char* name, const QByteArray& text) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    };
    const QString files[] = {write("zero_step.STM", "t\r\n3,0\r\n0.5,0.1\r\n1,0.1\r\n1.5,0.1\r\n"),
                             write("no_count.STM", "t\r\nmany,0.5\r\n0.5,0.1\r\n"),
                             write("one_field.STM", "t\r\n3\r\n0.5,0.1\r\n"),
                             write("empty.STM", ""),
                             dir.filePath(QStringLiteral("gone.STM"))};
    for (const QString& f : files) {
        StageRun r(0.25f);
        const auto e = caught([&] { readStormFile(r.s, f); });
        EXPECT_TRUE(e.thrown) << f.toStdString();
        EXPECT_FALSE(e.text.empty());
    }
    // LF line ends, extra fields and an empty rain cell (no rain) are read as well.
    StageRun lf(0.25f);
    readStormFile(lf.s, write("lf.STM", "t\n3,1,extra\n1,0.5,x\n2,\n3, 0.25 \n"));
    EXPECT_EQ(lf.s.obs, 3);
    EXPECT_FLOAT_EQ(lf.s.rdepth(2), 0);
    EXPECT_FLOAT_EQ(lf.s.tdepth, 0.75f);
}

TEST(Rainfall, DatabaseRainfallGoesThroughItsHook)
{
    StageRun r(0.25f);
    EXPECT_EQ(r.build(table("HDB Database", {{"1", "1.00"}})), StageEnd::EndCompute);
    ASSERT_EQ(r.dialogs.messages().size(), 1u);
    EXPECT_TRUE(r.dialogs.messages()[0].contains(QStringLiteral("database")));

    RainfallInputs in = table("HDB Database", {{"1", "1.00"}});
    int calls = 0;
    in.databaseRainfall = [&](ComputeState& s, RainfallBoxes& boxes) {
        ++calls;
        s.obs = 2;
        s.udur = 1;
        s.rdepth.redim(2);
        s.rdepth(1) = 0.4f;
        s.rdepth(2) = 0.1f;
        boxes.txtTile2 = QStringLiteral("12 Rain inches Gauge");
        return StageEnd::Continue;
    };
    EXPECT_EQ(r.build(in), StageEnd::Continue);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(r.s.rainMode, 3);
    EXPECT_EQ(r.s.obs, 2);
    EXPECT_EQ(r.boxes.txtTile2, QStringLiteral("12 Rain inches Gauge"));
    in.databaseRainfall = [](ComputeState&, RainfallBoxes&) { return StageEnd::EndCompute; };
    EXPECT_EQ(r.build(in), StageEnd::EndCompute);
}
