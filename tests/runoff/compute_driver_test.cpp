// The compute driver on the window's box texts: validation, units of area and time
// step, the chart reset rule, the error handler, a compute without excess, the
// pointer, a second click during a run, and the entry of the route/combine path.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "common/dialogs.h"
#include "runoff/compute_driver.h"
#include "runoff/form3_load.h"
#include "stage_support.h"

using namespace corv;

namespace {

// Records the order of pointer changes and dialogs.
struct Log {
    std::vector<std::string> events;
};

class LoggingDialogs : public ScriptedDialogs {
public:
    explicit LoggingDialogs(Log& log) : log_(log) {}
    MsgAnswer msgBox(const QString& text, MsgStyle style = MsgStyle::OkOnly, const QString& title = {}) override
    {
        log_.events.push_back("message: " + text.toStdString());
        return ScriptedDialogs::msgBox(text, style, title);
    }

private:
    Log& log_;
};

struct Window {
    QTemporaryDir dir;
    Log log;
    LoggingDialogs dialogs{log};
    CommonDialog common{dialogs};
    Form3State state;
    ChartGrid chart;
    ComputeDriver driver;
    ComputeHooks hooks;
    ComputeBoxes boxes;

    Window()
    {
        QFile::copy(stagetest::programData() + "/SCS.DGF", dir.filePath("SCS.DGF"));
        fillRecoveryTables(state.hourlyRecovery, state.monthlyRecovery);
        hooks.setBusy = [this](bool busy) { log.events.push_back(busy ? "hourglass" : "pointer"); };
        // The window as it loads, with a method, an arrangement and a curve number.
        boxes.lblL = QStringLiteral("Stream Length (mi)");
        boxes.Label10 = QStringLiteral("Basin Area (mi^2)");
        boxes.Label14 = QStringLiteral("Hydrograph Time Step (minutes)");
        boxes.ComboDimgraph = QStringLiteral("SCS.DGF");
        boxes.ComboRain = QStringLiteral("Peak at 2/3");
        boxes.txtS = boxes.txtC = boxes.txtLag = boxes.txtBasinArea = QStringLiteral("1");
        boxes.GWloss = QStringLiteral("0.0");
        boxes.txtCNloss = QStringLiteral("75");
        boxes.txtResetLossFactor = QStringLiteral("0.2");
        boxes.txtGraphtimestep = QStringLiteral("15");
        boxes.txtTitle = QStringLiteral("Enter Title 1");
        boxes.txtTile2 = QStringLiteral("Enter Title 2");
        boxes.txtDuration[0] = QStringLiteral("1");
        boxes.txtRain[0] = QStringLiteral("1.00");
        boxes.txtDuration[1] = QStringLiteral("6");
        boxes.txtRain[1] = QStringLiteral("2.50");
        boxes.txtMuskK = QStringLiteral("1");
        boxes.txtMuskX = QStringLiteral("0.25");
        boxes.capTatum = QStringLiteral("minutes");
        resetChartGrid(chart, boxes.txtDuration, boxes.txtRain, boxes.txtArealAdj);
    }

