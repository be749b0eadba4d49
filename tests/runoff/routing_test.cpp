// Routing against the textbook and by hand: Muskingum, Modified Puls (linear storage,
// beyond the table, below a spillway crest), travel time, the ordinate limit, table faults,
// and the inflow each routing holds, also after a loaded file.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>
#include <numeric>

#include "runoff/routing.h"
#include "runoff/stage_support.h"

using namespace corv;
using namespace stagetest;

namespace {

constexpr float kSixMinutes = 6.0f / 60.0f;  // not exact in binary

// A series' volume in cfs-steps, ordinates from..to; by trapezoids, as a routing steps.
double sum(const VArray<float>& q, long from, long to, bool trapezoids = false)
{
    double t = 0;
    for (long i = from; i <= to; ++i) t += q(i);
    return trapezoids ? t - (q(from) + q(to)) / 2.0 : t;
}

std::vector<float> series(const VArray<float>& q, long to) { return {q.vec().begin(), q.vec().begin() + to + 1}; }

// A triangle rising over rise steps to peak and falling over fall steps, from 0.
std::vector<float> triangle(float peak, int rise, int fall)
{
    std::vector<float> q;
    for (int i = 0; i <= rise; ++i) q.push_back(peak * static_cast<float>(i) / static_cast<float>(rise));
    for (int i = fall - 1; i >= 0; --i) q.push_back(peak * static_cast<float>(i) / static_cast<float>(fall));
    return q;
}

}  // namespace

// - Chow, Maidment and Mays, Applied Hydrology (1988), example 8.4.1: K = 2.3 h, X = 0.15,
//   dt = 1 h: C0 = 0.0631, C1 = 0.3442, C2 = 0.5927, inflow 93, 137, 208, ... cfs. From the
//   steady start O = 93: O1 = 0.0631 x 137 + (0.3442 + 0.5927) x 93 = 95.78, O2 = 0.0631 x
//   208 + 0.3442 x 137 + 0.5927 x 95.78 = 117.05, O3 = 20.19 + 71.59 + 69.38 = 161.16, O4 =
//   233.55, the peak 641.8 at hour 10 as the book's 642 (its table starts from 85 cfs; from
//   0: 0, 41, 84).
// - K = 1 h, X = 0.25, dt = 0.25 h: C0 = -0.125 / 0.875 = -1/7, C1 = 3/7, C2 = 5/7. A step
//   0, 1, 1, ... routes to -1/7, then C0 + C1 + C2 (-1/7) = 9/49, then 2/7 + 5/7 x 9/49 =
//   143/343. No flow below zero is shown: the first 1/7 is held back and paid out of the
//   next, 9/49 - 7/49 = 2/49.
TEST(Muskingum, TextbookSteadyStartAndRisingLimb)
{
    const struct {
        std::vector<float> in;  // ordinates 0..
        float dt, K, X;
        std::vector<double> out;
        double tolerance;
    } cases[] = {{{93, 137, 208, 320, 442, 546, 630, 678, 691, 675, 634, 571, 477, 390, 329, 247, 184, 134, 108, 90},
                  1, 2.3f, 0.15f, {93, 95.78, 117.05, 161.16, 233.55}, 0.05},
                 {{0, 1, 1, 1, 1, 1, 1}, 0.25f, 1, 0.25f, {0, 0, 2.0 / 49, 143.0 / 343, 2.0 / 7 + 5.0 / 7 * 143.0 / 343}, 1e-6}};
    for (const auto& c : cases) {
        ComputeState s = inflow({c.in.begin() + 1, c.in.end()}, c.dt);
        s.qi(0) = c.in[0];
        muskingum(s, c.K, c.X, false);
        for (std::size_t k = 0; k < c.out.size(); ++k) EXPECT_NEAR(s.qout(long(k)), c.out[k], c.tolerance) << k;
        EXPECT_TRUE(c.K < 2 || (s.tmaxout == 10.0f && std::abs(s.maxout - 641.8) < 0.05)) << s.maxout;
    }
}

