// The compute driver on the window's box texts: validation, area units, the chart
// reset rule, the error handler, no excess, the pointer, and the route/combine path
// after a hydrograph (refusals and a second click are in form3_window_test; the
// report's routing headers, a combine with a saved hydrograph and the next routing of
// a combined series are routing.scn's).
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "runoff/compute_driver.h"
#include "runoff/stage_support.h"

using namespace corv;
using namespace stagetest;
using End = ComputeOutcome::End;

namespace {

// The window as it loads, with a method, an arrangement and a curve number; the
// pointer changes and message boxes in one log.
struct Window : ScriptedDialogs {
    QTemporaryDir dir;
    std::vector<std::string> log;
    CommonDialog common{*this};
    Form3State state;
    ChartGrid chart;
    ComputeDriver driver;
    ComputeHooks hooks;
    ComputeBoxes boxes;

    Window()
    {
        QFile::copy(programData() + "/SCS.DGF", dir.filePath("SCS.DGF"));
        fillRecoveryTables(state.hourlyRecovery, state.monthlyRecovery);
        hooks.setBusy = [this](bool busy) { log.push_back(busy ? "hourglass" : "pointer"); };
        boxes.lblL = "Stream Length (mi)", boxes.Label10 = "Basin Area (mi^2)";
        boxes.Label14 = "Hydrograph Time Step (minutes)", boxes.txtGraphtimestep = "15";
        boxes.ComboDimgraph = "SCS.DGF", boxes.ComboRain = "Peak at 2/3";
        boxes.txtS = boxes.txtC = boxes.txtLag = boxes.txtBasinArea = "1";
        boxes.GWloss = "0.0", boxes.txtCNloss = "75", boxes.txtResetLossFactor = "0.2", boxes.capTatum = "minutes";
        boxes.txtTitle = "Enter Title 1", boxes.txtTile2 = "Enter Title 2";
        boxes.txtDuration = {"1", "6"}, boxes.txtRain = {"1.00", "2.50"};
        resetChartGrid(chart, boxes.txtDuration, boxes.txtRain, boxes.txtArealAdj);
    }
    MsgAnswer msgBox(const QString& text, MsgStyle style, const QString& title) override
    {
        log.push_back("message: " + text.toStdString());
        return ScriptedDialogs::msgBox(text, style, title);
    }
    ComputeOutcome compute()
    {
        log.clear();
        clear();
        return driver.Command1_Click(state, chart, boxes, dir.path(), *this, common, hooks);
    }
    QString report() const { return QString::fromLatin1(readFile(dir.filePath("Temp.GRF"))); }
    std::string said() const { return messages().empty() ? "" : messages().back().toStdString(); }
    // "Go" with an option of the routing frame.
    ComputeOutcome go(int option)
    {
        boxes.optRouteType = option;
        state.routeType = 99;
        return compute();
    }
    // The pointer when the first message showed: the hourglass or the normal one.
    std::string pointerAtMessage() const
    {
        std::string pointer = "pointer";
        for (const std::string& e : log) {
            if (e.rfind("message: ", 0) == 0) return pointer;
            pointer = e;
        }
        return "no message";
    }
};

const std::string kHint = "\nCheck your time step for hours or minutes!";
bool endsWithHint(const std::string& said) { return said.size() > kHint.size() && said.ends_with(kHint); }
std::vector<float> series(const VArray<float>& q, long to) { return {q.vec().begin(), q.vec().begin() + to + 1}; }

}  // namespace

TEST(ComputeDriver, SelectPromptsStopBeforeAnything)
{
    // Either box alone stops the compute before the hourglass (both at once are
    // compute_e2e.scn's); the test is on the text and case-sensitive.
    for (auto [combo, text] : {std::pair{&ComputeBoxes::ComboDimgraph, "Select Dimensionless Graph"},
                               {&ComputeBoxes::ComboRain, "Select Rainfall"}, {&ComputeBoxes::ComboRain, "select"}}) {
        Window w;
        w.boxes.*combo = text;
        const bool select = text[0] == 'S';
        EXPECT_EQ(w.compute().end, select ? End::Stopped : End::Plotted) << text;
        if (select) EXPECT_EQ(w.log, std::vector<std::string>{"message: Select a Dimensionless Graph and Rainfall Arrangement"});
    }
}

