// Routing against values worked by hand and from the textbook: Muskingum pulse
// responses, Modified Puls through a linear storage table (the storage-indication
// result of a linear reservoir) and a table with a flat zero outflow, travel-time
// passes, the stop thresholds, and the faults of storage-routing files.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <numeric>

#include "runoff/routing.h"
#include "runoff/stage_support.h"

using namespace corv;
using namespace stagetest;

namespace {

std::vector<float> pulse(long at, long length)
{
    std::vector<float> q(static_cast<std::size_t>(length), 0.0f);
    q[static_cast<std::size_t>(at - 1)] = 1.0f;
    return q;
}

// A triangle rising over rise steps to peak and falling over fall steps, from 0.
std::vector<float> triangle(float peak, int rise, int fall)
{
    std::vector<float> q;
    for (int i = 0; i <= rise; ++i) q.push_back(peak * static_cast<float>(i) / static_cast<float>(rise));
    for (int i = fall - 1; i >= 0; --i) q.push_back(peak * static_cast<float>(i) / static_cast<float>(fall));
    return q;
}

float sum(const VArray<float>& q, long from, long to)
{
    float t = 0;
    for (long i = from; i <= to; ++i) t += q(i);
    return t;
}

struct TableFiles {
    QTemporaryDir dir;
    QString write(const char* name, const char* text) { return writeFile(dir.filePath(name), text); }
};

}  // namespace

TEST(Muskingum, PulseResponsesGiveTheCoefficients)
{
    // K = 1 h, X = 0.25, dt = 0.25 h: D = 0.875, C0 = -0.125/0.875 = -1/7, C1 = 0.375/0.875
    // = 3/7, C2 = 0.625/0.875 = 5/7. A unit pulse at ordinate 1 routes to -1/7, then
    // 3/7 - 5/49 = 16/49, then 5/7 of that each step; the -1/7 is shown as 0 and paid
    // out of the next flow, 16/49 - 7/49 = 9/49, so the volume stays 1.
    ComputeState s = inflow(pulse(1, 4), 0.25f);
    muskingum(s, 1.0f, 0.25f, false);
    EXPECT_EQ(s.qout(1), 0.0f);
    EXPECT_NEAR(s.qout(2), 9.0 / 49, 1e-6);
    EXPECT_NEAR(s.qout(3), 80.0 / 343, 1e-6);
    EXPECT_NEAR(s.qout(4), 400.0 / 2401, 1e-6);
    for (long i = 1; i <= s.it; ++i) EXPECT_GE(s.qout(i), 0.0f);
    EXPECT_NEAR(sum(s.qout, 1, s.it) + s.qout(s.it) * 2.5f, 1.0f, 1e-5);  // with the tail's 5/7 / (2/7)
    // The published coefficients of a textbook case are routing_check_test's.

}

TEST(Muskingum, StopsBelowTheThresholdOfItsPeak)
{
    // Peaks of 8 cfs stop below 0.01 cfs, peaks of 50 and 500 cfs below 1 cfs (the line
    // is at 10 cfs), at the first ordinate after the last inflow ordinate that falls below.
    for (auto [peak, threshold] : {std::pair{8.0f, 0.01f}, {50.0f, 1.0f}, {500.0f, 1.0f}}) {
        ComputeState s = inflow(triangle(peak, 4, 8), 0.25f);
        const long last = s.it;
        muskingum(s, 1.0f, 0.2f, false);
        EXPECT_GT(s.it, last) << peak;
        EXPECT_LT(s.qout(s.it), threshold) << peak;
        EXPECT_GE(s.qout(s.it - 1), threshold) << peak;
        EXPECT_GT(s.maxout, 0.5f * peak);
    }
    // A routing stops at its last ordinate, newit - 1, when it has not fallen below its
    // threshold by then but has drained: the 8 cfs flood (48 cfs-steps) given room for
    // 30 ordinates ends at 29, where its flow of about 0.02 cfs still holds some
    // 0.02 x C2 / (1 - C2) = 0.05 cfs-steps, 0.1 % of it (C2 = 0.675 / 0.925). With more
    // than 1 % still stored that is an error (routing_check_test.cpp).
    ComputeState s = inflow(triangle(8.0f, 4, 8), 0.25f);
    s.newit = 30;
    muskingum(s, 1.0f, 0.2f, false);
    EXPECT_EQ(s.it, 29);
    EXPECT_GT(s.qout(s.it), 0.01f);
}