// Muskingum (X = 0.2) stops at the first ordinate after the inflow below the threshold of
// its peak (0.01 cfs for 8 cfs, 1 cfs for 50 and 500) once under 1 % is stored. 24 cfs
// rising over 1 h, falling over 3 h, stopped at its first flow below 1 cfs, lost 1.4 % (K
// = 1 h) and 4.8 % (K = 3 h); run on, it ends at 6 minutes at ordinate 61 and 135, not 58
// and 97, at 10 minutes at 37 and 81, not 35 and 59. From the ordinate before newit a
// drained routing stops though above its threshold: 8 cfs given 30 ordinates ends at 29,
// its 0.02 cfs holding 0.02 x C2 / (1 - C2) = 0.05 of 48 cfs-steps (C2 = 0.675 / 0.925).
TEST(Muskingum, StopsBelowTheThresholdOfItsPeakOnceDrained)
{
    const struct {
        float peak;
        int rise, fall, minutes;
        float K, threshold;
        long end;            // 0: at the first flow below the threshold
        std::int16_t newit;  // 0: five times the inflow's ordinates
    } cases[] = {{8, 4, 8, 15, 1, 0.01f, 0, 0},  {50, 4, 8, 15, 1, 1, 0, 0},   {500, 4, 8, 15, 1, 1, 0, 0},
                 {24, 10, 30, 6, 1, 1, 61, 0},   {24, 10, 30, 6, 3, 1, 135, 0}, {24, 6, 18, 10, 1, 1, 37, 0},
                 {24, 6, 18, 10, 3, 1, 81, 0},   {8, 4, 8, 15, 1, 0.01f, 29, 30}};
    for (const auto& c : cases) {
        ComputeState s = inflow(triangle(c.peak, c.rise, c.fall), static_cast<float>(c.minutes) / 60.0f);
        const long last = s.it;
        const double volume = sum(s.qi, 1, s.it);
        if (c.newit) s.newit = c.newit;
        muskingum(s, c.K, 0.2f, false);
        EXPECT_TRUE(s.it > last && (s.qout(s.it) < c.threshold) == !c.newit) << c.peak << " cfs, K = " << c.K;
        EXPECT_TRUE(c.end ? s.it == c.end : s.qout(s.it - 1) >= c.threshold) << c.minutes << " min, K = " << c.K;
        EXPECT_NEAR(sum(s.qout, 1, s.it) / volume, 1.0, 0.01) << c.minutes << " min, K = " << c.K;
    }
}