    ComputeOutcome compute()
    {
        log.events.clear();
        dialogs.clear();
        return driver.Command1_Click(state, chart, boxes, dir.path(), dialogs, common, hooks);
    }
    QString report() const
    {
        QFile f(dir.filePath("Temp.GRF"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }
    std::vector<std::string> messages() const
    {
        std::vector<std::string> out;
        for (const QString& m : dialogs.messages()) out.push_back(m.toStdString());
        return out;
    }
};

using End = ComputeOutcome::End;

}  // namespace

TEST(ComputeDriver, ComputesReportsAndPlots)
{
    Window w;
    const ComputeOutcome out = w.compute();
    ASSERT_EQ(out.end, End::Plotted) << (w.messages().empty() ? "" : w.messages().front());
    EXPECT_TRUE(w.messages().empty());
    ASSERT_TRUE(out.caption);
    EXPECT_TRUE(out.caption->startsWith("Runoff Qmax=")) << out.caption->toStdString();
    EXPECT_TRUE(out.caption->endsWith(" in from 2.50 total"));
    EXPECT_TRUE(out.chartChanged);
    EXPECT_EQ(out.baseFlowLayout, false);
    EXPECT_EQ(w.chart.ColumnCount(), 3);
    EXPECT_EQ(w.chart.RowCount(), w.state.computeState.it + 1);
    EXPECT_TRUE(w.state.hydrographPlotted);
    EXPECT_EQ(w.state.routeType, 0);
    EXPECT_FLOAT_EQ(w.state.lastTimeStep, 15);
    EXPECT_FLOAT_EQ(w.state.computeState.udur, 0.25f);
    EXPECT_TRUE(w.report().startsWith("Enter Title 1\r\nEnter Title 2\r\nBasin Area (mi^2):  1 \r\nC value:  1 \r\n"));
    EXPECT_TRUE(w.report().contains("\r\nDimensionless Graph:  SCS.DGF\r\n"));
    // The hourglass while the steps are walked, the normal pointer for the report.
    EXPECT_EQ(w.log.events, (std::vector<std::string>{"hourglass", "pointer"}));
}

TEST(ComputeDriver, SelectPromptsStopBeforeAnything)
{
    Window w;
    for (const char* which : {"method", "arrangement"}) {
        Window fresh;
        if (std::string(which) == "method") fresh.boxes.ComboDimgraph = QStringLiteral("Select Dimensionless Graph");
        else fresh.boxes.ComboRain = QStringLiteral("Select Rainfall Arrangement");
        fresh.state.routeType = 0;
        const ComputeOutcome out = fresh.compute();
        EXPECT_EQ(out.end, End::Stopped);
        EXPECT_EQ(fresh.messages(),
                  std::vector<std::string>{"Select a Dimensionless Graph and Rainfall Arrangement"});
        EXPECT_FALSE(out.caption);
        EXPECT_FALSE(out.chartChanged);
        EXPECT_EQ(fresh.chart.ColumnCount(), 2);
        EXPECT_TRUE(fresh.report().isEmpty());
        EXPECT_TRUE(fresh.log.events.size() == 1);  // the message only: no hourglass
    }
    // The test is on the text and case-sensitive: "select" is a method name like any other.
    w.boxes.ComboRain = QStringLiteral("select");
    EXPECT_EQ(w.compute().end, End::Plotted);
}

TEST(ComputeDriver, AreaUnitsFromTheCaption)
{
    const struct {
        const char* area;
        const char* caption;
    } cases[] = {{"640", "Basin Area (acres)"}, {"27878400", "Basin Area (ft^2)"}, {"1", "Basin Area (mi^2)"}};
    for (const auto& c : cases) {
        Window w;
        w.boxes.txtBasinArea = QString::fromLatin1(c.area);
        w.boxes.Label10 = QString::fromLatin1(c.caption);
        ASSERT_EQ(w.compute().end, End::Plotted) << c.caption;
        EXPECT_FLOAT_EQ(w.state.computeState.area, 1.0f) << c.caption;
        EXPECT_TRUE(w.report().contains("\r\nBasin Area (mi^2):  1 \r\n")) << c.caption;
    }
}

TEST(ComputeDriver, ChartResetOnlyWhenTheTypedStepChanges)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    EXPECT_EQ(w.chart.ColumnCount(), 3);

    // 15 minutes, then 15 hours: the number as typed is the same, the plots stay.
    w.boxes.Label14 = QStringLiteral("Hydrograph Time Step (hours)");
    w.boxes.ComboRain = QStringLiteral("Average");  // 4 inches over 24 hours: two 15-hour steps
    w.boxes.txtDuration[2] = QStringLiteral("24");
    w.boxes.txtRain[2] = QStringLiteral("4.00");
    ASSERT_EQ(w.compute().end, End::Plotted) << (w.messages().empty() ? "" : w.messages().front());
    EXPECT_FLOAT_EQ(w.state.computeState.udur, 15);
    EXPECT_EQ(w.chart.ColumnCount(), 4);

    // Then 10: the old plots go, and this run's hydrograph is the only one.
    w.boxes.txtGraphtimestep = QStringLiteral("10");
    const ComputeOutcome out = w.compute();
    ASSERT_EQ(out.end, End::Plotted);
    EXPECT_EQ(w.chart.ColumnCount(), 3);
    EXPECT_FLOAT_EQ(w.state.lastTimeStep, 10);