TEST(ComputeDriver, AreaUnitsFromTheCaption)
{
    for (auto [area, caption] : {std::pair{"640", "Basin Area (acres)"}, {"27878400", "Basin Area (ft^2)"}}) {
        Window w;
        w.boxes.txtBasinArea = area;
        w.boxes.Label10 = caption;
        ASSERT_EQ(w.compute().end, End::Plotted) << caption;
        EXPECT_FLOAT_EQ(w.state.computeState.area, 1.0f) << caption;
        EXPECT_TRUE(w.report().contains("\r\nBasin Area (mi^2):  1 \r\n")) << caption;
    }
}

TEST(ComputeDriver, ChartResetOnlyWhenTheTypedStepChanges)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    EXPECT_EQ(w.log, (std::vector<std::string>{"hourglass", "pointer"}));  // the normal pointer for the report
    EXPECT_EQ(w.chart.ColumnCount(), 3);
    // 15 minutes, then 15 hours: the number as typed is the same, the plots stay.
    w.boxes.Label14 = "Hydrograph Time Step (hours)";
    w.boxes.ComboRain = "Average";  // 4 inches over 24 hours: two 15-hour steps
    w.boxes.txtDuration[2] = "24";
    w.boxes.txtRain[2] = "4.00";
    ASSERT_EQ(w.compute().end, End::Plotted) << w.said();
    EXPECT_FLOAT_EQ(w.state.computeState.udur, 15);
    EXPECT_EQ(w.chart.ColumnCount(), 4);
    // Then 10: the old plots go, and this run's hydrograph is the only one.
    w.boxes.txtGraphtimestep = "10";
    ASSERT_EQ(w.compute().end, End::Plotted);
    EXPECT_EQ(w.chart.ColumnCount(), 3);
    // A changed step resets the chart even when the run then stops.
    w.boxes.txtGraphtimestep = "20";
    w.boxes.txtCNloss = "70,60";
    const ComputeOutcome stopped = w.compute();
    EXPECT_EQ(stopped.end, End::Stopped);
    EXPECT_TRUE(stopped.chartChanged);
    EXPECT_EQ(w.chart.RowCount(), 3);  // the depth-duration table again
}

// 5 inches of initial loss take all 2.5 inches of rain: a message. A box value beyond
// singles, values that fit but make a stage's results infinite (a curve number of
// -1e38, a graph of near-smallest ordinates scaled to unit volume) and a zero step end
// in the error handler with the hint; a storm file with no number where one is read
// ends there without it (no time step makes a letter of a number). Each message shows
// with the normal pointer; the report and the chart stay as they were (but for the
// changed step's reset).
TEST(ComputeDriver, NoExcessAndErrorsKeepTheLastReport)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    const QString before = w.report();
    writeFile(w.dir.filePath("tiny.DGF"), "tiny\r\nsource\r\n5,50\r\n0,1e-40,2e-40,1e-40,0\r\n");
    const struct {
        QString ComputeBoxes::*box;
        const char *text, *said;
    } cases[] = {
        {&ComputeBoxes::txtCNloss, "5", "No Excess Rainfall for "},
        {&ComputeBoxes::txtBasinArea, "1e39",
         "Overflow: the number \"1e39\" is beyond the range of numbers the program computes with.\n"},
        {&ComputeBoxes::txtCNloss, "-1e38", "Overflow: the "},
        {&ComputeBoxes::ComboDimgraph, "tiny.DGF", "Overflow: the runoff at step "},
        {&ComputeBoxes::ComboRain, "Storm File", "The storm file "},
    };
    for (const auto& c : cases) {
        const QString kept = w.boxes.*c.box;
        w.boxes.*c.box = c.text;
        if (c.box == &ComputeBoxes::ComboRain) w.answerFile(testData("storm_letters.STM"));
        const ComputeOutcome out = w.compute();
        const bool excess = c.said[0] == 'N';
        EXPECT_EQ(out.end, excess ? End::Stopped : End::Failed) << c.text;
        const bool hint = !excess && c.box != &ComputeBoxes::ComboRain;
        EXPECT_TRUE(w.said().rfind(c.said, 0) == 0 && endsWithHint(w.said()) == hint) << w.said();
        EXPECT_EQ(w.pointerAtMessage(), "pointer") << c.text;
        EXPECT_FALSE(out.caption);
        EXPECT_EQ(w.report(), before);
        EXPECT_EQ(w.chart.ColumnCount(), 3) << c.text;
        w.boxes.*c.box = kept;
    }
}

