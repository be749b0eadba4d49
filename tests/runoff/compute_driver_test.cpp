// The compute driver on the window's box texts: prompts, no excess and the error handler,
// area units, the chart reset rule, the pointer, and the route/combine path (refusals and
// a second click: form3_window_test; routing headers and combined series: routing.scn).
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "runoff/compute_driver.h"
#include "runoff/stage_support.h"

using namespace corv;
using namespace stagetest;
using End = ComputeOutcome::End;

namespace {

// The window as it loads, with a method, an arrangement and a curve number; the
// hourglasses shown and the pointer when a message box came up.
struct Window : ScriptedDialogs {
    QTemporaryDir dir;
    CommonDialog common{*this};
    Form3State state;
    ChartGrid chart;
    ComputeDriver driver;
    ComputeHooks hooks;
    ComputeBoxes boxes;
    int hourglasses = 0;
    bool busy = false, busyAtMessage = false;

    Window()
    {
        QFile::copy(programData() + "/SCS.DGF", dir.filePath("SCS.DGF"));
        fillRecoveryTables(state.hourlyRecovery, state.monthlyRecovery);
        hooks.setBusy = [this](bool b) { hourglasses += b, busy = b; };
        boxes.lblL = "Stream Length (mi)", boxes.Label10 = "Basin Area (mi^2)";
        boxes.Label14 = "Hydrograph Time Step (minutes)", boxes.txtGraphtimestep = "15";
        boxes.ComboDimgraph = "SCS.DGF", boxes.ComboRain = "Peak at 2/3";
        boxes.txtS = boxes.txtC = boxes.txtLag = boxes.txtBasinArea = "1";
        boxes.GWloss = "0.0", boxes.txtCNloss = "75", boxes.txtResetLossFactor = "0.2", boxes.capTatum = "minutes";
        boxes.txtDuration = {"1", "6"}, boxes.txtRain = {"1.00", "2.50"};
        resetChartGrid(chart, boxes.txtDuration, boxes.txtRain, boxes.txtArealAdj);
    }
    MsgAnswer msgBox(const QString& text, MsgStyle style, const QString& title) override
    {
        busyAtMessage = busy;
        return ScriptedDialogs::msgBox(text, style, title);
    }
    ComputeOutcome compute()
    {
        hourglasses = 0;
        clear();
        return driver.Command1_Click(state, chart, boxes, dir.path(), *this, common, hooks);
    }
    // "Go" with an option of the routing frame.
    ComputeOutcome go(int option)
    {
        boxes.optRouteType = option;
        state.routeType = 99;
        return compute();
    }
    QString report() const { return QString::fromLatin1(readFile(dir.filePath("Temp.GRF"))); }
    std::string said() const { return messages().empty() ? "" : messages().back().toStdString(); }
};

bool endsWithHint(const std::string& said) { return said.ends_with("\nCheck your time step for hours or minutes!"); }
std::vector<float> series(const VArray<float>& q, long to) { return {q.vec().begin(), q.vec().begin() + to + 1}; }

}  // namespace

