// The hydrograph file reader on the program's reports, comma and TAB tables, learned
// steps, combining (by row, by date after database rain, onto a routed outflow), and
// files it refuses without touching the current hydrograph.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "common/dates.h"
#include "runoff/hydrograph_file.h"
#include "runoff/hydrograph_report.h"
#include "runoff/number_format.h"
#include "runoff/stage_support.h"

using namespace corv;
using namespace stagetest;

namespace {

// A hydrograph q(0) = 0, q(1).. made by hand as a compute leaves it (qout 0..1); with a
// first date, its ordinates 1..dates carry dates as database rain gives them.
ComputeState current(float udur, const std::vector<float>& q, double first = 0, int dates = 0)
{
    ComputeState s = inflow({q.begin() + 1, q.end()}, udur);
    s.maxq = *std::max_element(q.begin(), q.end());
    s.tmax = static_cast<std::int16_t>(std::max_element(q.begin(), q.end()) - q.begin());
    if (first > 0) {
        s.rainMode = 3;
        s.rrtime.redim(dates);
        for (int i = 1; i <= dates; ++i) s.rrtime(i) = first + (i - 1) * udur / 24.0;
    }
    return s;
}

struct Files : ScriptedDialogs {
    QTemporaryDir dir;
    bool routeAgain = false;
    // Writes `text` as the file `name` and loads it.
    std::int16_t load(const char* name, const QByteArray& text, ComputeState& s, HydrographLoad mode = HydrographLoad::Fresh)
    {
        return LoadHydrographFile(writeFile(dir.filePath(name), text), s, mode, routeAgain, *this);
    }
};

std::vector<float> series(const VArray<float>& q, long to) { return {q.vec().begin(), q.vec().begin() + to + 1}; }

}  // namespace

// A routing report: the Outflow column as printed (1.234 -> 1.2, 56.78 -> 57, 1005 ->
// 1010), not the Inflow after it (a compute report: routing.scn); the step 0.16667 snapped
// to 10 minutes; (1.2 + 57 + 1010 + 3) cfs x 1.9835 / 144 steps a day = 14.8, 15 acre-ft.
TEST(HydrographFile, FreshLoadOfARoutingReport)
{
    Files f;
    ComputeState r = current(10.0f / 60.0f, {0, 9, 9, 9, 9});
    r.qout = current(10.0f / 60.0f, {0, 1.234f, 56.78f, 1005, 3}).qi;
    writeHydrographReport(r, 2, {}, {}, f.dir.path());
    ComputeState s;
    EXPECT_EQ(f.load("Temp.GRF", readFile(f.dir.filePath("Temp.GRF")), s), 3);
    EXPECT_TRUE(f.routeAgain);
    EXPECT_EQ(s.udur, 1.0f / 6.0f);
    EXPECT_EQ(series(s.qi, s.it), (std::vector<float>{0, 1.2f, 57, 1010, 3}));
    EXPECT_EQ(series(s.qout, s.it), series(s.qi, s.it));
    EXPECT_EQ(s.volume, 15.0f);
    EXPECT_TRUE(f.messages().empty());
}