// Storage proportional to outflow, S = O x 1 h / 12.1 acre-ft with the elevation one foot
// per 121 cfs: a linear reservoir with K = 1 h. 2S/dt + O = (2/dt + 1) O, so the
// storage-indication equation gives O2 = (I1 + I2 + (2/dt - 1) O1) / (2/dt + 1): at 15
// minutes (I1 + I2 + 7 O1) / 9, at 10 minutes (not exact in binary) (I1 + I2 + 11 O1) / 13.
// The outflow drains the inflow's volume but for the tail below 1 cfs the stop leaves.
TEST(ModifiedPuls, LinearStorageMatchesTheStorageIndicationResult)
{
    const struct {
        float dt;
        char separator;
        std::vector<float> in;
        std::size_t room;  // ordinates given to drain in, within 5 x the inflow's
        double volume;     // cfs-steps
    } cases[] = {{0.25f, ',', {0, 90, 180, 270, 180, 90, 0}, 7, 810},
                 {10.0f / 60.0f, '\t', {0, 120, 480, 900, 600, 300, 150, 60, 0}, 20, 2610}};
    TableFiles t;
    for (const auto& c : cases) {
        QByteArray rat = "Linear reservoir, K = 1 h\r\n21\r\n";
        for (int i = 0; i <= 20; ++i)
            rat += QByteArray::number(100 + i) + c.separator + QByteArray::number(121 * i) + c.separator +
                   QByteArray::number(10 * i) + (i == 5 && c.separator == ',' ? ",extra\r\n" : "\r\n");
        std::vector<float> padded = c.in;
        padded.resize(c.room, 0.0f);
        ComputeState s = inflow(padded, c.dt);
        modpul(s, readRatingTable(t.write("linear.RAT", rat.constData()), s.udur), "", false);
        const double a = 2 / static_cast<double>(c.dt);
        const auto in = [&c](long j) { return j <= static_cast<long>(c.in.size()) ? c.in[static_cast<std::size_t>(j - 1)] : 0; };
        double O = 0;
        for (long j = 1; j <= s.it; ++j) {
            // Ordinate j holds the state at the start of step j.
            EXPECT_NEAR(s.qout(j), O, 1e-3 * (1 + O)) << j;
            EXPECT_NEAR(s.storout(j), O / 12.1, 1e-3 * (1 + O)) << j;
            EXPECT_NEAR(s.elvout(j), 100 + O / 121, 1e-4 * (1 + O)) << j;
            O = (in(j) + in(j + 1) + (a - 1) * O) / (a + 1);
        }
        EXPECT_EQ(s.qout(0), 0.0f);
        // The peak comes after the inflow's and its elevation is reported.
        EXPECT_GT(s.tmaxout, 4.0f);
        EXPECT_FLOAT_EQ(s.maxelv, s.elvout(static_cast<long>(s.tmaxout)));
        // The tail runs until the outflow falls below 1 cfs after a peak above 10 cfs.
        EXPECT_LT(s.it, s.newit);
        EXPECT_LT(s.qout(s.it), 1.0f);
        EXPECT_GE(s.qout(s.it - 1), 1.0f);
        EXPECT_NEAR(sum(s.qout, 1, s.it) / c.volume, 1.0, 0.01);
    }
}

