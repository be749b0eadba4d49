// The report file line by line on small computed cases, the routing layout, and the
// report's replacement of the old file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/dates.h"
#include "common/dialogs.h"
#include "runoff/hydrograph_report.h"
#include "runoff/losses.h"
#include "runoff/rainfall.h"
#include "runoff/transforms.h"
#include "stage_support.h"

using namespace corv;

namespace {

struct Case {
    float area = 1, lag = 1, udur = 1, C = 1;
    const char* cn = "0.2";
    const char* constLoss = "";
    const char* factor = "0.2";
    const char* impervious = "";
    const char* method = "Triangle Unit Graph";
    const char* rain = "Average";
    std::array<QString, 8> durations{QStringLiteral("2")};
    std::array<QString, 8> depths{QStringLiteral("1.00")};
};

ComputeState compute(const Case& c)
{
    ComputeState s;
    ScriptedDialogs dialogs;
    CommonDialog common(dialogs);
    s.area = c.area;
    s.lag = c.lag;
    s.udur = c.udur;
    s.C = c.C;
    LossInputs loss{QString::fromLatin1(c.cn), QString::fromLatin1(c.factor), QString::fromLatin1(c.constLoss),
                    QStringLiteral("0.0"), QString::fromLatin1(c.impervious)};
    EXPECT_EQ(setUpLosses(s, loss, dialogs), StageEnd::Continue);
    RainfallInputs rain;
    rain.ComboRain = QString::fromLatin1(c.rain);
    rain.ComboDimgraph = QString::fromLatin1(c.method);
    rain.txtC = QString::number(c.C);
    rain.txtDuration = c.durations;
    rain.txtRain = c.depths;
    RainfallBoxes boxes;
    EXPECT_EQ(buildRainfall(s, rain, common, dialogs, boxes), StageEnd::Continue);
    accountLosses(s, stagetest::hourlyTable(), stagetest::monthlyTable());
    TransformInputs tr;
    tr.ComboDimgraph = rain.ComboDimgraph;
    tr.folder = stagetest::programData();
    EXPECT_EQ(transformExcess(s, tr, dialogs), StageEnd::Continue);
    return s;
}

ReportBoxes boxesFor(const Case& c)
{
    ReportBoxes b;
    b.txtTitle = QStringLiteral("Enter Title 1");
    b.txtTile2 = QStringLiteral("Enter Title 2");
    b.ComboDimgraph = QString::fromLatin1(c.method);
    b.txtC = QString::number(c.C);
    return b;
}

std::vector<std::string> lines(const QByteArray& text)
{
    EXPECT_TRUE(text.endsWith("\r\n"));
    std::vector<std::string> out;
    for (const QString& l : QString::fromLatin1(text).split(QStringLiteral("\r\n"))) out.push_back(l.toStdString());
    out.pop_back();
    return out;
}

}  // namespace

// A hydrograph state made by hand for the layouts the computed cases do not reach.
ComputeState handMade(float peak)
{
    ComputeState s;
    s.udur = 1;
    s.it = 3;
    s.obs = 1;
    s.qi.redim(3);
    s.rdepth.redim(3);
    s.excess.redim(3);
    s.gwFlow.redim(3);
    s.pCumStep.redim(3);
    s.qi(1) = peak;
    s.qi(2) = 1005;
    s.qi(3) = 0.0123f;
    s.maxq = peak;
    s.tmax = 1;
    s.volume = 12.34f;
    return s;
}

std::string peakCell(float peak)
{
    ComputeState s = handMade(peak);
    return lines(buildHydrographReport(s, 0, QString(), ReportBoxes{}).text).at(13).substr(18, 9);
}

TEST(HydrographReport, HourStepsInitialLossAndTriangles)
{
    Case c;  // 1 mi^2, lag 1 h, 1 h steps, 1 in over 2 h, 0.2 in initial loss
    ComputeState s = compute(c);
    const HydrographReport r = buildHydrographReport(s, 0, QString(), boxesFor(c));
    const std::vector<std::string> expected = {
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
        "    2.000     1.00      419      3.0       85",
        "",
        "     Time   Runoff Rainfall   Excess   ILpsum   GW_cfs",
        // Triangles of 645.33 cfs per inch rising over two steps and falling over two:
        // 0.3 in then 0.5 in of excess give 96.8, 354.9, 419.5 and 161.3 cfs.
        "      0.0        0  0.00000  0.00000  0.00000        0",
        "      1.0       97  0.50000  0.30000  0.20000        0",
        "      2.0      355  0.50000  0.50000  0.20000        0",
        "      3.0      419  0.00000  0.00000  0.00000        0",
        // Past obs + 1 only the time and the runoff.
        "      4.0      161",
        "      5.0        0",
        "      6.0        0",
        "      7.0        0",
    };
    EXPECT_EQ(lines(r.text), expected);
    EXPECT_EQ(r.caption, "Runoff Qmax=419 cfs, Vol=85 acft, RainLoss=0.20 in from 1.00 total");
    EXPECT_EQ(s.timeFormat, "######0.0");
    EXPECT_EQ(s.flowFormat, "########0");
    EXPECT_FLOAT_EQ(s.maxq, 419);  // replaced by its rounded value
    EXPECT_FLOAT_EQ(s.rainLoss, 0.2f);
}