// "Go" gives the routings room for five times the ordinates, at most 32000 (a single
// product: no 16-bit overflow on the way); a routine that refuses ends it quietly.
TEST(ComputeDriverRouting, RoomForTheRoutingAndQuietRefusals)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    w.hooks.routeOrCombine = [](Form3State&, const ComputeBoxes&, Dialogs&, CommonDialog&) {};
    for (auto [it, newit] : {std::pair<std::int16_t, std::int16_t>{100, 500}, {6500, 32000}}) {
        w.state.computeState.it = it;
        const ComputeOutcome quiet = w.go(3);
        EXPECT_EQ(quiet.end, End::Stopped);
        EXPECT_FALSE(quiet.caption || quiet.chartChanged);
        EXPECT_TRUE(w.messages().empty());
        EXPECT_EQ(w.state.computeState.newit, newit);
    }
}

TEST(ComputeDriverRouting, EachOptionRoutesTheComputedHydrograph)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    ComputeState& s = w.state.computeState;
    const std::vector<float> runoff = series(s.qi, s.it);
    const std::int16_t computedIt = s.it;

    // Muskingum twice: both route the computed runoff, not the first outflow.
    w.boxes.txtMuskK = "1", w.boxes.txtMuskX = "0.25";
    ASSERT_EQ(w.go(1).end, End::Plotted) << w.said();
    const std::vector<float> first = series(s.qout, s.it);
    ASSERT_EQ(w.go(1).end, End::Plotted);
    EXPECT_EQ(series(s.qout, s.it), first);
    EXPECT_EQ(w.state.routeType, 0);
    // Travel time of 30 minutes (the caption says minutes): Int(2 x 0.5 / 0.25 + 0.5)
    // = 4 half-step passes at 15 minutes.
    w.boxes.txtTatum = "30";
    ASSERT_EQ(w.go(3).end, End::Plotted);
    EXPECT_EQ(s.newit, computedIt + 5);
    // Modified Puls through the table chosen in the program's folder, named in the report.
    const QString rat = writeFile(w.dir.filePath("pond.RAT"), "Pond\r\n3\r\n100,0,0\r\n101,121,10\r\n"
                                                              "110,1210,100\r\n");
    w.answerFile(rat);
    ASSERT_EQ(w.go(0).end, End::Plotted) << w.said();
    EXPECT_EQ(w.asked().front().file.filter, "Modpul files (*.RAT)|*.RAT|All files (*.*)|*.*|");
    EXPECT_EQ(w.asked().front().file.initDir, w.dir.path());
    EXPECT_TRUE(w.report().contains("\r\nStorage routing file: " + rat + "\r\n\r\n  PEAK-IN"));
    EXPECT_EQ(w.state.ratingFileName, rat);
    EXPECT_GT(s.maxelv, 100.0f);
    EXPECT_EQ(series(s.qi, computedIt), runoff);
    EXPECT_EQ(w.chart.ColumnCount(), 7);
}