TEST(ModifiedPuls, PoolBelowTheCrestAndBeginElevations)
{
    // Three rows without outflow below a spillway crest at 102 ft; dt = 1 h, so the
    // storage-indication values are 24.2 S + O: 48.4, 242, 484, 776, 1118.
    TableFiles t;
    const QString path = t.write("crest.RAT", "Pond\r\n5\r\n100\t0\t2\r\n101\t0\t10\r\n102\t0\t20\r\n"
                                              "103\t50\t30\r\n104\t150\t40\r\n");
    const RatingTable table = readRatingTable(path, 1.0f);
    ASSERT_EQ(table.n, 5);
    EXPECT_FLOAT_EQ(table.indication(4), 776.0f);

    // 50 cfs for two steps fills the pool without release. The pool starts at row 1
    // (P = 24.2 x 2 = 48.4); the storage-indication value 148.4 lies between rows 1
    // and 2, then 198.4 where the pool stays. Nothing flows out, so S = V / 24.2, and
    // no elevation or storage of 0 is reported for a pool inside the table.
    ComputeState s = inflow({50, 50, 0, 0}, 1.0f);
    modpul(s, table, "", false);
    EXPECT_FLOAT_EQ(s.qout(0), 0.0f);
    EXPECT_FLOAT_EQ(s.elvout(0), 100.0f);
    EXPECT_FLOAT_EQ(s.elvout(1), 100.0f);  // ordinates 0 and 1 hold the initial state
    EXPECT_FLOAT_EQ(s.storout(1), 2.0f);
    EXPECT_NEAR(s.elvout(2), 100 + 100 / 193.6, 1e-4);
    EXPECT_NEAR(s.storout(2), 148.4 / 24.2, 1e-4);
    EXPECT_EQ(s.it, 19);  // no peak: no threshold, the routing runs to 5 x 4 - 1
    for (long j = 3; j <= s.it; ++j) {
        EXPECT_NEAR(s.elvout(j), 100 + 150 / 193.6, 1e-4) << j;
        EXPECT_NEAR(s.storout(j), 198.4 / 24.2, 1e-4) << j;
        EXPECT_EQ(s.qout(j), 0.0f);
    }

    // Begin elevations: inside the table the outflow and storage are read there;
    // at or below the first row they are the first row's.
    for (auto [elev, O, S] : {std::tuple{"102.5", 25.0f, 25.0f}, {"99", 0.0f, 2.0f}, {"100", 0.0f, 2.0f}}) {
        s = inflow({0, 0}, 1.0f);
        modpul(s, table, elev, false);
        EXPECT_FLOAT_EQ(s.qout(0), O) << elev;
        EXPECT_FLOAT_EQ(s.storout(0), S) << elev;
        EXPECT_FLOAT_EQ(s.elvout(0), boxSingle(elev)) << elev;
    }

    // A flood the table cannot hold ends with the file and the value named.
    s = inflow({5000, 5000}, 1.0f);
    const Caught c = caught([&] { modpul(s, table, "", false); });
    EXPECT_TRUE(c.thrown);
    EXPECT_TRUE(c.says("crest.RAT")) << c.text;
    EXPECT_TRUE(c.says("storage-indication value 10048.4")) << c.text;
    EXPECT_TRUE(c.says("line 7")) << c.text;
    EXPECT_TRUE(c.says("extend the table")) << c.text;
    // So does a begin elevation above the table.
    s = inflow({0, 0}, 1.0f);
    EXPECT_TRUE(caught([&] { modpul(s, table, "104.5", false); }).says("begin elevation 104.5"));
}

TEST(ModifiedPuls, StorageRoutingFileFaults)
{
    TableFiles t;
    const struct {
        const char *text, *says;
    } cases[] = {
        {"title only\r\n", "no row count on line 2"},
        {"t\r\nmany\r\n1,2,3\r\n", "no row count on line 2 (\"many\")"},
        {"t\r\n101\r\n1,2,3\r\n", "announces 101 rows on line 2; a table holds 1 to 100 rows"},
        {"t\r\n0\r\n1,2,3\r\n", "announces 0 rows"},
        {"t\r\n3\r\n100,0,0\r\n101,5,1\r\n", "announces 3 rows but has only 2"},
        {"t\r\n2\r\n100,0,0\r\n101,5\r\n", "fewer than three values (elevation, outflow, storage) on line 4"},
        // The separator is line 3's: a TAB row after a comma row is one field.
        {"t\r\n2\r\n100,0,0\r\n101\t5\t1\r\n", "on line 4 (\"101\t5\t1\"); its separator is a comma"},
        {"t\r\n2\r\n100,0,0\r\n101,x,1\r\n", "no number in field 2 of line 4"},
        {"t\r\n2\r\n100,0,0\r\n100,5,1\r\n", "an elevation that does not rise above the row before on line 4"},
        {"t\r\n2\r\n100,5,1\r\n101,5,1\r\n", "the same outflow and storage as the row before on line 4"},
        {"t\r\n2\r\n100,5,1\r\n101,4,2\r\n", "an outflow below the row before on line 4"},
        // Numbers beyond singles, by name, and a storage whose 2S/dt + O is.
        {"t\r\n2\r\n100,0,0\r\n101,5,1e39\r\n", "has the number \"1e39\" on line 4, beyond the range"},
        {"t\r\n1\r\n-1e400,0,0\r\n", "has the number \"-1e400\" on line 3"},
        {"t\r\n2\r\n100,0,0\r\n101,5,2e37\r\n",
         "a storage and outflow on line 4 (\"101,5,2e37\") whose storage-indication value 2S/dt + O is beyond"},
    };
    for (const auto& c : cases) {
        const QString path = t.write("bad.RAT", c.text);
        const Caught e = caught([&] { readRatingTable(path, 0.25f); });
        EXPECT_TRUE(e.says("The storage routing file ") && e.says("bad.RAT ") && e.says(c.says))
            << c.text << " -> " << e.text;
    }
    EXPECT_TRUE(caught([&] { readRatingTable(t.dir.filePath("none.RAT"), 0.25f); }).says("File not found"));
    // A zero time step makes the storage-indication column divide by zero.
    const QString one = t.write("one.RAT", "t\r\n1\r\n100,0,1\r\n");
    EXPECT_EQ(caught([&] { readRatingTable(one, 0.0f); }).number, err::kDivisionByZero);

    // A full table of 100 rows, rounded row count, and a lookup beyond its last row.
    QByteArray big = "t\r\n99.6\r\n";
    for (int i = 0; i < 100; ++i) big += QByteArray::number(100 + i) + "," + QByteArray::number(i * 10) + "," +
                                         QByteArray::number(i) + "\r\n";
    const RatingTable table = readRatingTable(t.write("big.RAT", big), 1.0f);
    EXPECT_EQ(table.n, 100);
    ComputeState s = inflow({1e6f, 1e6f}, 1.0f);
    EXPECT_TRUE(caught([&] { modpul(s, table, "", false); }).says("line 102"));
}