    // A changed step resets the chart even when the run then stops.
    w.boxes.txtGraphtimestep = QStringLiteral("20");
    w.boxes.txtCNloss = QStringLiteral("70,60");
    const ComputeOutcome stopped = w.compute();
    EXPECT_EQ(stopped.end, End::Stopped);
    EXPECT_TRUE(stopped.chartChanged);
    EXPECT_EQ(w.chart.ColumnCount(), 2);
    EXPECT_EQ(w.chart.RowCount(), 3);  // the depth-duration table again
    EXPECT_FALSE(w.state.hydrographPlotted);
}

TEST(ComputeDriver, ZeroTimeStepEndsInTheErrorHandler)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    const QString before = w.report();
    w.state.routeType = 0;
    w.boxes.txtGraphtimestep = QStringLiteral("0");
    const ComputeOutcome out = w.compute();
    EXPECT_EQ(out.end, End::Failed);
    ASSERT_EQ(w.messages().size(), 1u);
    EXPECT_EQ(w.messages()[0], "Division by zero\nCheck your time step for hours or minutes!");
    EXPECT_EQ(w.state.routeType, 0);
    EXPECT_EQ(w.report(), before);  // the last good report stays
    EXPECT_FALSE(out.caption);
    EXPECT_FALSE(w.dialogs.asked().empty());
    EXPECT_EQ(w.log.events.back(), "message: Division by zero\nCheck your time step for hours or minutes!");

    // A storm file that is no number where one is read ends the same way, and the
    // boxes the file had set are still handed back to the window.
    Window s;
    s.boxes.ComboRain = QStringLiteral("Storm File");
    s.dialogs.answerFile(stagetest::testData("storm_letters.STM"));
    const ComputeOutcome storm = s.compute();
    EXPECT_EQ(storm.end, End::Failed);
    ASSERT_EQ(s.messages().size(), 1u);
    EXPECT_TRUE(QString::fromStdString(s.messages()[0]).endsWith("\nCheck your time step for hours or minutes!"));
}

TEST(ComputeDriver, NoExcessEndsWithoutReportOrChart)
{
    Window w;
    ASSERT_EQ(w.compute().end, End::Plotted);
    const QString before = w.report();
    w.boxes.txtCNloss = QStringLiteral("5");  // 5 inches of initial loss take all 2.5 inches of rain
    const ComputeOutcome out = w.compute();
    EXPECT_EQ(out.end, End::Stopped);
    ASSERT_EQ(w.messages().size(), 1u);
    EXPECT_EQ(w.messages()[0].rfind("No Excess Rainfall for ", 0), 0u);
    EXPECT_EQ(w.report(), before);
    EXPECT_FALSE(out.caption);
    EXPECT_FALSE(out.chartChanged);
    EXPECT_EQ(w.chart.ColumnCount(), 3);
    // The message shows with the normal pointer.
    ASSERT_GE(w.log.events.size(), 3u);
    EXPECT_EQ(w.log.events[0], "hourglass");
    EXPECT_EQ(w.log.events[1], "pointer");
    EXPECT_EQ(w.log.events[2].rfind("message: No Excess", 0), 0u);
}

TEST(ComputeDriver, StormFileBoxesAndBaseFlowEntry)
{
    Window w;
    w.boxes.ComboRain = QStringLiteral("Storm File");
    w.boxes.lblL = QStringLiteral("<<Base Flow\r\n       GW Loss>>");
    w.boxes.txtL = QStringLiteral("12.5");
    w.boxes.txtCNloss = QStringLiteral("0.1");
    w.dialogs.answerFile(stagetest::testData("storm_comma.STM"));
    const ComputeOutcome out = w.compute();
    ASSERT_EQ(out.end, End::Plotted) << (w.messages().empty() ? "" : w.messages().front());
    EXPECT_EQ(out.baseFlowLayout, true);
    EXPECT_FLOAT_EQ(w.state.computeState.baseFlow, 12.5f);
    EXPECT_TRUE(out.rainfallBoxes.clearTable);
    EXPECT_EQ(out.rainfallBoxes.txtGraphtimestep, QString("0.5"));
    EXPECT_EQ(out.rainfallBoxes.Label14, QString("Hydrograph Time Step (hours)"));
    const QString title2 = "Storm file " + stagetest::testData("storm_comma.STM");
    EXPECT_EQ(out.rainfallBoxes.txtTile2, title2);
    EXPECT_TRUE(w.report().startsWith("Enter Title 1\r\n" + title2 + "\r\n"));

    // Cancelling the storm-file dialog ends the run quietly.
    w.dialogs.answerFile(std::nullopt);
    const ComputeOutcome cancelled = w.compute();
    EXPECT_EQ(cancelled.end, End::Stopped);
    EXPECT_TRUE(w.messages().empty());
}

