// The hydrograph file reader on reports written by the program (compute and routing
// layouts), comma and TAB tables, learned and mismatched steps, whole-hour database
// times, combining, and files it refuses without touching the current hydrograph.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "runoff/hydrograph_file.h"
#include "runoff/hydrograph_report.h"
#include "runoff/number_format.h"
#include "runoff/routing.h"
#include "runoff/stage_support.h"

using namespace corv;
using namespace stagetest;

namespace {

// An SCS hydrograph at 10-minute steps (not exact in binary) from 2.5 in over 6 h.
ComputeState computed()
{
    ComputeState s;
    s.area = 3, s.lag = 1, s.udur = 10.0f / 60.0f, s.C = 1;
    ScriptedDialogs d;
    EXPECT_EQ(runStages(s, loss("75"), rainTable("Peak at 2/3", {"1", "6"}, {"1.00", "2.50"}), d),
              StageEnd::Continue);
    return s;
}

struct Files : ScriptedDialogs {
    QTemporaryDir dir;
    bool routeAgain = false;
    QString write(const char* name, const QByteArray& text) { return writeFile(dir.filePath(name), text); }
    // The report of s as the program writes it, under name.
    QString report(ComputeState s, std::int16_t routeType, const char* name)
    {
        writeHydrographReport(s, routeType, "pond.RAT", {}, dir.path());
        QFile::rename(dir.filePath("Temp.GRF"), dir.filePath(name));
        return dir.filePath(name);
    }
    std::int16_t load(const QString& path, ComputeState& s, HydrographLoad mode = HydrographLoad::Fresh)
    {
        return LoadHydrographFile(path, s, mode, routeAgain, *this);
    }
};

// A flow as the report prints it: usgsround of the value.
float printed(float q) { return usgsround(q); }

}  // namespace

TEST(HydrographFile, FreshLoadOfTheProgramsReports)
{
    Files f;
    const ComputeState c = computed();
    ASSERT_GT(c.it, 40);

    // A compute report: the Runoff column, the step from the second row's time.
    ComputeState s;
    f.routeAgain = false;
    EXPECT_EQ(f.load(f.report(c, 0, "compute.GRF"), s), 3);
    EXPECT_TRUE(f.routeAgain);
    EXPECT_EQ(s.it, c.it);
    EXPECT_EQ(s.udur, 1.0f / 6.0f);  // 0.16667 snapped to whole minutes
    for (long j = 0; j <= c.it; ++j) {
        EXPECT_EQ(s.qi(j), printed(c.qi(j))) << j;
        EXPECT_EQ(s.qout(j), s.qi(j)) << j;
    }
    EXPECT_EQ(s.maxq, printed(c.maxq));
    EXPECT_EQ(s.tmax, c.tmax);
    EXPECT_EQ(s.maxout, s.maxq);
    EXPECT_EQ(s.tmaxout, static_cast<float>(c.tmax));
    // Acre-feet of the ordinates: sum x 1.9835 / 144 steps a day, to two figures.
    float sum = 0;
    for (long j = 0; j <= c.it; ++j) sum += printed(c.qi(j));
    EXPECT_NEAR(s.volume, sum * 1.9835f / 144, 0.05f * s.volume);
    EXPECT_EQ(s.rrtime.ubound(), c.it);
    EXPECT_TRUE(f.messages().empty());

    // A routing report: the Outflow column, not the Inflow after it.
    ComputeState r = computed();
    r.newit = static_cast<std::int16_t>(5 * r.it);
    r.qout.redim(1);
    muskingum(r, 1, 0.2f, false);
    ComputeState t;
    f.load(f.report(r, 2, "routed.GRF"), t);
    EXPECT_EQ(t.it, r.it);
    for (long j = 0; j <= r.it; ++j) EXPECT_EQ(t.qi(j), printed(r.qout(j))) << j;
    EXPECT_EQ(t.udur, 1.0f / 6.0f);
}

// The step is learned from the first two times: hours as numbers, snapped to the whole
// minute (0.016667 h is 1 minute; 0.33333 h, 19.9998 minutes, is 20, not 19), or the full
// day, hour and minute of "dd hh:mm" times (whole hours, as database flows are, have
// every minute 0; the day may start a new month).
TEST(HydrographFile, StepsLearnedFromTheTimes)
{
    const struct {
        const char* text;
        float minutes;
    } cases[] = {
        {"Time,Runoff\r\n0,1\r\n0.016667,2\r\n0.033333,3\r\n", 1},
        {"Time,Runoff\r\n0,1\r\n0.33333,2\r\n0.66667,3\r\n1,4\r\n", 20},
        {"Time,Runoff\r\n0,1\r\n0.0833,2\r\n0.1667,3\r\n0.25,4\r\n", 5},
        {"Time\tRunoff\r\n30 22:00\t 5 \r\n30 23:00\t 10 \r\n31 00:00\t 20 \r\n", 60},
        {"t\r\n     Time   Runoff\r\n 05 10:00       12\r\n 05 11:00       14\r\n 05 12:00       13\r\n", 60},
        {"Time\tRunoff\r\n31 23:00\t1\r\n01 00:00\t2\r\n01 01:00\t3\r\n", 60},
        {"Time\tRunoff\r\n05 10:45\t1\r\n05 11:00\t2\r\n05 11:15\t3\r\n", 15},
    };
    Files f;
    for (const auto& c : cases) {
        ComputeState s;
        f.load(f.write("steps.GRF", c.text), s);
        EXPECT_EQ(s.udur, c.minutes / 60.0f) << c.text;
    }
    EXPECT_EQ(timeStepBoxText(1.0f / 60.0f, "Hydrograph Time Step (minutes)"), "1");
    EXPECT_EQ(timeStepBoxText(1.0f / 60.0f, "Hydrograph Time Step (hours)"), "0.01666667");
    EXPECT_EQ(timeStepBoxText(1.0f, "Hydrograph Time Step (minutes)"), "60");
}