// A box at its prompt (case-sensitive; both at once: compute_e2e.scn) stops before the
// hourglass; 5 inches of initial loss take all 2.5 inches of rain. A box beyond singles,
// values making a stage's results infinite (curve number -1e38, a graph of near-smallest
// ordinates scaled to unit volume) and a storm file lacking a number end in the error
// handler with the hint. Each message shows with the normal pointer; report and chart
// stay; what a failed run left stops no later run.
TEST(ComputeDriver, StopsAndErrorsKeepTheLastReport)
{
    Window w;
    w.boxes.ComboRain = "select";
    ASSERT_EQ(w.compute().end, End::Plotted);
    w.boxes.ComboRain = "Peak at 2/3";
    const QString before = w.report();
    writeFile(w.dir.filePath("tiny.DGF"), "tiny\r\nsource\r\n5,50\r\n0,1e-40,2e-40,1e-40,0\r\n");
    w.answerFile(testData("storm_letters.STM"));  // for the storm-file row
    const char* select = "Select a Dimensionless Graph and Rainfall Arrangement";
    const struct {
        QString ComputeBoxes::*box;
        const char *text, *said;
        End end;
    } cases[] = {
        {&ComputeBoxes::ComboDimgraph, "Select Dimensionless Graph", select, End::Stopped},
        {&ComputeBoxes::ComboRain, "Select Rainfall", select, End::Stopped},
        {&ComputeBoxes::txtCNloss, "5", "No Excess Rainfall for ", End::Stopped},
        {&ComputeBoxes::txtBasinArea, "1e39",
         "Overflow: the number \"1e39\" is beyond the range of numbers the program computes with.\n", End::Failed},
        {&ComputeBoxes::txtCNloss, "-1e38", "Overflow: the ", End::Failed},
        {&ComputeBoxes::ComboDimgraph, "tiny.DGF", "Overflow: the runoff at step ", End::Failed},
        {&ComputeBoxes::ComboRain, "Storm File", "The storm file ", End::Failed},
    };
    for (const auto& c : cases) {
        const QString kept = w.boxes.*c.box;
        w.boxes.*c.box = c.text;
        const ComputeOutcome out = w.compute();
        EXPECT_EQ(out.end, c.end) << c.text;
        EXPECT_TRUE(w.said().rfind(c.said, 0) == 0 && endsWithHint(w.said()) == (c.end == End::Failed && c.box != &ComputeBoxes::ComboRain))
            << w.said();
        EXPECT_TRUE(c.said != select || w.hourglasses == 0) << c.text;
        EXPECT_FALSE(w.busyAtMessage || out.caption) << c.text;
        EXPECT_EQ(w.report(), before);
        EXPECT_EQ(w.chart.ColumnCount(), 3) << c.text;
        w.boxes.*c.box = kept;
    }
    // The infinite runoff the graph row left is no result of the next run.
    ASSERT_EQ(w.compute().end, End::Plotted) << w.said();
    // Loss-stage results that are not finite end the compute before the transform: with
    // recovery on, step 1's ground water is (1 + 3e38) x f 0.6855 x gwFactor 3.2267
    // (0.025 in x 645.33 x 0.2), beyond singles. The runoff stays, and routes.
    const ComputeState& s = w.state.computeState;
    const std::vector<float> runoff = series(s.qi, s.it);
    w.boxes.txtConstLoss = "0.1", w.boxes.GWloss = "-3e38";
    EXPECT_EQ(w.compute().end, End::Failed);
    EXPECT_EQ(w.said().rfind("Overflow: the ground-water flow at step 1 came out as infinite", 0), 0u) << w.said();
    EXPECT_EQ(series(s.qi, s.it), runoff);
    w.boxes.txtTatum = "30";
    EXPECT_EQ(w.go(3).end, End::Plotted) << w.said();
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

// 15 minutes, then 15 hours (Average, 4 in over 24 h: two steps): the typed number is the
// same, the plots stay; then 10: only this run's plot. A changed step resets the chart even
// when the run then stops. Each report comes with the normal pointer.
TEST(ComputeDriver, ChartResetOnlyWhenTheTypedStepChanges)
{
    Window w;
    w.boxes.ComboRain = "Average";
    w.boxes.txtDuration[2] = "24", w.boxes.txtRain[2] = "4.00";
    const struct {
        const char *unit, *step, *cn;
        float udur;
        int columns;  // 0: the run stops
    } runs[] = {{"minutes", "15", "75", 0.25f, 3}, {"hours", "15", "75", 15, 4}, {"hours", "10", "75", 10, 3},
                {"hours", "20", "70,60", 0, 0}};
    for (const auto& r : runs) {
        w.boxes.Label14 = QString("Hydrograph Time Step (%1)").arg(r.unit);
        w.boxes.txtGraphtimestep = r.step, w.boxes.txtCNloss = r.cn;
        const ComputeOutcome out = w.compute();
        EXPECT_EQ(out.end, r.columns ? End::Plotted : End::Stopped) << r.step << w.said();
        EXPECT_TRUE(!r.columns || (w.chart.ColumnCount() == r.columns && w.state.computeState.udur == r.udur)) << r.step;
        EXPECT_TRUE(r.columns ? w.hourglasses == 1 && !w.busy : out.chartChanged && w.chart.RowCount() == 3) << r.step;
    }
}

// A combine file that is gone says so by name; one the reader refuses (its faults:
// hydrograph_file_test) ends in the error handler naming it, and the hydrograph, boxes,
// report and chart stay. Each option routes the computed runoff: Muskingum twice gives
// one outflow; travel time 30 minutes (the caption's unit) is Int(2 x 0.5 / 0.25 + 0.5)
// = 4 half-step passes at 15 minutes; Modified Puls asks for its table in the program's
// folder. A database flow that brought nothing back and a routine that refuses end
// quietly; "Go" leaves room for 5 x the ordinates, at most 32000 (no 16-bit overflow).
TEST(ComputeDriverRouting, RoutesAndCombinesFromTheComputedHydrograph)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    ComputeState& s = w.state.computeState;
    const std::vector<float> runoff = series(s.qi, s.it);
    const std::int16_t computedIt = s.it;
    const QString before = w.report();
    w.answerFile(w.dir.filePath("gone.GRF"));
    EXPECT_EQ(w.go(2).end, End::Stopped);
    EXPECT_EQ(w.said(), "File not found: " + w.dir.filePath("gone.GRF").toStdString());
    EXPECT_EQ(w.asked().front().title, "Load hydrograph or combine with current");
    EXPECT_EQ(w.asked().front().file.filter, "Hydrograph files (*.GRF)|*.GRF|All files (*.*)|*.*|");

    // The file's own faults, none of them the time step's: no hint. Uneven steps at the
    // computed 15 minutes: 0.25 h after 0.25 h, then 1 h.
    const std::pair<const char*, const char*> refused[] = {
        {"Time\tRunoff\r\n05 10:00\t1\r\nnan nan:nan\t1\r\n", "has no \"dd hh:mm\" time on line 3"},
        {"Time,Runoff\r\n0,1\r\n0.25,2\r0.5,3\r\n0.75,4\r\n1,5\r\n", "has a bare carriage return inside line 3"},
        {"Time,Runoff\r\n0,1\r\n0.25,2\r\n0.5,3\r\n1.5,4\r\n", "steps 1 hours at line 5 (\"1.5,4\"), its first step 0.25 hours"},
    };
    for (const auto& [text, says] : refused) {
        w.answerFile(writeFile(w.dir.filePath("junk.GRF"), text));
        const ComputeOutcome out = w.go(2);
        EXPECT_EQ(out.end, End::Failed);
        EXPECT_TRUE(w.said().rfind("The hydrograph file " + w.dir.filePath("junk.GRF").toStdString() + " ", 0) == 0 &&
                    w.said().find(says) != std::string::npos && !endsWithHint(w.said()))
            << w.said();
        EXPECT_FALSE(out.caption || out.rainfallBoxes.txtGraphtimestep || w.state.routeAgain);
        EXPECT_EQ(w.report(), before);
        EXPECT_EQ(w.chart.ColumnCount(), 3);
        EXPECT_EQ(series(s.qi, s.it), runoff);
        EXPECT_EQ(s.qout.ubound(), 1);
        EXPECT_EQ(s.udur, 0.25f);
    }

    w.boxes.txtMuskK = "1", w.boxes.txtMuskX = "0.25";
    ASSERT_EQ(w.go(1).end, End::Plotted) << w.said();
    const std::vector<float> first = series(s.qout, s.it);
    ASSERT_EQ(w.go(1).end, End::Plotted);
    EXPECT_EQ(series(s.qout, s.it), first);
    EXPECT_EQ(w.state.routeType, 0);
    w.boxes.txtTatum = "30";
    ASSERT_EQ(w.go(3).end, End::Plotted);
    EXPECT_EQ(s.newit, computedIt + 5);
    w.answerFile(testData("pond.RAT"));
    ASSERT_EQ(w.go(0).end, End::Plotted) << w.said();
    EXPECT_EQ(w.asked().front().file.filter, "Modpul files (*.RAT)|*.RAT|All files (*.*)|*.*|");
    EXPECT_EQ(w.asked().front().file.initDir, w.dir.path());
    EXPECT_EQ(series(s.qi, computedIt), runoff);

    w.boxes.chkCombineHDB = true;
    w.hooks.databaseFlow = [](ComputeState&, RainfallBoxes&) { return StageEnd::EndCompute; };
    const auto quiet = [&w](const ComputeOutcome& o) {
        return o.end == End::Stopped && !o.caption && !o.chartChanged && w.messages().empty();
    };
    EXPECT_TRUE(quiet(w.go(2)));
    w.hooks.routeOrCombine = [](Form3State&, const ComputeBoxes&, Dialogs&, CommonDialog&) {};
    for (auto [it, newit] : {std::pair<std::int16_t, std::int16_t>{100, 500}, {6500, 32000}}) {
        s.it = it;
        EXPECT_TRUE(quiet(w.go(3))) << it;
        EXPECT_EQ(s.newit, newit);
    }
}