// Storage S = K O: 2S/dt + O = (a + 1) O with a = 2K/dt, so O(j+1) = (I(j) + I(j+1) +
// (a - 1) O(j)) / (a + 1) from O(0) = 0, the elevation 100 ft + O / step; a = 8 at 15
// minutes and K = 1 h, 12 at 10 minutes. By hand:
// - the spike 0, 1280, 0 at 15 minutes, K = 0.5 h (a = 4): 1280 / 5 = 256, then (1280 +
//   3 x 256) / 5 = 409.6, the peak. Above the table's last row, 200 cfs (102 ft, line 5),
//   the pool is extrapolated to 104.096 ft, 409.6 x 0.5 / 12.1 = 16.926 acre-ft, and said.
// - a slow pond, 100 cfs for an hour at 10 minutes, K = 100 minutes (a = 20): O(j) - 100 =
//   -(2000/21)(19/21)^(j-1) to O(6) = 42.259, then O(7) = (100 + 19 x 42.259) / 21 = 42.996
//   cfs, the peak at 104.2996 ft; it drains past the 30 ordinates of five times the inflow's.
// - a pond that starts full, K = 20 h at half hours (a = 80), begun at 110 ft: 100 cfs and
//   2000 cfs-hours, 4000 cfs-steps above its rest level, and inflow 10, 20, 10 (40 cfs-
//   steps). O(1) = (10 + 79 x 100) / 81 = 97.654, O(2) = 95.613, O(3) = 93.623, O(4) =
//   91.435, then x 79/81 a step: below the 1 cfs of its 100 cfs peak after ln 91.435 /
//   ln(81/79) = 180.6, 181 steps, at ordinate 185 (0.9905 cfs, 39.6 cfs-steps still
//   stored, under 1 % of 4040), not at ordinate 19 with 63 cfs still flowing.
TEST(ModifiedPuls, LinearStorageMatchesTheStorageIndicationResult)
{
    const struct {
        float dt, K, step;
        int rows;
        char sep;
        std::vector<float> in;  // ordinates 1.., ordinate 0 is 0
        double peak;            // 0: the recursion's
        float peakAt;
        const char* begin = "";
        std::int16_t end = 0;  // 0: not worked by hand
    } cases[] = {{0.25f, 1, 121, 21, ',', {0, 90, 180, 270, 180, 90, 0}, 0, 0},
                 {10.0f / 60, 1, 121, 21, '\t', {0, 120, 480, 900, 600, 300, 150, 60, 0}, 0, 0},
                 {0.25f, 0.5f, 100, 3, ',', {1280, 0, 0}, 409.6, 2},
                 {10.0f / 60, 100.0f / 60, 10, 11, ',', std::vector<float>(6, 100), 42.996, 7},
                 {0.5f, 20, 10, 21, ',', {10, 20, 10, 0}, 100, 0, "110", 185}};
    QTemporaryDir dir;
    std::vector<std::string> notes;
    for (const auto& c : cases) {
        // Elevation 100 ft plus a foot a row of `step` cfs, storage K O (12.1 cfs-hours to the
        // acre-foot); the second comma row has a field more.
        QByteArray rat = "Linear storage\r\n" + QByteArray::number(c.rows) + "\r\n";
        for (int i = 0; i < c.rows; ++i)
            rat += QByteArray::number(100 + i) + c.sep + QByteArray::number(c.step * i) + c.sep +
                   QByteArray::number(c.step * i * c.K / 12.1, 'f', 6) + (i == 1 && c.sep == ',' ? ",x\r\n" : "\r\n");
        ComputeState s = inflow(c.in, c.dt);
        notes.push_back(modpul(s, readRatingTable(writeFile(dir.filePath("linear.RAT"), rat), c.dt), c.begin, false));
        const double a = 2 * c.K / c.dt;
        const auto I = [&c](long j) { return j >= 1 && j <= static_cast<long>(c.in.size()) ? c.in[j - 1] : 0.0f; };
        double O = *c.begin ? (std::stod(c.begin) - 100) * c.step : 0, peak = 0;
        // Water above the rest level at the start and at the end, in cfs-steps (K O / dt).
        const double water = O * c.K / c.dt + std::accumulate(c.in.begin(), c.in.end(), 0.0);
        for (long j = 0; j <= s.it; ++j) {
            EXPECT_NEAR(s.qout(j), O, 1e-3 * (1 + O)) << j;
            EXPECT_NEAR(s.storout(j), O * c.K / 12.1, 1e-3 * (1 + O)) << j;
            EXPECT_NEAR(s.elvout(j), 100 + O / c.step, 1e-4 * (1 + O)) << j;
            peak = std::max(peak, O);
            O = (I(j) + I(j + 1) + (a - 1) * O) / (a + 1);
        }
        EXPECT_NEAR(s.maxout, c.peak > 0 ? c.peak : peak, 1e-3);
        EXPECT_TRUE(c.peakAt == 0 || s.tmaxout == c.peakAt) << s.tmaxout;
        EXPECT_NEAR(s.maxelv, 100 + s.maxout / c.step, 1e-4);
        // Drained (the values are the recursion's up to there), the slow pond past 5 x 6,
        // to under 1 % of the water it started with and took in.
        EXPECT_TRUE(s.qout(s.it) < 1.0f && (c.peakAt != 7 || s.it > 5 * 6)) << s.it;
        EXPECT_TRUE(c.end == 0 || s.it == c.end) << s.it;
        EXPECT_LT(s.storout(s.it) * 12.1 / c.dt, 0.01 * water) << c.begin;
    }
    // The message's wording: routing.scn.
    EXPECT_TRUE(notes[0].empty() && notes[1].empty() && notes[3].empty() && notes[4].empty());
    EXPECT_NE(notes[2].find(" (line 5, elevation 102 ft) to an elevation of 104.096 ft, a storage of 16.92562 "
                            "acre-ft and an outflow of 409.6 cfs."), std::string::npos) << notes[2];
}