TEST(ComputeDriver, NoSecondRunInsideARun)
{
    Window w;
    std::vector<End> inner;
    w.hooks.processEvents = [&w, &inner] {
        // A click on "Compute Hydrograph" that slips through while the run lets events in.
        inner.push_back(w.driver.Command1_Click(w.state, w.chart, w.boxes, w.dir.path(), w.dialogs, w.common,
                                                w.hooks)
                            .end);
    };
    EXPECT_EQ(w.compute().end, End::Plotted);
    ASSERT_FALSE(inner.empty());
    for (End e : inner) EXPECT_EQ(e, End::Busy);
    EXPECT_EQ(w.chart.ColumnCount(), 3);  // one hydrograph, not two
    EXPECT_FALSE(w.driver.running());
    w.hooks.processEvents = nullptr;
    EXPECT_EQ(w.compute().end, End::Plotted);
}

TEST(ComputeDriver, RouteRequestEntry)
{
    Window w;
    // No hydrograph yet: routing is refused, the combining option is not.
    w.state.routeType = 99;
    EXPECT_EQ(w.compute().end, End::Stopped);
    EXPECT_EQ(w.messages(), std::vector<std::string>{"Compute hydrograph before routing."});
    EXPECT_EQ(w.state.routeType, 0);
    w.state.routeType = 99;
    w.boxes.optRouteType = 2;
    EXPECT_EQ(w.compute().end, End::Stopped);  // no routine answered: nothing happens
    EXPECT_TRUE(w.messages().empty());

    ASSERT_EQ(w.compute().end, End::Plotted);
    const QString computed = w.report();
    ComputeState& s = w.state.computeState;

    // A routine that produced an outflow: the report takes the routing layout.
    w.boxes.optRouteType = 3;
    w.boxes.txtTatum = QStringLiteral("30");
    w.hooks.routeOrCombine = [](Form3State& state, const ComputeBoxes&, Dialogs&, CommonDialog&) {
        ComputeState& c = state.computeState;
        c.qout.redim(c.it);
        for (long i = 1; i <= c.it; ++i) c.qout(i) = c.qi(i - 1);
        c.maxout = c.maxq;
        c.tmaxout = static_cast<float>(c.tmax + 1);
        state.routeType = 4;
    };
    w.state.routeType = 99;
    const ComputeOutcome routed = w.compute();
    ASSERT_EQ(routed.end, End::Plotted);
    EXPECT_FLOAT_EQ(s.tatumTime, 0.5f);  // 30 minutes
    EXPECT_EQ(s.obs, -2);
    EXPECT_EQ(s.newit, std::min(5 * s.it, 32000));
    EXPECT_EQ(w.state.routeType, 0);
    EXPECT_NE(w.report(), computed);
    EXPECT_TRUE(w.report().contains("\r\nTatum time of travel: 30 minutes\r\n\r\n  PEAK-IN     TIME"));
    ASSERT_TRUE(routed.caption);
    EXPECT_TRUE(routed.caption->startsWith("QmaxIn="));
    EXPECT_EQ(w.chart.ColumnCount(), 4);
    for (int r = 1; r <= w.chart.RowCount(); ++r) EXPECT_FLOAT_EQ(w.chart.data(r, 1), 0);

    // Five times the ordinates, at most 32000.
    s.it = 6500;
    w.state.routeType = 99;
    w.hooks.routeOrCombine = nullptr;
    w.compute();
    EXPECT_EQ(s.newit, 32000);
    s.it = 100;
    w.state.routeType = 99;
    w.compute();
    EXPECT_EQ(s.newit, 500);
}
