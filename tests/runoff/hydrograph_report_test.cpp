// The report file line by line on small computed cases, the peak and flow cells, the
// routing layouts, database dates, and the report's replacement of the old file.
#include <gtest/gtest.h>

#include <QThreadPool>
#include <QTemporaryDir>

#include "common/dates.h"
#include "runoff/hydrograph_report.h"
#include "support/failing_save.h"
#include "runoff/stage_support.h"

using namespace corv;
using namespace stagetest;

namespace {

// Average rain over a triangle unit graph with C 1 (the initial-loss case unless cn is a curve number).
ComputeState compute(float area, float lag, float udur, const char* cn, const char* hours, const char* inches)
{
    ComputeState s;
    s.area = area, s.lag = lag, s.udur = udur, s.C = 1;
    ScriptedDialogs d;
    EXPECT_EQ(runStages(s, loss(cn, "", "0.2", ""), rainTable("Average", {hours}, {inches}, "Triangle Unit Graph"), d),
              StageEnd::Continue);
    return s;
}

const ReportBoxes kBoxes{.txtTitle = "Enter Title 1", .txtTile2 = "Enter Title 2", .ComboDimgraph = "Triangle Unit Graph", .txtC = "1"};

std::vector<std::string> lines(const QByteArray& text)
{
    EXPECT_TRUE(text.endsWith("\r\n"));
    std::vector<std::string> out;
    for (const QString& l : QString::fromLatin1(text).split("\r\n")) out.push_back(l.toStdString());
    out.pop_back();
    return out;
}

// A hydrograph made by hand for the cells the computed cases do not reach.
ComputeState handMade(float peak, long steps = 3)
{
    ComputeState s;
    s.udur = 1, s.it = 3, s.obs = 1, s.maxq = peak, s.tmax = 1, s.volume = 12.34f;
    for (VArray<float>* a : {&s.qi, &s.rdepth, &s.excess, &s.gwFlow, &s.pCumStep}) a->redim(steps);
    s.qi(1) = peak, s.qi(3) = 0.0123f;
    return s;
}
std::vector<std::string> handMadeLines(ComputeState s) { return lines(buildHydrographReport(s, 0, {}, {}).text); }

}  // namespace

TEST(HydrographReport, HourStepsInitialLossAndTriangles)
{
    ComputeState s = compute(1, 1, 1, "0.2", "2", "1.00");  // 1 in over 2 h, 0.2 in initial loss
    const HydrographReport r = buildHydrographReport(s, 0, {}, kBoxes);
    EXPECT_EQ(lines(r.text), (std::vector<std::string>{
                                 "Enter Title 1",
                                 "Enter Title 2",
                                 "Basin Area (mi^2):  1 ",
                                 "Triangular factors: 1, , , , ",
                                 "Lag Time:  1 ",
                                 "Intitial Loss (in):  0.20, ILossWet (in):  0.00, ILossDry (in):  0.20",
                                 "Constant Loss (in/hr):  0.00",
                                 "Percent Impervious area:  0.0",
                                 "Loss Recovery Factor:   .2 ",
                                 "Dimensionless Graph:  Triangle Unit Graph",
                                 "",
                                 "",
                                 " DURATION     RAIN    PEAKQ     TIME  ACRE-FT",
                                 // 0.8 in of excess over 1 mi^2: 42.7 acre-ft.
                                 "    2.000     1.00      210      3.0       43",
                                 "",
                                 "     Time   Runoff Rainfall   Excess   ILpsum   GW_cfs",
                                 // Two steps up and two down sample the triangle as 0.5, 1, 0.5 and 0,
                                 // so one inch (645.33 cfs-hours) peaks at 645.33 / 2 = 322.7 cfs:
                                 // 0.3 in then 0.5 in of excess give 48.4, 177.5, 209.7 and 80.7 cfs.
                                 "      0.0        0  0.00000  0.00000  0.00000        0",
                                 "      1.0       48  0.50000  0.30000  0.20000        0",
                                 "      2.0      177  0.50000  0.50000  0.20000        0",
                                 "      3.0      210  0.00000  0.00000  0.00000        0",
                                 "      4.0       81",  // past obs + 1 only the time and the runoff
                                 "      5.0        0",
                                 "      6.0        0",
                                 "      7.0        0",
                             }));
    EXPECT_EQ(r.caption, "Runoff Qmax=210 cfs, Vol=43 acft, RainLoss=0.20 in from 1.00 total");
    EXPECT_FLOAT_EQ(s.maxq, 210);  // replaced by its rounded value
}