// The step is learned from the first two times: hours snapped to the whole minute (0.016667
// h is 1 minute; 0.33333 h, 19.9998 minutes, is 20, not 19), or "dd hh:mm" (here in the
// report's layout; across a month's end: DatedFlowsGoToTheirOwnDates). A comma table's
// flows are the first field after the time naming Runoff or Outflow, to a line shorter
// than three characters; the peak is the first highest flow.
TEST(HydrographFile, StepsAndFlowsReadFromTheTable)
{
    const struct {
        const char* text;
        float minutes;
        std::vector<float> flows;
        std::int16_t tmax;
    } cases[] = {
        {"Title\r\nTime,Inflow,Runoff,Outflow\r\n0,9,1.5,7\r\n0.016667,9,4.5,7\r\n0.033333,9,4.5,7\r\n0.05,9, 3 ,7\r\n"
         "\r\n0.066667,9,100,7\r\n", 1, {1.5f, 4.5f, 4.5f, 3}, 1},
        {"Time,Runoff\r\n0,1\r\n0.33333,2\r\n0.66667,3\r\n1,4\r\n", 20, {1, 2, 3, 4}, 3},
        {"t\r\n     Time   Runoff\r\n 05 10:00       12\r\n 05 11:00       14\r\n 05 12:00       13\r\n"
         " 05 13:00        9\r\n", 60, {12, 14, 13, 9}, 1},
        // Rows of three characters are read; a line of two ends the data.
        {"Time,Runoff\r\n0,1\r\n1,2\r\n2,3\r\n3,4\r\n 9\r\n4,5\r\n", 60, {1, 2, 3, 4}, 3},
        // Times as exact as their digits: 0.17, 0.33, 0.50, 0.67 h are 10 minutes apart
        // within 0.005 h; 0.08 (4.8 minutes, snapped to 4) and 0.17, 0.25, 0.33 leave only
        // 4.92 - 5.04 minutes a step, so 5.
        {"Time,Runoff\r\n0,1\r\n0.17,2\r\n0.33,3\r\n0.50,4\r\n0.67,5\r\n", 10, {1, 2, 3, 4, 5}, 4},
        {"Time,Runoff\r\n0,1\r\n0.08,2\r\n0.17,3\r\n0.25,4\r\n0.33,5\r\n", 5, {1, 2, 3, 4, 5}, 4},
        // The same from the end of the first step: the first time is as rough as the
        // others (0.42 - 0.08 = 0.34 h over 4 steps, each end within 0.005 h), still 5
        // minutes, the rows from ordinate 1.
        {"Time,Runoff\r\n0.08,1\r\n0.17,2\r\n0.25,3\r\n0.33,4\r\n0.42,5\r\n", 5, {0, 1, 2, 3, 4, 5}, 5},
        // 1.3, 2.5, 3.8 h within 0.051 h leave 1.2497 - 1.2755 h a step, 74.98 - 76.53
        // minutes: 76 is nearer the middle, 75 the roundest (a quarter hour's multiple).
        {"Time,Runoff\r\n0.0,1\r\n1.3,2\r\n2.5,3\r\n3.8,4\r\n", 75, {1, 2, 3, 4}, 3},
        // Lines ending in CR CR LF, the last in CR CR alone.
        {"Time,Runoff\r\r\n0,1\r\r\n1,2\r\r\n2,4\r\r\n3,3\r\r", 60, {1, 2, 4, 3}, 2},
    };
    Files f;
    for (const auto& c : cases) {
        ComputeState s;
        f.load("steps.GRF", c.text, s);
        EXPECT_EQ(s.udur, c.minutes / 60.0f) << c.text;
        EXPECT_EQ(series(s.qi, s.it), c.flows) << c.text;
        EXPECT_TRUE(s.maxq == c.flows[std::size_t(c.tmax)] && s.tmax == c.tmax) << c.text;
    }
    EXPECT_EQ(timeStepBoxText(1.0f / 60.0f, "Hydrograph Time Step (minutes)"), "1");
    EXPECT_EQ(timeStepBoxText(1.0f / 60.0f, "Hydrograph Time Step (hours)"), "0.01666667");
}

// A report at 75 minutes prints its times to a tenth of an hour (1.3, 2.5, 3.8, 5.0):
// loaded, its step is 1.25 h, not 1.3; combined onto a 1.25 h hydrograph, it fits.
TEST(HydrographFile, AReportInTenthsOfAnHourKeepsItsStep)
{
    Files f;
    ComputeState r = current(1.25f, {0, 9, 9, 9, 9});
    r.qout = current(1.25f, {0, 10, 40, 20, 5}).qi;
    writeHydrographReport(r, 2, {}, {}, f.dir.path());
    const QByteArray report = readFile(f.dir.filePath("Temp.GRF"));
    ASSERT_TRUE(report.contains("      1.3") && report.contains("      3.8")) << report.toStdString();
    ComputeState s;
    f.load("own.GRF", report, s);
    EXPECT_EQ(s.udur, 1.25f);
    ComputeState c = current(1.25f, {0, 1, 1, 1, 1});
    f.load("own.GRF", report, c, HydrographLoad::Add);
    EXPECT_EQ(series(c.qout, 4), (std::vector<float>{0, 11, 41, 21, 6}));
    EXPECT_TRUE(f.messages().empty());
}