TEST(ModifiedPuls, PoolBelowTheCrestAndBeginElevations)
{
    // No outflow below a spillway crest at 102 ft; dt = 1 h: 2S/dt + O = 24.2 S + O is
    // 48.4, 242, 484, 776, 1118.
    QTemporaryDir dir;
    const RatingTable table = readRatingTable(writeFile(dir.filePath("crest.RAT"),
                                                        "Pond\r\n5\r\n100\t0\t2\r\n101\t0\t10\r\n102\t0\t20\r\n"
                                                        "103\t50\t30\r\n104\t150\t40\r\n"),
                                              1.0f);
    // 50 cfs at ordinates 1 and 2 fill the pool from row 1 (48.4) without release: V =
    // 98.4, 198.4, then 248.4 for good, S = V / 24.2, read between rows 1 and 2 (193.6
    // apart), then 2 and 3; never elevation or storage 0 inside the table.
    ComputeState s = inflow({50, 50, 0, 0}, 1.0f);
    modpul(s, table, "", false);
    const double V[] = {48.4, 98.4, 198.4, 248.4};
    const double E[] = {100, 100 + 50 / 193.6, 100 + 150 / 193.6, 101 + 6.4 / 242};
    for (long j = 0; j <= s.it; ++j) {
        const long k = std::min(j, 3L);
        EXPECT_NEAR(s.elvout(j), E[k], 1e-4) << j;
        EXPECT_NEAR(s.storout(j), V[k] / 24.2, 1e-4) << j;
        EXPECT_EQ(s.qout(j), 0.0f) << j;
    }
    EXPECT_EQ(s.it, 19);  // no peak, no threshold: the routing stops at 5 x 4 - 1

    // Begin elevations: read inside the table; above it extrapolated, and said (104.5 ft
    // is 1.5 rows on from 103 ft: 50 + 1.5 x 100 cfs, 30 + 1.5 x 10 acre-ft); at or below
    // the first row, the first row's state.
    for (auto [typed, E0, O, S] :
         {std::tuple{"102.5", 102.5f, 25.0f, 25.0f}, {"104.5", 104.5f, 200.0f, 45.0f}, {"99", 100.0f, 0.0f, 2.0f}}) {
        s = inflow({0, 0}, 1.0f);
        const std::string note = modpul(s, table, typed, false);
        EXPECT_EQ(std::tuple(s.elvout(0), s.qout(0), s.storout(0)), std::tuple(E0, O, S)) << typed;
        EXPECT_EQ(note.find("to an elevation of 104.5 ft") != std::string::npos, O == 200.0f) << note;
    }
}