// A combine file that is gone says so by name; a database flow that brought nothing back
// (the retrieval said why) ends quietly. A file the reader refuses (bad "dd hh:mm" times,
// flows adding up beyond singles, a folder: the reader's faults are hydrograph_file_test's)
// ends in the error handler naming the file, and the hydrograph, the boxes, the report and
// the chart stay as they were.
TEST(ComputeDriverRouting, MissingAndRefusedFilesKeepEverything)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    ComputeState& s = w.state.computeState;
    const std::vector<float> runoff = series(s.qi, s.it);
    const QString before = w.report();
    w.answerFile(w.dir.filePath("gone.GRF"));
    EXPECT_EQ(w.go(2).end, End::Stopped);
    EXPECT_EQ(w.said(), "File not found: " + w.dir.filePath("gone.GRF").toStdString());
    EXPECT_EQ(w.asked().front().title, "Load hydrograph or combine with current");
    EXPECT_EQ(w.asked().front().file.filter, "Hydrograph files (*.GRF)|*.GRF|All files (*.*)|*.*|");
    w.boxes.chkCombineHDB = true;
    int retrievals = 0;
    w.hooks.databaseFlow = [&](ComputeState&, RainfallBoxes&) {
        ++retrievals;
        return StageEnd::EndCompute;
    };
    EXPECT_EQ(w.go(2).end, End::Stopped);
    EXPECT_EQ(retrievals, 1);
    EXPECT_TRUE(w.messages().empty());
    w.boxes.chkCombineHDB = false;

    QDir(w.dir.path()).mkdir("folder.GRF");
    const struct {
        const char* name;
        QByteArray text;
        const char* says;
        bool hint;  // only an overflow can come from the time step
    } refused[] = {
        {"junk.GRF", "Time\tRunoff\r\n05 10:00\t1\r\nnan nan:nan\t1\r\n", "has no \"dd hh:mm\" time on line 3", false},
        {"flows.GRF", "Time,Runoff\r\n0,1\r\n0.25,3e38\r\n0.5,3e38\r\n0.75,1\r\n", "adds up to a volume beyond", true},
        {"folder.GRF", {}, "is not a regular file.", false},
    };
    for (const auto& c : refused) {
        const QString path = w.dir.filePath(c.name);
        if (!c.text.isEmpty()) writeFile(path, c.text);
        w.answerFile(path);
        const ComputeOutcome out = w.go(2);
        EXPECT_EQ(out.end, End::Failed);
        EXPECT_TRUE(w.said().rfind("The hydrograph file " + path.toStdString() + " ", 0) == 0 &&
                    w.said().find(c.says) != std::string::npos && endsWithHint(w.said()) == c.hint)
            << w.said();
        EXPECT_FALSE(out.caption || out.rainfallBoxes.txtGraphtimestep);
        EXPECT_EQ(w.report(), before);
        EXPECT_EQ(w.chart.ColumnCount(), 3);
        EXPECT_EQ(series(s.qi, s.it), runoff);
        EXPECT_EQ(s.qout.ubound(), 1);
        EXPECT_FALSE(w.state.routeAgain);
    }
    // Nothing plotted: a file whose 3e38-hour step takes its times beyond all numbers
    // would become the hydrograph; the time-step box and the state keep their values.
    Window fresh;
    fresh.answerFile(writeFile(fresh.dir.filePath("step.GRF"), "Time,Runoff\r\n0,1\r\n3e38,1\r\n3.1e38,1\r\n3.2e38,1\r\n"));
    const ComputeOutcome out = fresh.go(2);
    EXPECT_EQ(out.end, End::Failed);
    EXPECT_FALSE(out.rainfallBoxes.txtGraphtimestep);
    EXPECT_EQ(fresh.state.computeState.it, 0);
    EXPECT_EQ(fresh.state.computeState.udur, 0.0f);
}
