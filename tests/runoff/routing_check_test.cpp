// Routing checked as a hydrologist would: a published Muskingum example, the rising
// limb where the negative first coefficient shows, travel-time passes of a step not
// exact in binary, and the water balance of compute, each routing and a combine.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>

#include "runoff/hydrograph_file.h"
#include "runoff/hydrograph_report.h"
#include "runoff/routing.h"
#include "runoff/stage_support.h"

using namespace corv;
using namespace stagetest;

namespace {

double sum(const VArray<float>& q, long from, long to)
{
    double t = 0;
    for (long i = from; i <= to; ++i) t += q(i);
    return t;
}

}  // namespace

// Chow, Maidment and Mays, Applied Hydrology (1988), example 8.4.1 and its table:
// K = 2.3 h, X = 0.15, dt = 1 h, inflow from 93 cfs with an initial outflow of 85 cfs,
// outflow published in whole cfs, its peak 642 cfs at hour 11. This routing starts
// from no flow, so the published rows are rebuilt by superposition: the routing is
// linear, and the two starts differ in step 1 by C1 x 93 + C2 x 85 (with the book's
// C1 = 0.3442, C2 = 0.5927), a difference that then decays by C2 each step.
TEST(MuskingumTextbook, PublishedOutflowSeriesBySuperposition)
{
    const float I0 = 93, O0 = 85;
    const std::vector<float> in = {137, 208, 320, 442, 546, 630, 678, 691, 675, 634,
                                   571, 477, 390, 329, 247, 184, 134, 108, 90};
    const std::vector<float> published = {91,  114, 159, 233, 324, 420, 509, 578, 623, 642,
                                          635, 603, 546, 479, 413, 341, 274, 215, 170};
    ComputeState s = inflow(in, 1.0f);
    muskingum(s, 2.3f, 0.15f, false);
    ASSERT_GE(s.it, 19);
    const double d1 = 0.3442 * I0 + 0.5927 * O0;
    for (long k = 1; k <= 19; ++k) {
        const double rebuilt = s.qout(k) + d1 * std::pow(0.5927, k - 1);
        // The book rounds each row to whole cfs and works with rounded coefficients.
        EXPECT_NEAR(rebuilt, published[static_cast<std::size_t>(k - 1)], 0.6) << "hour " << k + 1;
    }
    // The zero-start routing peaks where the book's does, at hour 11 (ordinate 10).
    EXPECT_EQ(s.tmaxout, 10.0f);
    EXPECT_NEAR(s.maxout + d1 * std::pow(0.5927, 9), 642, 0.6);
}

// K = 1 h, X = 0.25, dt = 0.25 h: C0 = -0.125 / 0.875 = -1/7, C1 = 3/7, C2 = 5/7. A
// step of inflow 0, 1, 1, ... routes to -1/7, then C0 + C1 + C2 (-1/7) = 9/49, then
// 2/7 + 5/7 x 9/49 = 143/343 and on to 1. No flow below zero is shown: the first 1/7
// is held back and paid out of the next, 9/49 - 7/49 = 2/49. At 6-minute steps with
// K = 0.5 h, X = 0.1: D = 0.5, C0 = 0, C1 = 0.2, C2 = 0.8.
TEST(MuskingumTextbook, RisingLimbShowsTheFirstCoefficient)
{
    ComputeState s = inflow(std::vector<float>(6, 1.0f), 0.25f);
    muskingum(s, 1.0f, 0.25f, false);
    EXPECT_EQ(s.qout(1), 0.0f);
    EXPECT_NEAR(s.qout(2), 2.0 / 49, 1e-6);
    EXPECT_NEAR(s.qout(3), 143.0 / 343, 1e-6);
    EXPECT_NEAR(s.qout(4), 2.0 / 7 + 5.0 / 7 * 143.0 / 343, 1e-6);

    // Zeros after the inflow give the routing room to drain: its flow falls by 0.8 a
    // step, and 20 ordinates would cut it off with 2.5 % of the water still stored.
    s = inflow({0, 10, 10, 0, 0, 0, 0, 0}, 6.0f / 60.0f);
    muskingum(s, 0.5f, 0.1f, false);
    EXPECT_NEAR(s.qout(2), 0.0, 1e-5);  // C0 x 10 + C1 x 0
    EXPECT_NEAR(s.qout(3), 2.0, 1e-5);  // C0 x 10 + C1 x 10
    EXPECT_NEAR(s.qout(4), 2.0 + 0.8 * 2.0, 1e-5);
    EXPECT_NEAR(s.qout(5), 0.8 * 3.6, 1e-5);
}