// A wet pond, its first row already releasing 2 cfs at 50 acre-ft: begun there, it holds
// no flood water at the start, so it passes the 400 cfs-steps of 100, 200, 100 cfs and
// stops by five times the inflow's ordinates (20) with under 1 % of them unreturned, not
// after draining its permanent pool along the line below the table for weeks.
TEST(ModifiedPuls, AWetPondPassesTheFloodAndStops)
{
    QTemporaryDir dir;
    const RatingTable wet = readRatingTable(
        writeFile(dir.filePath("wet.RAT"), "Wet\r\n4\r\n100,2,50\r\n101,50,60\r\n102,150,75\r\n103,300,95\r\n"), 0.5f);
    ComputeState s = inflow({100, 200, 100, 0}, 0.5f);
    EXPECT_EQ(modpul(s, wet, "", false), "");
    double out = 0;
    for (long j = 1; j <= s.it; ++j) out += s.qout(j);
    EXPECT_LE(s.it, 20);
    EXPECT_NEAR(out / 400, 1.0, 0.01) << "to ordinate " << s.it;
}

// A routing that reaches the ordinate limit still holding water keeps what it routed
// and says how much is stored. Muskingum, X = 0, K = 10,000 h at 15 minutes: C0 = C1 =
// 0.125 / 10000.125, C2 = 1 - 2 C0; a pulse I at ordinate 1 comes out as C0 I, then C0
// (1 + C2) I (the peak, 0.025 cfs for 1000 cfs), then C2 times the flow before; by
// ordinate 32000 (1 + C2) / 2 x C2^31999 = e^-0.79998 = 44.9 % is still stored.
TEST(RoutingLimit, ARoutingThatHasNotDrainedIsKept)
{
    ComputeState s = inflow({1000, 0}, 0.25f);
    const std::string note = muskingum(s, 10000, 0, false);
    EXPECT_EQ(s.it, 32000);
    EXPECT_EQ(s.tmaxout, 2.0f);
    EXPECT_NEAR(s.maxout, 1000 * 2 * 0.125 / 10000.125, 1e-6);
    EXPECT_NEAR(sum(s.qout, 1, s.it) / 1000, 1 - 0.4494, 0.002);
    EXPECT_NE(note.find("the most a hydrograph holds: 44."), std::string::npos) << note;  // wording: routing.scn

    // A pond of S = 10,000 h x O begun full at 1 cfs, 40,000 cfs-steps of 15 minutes, with
    // no inflow: a = 80,000, O x 79,999 / 80,001 a step, e^-0.8 = 44.9 % still stored.
    QTemporaryDir dir;
    ComputeState p = inflow({0, 0}, 0.25f);
    const std::string full = modpul(
        p, readRatingTable(writeFile(dir.filePath("slow.RAT"), "Slow\r\n2\r\n100,0,0\r\n101,1,826.4463\r\n"), 0.25f),
        "101", false);
    EXPECT_EQ(p.it, 32000);
    EXPECT_NE(full.find("44.9 % of the inflow volume and of the water stored at the start is still stored"),
              std::string::npos)
        << full;
}

TEST(ModifiedPuls, StorageRoutingFileFaults)
{
    QTemporaryDir dir;
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
        const QString path = writeFile(dir.filePath("bad.RAT"), c.text);
        const Caught e = caught([&] { readRatingTable(path, 0.25f); });
        EXPECT_TRUE(e.says("The storage routing file ") && e.says("bad.RAT ") && e.says(c.says))
            << c.text << " -> " << e.text;
    }
    EXPECT_TRUE(caught([&] { readRatingTable(dir.filePath("none.RAT"), 0.25f); }).says("File not found"));
    // A zero time step makes the storage-indication column divide by zero.
    const QString one = writeFile(dir.filePath("one.RAT"), "t\r\n1\r\n100,0,1\r\n");
    EXPECT_EQ(caught([&] { readRatingTable(one, 0.0f); }).number, err::kDivisionByZero);
}