TEST(HydrographReport, QuarterHourStepsAndCurveNumber)
{
    ComputeState s = compute(0.01f, 0.25f, 0.25f, "100", "1", "0.40");  // CN 100: all rain runs off
    const HydrographReport r = buildHydrographReport(s, 0, {}, kBoxes);
    const std::vector<std::string> all = lines(r.text);
    // The CN line and columns themselves: tests/scenarios/compute_e2e.scn.
    // A peak below 100 cfs keeps a decimal; the first of two equal peaks counts.
    // 0.4 in over 0.01 mi^2 is 0.213 acre-ft.
    EXPECT_EQ(all.at(13), "    1.000     0.40      2.6  0.75000     0.21");
    // Rise (0.125 + 0.25) / 0.25 = 1.5, so 2 steps up and 2 down: one inch peaks at
    // 6.4533 / 0.25 / 2 = 12.9 cfs, each 0.1 in adds 0.65, 1.29, 0.65; the runoff cells from 0 h:
    std::vector<std::string> flows;
    for (std::size_t i = 16; i < all.size(); ++i) flows.push_back(all[i].substr(9, 9));
    EXPECT_EQ(flows, (std::vector<std::string>{"        0", "     0.65", "      1.9", "      2.6", "      2.6", "      1.9",
                                                "     0.65", "        0", "        0", "        0"}));
    EXPECT_EQ(r.caption, "Runoff Qmax=2.6 cfs, Vol=0.21 acft, RainLoss=0.00 in from 0.40 total");
}

TEST(HydrographReport, PeakMaskFlowRoundingRationalExcessAndDatabaseDates)
{
    // The peak's mask keeps a decimal below 100 cfs and is chosen before the peak is
    // rounded, so 99.9 shows as 100.0. A flow of 1005 is written 1010 (the flow cells of
    // the rows: the cases above).
    for (auto [peak, cell] : {std::pair{99.9f, "    100.0"}, {100.0f, "      100"}, {9.94f, "      9.9"}, {1005.0f, "     1010"}})
        EXPECT_EQ(handMadeLines(handMade(peak)).at(13).substr(18, 9), cell) << peak;

    // The Rational excess is shown times C, and the loss counts it so.
    ComputeState rational = handMade(50);
    rational.rationalMethod = true;
    rational.C = 0.5f, rational.rdepth(1) = 1, rational.excess(1) = 0.8f, rational.gwFlow(1) = 12.345f;
    const HydrographReport r = buildHydrographReport(rational, 0, {}, {});
    EXPECT_EQ(lines(r.text).at(17), "      1.0       50  1.00000  0.40000  0.00000       12");
    EXPECT_FLOAT_EQ(rational.gwFlow(1), 12);  // the printed ground-water flow is kept rounded
    EXPECT_EQ(r.caption, "Runoff Qmax=50 cfs, Vol=12.34 acft, RainLoss=0.60 in from 0.00 total");

    // Database rain: rows start at 1, times are dates, and past the last known date
    // the steps go on by the time step, for the rows and the peak times alike.
    ComputeState db = handMade(50);
    db.rainMode = 3, db.udur = 0.5f, db.tmax = 3, db.tmaxout = 3;
    db.rrtime.redim(2);
    db.rrtime(1) = makeDate(2024, 6, 11, 13, 0);
    db.rrtime(2) = makeDate(2024, 6, 11, 13, 30);
    const auto dated = lines(buildHydrographReport(db, 0, {}, {}).text);
    ASSERT_EQ(dated.size(), 19u);
    EXPECT_EQ(dated[13], "    0.000     0.00     50.0 11 14:00       12");
    EXPECT_EQ(dated[16], " 11 13:00       50  0.00000  0.00000  0.00000        0");
    EXPECT_EQ(dated[18], " 11 14:00    0.012");
    db.qout.redim(3);
    EXPECT_EQ(lines(buildHydrographReport(db, 2, {}, {}).text).at(5).substr(36, 9), " 11 14:00");
}