// A file in hours from 2 h at 1-hour steps fills ordinates 2 to 5, after those before:
// onto 0 10 20 10 0 it gives 0 10 120 210 100 0, peak 210 at 3 h, 440 cfs-hours x 1.9835
// / 24 = 36.4, 36 acre-ft; loaded fresh 0 0 100 200 100 0, peak 200 at 3 h, 33 acre-ft.
TEST(HydrographFile, AFileInHoursStartsAtItsFirstTime)
{
    const QByteArray late = "Time,Runoff\r\n2,100\r\n3,200\r\n4,100\r\n5,0\r\n";
    Files f;
    ComputeState c = current(1, {0, 10, 20, 10, 0});
    f.load("late.GRF", late, c, HydrographLoad::Add);
    EXPECT_EQ(series(c.qout, c.it), (std::vector<float>{0, 10, 120, 210, 100, 0}));
    EXPECT_EQ(std::tuple(c.maxout, c.tmaxout, c.volume), std::tuple(210.0f, 3.0f, 36.0f));
    ComputeState s;
    f.load("late.GRF", late, s);
    EXPECT_EQ(series(s.qi, s.it), (std::vector<float>{0, 0, 100, 200, 100, 0}));
    EXPECT_EQ(std::tuple(s.maxq, s.tmax, s.volume), std::tuple(200.0f, std::int16_t(3), 33.0f));
}

// After a compute (qout 0..1) a file adds to the runoff (kept beyond a shorter file); a
// second, longer one adds to the combined outflow, which becomes the inflow and grows.
TEST(HydrographFile, CombiningAddsToTheCurrentHydrograph)
{
    Files f;
    ComputeState s = current(10.0f / 60.0f, {0, 20, 40, 30, 10, 5});
    s.maxout = 999, s.tmaxout = 9;
    f.load("add.GRF", "Time,Runoff\r\n0,1\r\n0.16667,2\r\n0.33333,3\r\n0.5,4\r\n", s, HydrographLoad::Add);
    EXPECT_EQ(series(s.qout, 6), (std::vector<float>{1, 22, 43, 34, 10, 5, 0}));
    EXPECT_EQ(s.qout.ubound(), 6);
    EXPECT_EQ(s.maxq, 40.0f);    // the computed peak is the inflow's
    EXPECT_EQ(std::pair(s.maxout, s.tmaxout), std::pair(43.0f, 2.0f));  // the combined peak, not an older routing's
    EXPECT_FLOAT_EQ(s.volume, 1.6f);  // 115 cfs x 1.9835 / 144
    EXPECT_TRUE(f.routeAgain);
    f.load("more.GRF", "Time,Runoff\r\n0,1\r\n0.16667,1\r\n0.33333,1\r\n0.5,1\r\n0.66667,1\r\n0.83333,1\r\n1,5\r\n",
           s, HydrographLoad::Add);
    EXPECT_EQ(series(s.qout, s.it), (std::vector<float>{2, 23, 44, 35, 11, 6, 5}));
    EXPECT_EQ(series(s.qi, 5), (std::vector<float>{1, 22, 43, 34, 10, 5}));
    EXPECT_EQ(s.maxq, 43.0f);
    EXPECT_EQ(s.maxout, 44.0f);
    EXPECT_TRUE(f.messages().empty());
}