// Lines ending in CR CR LF (the last in CR CR alone) read as with CR LF; a CR inside a
// line still joins two rows and is refused.
TEST(ModifiedPuls, LinesEndingInCarriageReturnsBeforeTheLineFeed)
{
    QTemporaryDir dir;
    const RatingTable t = readRatingTable(writeFile(dir.filePath("crcr.RAT"), "t\r\r\n2\r\r\n100,0,0\r\r\n101,5,1\r\r"), 0.25f);
    EXPECT_EQ(std::tuple(t.n, t.elevation(2), t.outflow(2), t.storage(2)), std::tuple(std::int16_t(2), 101.0f, 5.0f, 1.0f));
    const QString joined = writeFile(dir.filePath("joined.RAT"), "t\r\r\n3\r\r\n100,0,0\r\r\n101,10,1\r\r\n102,20,3\r\r103,50,6\r\r\n");
    EXPECT_TRUE(caught([&] { readRatingTable(joined, 0.25f); }).says("has a bare carriage return inside line 5"));
}

// Travel time 20 minutes at 6-minute steps: Int(2 x (1/3) / 0.1 + 0.5) = Int(7.17) = 7
// half-step passes spread a pulse over the binomial 1, 7, 21, 35, 35, 21, 7, 1 over 128,
// first highest 3 steps later, the series 1 + 7 ordinates longer. A flow at ordinate 1
// spreads alike: T = 6 minutes, 2 passes, 64 becomes 16, 32, 16. T = 0: no pass. Routed
// again (no file loaded), each gives the same outflow though the last one was longer.
// The series' count is a step past its first zero after the inflow (12, 5, 5). An inflow
// ending in four zeros, more than its 2 passes fill, counts 7 (the zero at ordinate 6):
// not 5 or 6 from the zeros inside the inflow, nor newit + 2 = 10 from none.
TEST(TatumRoute, PassesDelayAndKeepTheVolume)
{
    const struct {
        std::vector<float> in;  // ordinates 1..
        float T;
        std::vector<float> out;  // ordinates 0..
        long newit;
        float peakAt;
        std::int16_t it;
    } cases[] = {{{0, 0, 128, 0}, 20.0f / 60, {0, 0, 0, 1, 7, 21, 35, 35, 21, 7, 1, 0}, 4 + 1 + 7, 6, 12},
                 {{64, 0, 0}, 0.1f, {0, 16, 32, 16, 0}, 3 + 1 + 2, 2, 5},
                 {{64, 0, 0}, 0, {0, 64, 0, 0}, 3 + 1, 1, 5},
                 {{64, 0, 0, 0, 0}, 0.1f, {0, 16, 32, 16, 0, 0, 0}, 5 + 1 + 2, 2, 7}};
    for (const auto& c : cases) {
        ComputeState s = inflow(c.in, 0.1f);
        s.tatumTime = c.T;
        TatumRoute(s, false);
        const std::vector<float> first = series(s.qout, s.it);
        EXPECT_EQ(std::vector<float>(first.begin(), first.begin() + long(c.out.size())), c.out) << c.T;
        EXPECT_EQ(s.newit, c.newit) << c.T;
        EXPECT_EQ(s.it, c.it) << c.in.size();
        EXPECT_TRUE(s.tmaxout == c.peakAt && s.maxout == *std::max_element(c.out.begin(), c.out.end())) << c.T;
        EXPECT_DOUBLE_EQ(sum(s.qout, 0, s.it), std::accumulate(c.in.begin(), c.in.end(), 0.0)) << c.T;
        s.it = static_cast<std::int16_t>(c.in.size());
        TatumRoute(s, false);
        EXPECT_EQ(series(s.qout, s.it), first) << c.T;
    }
    // A negative time is refused; an inflow that fills the 16-bit count is an "Overflow",
    // never a negative count.
    for (auto [n, T, number, says] : {std::tuple{3, -0.1f, err::kInvalidProcedureCall, "must not be negative"},
                                      {32766, 0.0f, err::kOverflow, "Overflow"}}) {
        ComputeState s = inflow(std::vector<float>(std::size_t(n), 1.0f), 0.25f);
        s.tatumTime = T;
        const Caught e = caught([&] { TatumRoute(s, false); });
        EXPECT_TRUE(e.number == number && e.says(says)) << e.text;
        EXPECT_EQ(s.it, n);
    }
}