TEST(HydrographFile, SeparatedTablesAndBlankLines)
{
    Files f;
    ComputeState s;
    // Comma table: the first field after the time naming Runoff or Outflow; the data
    // end at a blank line.
    f.load(f.write("comma.GRF", "Title\r\nTime,Inflow,Runoff,Outflow\r\n0,9,1.5,7\r\n0.016667,9,2.5,7\r\n"
                                "0.033333,9,4.5,7\r\n0.05,9, 3 ,7\r\n\r\n0.066667,9,100,7\r\n"),
           s);
    EXPECT_EQ(s.it, 3);
    EXPECT_EQ(s.qi(3), 3.0f);
    EXPECT_EQ(s.maxq, 4.5f);
    EXPECT_EQ(s.tmax, 2);

    // TAB table with an Outflow column; 40 cfs for 15 minutes each: 40 x 1.9835 / 96
    // = 0.826 acre-ft.
    ComputeState t;
    f.routeAgain = false;
    EXPECT_EQ(f.load(f.write("tab.GRF", "Time\tOutflow\r\n0\t0\r\n0.25\t10\r\n0.5\t20\r\n0.75\t10\r\n1\t0\r\n"), t), 3);
    EXPECT_EQ(t.it, 4);
    EXPECT_FLOAT_EQ(t.volume, 0.83f);
    // Hourly database flows: 45 cfs-hours, 45 x 1.9835 / 24 = 3.72 acre-ft.
    ComputeState h;
    f.load(f.write("TmpHDB.GRF", "Time\tRunoff\r\n30 22:00\t 5 \r\n30 23:00\t 10 \r\n31 00:00\t 20 \r\n"
                                 "31 01:00\t 10 \r\n"),
           h);
    EXPECT_FLOAT_EQ(h.volume, 3.7f);

    // Two rows are too few for a report.
    ComputeState u;
    EXPECT_EQ(f.load(f.write("two.GRF", "Time,Runoff\r\n0,1\r\n1,2\r\n"), u), 0);
    EXPECT_TRUE(f.routeAgain);
}

TEST(HydrographFile, CombiningAddsToTheCurrentHydrograph)
{
    Files f;
    // After a compute (qout 0..1): the file is added to the computed runoff; beyond a
    // shorter file the runoff stays as it was.
    ComputeState s;
    s.udur = 0.25f, s.it = 4, s.maxq = 40, s.tmax = 2, s.maxout = 999, s.tmaxout = 9;
    s.qi.redim(4);
    for (long j = 0; j <= 4; ++j) s.qi(j) = std::vector<float>{0, 20, 40, 30, 10}[static_cast<std::size_t>(j)];
    s.qout.redim(1);
    f.routeAgain = false;
    EXPECT_EQ(f.load(f.write("add.GRF", "Time,Runoff\r\n0,1\r\n0.25,2\r\n0.5,3\r\n"), s, HydrographLoad::Add), 0);
    EXPECT_EQ(s.it, 4);
    EXPECT_EQ(std::vector<float>(s.qout.vec().begin(), s.qout.vec().begin() + 5), (std::vector<float>{1, 22, 43, 30, 10}));
    EXPECT_EQ(s.qout.ubound(), 5);
    EXPECT_EQ(s.maxq, 40.0f);     // the computed peak is the inflow's
    EXPECT_EQ(s.maxout, 43.0f);   // the combined peak, not an older routing's
    EXPECT_EQ(s.tmaxout, 2.0f);
    EXPECT_FLOAT_EQ(s.volume, 2.2f);  // 106 cfs x 1.9835 / 96
    EXPECT_TRUE(f.routeAgain);

    // A second, longer file adds to the combined outflow: it grows, the inflow is the
    // combined series and its peak the inflow peak.
    EXPECT_EQ(f.load(f.write("more.GRF", "Time,Runoff\r\n0,1\r\n0.25,1\r\n0.5,1\r\n0.75,1\r\n1,1\r\n1.25,5\r\n"), s,
                     HydrographLoad::Add),
              3);
    EXPECT_EQ(s.it, 5);
    EXPECT_EQ(std::vector<float>(s.qout.vec().begin(), s.qout.vec().begin() + 6),
              (std::vector<float>{2, 23, 44, 31, 11, 5}));
    EXPECT_EQ(s.qi(2), 43.0f);
    EXPECT_EQ(s.maxq, 43.0f);
    EXPECT_EQ(s.maxout, 44.0f);

    // A 30-minute file onto this 15-minute hydrograph: the message, and only the rows
    // before the first step (ordinate 0) are added.
    f.clear();
    f.load(f.write("half.GRF", "Time,Runoff\r\n0,100\r\n0.5,100\r\n1,100\r\n"), s, HydrographLoad::Add);
    EXPECT_EQ(f.messages(), std::vector<QString>{"Unit durations must match current hydrograph"});
    EXPECT_EQ(s.qout(0), 102.0f);
    EXPECT_EQ(s.qout(1), 23.0f);
    EXPECT_EQ(s.udur, 0.25f);

    // Onto a 10-minute hydrograph: a report's 0.16667 is 10 minutes and adds; a 9-minute
    // file (0.15 h, a minute off) is refused like any other step.
    ComputeState t;
    t.udur = 10.0f / 60.0f, t.it = 2;
    t.qi.redim(2);
    t.qout.redim(1);
    f.clear();
    f.load(f.write("ten.GRF", "Time,Runoff\r\n0,1\r\n0.16667,2\r\n0.33333,3\r\n"), t, HydrographLoad::Add);
    EXPECT_TRUE(f.messages().empty());
    EXPECT_EQ(t.qout(2), 3.0f);
    f.load(f.write("nine.GRF", "Time,Runoff\r\n0,1\r\n0.15,2\r\n0.3,3\r\n"), t, HydrographLoad::Add);
    EXPECT_EQ(f.messages(), std::vector<QString>{"Unit durations must match current hydrograph"});
}

