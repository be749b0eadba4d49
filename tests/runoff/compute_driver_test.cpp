// The compute driver on the window's box texts: validation, area units, the chart
// reset rule, the error handler, no excess, the pointer, and the route/combine path
// after a hydrograph (refusals and a second click are in form3_window_test; the
// report's routing headers and the next routing of a combined series are routing.scn's).
#include <gtest/gtest.h>

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
};

}  // namespace

TEST(ComputeDriver, SelectPromptsStopBeforeAnything)
{
    // The chart and the report left as they were are compute_e2e.scn's; here either box
    // alone stops the compute before the hourglass.
    for (QString ComputeBoxes::*combo : {&ComputeBoxes::ComboDimgraph, &ComputeBoxes::ComboRain}) {
        Window w;
        w.boxes.*combo = "Select Dimensionless Graph";
        EXPECT_EQ(w.compute().end, End::Stopped);
        EXPECT_EQ(w.log, std::vector<std::string>{"message: Select a Dimensionless Graph and Rainfall Arrangement"});
    }
    Window w;  // the test is on the text and case-sensitive: "select" is a name like any other
    w.boxes.ComboRain = "select";
    EXPECT_EQ(w.compute().end, End::Plotted);
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
    EXPECT_FLOAT_EQ(w.state.computeState.udur, 0.25f);
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
    EXPECT_EQ(w.chart.ColumnCount(), 2);
    EXPECT_EQ(w.chart.RowCount(), 3);  // the depth-duration table again
}

TEST(ComputeDriver, NoExcessAndErrorsKeepTheLastReport)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    const QString before = w.report();
    w.boxes.txtCNloss = "5";  // 5 inches of initial loss take all 2.5 inches of rain
    ComputeOutcome out = w.compute();
    EXPECT_EQ(out.end, End::Stopped);
    ASSERT_GE(w.log.size(), 3u);  // the message shows with the normal pointer
    EXPECT_EQ(w.log[1], "pointer");
    EXPECT_EQ(w.log[2].rfind("message: No Excess Rainfall for ", 0), 0u);
    EXPECT_FALSE(out.caption || out.chartChanged);
    EXPECT_EQ(w.chart.ColumnCount(), 3);

    w.boxes.txtCNloss = "75";
    // A zero step, and box values beyond single range (area, constant loss, rain).
    const struct {
        QString ComputeBoxes::*box;
        const char *text, *error;
    } failures[] = {{&ComputeBoxes::txtGraphtimestep, "0", "Division by zero"},
                    {&ComputeBoxes::txtBasinArea, "1e39",
                     "Overflow: the number \"1e39\" is beyond the range of numbers the program computes with."},
                    {&ComputeBoxes::txtConstLoss, "-1e39",
                     "Overflow: the number \"-1e39\" is beyond the range of numbers the program computes with."},
                    {&ComputeBoxes::txtPercentImp, "1e400",
                     "Overflow: the number \"1e400\" is beyond the range of numbers the program computes with."}};
    for (const auto& f : failures) {
        Window bad;
        bad.boxes.*f.box = f.text;
        out = bad.compute();
        EXPECT_EQ(out.end, End::Failed) << f.text;
        EXPECT_EQ(bad.said(), std::string(f.error) + "\nCheck your time step for hours or minutes!");
        EXPECT_NE(bad.log.back(), "hourglass");
    }
    w.boxes.txtRain[1] = "3e38";  // a single, but not once the areal factor of 2 is applied
    w.boxes.txtArealAdj[1] = "2";
    EXPECT_EQ(w.compute().end, End::Failed);
    EXPECT_EQ(w.said(), "Overflow\nCheck your time step for hours or minutes!");
    w.boxes.txtRain[1] = "2.50", w.boxes.txtArealAdj[1] = "";

    // A storm file with no number where one is read ends in the error handler too.
    w.boxes.ComboRain = "Storm File";
    w.answerFile(testData("storm_letters.STM"));
    EXPECT_EQ(w.compute().end, End::Failed);
    EXPECT_TRUE(QString::fromStdString(w.said()).endsWith("\nCheck your time step for hours or minutes!"));
    EXPECT_EQ(w.report(), before);
}