// Travel time of 20 minutes at 6-minute steps: Int(2 x (1/3) / 0.1 + 0.5) = Int(7.17)
// = 7 half-step passes (6 without the half that rounds), so a pulse spreads over the
// binomial 1, 7, 21, 35, 35, 21, 7, 1 over 128, its first highest 3 steps later.
TEST(TatumCheck, TwentyMinutesAtSixMinuteSteps)
{
    ComputeState s = inflow({0, 0, 128, 0}, 6.0f / 60.0f);
    s.tatumTime = 20.0f / 60.0f;
    TatumRoute(s, false);
    EXPECT_EQ(s.newit, 4 + 1 + 7);
    const float expected[] = {1, 7, 21, 35, 35, 21, 7, 1};
    for (long k = 0; k < 8; ++k) EXPECT_FLOAT_EQ(s.qout(3 + k), expected[k]) << k;
    EXPECT_EQ(s.qout(2), 0.0f);
    EXPECT_EQ(s.tmaxout, 6.0f);
    EXPECT_EQ(s.maxout, 35.0f);
    EXPECT_DOUBLE_EQ(sum(s.qout, 0, s.it), 128.0);

    // A flow at the first ordinate (a Rational hydrograph whose storm fits in one step)
    // spreads like any other: T = 6 minutes, Int(2 + 0.5) = 2 passes, 64 becomes 16, 32,
    // 16 at ordinates 1 to 3, and none of it is lost.
    s = inflow({64, 0, 0}, 6.0f / 60.0f);
    s.tatumTime = 0.1f;
    TatumRoute(s, false);
    EXPECT_EQ(s.qout(1), 16.0f);
    EXPECT_EQ(s.qout(2), 32.0f);
    EXPECT_EQ(s.qout(3), 16.0f);
    EXPECT_DOUBLE_EQ(sum(s.qout, 0, s.it), 64.0);
}