TEST(HydrographReport, QuarterHourStepsAndCurveNumber)
{
    Case c;  // 0.01 mi^2, lag 0.25 h, CN 100 (all rain runs off), 0.1 in each quarter hour
    c.udur = 0.25f;
    c.lag = 0.25f;
    c.area = 0.01f;
    c.cn = "100";
    c.durations = {QStringLiteral("1")};
    c.depths = {QStringLiteral("0.40")};
    ComputeState s = compute(c);
    const HydrographReport r = buildHydrographReport(s, 0, QString(), boxesFor(c));
    const std::vector<std::string> expected = {
        "Enter Title 1",
        "Enter Title 2",
        "Basin Area (mi^2):  .01 ",
        "Triangular factors: 1, , , , ",
        "Lag Time:  .25 ",
        "SCS Curve Number CN:  100 , S1:  0 , CNwet:  100 , CNdry:  100 , S1wet:  0 , S1dry:  0 ",
        "Constant Loss (in/hr):  0.00",
        "Percent Impervious area:  0.0",
        "Loss Recovery Factor:   .2 ",
        "Dimensionless Graph:  Triangle Unit Graph",
        "",
        "",
        " DURATION     RAIN    PEAKQ     TIME  ACRE-FT",
        // A peak below 100 cfs keeps a decimal; the first of two equal peaks counts.
        "    1.000     0.40      5.2  0.75000     0.43",
        "",
        "     Time   Runoff Rainfall   Excess       CN       S1   CNpsum   GW_cfs",
        "  0.00000        0  0.00000  0.00000100.00000  0.00000  0.00000        0",
        "  0.25000      1.3  0.10000  0.10000100.00000  0.00000  0.10000        0",
        "  0.50000      3.9  0.10000  0.10000100.00000  0.00000  0.20000        0",
        "  0.75000      5.2  0.10000  0.10000100.00000  0.00000  0.30000        0",
        "  1.00000      5.2  0.10000  0.10000100.00000  0.00000  0.40000        0",
        "  1.25000      3.9  0.00000  0.00000100.00000  0.00000  0.40000        0",
        "  1.50000      1.3",
        "  1.75000        0",
        "  2.00000        0",
        "  2.25000        0",
    };
    EXPECT_EQ(lines(r.text), expected);
    EXPECT_EQ(r.caption, "Runoff Qmax=5.2 cfs, Vol=0.43 acft, RainLoss=0.00 in from 0.40 total");
    EXPECT_EQ(s.timeFormat, "##0.00000");
}

TEST(HydrographReport, PeakMaskFlowRoundingAndRationalExcess)
{
    // The peak's mask keeps a decimal below 100 cfs; it is chosen before the peak is
    // rounded, so 99.9 shows as 100.0. A flow of 1005 is written 1010.
    EXPECT_EQ(peakCell(99.9f), "    100.0");
    EXPECT_EQ(peakCell(100), "      100");
    EXPECT_EQ(peakCell(9.94f), "      9.9");
    EXPECT_EQ(peakCell(1005), "     1010");
    ComputeState s = handMade(50);
    const auto rows = lines(buildHydrographReport(s, 0, QString(), ReportBoxes{}).text);
    EXPECT_EQ(rows.at(18), "      2.0     1010  0.00000  0.00000  0.00000        0");
    EXPECT_EQ(rows.at(19), "      3.0    0.012");

    // The Rational excess is shown times C, and the loss counts it so.
    ComputeState rational = handMade(50);
    rational.rationalMethod = true;
    rational.C = 0.5f;
    rational.rdepth(1) = 1;
    rational.excess(1) = 0.8f;
    rational.gwFlow(1) = 12.345f;
    const HydrographReport r = buildHydrographReport(rational, 0, QString(), ReportBoxes{});
    EXPECT_EQ(lines(r.text).at(17), "      1.0       50  1.00000  0.40000  0.00000       12");
    EXPECT_FLOAT_EQ(rational.excess(1), 0.4f);
    EXPECT_FLOAT_EQ(rational.gwFlow(1), 12);  // the printed ground-water flow is kept rounded
    EXPECT_EQ(r.caption.toStdString(), "Runoff Qmax=50 cfs, Vol=12.34 acft, RainLoss=0.60 in from 0.00 total");
}