TEST(ComputeDriver, RouteRequestEntry)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    ComputeState& s = w.state.computeState;
    w.boxes.optRouteType = 3;
    w.boxes.txtTatum = "30";
    w.hooks.routeOrCombine = [](Form3State& state, const ComputeBoxes&, Dialogs&, CommonDialog&) {
        ComputeState& c = state.computeState;  // an outflow one step behind the inflow
        c.qout.redim(c.it);
        for (long i = 1; i <= c.it; ++i) c.qout(i) = c.qi(i - 1);
        c.maxout = c.maxq;
        state.routeType = 4;
    };
    w.state.routeType = 99;
    const ComputeOutcome routed = w.compute();
    ASSERT_EQ(routed.end, End::Plotted);
    EXPECT_FLOAT_EQ(s.tatumTime, 0.5f);  // 30 minutes
    EXPECT_EQ(w.state.routeType, 0);
    EXPECT_TRUE(w.report().contains("\r\nTatum time of travel: 30 minutes\r\n\r\n  PEAK-IN     TIME"));
    EXPECT_EQ(w.chart.ColumnCount(), 4);

    // A routine that refuses: the request ends quietly with room for five times the
    // ordinates, at most 32000.
    w.hooks.routeOrCombine = [](Form3State&, const ComputeBoxes&, Dialogs&, CommonDialog&) {};
    for (auto [it, newit] : {std::pair<std::int16_t, std::int16_t>{100, 500}, {6500, 32000}}) {
        s.it = it;
        w.state.routeType = 99;
        const ComputeOutcome quiet = w.compute();
        EXPECT_EQ(quiet.end, End::Stopped);
        EXPECT_FALSE(quiet.caption || quiet.chartChanged);
        EXPECT_TRUE(w.messages().empty());
        EXPECT_EQ(s.newit, newit);
    }
}

namespace {
const std::vector<std::string> kRoutingHeader = {"  PEAK-IN     TIME  ACRE-FT PEAK-OUT     TIME   MAXELV"};

std::vector<float> series(const VArray<float>& q, long to) { return {q.vec().begin(), q.vec().begin() + to + 1}; }

// "Go" with an option after a compute.
ComputeOutcome go(Window& w, int option)
{
    w.boxes.optRouteType = option;
    w.state.routeType = 99;
    return w.compute();
}
}  // namespace