// The water balance end to end: a computed hydrograph (10 mi^2, lag 1 h, 6-minute
// steps, 1.5 in of excess), routed by each method, returns its volume within 1 % once
// the routing has drained, and a saved report added to it adds its own volume.
TEST(RoutingVolume, EachRoutingKeepsTheComputedVolume)
{
    const float udur = 6.0f / 60.0f;
    const std::vector<float> excess = {0.05f, 0.1f, 0.2f, 0.4f, 0.3f, 0.2f, 0.15f, 0.1f};
    ComputeState c = basin(10, 1, udur, excess);
    ScriptedDialogs d;
    ASSERT_EQ(transformExcess(c, method("SCS.DGF"), d), StageEnd::Continue);
    c.newit = static_cast<std::int16_t>(std::min<long>(5L * c.it, 32000));
    c.qout.redim(1);
    c.elvout.redim(c.newit);
    const double in = sum(c.qi, 1, c.it);
    // 1.5 in on 10 mi^2 is 800 acre-ft: 800 x 43560 / 3600 / 0.1 cfs-steps.
    ASSERT_NEAR(in / (800.0 * 43560 / 3600 / udur), 1.0, 0.01);

    ComputeState m = c;
    muskingum(m, 1.5f, 0.2f, false);
    EXPECT_NEAR(sum(m.qout, 1, m.it) / in, 1.0, 0.01) << "Muskingum";
    EXPECT_LT(m.maxout, c.maxq);
    // A sharp flood (rising over 3 steps, falling over 8) with K = 2 h, X = 0.3 at
    // 6-minute steps, where C0 = (0.05 - 0.6) / 1.45 is far below zero: the routing's
    // coefficients add up to 1, so it holds the inflow's 5,500 cfs-steps; shown without
    // its dip below zero it still does (clamping and routing on from 0 gave 10,000).
    std::vector<float> sharp;
    for (int i = 1; i <= 3; ++i) sharp.push_back(1000.0f * static_cast<float>(i) / 3);
    for (int i = 1; i <= 8; ++i) sharp.push_back(1000.0f * static_cast<float>(8 - i) / 8);
    sharp.resize(40, 0.0f);  // room to drain: a routing runs to at most 5 x the ordinates
    ComputeState f = inflow(sharp, udur);
    muskingum(f, 2.0f, 0.3f, false);
    EXPECT_NEAR(sum(f.qout, 1, f.it) / 5500.0, 1.0, 0.01) << "sharp flood";
    for (long i = 1; i <= f.it; ++i) ASSERT_GE(f.qout(i), 0.0f) << i;

    // A pond of 20 acres over a weir, O = 200 h^1.5 cfs at h ft of head, tabled by the
    // foot to 40 ft, which the 800 acre-ft could fill only if nothing flowed out.
    QTemporaryDir dir;
    QByteArray rat = "Pond on a weir\r\n41\r\n";
    for (int h = 0; h <= 40; ++h)
        rat += QByteArray::number(100 + h) + "," + QByteArray::number(200 * std::pow(h, 1.5), 'f', 2) + "," +
               QByteArray::number(20 * h) + "\r\n";
    const RatingTable table = readRatingTable(writeFile(dir.filePath("weir.RAT"), rat), udur);
    ComputeState p = c;
    modpul(p, table, "", false);
    EXPECT_LT(p.it, p.newit);  // stopped on its threshold, not on the ordinate limit
    EXPECT_NEAR(sum(p.qout, 1, p.it) / in, 1.0, 0.01) << "Modified Puls";
    EXPECT_LT(p.maxout, c.maxq);
    EXPECT_GT(p.maxelv, 100.0f);

    ComputeState t = c;
    t.tatumTime = 0.75f;
    TatumRoute(t, false);
    EXPECT_NEAR(sum(t.qout, 1, t.it) / in, 1.0, 0.01) << "travel time";

    // A computed storm (3 mi^2, 2.5 in over 6 h, curve number 75, 6-minute steps)
    // combined with its own saved report (flows to three figures): twice its volume,
    // and the caption's acre-feet twice the compute's, to the report's rounding.
    ComputeState r;
    r.area = 3, r.lag = 1, r.udur = udur, r.C = 1;
    ASSERT_EQ(runStages(r, loss("75"), rainTable("Peak at 2/3", {"1", "6"}, {"1.00", "2.50"}), d),
              StageEnd::Continue);
    r.qout.redim(1);
    const double once = sum(r.qi, 0, r.it);
    const float volume = r.volume;
    ComputeState w = r;
    writeHydrographReport(w, 0, {}, {}, dir.path());
    const QString saved = dir.filePath("Basin.GRF");
    ASSERT_TRUE(QFile::rename(dir.filePath("Temp.GRF"), saved));
    bool routeAgain = false;
    ASSERT_EQ(LoadHydrographFile(saved, r, HydrographLoad::Add, routeAgain, d), 3);
    EXPECT_NEAR(sum(r.qout, 0, r.it) / (2 * once), 1.0, 0.01);
    EXPECT_NEAR(r.volume / (2 * volume), 1.0, 0.01);
}