// The other routings' lines (storage file, travel time, combined file, the Puls
// columns): tests/scenarios/routing.scn.
TEST(HydrographReport, RoutingLayout)
{
    ComputeState s;
    s.udur = 0.5f, s.it = 2, s.obs = -2;
    for (VArray<float>* a : {&s.qi, &s.qout}) a->redim(2);
    s.qi(1) = 150.4f, s.qout(1) = 80.06f, s.qout(2) = 120.4f;
    s.maxq = 150.4f, s.tmax = 1, s.volume = 9.87f, s.maxout = 120.4f, s.tmaxout = 2, s.maxelv = 101.5f;
    const ReportBoxes b{.txtTitle = "Routed", .txtTile2 = "Second", .txtMuskK = "1", .txtMuskX = "0.25"};
    const HydrographReport m = buildHydrographReport(s, 2, {}, b);
    EXPECT_EQ(lines(m.text), (std::vector<std::string>{
                                 "Routed",
                                 "Second",
                                 "Muskingum K lag: 1  Muskingum X storage: 0.25",
                                 "",
                                 "  PEAK-IN     TIME  ACRE-FT PEAK-OUT     TIME   MAXELV",
                                 "      150  0.50000      9.9      120  1.00000   101.50",
                                 "",
                                 "     Time  Outflow   Inflow",
                                 "  0.00000        0        0",
                                 "  0.50000       80      150",
                                 "  1.00000      120        0",
                             }));
    EXPECT_EQ(m.caption, "QmaxIn=150 cfs, Vol=9.87 acft, QmaxOut=120 cfs");
}

TEST(HydrographReport, LongReportWrittenInBandsAsInOneRunAndReplacedWholeOrNotAtAll)
{
    // 9,001 six-minute rows with rain on every one, in bands when the pool has threads.
    // Row 7000 (a later band's): 7000 x 0.1 h = 700.00000, flow 7000 (to tens), rain 0.07000.
    ComputeState s = handMade(50, 9000);
    s.udur = 0.1f, s.it = 9000, s.obs = 8999;
    for (long i = 1; i <= 9000; ++i) s.qi(i) = static_cast<float>(i), s.rdepth(i) = static_cast<float>(i) / 1e5f;
    QThreadPool* pool = QThreadPool::globalInstance();
    const int threads = pool->maxThreadCount();
    pool->setMaxThreadCount(1);
    ComputeState one = s;
    const QByteArray inOneRun = buildHydrographReport(one, 0, {}, {}).text;
    pool->setMaxThreadCount(std::max(threads, 4));
    // Bands go into the file as they are made, the lines above them after. Neither a
    // full disk, a failing band, a close nor a rename touches the older report.
    QTemporaryDir dir;
    writeHydrographReport(s, 0, {}, {}, dir.path());
    const QByteArray inBands = readFile(dir.filePath("Temp.GRF"));
    using P = test::FailingSaveDevice::Point;
    test::expectFailuresKeepOlder(dir.filePath("Temp.GRF"), {{P::Byte, 0, "byte 0"}, {P::Byte, 100, "partway"}, {P::At, 0, "a band"},
                                  {P::Close, 0, "close"}, {P::Rename, 0, "step aside"}, {P::SecondRename, 0, "take the name"}},
                                  [&] { return test::saveErrorOf([&] { writeHydrographReport(s, 0, {}, {}, dir.path()); }); });
    pool->setMaxThreadCount(threads);
    EXPECT_TRUE(inBands == inOneRun);
    EXPECT_EQ(lines(inBands).at(16 + 7000), "700.00000     7000  0.07000  0.00000  0.00000        0");
    // Nor does a run whose arrays are too short, which leaves nothing beside it.
    ComputeState broken = handMade(50);
    broken.obs = 5;
    EXPECT_EQ(caught([&] { writeHydrographReport(broken, 0, {}, {}, dir.path()); }).text, "Subscript out of range");
    EXPECT_TRUE(readFile(dir.filePath("Temp.GRF")) == inBands && test::folderEntries(dir.path()) == QStringList{"Temp.GRF"});
}