// An "Outflow" column adds to the routed outflow, a "Runoff" column to the computed
// runoff, whichever the separator.
TEST(HydrographFile, OutflowColumnAddsToTheRoutedOutflow)
{
    const std::pair<const char*, std::vector<float>> cases[] = {
        {"Time\tOutflow\r\n0\t1\r\n0.25\t1\r\n0.5\t1\r\n0.75\t1\r\n", {1, 6, 13, 15, 9, 4}},  // routed + 1
        {"Time,Runoff\r\n0,1\r\n0.25,1\r\n0.5,1\r\n0.75,1\r\n", {1, 11, 21, 11, 0, 0}},  // computed + 1
    };
    for (const auto& [text, combined] : cases) {
        Files f;
        ComputeState s = current(0.25f, {0, 10, 20, 10});
        s.qout = current(0.25f, {0, 5, 12, 14, 9, 4}).qi;  // a routed outflow, longer than its inflow
        s.it = 5;
        f.load("flows.GRF", text, s, HydrographLoad::Add);
        EXPECT_EQ(series(s.qout, 5), combined) << text;
    }
}

// Flows in "dd hh:mm" after database rain go to the ordinate of their own date (rrtime(i),
// stepped on past the rain); the report's rows, peaks and volume describe that series:
// - 15 minutes, rain dated 5 Dec 23:00..23:45 (ordinates 1-4), runoff 0 10 40 70 50 20 5
//   to ordinate 6 (06 00:15); flows 9 at 22:30, 1..7 from 22:45, then 80 and 9 at 00:30
//   and 00:45. The 22:30 flow precedes ordinate 0 (22:45, where the first rain step
//   began) and is left out; 1 goes to ordinate 0, 2..7 to ordinates 1..6; 80 and 9
//   extend to 7 and 8: 1 12 43 74 55 26 12 80 9, peak 80 at 06 00:30, 312 cfs x 1.9835
//   / 96 = 6.45 acre-ft.
// - Hourly, rain dated 30 Nov 22:00 to 1 Dec 00:00, runoff 0 30 60 45 15 5; flows 100 200
//   150 120 110 from 30 23:00 across the month's end go to ordinates 2..6: 0 30 160 245
//   165 125 110, peak 245 at 01 00:00, 835 cfs x 1.9835 / 24 = 69.0 acre-ft.
// - The same runoff and a file in hours, 1000 cfs at 0 h and 100 at 1, 2 and 3 h: row k
//   goes to ordinate k, its first flow to ordinate 0, the step before the first date (30
//   21:00), which then has a row: 1000 130 160 145 15 5, peak 1000 at 30 21:00, 1455
//   cfs-hours / 12.1 = 120.2, 120 acre-ft (not 455 / 12.1 = 38).
TEST(HydrographFile, DatedFlowsGoToTheirOwnDates)
{
    const struct {
        float udur;
        double first;
        int dates;
        std::vector<float> runoff;
        const char* flows;
        std::vector<float> combined;
        const char *summary, *row;
        std::size_t told;  // flows left out before the first date, said once
    } cases[] = {
        {0.25f, makeDate(2026, 12, 5, 23, 0), 4, {0, 10, 40, 70, 50, 20, 5},
         "Time\tRunoff\r\n05 22:30\t9\r\n05 22:45\t1\r\n05 23:00\t2\r\n05 23:15\t3\r\n05 23:30\t4\r\n05 23:45\t5\r\n06 00:00\t6\r\n"
         "06 00:15\t7\r\n06 00:30\t80\r\n06 00:45\t9\r\n",
         {1, 12, 43, 74, 55, 26, 12, 80, 9}, "     70.0 05 23:30      6.4       80 06 00:30     0.00",
         " 06 00:30       80        0", 1},
        {1, makeDate(2026, 11, 30, 22, 0), 3, {0, 30, 60, 45, 15, 5},
         "Time\tRunoff\r\n30 23:00\t100\r\n01 00:00\t200\r\n01 01:00\t150\r\n01 02:00\t120\r\n01 03:00\t110\r\n",
         {0, 30, 160, 245, 165, 125, 110}, "     60.0 30 23:00       69      245 01 00:00     0.00",
         " 01 00:00      245       45", 0},
        {1, makeDate(2026, 11, 30, 22, 0), 3, {0, 30, 60, 45, 15, 5}, "Time,Runoff\r\n0,1000\r\n1,100\r\n2,100\r\n3,100\r\n",
         {1000, 130, 160, 145, 15, 5}, "     60.0 30 23:00      120     1000 30 21:00     0.00",
         " 30 21:00     1000        0", 0},
    };
    for (const auto& c : cases) {
        Files f;
        ComputeState s = current(c.udur, c.runoff, c.first, c.dates);
        f.load("TmpHDB.GRF", c.flows, s, HydrographLoad::Add);
        EXPECT_EQ(series(s.qout, s.it), c.combined) << c.flows;
        const QList<QByteArray> lines = buildHydrographReport(s, 3, {}, {}).text.split('\n');
        EXPECT_EQ(lines.at(5), c.summary + QByteArray("\r"));
        // Rows 1..it, ordinate 0's where it carries flow, and the empty last.
        EXPECT_EQ(lines.size(), 8 + c.combined.size() + (c.combined[0] != 0));
        EXPECT_TRUE(lines.contains(c.row + QByteArray("\r"))) << c.row;
        EXPECT_EQ(f.messages().size(), c.told);  // its wording: hdb_rainfall.scn
    }
    // A fresh load after database rain keeps the file's hours: its rows carry no dates.
    Files f;
    ComputeState s = current(1, {0, 30, 60, 45, 15, 5}, makeDate(2026, 11, 30, 22, 0), 3);
    f.load("fresh.GRF", "Time,Runoff\r\n0,1\r\n1,2\r\n2,3\r\n3,4\r\n", s);
    EXPECT_TRUE(buildHydrographReport(s, 3, {}, {}).text.endsWith("\r\n      3.0        4        4\r\n"));
}