// A small flood, 24 cfs rising over 1 h and falling over 3 h (24 x 4 / 2 = 48 cfs-hours:
// 480 cfs-steps at 6 minutes, 288 at 10), routed with K = 1 h and 3 h by Muskingum (X =
// 0.2) and by Modified Puls through linear storage, S = K O. Stopped at the first flow
// below 1 cfs, Muskingum lost 1.4 % (K = 1 h) and 4.8 % (K = 3 h) of it, and Modified
// Puls 1.8 % at K = 1 h; the routings now run on until under 1 % is still stored.
// Muskingum at 6 minutes then stops at ordinate 61 (K = 1 h) and 135 (K = 3 h), not at
// 58 and 97; at 10 minutes at 37 and 81, not 35 and 59 (worked with the routing
// equations in double precision).
TEST(RoutingVolume, SmallFloodsDrainBeforeTheyStop)
{
    struct Step {
        int minutes, rise, fall;
        double volume;
        long muskingumEnd[2];
    };
    for (const Step& c : {Step{6, 10, 30, 480.0, {61, 135}}, Step{10, 6, 18, 288.0, {37, 81}}}) {
        std::vector<float> q;
        for (int i = 0; i <= c.rise; ++i) q.push_back(24.0f * static_cast<float>(i) / static_cast<float>(c.rise));
        for (int i = c.fall - 1; i >= 0; --i) q.push_back(24.0f * static_cast<float>(i) / static_cast<float>(c.fall));
        const float udur = static_cast<float>(c.minutes) / 60.0f;
        const ComputeState in = inflow(q, udur);
        ASSERT_NEAR(sum(in.qi, 1, in.it), c.volume, 1e-3);
        for (int k = 0; k < 2; ++k) {
            const float K = k == 0 ? 1.0f : 3.0f;
            const std::string what = std::to_string(c.minutes) + " min, K = " + std::to_string(k == 0 ? 1 : 3) + " h";
            ComputeState m = in;
            muskingum(m, K, 0.2f, false);
            EXPECT_EQ(m.it, c.muskingumEnd[k]) << what;
            EXPECT_NEAR(sum(m.qout, 1, m.it) / c.volume, 1.0, 0.01) << what;
            EXPECT_GT(m.maxout, 10.0f) << what;  // so its threshold is 1 cfs
            EXPECT_LT(m.qout(m.it - 1), 1.0f) << what;  // it ran on below the threshold

            // Linear storage tabled by 10 cfs: outflow O, storage O K / 12.1 acre-ft.
            QTemporaryDir dir;
            QByteArray rat = "Linear storage\r\n11\r\n";
            for (int i = 0; i <= 10; ++i)
                rat += QByteArray::number(100 + i) + "," + QByteArray::number(10 * i) + "," +
                       QByteArray::number(10.0 * i * K / 12.1, 'f', 6) + "\r\n";
            ComputeState p = in;
            modpul(p, readRatingTable(writeFile(dir.filePath("linear.RAT"), rat), udur), "", false);
            EXPECT_NEAR(sum(p.qout, 1, p.it) / c.volume, 1.0, 0.01) << what;
        }
    }
}

// A routing that reaches its last ordinate (5 times the inflow's) with more than 1 % of
// the inflow still stored ends with a message, not with a hydrograph short of water.
// Linear storage, K = 3 h, at 10-minute steps: O2 = (I1 + I2 + 35 O1) / 37. The inflow
// 0, 60, 0 gives 60/37, then (60 + 35 x 60/37) / 37 and 35/37 of the flow before each
// step on; by ordinate 14, 30.03 of the 60 cfs-steps have come out: 49.9 % is stored.
TEST(RoutingVolume, LastOrdinateWithWaterStoredIsAnError)
{
    QTemporaryDir dir;
    QByteArray rat = "Linear storage, K = 3 h\r\n3\r\n";
    for (int i = 0; i <= 2; ++i)
        rat += QByteArray::number(100 + i) + "\t" + QByteArray::number(100 * i) + "\t" +
               QByteArray::number(100.0 * i * 3 / 12.1, 'f', 6) + "\r\n";
    ComputeState s = inflow({0, 60, 0}, 10.0f / 60.0f);
    const RatingTable table = readRatingTable(writeFile(dir.filePath("slow.RAT"), rat), s.udur);
    Caught c = caught([&] { modpul(s, table, "", false); });
    EXPECT_TRUE(c.thrown);
    EXPECT_TRUE(c.says("Modified Puls routing through")) << c.text;
    EXPECT_TRUE(c.says("slow.RAT has not drained at its last ordinate, 14")) << c.text;
    EXPECT_TRUE(c.says("49.9 % of the inflow volume is still stored")) << c.text;

    // A Muskingum reach of K = 1000 h barely lets the flood out before ordinate 49.
    s = inflow(std::vector<float>(10, 50.0f), 0.25f);
    c = caught([&] { muskingum(s, 1000.0f, 0.2f, false); });
    EXPECT_TRUE(c.says("Muskingum routing has not drained at its last ordinate, 49")) << c.text;

    // Water held for good below a spillway crest is not water still to come: a pool
    // that only fills stops at the last ordinate without a word (rows 1 to 3 release
    // nothing; 60 cfs-steps of 10 minutes, 10 cfs-hours, fill 0.83 of the 20 acre-ft
    // below the crest).
    rat = "Pond\r\n4\r\n100,0,0\r\n101,0,10\r\n102,0,20\r\n103,50,30\r\n";
    s = inflow({0, 60, 0}, 10.0f / 60.0f);
    modpul(s, readRatingTable(writeFile(dir.filePath("pond.RAT"), rat), s.udur), "", false);
    EXPECT_EQ(s.it, 14);
}