// Inflow = outflow + change in storage, within 1 % of the inflow, for each routing of a
// computed hydrograph (10 mi^2, lag 1 h, 1.5 in at 6-minute steps), of the spike 0, 1280,
// 0, and of a flood on a 50 cfs base flow (a steady start). Storage in cfs-steps of 0.1 h:
// Muskingum's K (X I + (1 - X) O) / dt (K = 2 h, X = 0.3: C0 = (0.05 - 0.6) / 1.45 < 0);
// Modified Puls's acre-ft x 12.1 / dt in a pond of S = 1 h x O tabled to 48.4 cfs; travel
// time (0.75 h: Int(2 x 0.75 / 0.1 + 0.5) = 15 half-step passes) the start's flow for half
// a step a pass. After a loaded file each routes the current outflow (5, 45, 95, 30 cfs,
// peak 95 at ordinate 2), not the runoff in qi, and gives what it gives for that series.
TEST(Routing, EachRoutingHoldsItsInflowAndRoutesALoadedOutflow)
{
    ScriptedDialogs d;
    ComputeState computed = basin(10, 1, kSixMinutes, {0.05f, 0.1f, 0.2f, 0.4f, 0.3f, 0.2f, 0.15f, 0.1f});
    ASSERT_EQ(transformExcess(computed, method("SCS.DGF"), d), StageEnd::Continue);
    std::vector<float> q(computed.qi.vec().begin() + 1, computed.qi.vec().begin() + computed.it + 1);
    ComputeState inflows[] = {inflow(q, kSixMinutes), inflow({1280, 0, 0}, kSixMinutes),
                              inflow({50, 200, 600, 900, 700, 400, 200, 100, 50}, kSixMinutes)};
    inflows[2].qi(0) = 50;

    const RatingTable pond = readRatingTable(testData("pond.RAT"), kSixMinutes);
    const struct {
        const char* name;
        std::function<void(ComputeState&, bool)> route;
        std::function<double(const ComputeState&, long)> stored;
    } routings[] = {
        {"Muskingum", [](ComputeState& s, bool again) { muskingum(s, 2, 0.3f, again); },
         [](const ComputeState& s, long j) { return 2 * (0.3 * s.qi(j) + 0.7 * s.qout(j)) / 0.1; }},
        {"Modified Puls", [&](ComputeState& s, bool again) { modpul(s, pond, "", again); },
         [](const ComputeState& s, long j) { return s.storout(j) * 12.1 / 0.1; }},
        {"travel time", [](ComputeState& s, bool again) { TatumRoute(s, again); },
         [](const ComputeState& s, long j) { return j == 0 ? s.qi(0) * 15 / 2.0 : 0.0; }},
    };
    for (const auto& r : routings) {
        for (const ComputeState& in : inflows) {
            ComputeState s = in;
            s.tatumTime = 0.75f;
            r.route(s, false);
            const double volume = sum(s.qi, 0, s.it, true);
            EXPECT_NEAR(volume + r.stored(s, 0), sum(s.qout, 0, s.it, true) + r.stored(s, s.it), 0.01 * volume)
                << r.name << ", inflow from " << in.qi(0) << " then " << in.qi(1) << " cfs";
        }
        ComputeState combined = inflow({40, 80, 0}, kSixMinutes), direct = inflow({45, 95, 30}, kSixMinutes);
        direct.qi(0) = 5;
        combined.tatumTime = direct.tatumTime = 0.75f;
        combined.qout = direct.qi;
        combined.maxout = 95, combined.tmaxout = 2;
        r.route(combined, true);
        r.route(direct, false);
        EXPECT_TRUE(combined.maxq == 95.0f && combined.tmax == 2) << r.name;
        EXPECT_EQ(series(combined.qout, combined.it), series(direct.qout, direct.it)) << r.name;
    }
}