TEST(HydrographFile, FaultsNameTheFileAndChangeNothing)
{
    Files f;
    ComputeState s;
    s.udur = 0.25f, s.it = 2, s.maxq = 7;
    s.qi.redim(2);
    s.qi(1) = 7;
    s.qout.redim(1);
    QByteArray many = "Time,Runoff\r\n";
    for (int i = 0; i <= 32001; ++i) many += QByteArray::number(i * 0.25) + ",1\r\n";
    const struct {
        const char* name;
        QByteArray text;
        const char* says;
    } cases[] = {
        {"none.GRF", "no header\r\n0 1\r\n", "has no header line naming its columns"},
        {"nocol.GRF", "Time,Inflow\r\n0,1\r\n", "has no \"Outflow\" or \"Runoff\" column in its header (line 1"},
        {"fixed.GRF", "t\r\n     Time   Runoff\r\n  0.00000        1\r\n  0.25000      abc\r\n",
         "has no number in the flow column on line 4"},
        {"short.GRF", "t\r\n     Time   Runoff\r\n  0.00000\r\n", "has no number in the flow column on line 3"},
        {"comma.GRF", "Time,Runoff\r\n0,1\r\n0.25,\r\n", "has no number in the flow column on line 3"},
        {"time.GRF", "Time,Runoff\r\nnoon,1\r\n", "has no number for the time on line 2"},
        {"many.GRF", many, "has more than 32001 rows of flows"},
        // Flows and times beyond singles, by name; blanks inside a number are read
        // through, as in a typed box.
        {"huge.GRF", "Time,Runoff\r\n0,1\r\n0.25,5E82\r\n", "has the number \"5E82\" on line 3, beyond the range"},
        {"blank.GRF", "Time\tRunoff\r\n0\t1\r\n0.25\t50E8 2D0\r\n", "has the number \"50E8 2D0\" on line 3"},
        {"far.GRF", "Time,Runoff\r\n0,1\r\n1e39,2\r\n", "has the number \"1e39\" on line 3"},
        // Times that go back, stay within a minute or run out of numbers give no step.
        {"back.GRF", "Time,Runoff\r\n0,1\r\n-0.25,2\r\n", "gives no time step of a minute or more with its times up to line 3"},
        {"second.GRF", "Time,Runoff\r\n0,1\r\n0.001,2\r\n", "gives no time step of a minute or more"},
        {"days.GRF", "Time\tRunoff\r\n01 00:00\t1\r\n1e300 00:00\t2\r\n", "with its times up to line 3"},
    };
    for (const auto& c : cases) {
        const Caught e = caught([&] { f.load(f.write(c.name, c.text), s, HydrographLoad::Add); });
        EXPECT_TRUE(e.says(("The hydrograph file " + f.dir.filePath(c.name).toStdString() + " ").c_str()) &&
                    e.says(c.says))
            << c.name << " -> " << e.text;
        EXPECT_EQ(s.it, 2);
        EXPECT_EQ(s.qi(1), 7.0f);
        EXPECT_EQ(s.qout.ubound(), 1);
        EXPECT_EQ(s.maxq, 7.0f);
    }
    EXPECT_TRUE(caught([&] { f.load(f.dir.path(), s); }).says("is not a regular file."));
}