TEST(ComputeDriverRouting, EachOptionRoutesTheComputedHydrograph)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    ComputeState& s = w.state.computeState;
    const std::vector<float> runoff = series(s.qi, s.it);
    const std::int16_t computedIt = s.it;

    // Muskingum twice: both route the computed runoff, not the first outflow.
    w.boxes.txtMuskK = "1", w.boxes.txtMuskX = "0.25";
    ASSERT_EQ(go(w, 1).end, End::Plotted) << w.said();
    const std::vector<float> first = series(s.qout, s.it);
    EXPECT_GE(s.it, computedIt);
    // The chart's newest column is the outflow; the excess column is all 0.
    EXPECT_EQ(w.chart.ColumnCount(), 4);
    EXPECT_EQ(w.chart.RowCount(), s.it + 1);
    for (int row = 1; row <= s.it + 1; ++row) {
        EXPECT_EQ(w.chart.data(row, 3), s.qout(row - 1)) << row;
        EXPECT_EQ(w.chart.data(row, 1), 0.0f) << row;
    }
    ASSERT_EQ(go(w, 1).end, End::Plotted);
    EXPECT_EQ(series(s.qout, s.it), first);
    EXPECT_EQ(series(s.qi, computedIt), runoff);
    EXPECT_EQ(w.chart.ColumnCount(), 5);

    // Travel time of 30 minutes (the caption says minutes): Int(2 x 0.5 / 0.25 + 0.5)
    // = 4 half-step passes at 15 minutes.
    w.boxes.txtTatum = "30";
    ASSERT_EQ(go(w, 3).end, End::Plotted);
    EXPECT_EQ(s.newit, computedIt + 5);
    EXPECT_EQ(series(s.qi, computedIt), runoff);

    // Modified Puls through a linear table: the file's name, elevation and storage.
    const QString rat = writeFile(w.dir.filePath("pond.RAT"), "Pond\r\n3\r\n100,0,0\r\n101,121,10\r\n"
                                                              "110,1210,100\r\n");
    w.answerFile(rat);
    ASSERT_EQ(go(w, 0).end, End::Plotted) << w.said();
    EXPECT_EQ(w.asked().front().file.filter, "Modpul files (*.RAT)|*.RAT|All files (*.*)|*.*|");
    EXPECT_EQ(w.asked().front().file.initDir, w.dir.path());
    const QString report = w.report();
    EXPECT_TRUE(report.contains("\r\nStorage routing file: " + rat + "\r\n\r\n  PEAK-IN")) << report.left(300).toStdString();
    EXPECT_EQ(w.state.ratingFileName, rat);
    EXPECT_GT(s.maxelv, 100.0f);
    // Row 2 holds the elevation, storage, outflow and inflow of ordinate 2.
    const QStringList rows = report.split("\r\n");
    const int header = static_cast<int>(rows.indexOf("     Time     Elev  Storage  Outflow   Inflow"));
    ASSERT_GT(header, 0);
    const QString row2 = rows[header + 3];
    EXPECT_EQ(row2.left(9), "  0.50000");
    EXPECT_EQ(row2.mid(9, 9).trimmed().toFloat(), std::round(s.elvout(2) * 100) / 100);
    // The summary's peak cells: inflow peak, its time, volume, outflow peak, its time, elevation.
    const QString summary = rows[rows.indexOf(QString::fromStdString(kRoutingHeader[0])) + 1];
    EXPECT_EQ(summary.mid(45, 9).trimmed().toFloat(), std::round(s.maxelv * 100) / 100);
    EXPECT_EQ(w.chart.ColumnCount(), 7);
}

TEST(ComputeDriverRouting, CancelMissingAndBadFilesKeepEverything)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    ComputeState& s = w.state.computeState;
    const std::vector<float> runoff = series(s.qi, s.it);
    const QString before = w.report();

    // Cancel in either file dialog ends quietly; a combine file that is gone says so.
    for (int option : {0, 2}) {
        const ComputeOutcome out = go(w, option);
        EXPECT_EQ(out.end, End::Stopped);
        EXPECT_TRUE(w.messages().empty());
    }
    EXPECT_EQ(w.asked().back().title, "Load hydrograph or combine with current");
    EXPECT_EQ(w.asked().back().file.filter, "Hydrograph files (*.GRF)|*.GRF|All files (*.*)|*.*|");
    w.answerFile(w.dir.filePath("gone.GRF"));
    EXPECT_EQ(go(w, 2).end, End::Stopped);
    EXPECT_EQ(w.said(), "File not found: " + w.dir.filePath("gone.GRF").toStdString());
    // A database flow that brought nothing back (the retrieval said why) ends quietly.
    w.boxes.chkCombineHDB = true;
    int retrievals = 0;
    w.hooks.databaseFlow = [&](ComputeState&, RainfallBoxes&) {
        ++retrievals;
        return StageEnd::EndCompute;
    };
    EXPECT_EQ(go(w, 2).end, End::Stopped);
    EXPECT_EQ(retrievals, 1);
    EXPECT_TRUE(w.messages().empty());
    w.boxes.chkCombineHDB = false;
    w.hooks.databaseFlow = nullptr;

    // A table that ends before the flood: the error path names the file, and the
    // hydrograph, the report and the chart stay as they were.
    const QString rat = writeFile(w.dir.filePath("small.RAT"), "Small\r\n2\r\n100,0,0\r\n101,1,0.01\r\n");
    w.answerFile(rat);
    EXPECT_EQ(go(w, 0).end, End::Failed);
    EXPECT_TRUE(QString::fromStdString(w.said()).startsWith("The storage routing file " + rat + " ends before"));
    EXPECT_TRUE(QString::fromStdString(w.said()).endsWith("\nCheck your time step for hours or minutes!"));
    EXPECT_EQ(w.report(), before);
    EXPECT_EQ(w.chart.ColumnCount(), 3);
    EXPECT_EQ(series(s.qi, s.it), runoff);
    EXPECT_EQ(w.state.routeType, 0);
    EXPECT_FALSE(w.state.routeAgain);

    // The table failed partway through the routing: no half-routed outflow is left
    // behind, and the next "Go" routes the computed hydrograph.
    w.boxes.txtMuskK = "1", w.boxes.txtMuskX = "0.2";
    ASSERT_EQ(go(w, 1).end, End::Plotted);
    const std::vector<float> routed = series(s.qout, s.it);
    EXPECT_EQ(series(s.qi, static_cast<long>(runoff.size()) - 1), runoff);
    EXPECT_EQ(routed.size(), static_cast<std::size_t>(s.it) + 1);
}