// "Go" before any hydrograph is computed is refused by name and routes nothing. After a
// compute, a routing and a combine whose report cannot be written (Temp.GRF is a folder)
// fail after changing the hydrograph: the series, peaks, volume and the rerouting flag
// come back as they were, and no caption or box text goes to the window.
TEST(ComputeDriverRouting, RefusedOrFailedGoChangesNothing)
{
    Window w;
    EXPECT_EQ(w.go(1).end, End::Stopped);
    EXPECT_EQ(w.said(), "Compute hydrograph before routing.");
    EXPECT_TRUE(w.chart.ColumnCount() == 2 && !QFile::exists(w.dir.filePath("Temp.GRF")));

    ASSERT_EQ(w.compute().end, End::Plotted);
    const ComputeState& s = w.state.computeState;
    const auto look = [&s] {
        return std::tuple(series(s.qi, s.it), series(s.qout, s.qout.ubound()), s.maxq, s.tmax, s.maxout, s.tmaxout,
                          s.volume, s.combineFileName);
    };
    const auto before = look();
    QFile::remove(w.dir.filePath("Temp.GRF"));
    QDir(w.dir.path()).mkdir("Temp.GRF");
    w.boxes.txtMuskK = "1", w.boxes.txtMuskX = "0.25";
    w.answerFile(writeFile(w.dir.filePath("add.GRF"), "Time,Runoff\r\n0,100\r\n0.25,100\r\n0.5,100\r\n0.75,100\r\n"));
    for (int option : {1, 2}) {
        const ComputeOutcome out = w.go(option);
        EXPECT_EQ(out.end, End::Failed) << option;
        EXPECT_NE(w.said().find("Temp.GRF"), std::string::npos) << w.said();
        EXPECT_TRUE(look() == before) << option;
        EXPECT_FALSE(w.state.routeAgain || out.caption || out.rainfallBoxes.txtGraphtimestep) << option;
        EXPECT_EQ(w.chart.ColumnCount(), 3);
    }
}