// Refused files change nothing, here on a hydrograph of database rain dated from 30 Nov
// 22:00 at 15 minutes.
TEST(HydrographFile, FaultsNameTheFileAndChangeNothing)
{
    Files f;
    ComputeState s = current(0.25f, {0, 3e38f, 0}, makeDate(2026, 11, 30, 22, 0), 2);
    QByteArray many = "Time,Runoff\r\n";
    for (int i = 0; i <= 32001; ++i) many += QByteArray::number(i * 0.25) + ",1\r\n";
    const QByteArray digits(8 * 1024 * 1024, '7');  // a run pasted into the flow cell
    const auto fresh = HydrographLoad::Fresh;
    const struct {
        const char* name;
        QByteArray text;
        const char* says;
        HydrographLoad mode = HydrographLoad::Add;
    } cases[] = {
        {"none.GRF", "no header\r\n0 1\r\n", "has no header line naming its columns"},
        {"nocol.GRF", "Time,Inflow\r\n0,1\r\n", "has no \"Outflow\" or \"Runoff\" column in its header (line 1"},
        {"fixed.GRF", "t\r\n     Time   Runoff\r\n  0.00000        1\r\n  0.25000      abc\r\n",
         "has no number in the flow column on line 4"},
        // A field with a second point or trailing text is no number, in any layout.
        {"point.GRF", "Time,Runoff\r\n0,1\r\n0.25,1.2.3\r\n0.5,1\r\n0.75,1\r\n", "has no number in the flow column on line 3"},
        {"text.GRF", "Time\tRunoff\r\n0\t1\r\n0.25\t12abc\r\n0.5\t1\r\n0.75\t1\r\n", "has no number in the flow column on line 3"},
        {"cell.GRF", "     Time   Runoff\r\n  0.00000        1\r\n  0.25000    1.2.3\r\n  0.50000        1\r\n"
                     "  0.75000        1\r\n", "has no number in the flow column on line 3"},
        // One number to a field: a blank or TAB inside is not read as 0.52, 125 or 0.50.
        {"blank.GRF", "Time,Runoff\r\n0,1\r\n0.25,0.5 2\r\n0.5,1\r\n0.75,1\r\n", "has no number in the flow column on line 3"},
        {"split.GRF", "     Time   Runoff\r\n  0.00000        1\r\n  0.25000     12 5\r\n  0.50000        1\r\n"
                      "  0.75000        1\r\n", "has no number in the flow column on line 3"},
        {"tab.GRF", "Time,Runoff\r\n0,1\r\n0.25,1\r\n0.5\t0,1\r\n0.75,1\r\n", "has no number for the time on line 4"},
        {"when.GRF", "Time,Runoff\r\n0,1\r\n0.25,1\r\n0.5.0,1\r\n0.75,1\r\n", "has no number for the time on line 4"},
        {"noon.GRF", "Time,Runoff\r\n0,1\r\n0.25,1\r\n0.5h,1\r\n0.75,1\r\n", "has no number for the time on line 4"},
        // A row running past the header's columns: 9 + 8 Mi characters against 18.
        {"run.GRF", "     Time   Runoff\r\n  0.00000        1\r\n  0.25000" + digits + "\r\n  0.50000        1\r\n"
                    "  0.75000        1\r\n", "has a row of 8388617 characters on line 3 (\"  0.250007777777777777777777777777777777...\"), "
                                            "longer than the 18 of the columns its header names (line 1).", fresh},
        // Steps unlike the first: 1 - 0.08333 h after a first step of 5 minutes, and a
        // "dd hh:mm" gap of 30 minutes after steps of 15.
        {"uneven.GRF", "Time,Runoff\r\n0,10\r\n0.08333,20\r\n1,30\r\n2,40\r\n5,50\r\n6,60\r\n",
         "steps 0.91667 hours at line 4 (\"1,30\"), its first step 0.08333334 hours at line 3: a hydrograph has one "
         "time step.", fresh},
        {"gap.GRF", "     Time   Runoff\r\n 05 10:00       10\r\n 05 10:15       20\r\n 05 10:30       30\r\n"
                    " 05 11:00       40\r\n 05 11:15       50\r\n",
         "steps 0.5 hours at line 5 (\" 05 11:00       40\"), its first step 0.25 hours at line 3", fresh},
        {"comma.GRF", "Time,Runoff\r\n0,1\r\n0.25,\r\n", "has no number in the flow column on line 3"},
        {"time.GRF", "Time,Runoff\r\nnoon,1\r\n", "has no number for the time on line 2"},
        {"many.GRF", many, "has more than 32001 rows of flows"},
        {"three.GRF", "Time,Runoff\r\n0,1\r\n0.25,1\r\n0.5,1\r\n", "holds 3 rows of flows after its header; a hydrograph needs at least 4."},
        {"cr.GRF", "Time,Runoff\r0,1\r0.25,2\r0.5,3\r0.75,4\r", "has a bare carriage return inside line 1"},
        {"crcr.GRF", "Time,Runoff\r\r\n0,1\r\r\n0.25,2\r\r0.5,3\r\r\n0.75,4\r\r\n", "has a bare carriage return inside line 3"},
        // A first time in hours off the steps from 0, below 0, or too far on for its rows.
        {"late.GRF", "Time,Runoff\r\n0.3,1\r\n1.3,1\r\n2.3,1\r\n3.3,1\r\n",
         "starts at 0.3 hours on line 2 (\"0.3,1\"): its rows must start at time 0 or a whole number of its 1-hour "
         "steps after it.", fresh},
        {"before.GRF", "Time,Runoff\r\n-1,1\r\n0,1\r\n1,1\r\n2,1\r\n", "starts at -1 hours on line 2", fresh},
        {"beyond.GRF", "Time,Runoff\r\n31998,1\r\n31999,1\r\n32000,1\r\n32001,1\r\n",
         "starts at 31998 hours on line 2: its 4 rows would run past the 32001 ordinates a hydrograph holds.", fresh},
        // Flows and times beyond singles, by name.
        {"huge.GRF", "Time,Runoff\r\n0,1\r\n0.25,5E82\r\n", "has the number \"5E82\" on line 3, beyond the range"},
        {"far.GRF", "Time,Runoff\r\n0,1\r\n1e39,2\r\n", "has the number \"1e39\" on line 3"},
        // Times that stand still, go back, stay within a minute or are no "dd hh:mm" (NaN: the driver's).
        {"back.GRF", "Time,Runoff\r\n0,1\r\n-0.25,2\r\n", "goes back in time on line 3"},
        {"second.GRF", "Time,Runoff\r\n0,1\r\n0.001,2\r\n", "gives no time step of a minute or more with its times up to line 3"},
        {"equal.GRF", "Time\tRunoff\r\n05 10:00\t1\r\n05 10:00\t2\r\n", "repeats the time of the row before on line 3"},
        {"later.GRF", "Time\tRunoff\r\n05 10:00\t1\r\n05 10:15\t2\r\n05 10:30\t2\r\n05 10:15\t2\r\n",
         "goes back in time on line 5"},
        {"day.GRF", "Time\tRunoff\r\n05 10:00\t1\r\n04 10:15\t2\r\n", "goes back in time on line 3"},
        {"junk.GRF", "Time\tRunoff\r\nx y:z\t1\r\n", "has no \"dd hh:mm\" time on line 2"},
        {"colon.GRF", "Time\tRunoff\r\n05 10:00\t1\r\n:\t2\r\n", "has no \"dd hh:mm\" time on line 3"},
        // Dated flows between the current ordinates' dates, or all before them.
        {"off.GRF", "Time\tRunoff\r\n30 22:05\t1\r\n30 22:20\t1\r\n30 22:35\t1\r\n30 22:50\t1\r\n",
         "has a flow on line 2 dated 30 22:05, between the current hydrograph's ordinates"},
        {"early.GRF", "Time\tRunoff\r\n29 01:00\t1\r\n29 01:15\t1\r\n29 01:30\t1\r\n29 01:45\t1\r\n",
         "has no flow dated at or after the current hydrograph's first time (30 21:45)."},
        // A step unlike the current hydrograph's, and sums beyond singles.
        {"half.GRF", "Time,Runoff\r\n0,100\r\n0.5,100\r\n", "steps 0.5 hours at line 3 (\"0.5,100\"), the current "
                                                            "hydrograph 0.25 hours: Unit durations must match current hydrograph"},
        {"sum.GRF", "Time,Runoff\r\n0,1\r\n0.25,3e38\r\n0.5,1\r\n0.75,1\r\n",
         "has a flow on line 3 that, added to the current hydrograph, is beyond the range"},
        {"volume.GRF", "Time,Runoff\r\n0,1\r\n0.25,1\r\n0.5,3e38\r\n0.75,1\r\n", "adds up to a volume beyond the range "
                                                                                   "of numbers the program computes with by line 4."},
        {"step.GRF", "Time,Runoff\r\n0,1\r\n1e37,1\r\n2e37,1\r\n3e37,1\r\n",
         "has a time step of 1E+37 hours (line 3), beyond the range", HydrographLoad::Fresh},
    };
    for (const auto& c : cases) {
        const Caught e = caught([&] { f.load(c.name, c.text, s, c.mode); });
        EXPECT_TRUE(e.says(("The hydrograph file " + f.dir.filePath(c.name).toStdString() + " ").c_str()) &&
                    e.says(c.says))
            << c.name << " -> " << e.text;
        EXPECT_TRUE(s.it == 2 && s.qout.ubound() == 1 && s.udur == 0.25f && s.maxq == 3e38f) << c.name;
        EXPECT_EQ(series(s.qi, 2), (std::vector<float>{0, 3e38f, 0})) << c.name;
    }
}