TEST(TatumRoute, PassesDelayAndKeepTheVolume)
{
    // T = 0: no pass, the outflow is the inflow; it ends two past the inflow.
    const std::vector<float> in = triangle(120, 4, 4);  // 0, 30, ... 120 at ordinate 5, ... 0 at 9
    ComputeState s = inflow(in, 0.25f);
    s.tatumTime = 0;
    TatumRoute(s, false);
    EXPECT_EQ(s.newit, 10);
    for (long i = 1; i <= 9; ++i) EXPECT_EQ(s.qout(i), s.qi(i)) << i;
    EXPECT_EQ(s.it, 11);
    EXPECT_EQ(s.maxout, 120.0f);
    EXPECT_EQ(s.tmaxout, 5.0f);

    // T = 1 h at 15 minutes: Int(2 x 1 / 0.25 + 0.5) = 8 passes, each half a step,
    // so the peak moves 4 steps (1 h) later. Eight passes weigh the inflow by the
    // binomial 1, 8, 28, 56, 70, 56, 28, 8, 1 over 256: the peak at ordinate 9 is
    // (8 x 30 + 28 x 60 + 56 x 90 + 70 x 120 + 56 x 90 + 28 x 60 + 8 x 30) / 256.
    s = inflow(in, 0.25f);
    s.tatumTime = 1;
    TatumRoute(s, false);
    EXPECT_EQ(s.newit, 9 + 9);
    EXPECT_EQ(s.tmaxout, 9.0f);
    EXPECT_FLOAT_EQ(s.maxout, 22320.0f / 256);
    EXPECT_NEAR(sum(s.qout, 0, s.it), std::accumulate(in.begin(), in.end(), 0.0f), 0.01);
    ASSERT_GE(s.qout.ubound(), s.it);
    ASSERT_GE(s.qi.ubound(), s.it);
    EXPECT_EQ(s.qout(s.it), 0.0f);
    // A second routing of the same inflow (no file loaded) gives the same outflow,
    // even though the earlier outflow was longer than the inflow.
    const std::vector<float> first(s.qout.vec().begin(), s.qout.vec().begin() + s.it + 1);
    s.it = 9;
    TatumRoute(s, false);
    EXPECT_EQ(std::vector<float>(s.qout.vec().begin(), s.qout.vec().begin() + s.it + 1), first);
    s.tatumTime = -1;
    EXPECT_TRUE(caught([&] { TatumRoute(s, false); }).says("travel time must not be negative"));

    // An inflow that fills the 16-bit count ends two past it: "Overflow", never a
    // negative ordinate count.
    ComputeState full = inflow(std::vector<float>(32766, 1.0f), 0.25f);
    full.tatumTime = 0;
    EXPECT_EQ(caught([&] { TatumRoute(full, false); }).number, err::kOverflow);
    EXPECT_EQ(full.it, 32766);
}

TEST(Routing, ReroutesTheOutflowAfterALoadedFile)
{
    // routeAgain: the current outflow is the inflow, and its peak the inflow peak.
    ComputeState s = inflow(std::vector<float>(6, 0.0f), 0.25f);
    s.qout.redim(6);
    for (long i = 1; i <= 6; ++i) s.qout(i) = static_cast<float>(10 * i);
    s.maxout = 60;
    s.tmaxout = 6;
    s.tatumTime = 0;
    TatumRoute(s, true);
    EXPECT_EQ(s.maxq, 60.0f);
    EXPECT_EQ(s.tmax, 6);
    for (long i = 1; i <= 6; ++i) EXPECT_EQ(s.qi(i), static_cast<float>(10 * i));
    EXPECT_EQ(s.qout(3), 30.0f);
}