TEST(HydrographReport, RoutingLayouts)
{
    ComputeState s;
    s.udur = 0.5f;
    s.it = 2;
    s.obs = -2;
    s.qi.redim(2);
    s.qout.redim(2);
    s.elvout.redim(2);
    s.storout.redim(2);
    s.qi(1) = 150.4f;
    s.qout(1) = 80.06f;
    s.qout(2) = 120.4f;
    s.elvout(1) = 101.234f;
    s.storout(2) = 3.456f;
    s.maxq = 150.4f;
    s.tmax = 1;
    s.volume = 9.87f;
    s.maxout = 120.4f;
    s.tmaxout = 2;
    s.maxelv = 101.5f;
    ReportBoxes b;
    b.txtTitle = QStringLiteral("Routed");
    b.txtTile2 = QStringLiteral("Second");
    b.txtMuskK = QStringLiteral("1");
    b.txtMuskX = QStringLiteral("0.25");
    b.txtTatum = QStringLiteral("30");
    b.capTatum = QStringLiteral("minutes");

    ComputeState muskingum = s;
    const HydrographReport m = buildHydrographReport(muskingum, 2, QString(), b);
    const std::vector<std::string> expected = {
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
    };
    EXPECT_EQ(lines(m.text), expected);
    EXPECT_EQ(m.caption.toStdString(), "QmaxIn=150 cfs, Vol=9.87 acft, QmaxOut=120 cfs");

    ComputeState puls = s;
    const auto p = lines(buildHydrographReport(puls, 1, QStringLiteral("/maps/Pond.RAT"), b).text);
    EXPECT_EQ(p.at(2), "Storage routing file: /maps/Pond.RAT");
    EXPECT_EQ(p.at(7), "     Time     Elev  Storage  Outflow   Inflow");
    EXPECT_EQ(p.at(9), "  0.50000   101.23        0       80      150");
    EXPECT_EQ(p.at(10), "  1.00000     0.00      3.5      120        0");

    ComputeState combined = s;
    combined.combineFileName = QStringLiteral("/maps/Upstream.GRF");
    EXPECT_EQ(lines(buildHydrographReport(combined, 3, QString(), b).text).at(2),
              "Combined hydrograph filename: /maps/Upstream.GRF");
    ComputeState tatum = s;
    EXPECT_EQ(lines(buildHydrographReport(tatum, 4, QString(), b).text).at(2), "Tatum time of travel: 30 minutes");
}

TEST(HydrographReport, FileReplacedWholeOrNotAtAll)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Temp.GRF");
    const auto read = [&path] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    };
    Case c;
    ComputeState s = compute(c);
    const QString caption = writeHydrographReport(s, 0, QString(), boxesFor(c), dir.path());
    EXPECT_EQ(s.reportPath, path);
    EXPECT_EQ(caption, "Runoff Qmax=419 cfs, Vol=85 acft, RainLoss=0.20 in from 1.00 total");
    EXPECT_TRUE(read().startsWith("Enter Title 1\r\nEnter Title 2\r\nBasin Area"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Temp.GRF"});

    // A run whose arrays are too short fails before the file is touched.
    replaceFileWith(path, "earlier report\r\n");
    ComputeState broken = handMade(50);
    broken.obs = 5;
    EXPECT_EQ(stagetest::caught([&] { writeHydrographReport(broken, 0, QString(), ReportBoxes{}, dir.path()); }).text,
              "Subscript out of range");
    EXPECT_EQ(read(), "earlier report\r\n");

    // A report that cannot be put beside the old one leaves the old one.
    QDir(dir.path()).mkdir("Temp.GRF.part");
    EXPECT_EQ(stagetest::caught([&] { replaceFileWith(path, "new"); }).text, "Path/File access error");
    EXPECT_EQ(read(), "earlier report\r\n");
    QDir(dir.path()).rmdir("Temp.GRF.part");

    // A report the user made read-only, and a folder that is gone.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_EQ(stagetest::caught([&] { replaceFileWith(path, "new"); }).text, "Permission denied");
    EXPECT_EQ(read(), "earlier report\r\n");
    EXPECT_EQ(stagetest::caught([&] { replaceFileWith(dir.filePath("gone/Temp.GRF"), "new"); }).text,
              "Path not found");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Temp.GRF"});
}

TEST(HydrographReport, DatabaseRainfallDates)
{
    // Rain from the database: the rows start at 1, times are dates, and past the last
    // known date the steps go on by the time step.
    ComputeState s = handMade(50);
    s.rainMode = 3;
    s.udur = 0.5f;
    s.rrtime.redim(2);
    s.rrtime(1) = makeDate(2024, 6, 11, 13, 0);
    s.rrtime(2) = makeDate(2024, 6, 11, 13, 30);
    s.tmax = 2;
    const auto rows = lines(buildHydrographReport(s, 0, QString(), ReportBoxes{}).text);
    EXPECT_EQ(rows.at(13), "    0.000     0.00     50.0 11 13:30       12");
    EXPECT_EQ(rows.at(16), " 11 13:00       50  0.00000  0.00000  0.00000        0");
    EXPECT_EQ(rows.at(17), " 11 13:30     1010  0.00000  0.00000  0.00000        0");
    EXPECT_EQ(rows.at(18), " 11 14:00    0.012");
    EXPECT_EQ(rows.size(), 19u);
    EXPECT_EQ(s.rrtime.ubound(), 3);
}