TEST(ComputeDriverRouting, CombineWithASavedHydrograph)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    ComputeState& s = w.state.computeState;
    const std::vector<float> runoff = series(s.qi, s.it);
    const QString saved = w.dir.filePath("Basin1.GRF");
    QFile::copy(w.dir.filePath("Temp.GRF"), saved);

    // Adding the saved report to the computed runoff doubles it, to the report's
    // rounding (whole cfs from 9.95 on, tenths below).
    w.answerFile(saved);
    const ComputeOutcome out = go(w, 2);
    ASSERT_EQ(out.end, End::Plotted) << w.said();
    EXPECT_EQ(out.rainfallBoxes.txtGraphtimestep, std::optional<QString>("15"));
    EXPECT_TRUE(w.report().contains("\r\nCombined hydrograph filename: " + saved + "\r\n\r\n"));
    for (long j = 0; j <= s.it; ++j) EXPECT_NEAR(s.qout(j), 2 * runoff[static_cast<std::size_t>(j)], runoff[static_cast<std::size_t>(j)] < 9.95f ? 0.051 : 0.51);
    EXPECT_TRUE(w.state.routeAgain);
    EXPECT_EQ(w.state.routeType, 0);

}

// Values that fit a single but make a stage's results infinite end the compute in the
// error handler, naming what stopped being a number; the report and chart stay. (Storm
// files whose depths add up past the largest single are bad_input_test's.)
TEST(ComputeDriver, NonFiniteStageResultsEndTheCompute)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    const QString before = w.report();
    const struct {
        QString ComputeBoxes::*box;
        const char* text;
        const char* names;
    } cases[] = {{&ComputeBoxes::txtCNloss, "-1e38", "came out as infinite"},
                 {&ComputeBoxes::txtBasinArea, "3e38", "runoff at step"}};
    for (const auto& c : cases) {
        const QString kept = w.boxes.*c.box;
        w.boxes.*c.box = c.text;
        const ComputeOutcome out = w.compute();
        EXPECT_EQ(out.end, End::Failed) << c.text;
        EXPECT_NE(w.said().find(c.names), std::string::npos) << w.said();
        EXPECT_EQ(w.said().rfind("Overflow: the ", 0), 0u) << w.said();
        EXPECT_FALSE(out.caption.has_value());
        EXPECT_EQ(w.chart.ColumnCount(), 3);
        EXPECT_EQ(w.report(), before);
        w.boxes.*c.box = kept;
    }
    // A unit graph whose ordinates are near the smallest singles: scaled to unit volume
    // they overflow.
    writeFile(w.dir.filePath("tiny.DGF"), "tiny\r\nsource\r\n5,50\r\n0,1e-40,2e-40,1e-40,0\r\n");
    w.boxes.ComboDimgraph = "tiny.DGF";
    EXPECT_EQ(w.compute().end, End::Failed);
    EXPECT_EQ(w.said().rfind("Overflow: the runoff at step ", 0), 0u) << w.said();
    EXPECT_EQ(w.report(), before);
}
