// Unit-graph transforms: dimensionless graph files (volume, convolution, malformed
// files), Rational Method, triangles, linear reservoir, and the closing sequence.
#include <gtest/gtest.h>

#include <QDir>
#include <cmath>
#include <random>

#include "runoff/stage_support.h"

using namespace corv;
using namespace stagetest;

// A graph from the storm's folder; one inch on a square mile is 53.3 acre-ft, shown
// rounded. Every transform's volume at many lags and rooms: MassBalance.
TEST(DimensionlessGraph, GraphFileVolumeAndBaseFlow)
{
    ScriptedDialogs d;
    ComputeState s = basin(1, 1, 0.25f, {1});
    ASSERT_EQ(transformExcess(s, method("TRIANGLE.DGF", TEST_DATA_DIR), d), StageEnd::Continue);
    EXPECT_NEAR(inchesOf(s), 1.0, 1e-4);
    EXPECT_FLOAT_EQ(s.volume, 53);
    // Two square miles and a 24 cfs base flow for one step: 2 inches and 24 cfs-steps.
    ComputeState big = basin(2, 1, 0.25f, {0.5f, 1.5f});
    big.gwFlow(1) = 24;
    transformExcess(big, method("SCS.DGF"), d);
    EXPECT_EQ(big.ugSteps, 22);  // 5 * 1.125 / 0.25 = 22.5, halves to even
    EXPECT_NEAR(inchesOf(big), 2.0 + 24 * 0.25 / 24.0 / (26.8888 * 2), 1e-4);
    EXPECT_TRUE(d.messages().empty());
}

TEST(DimensionlessGraph, ConvolutionMatchesThePlainDoubleLoop)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> rain(0, 0.3f);
    std::vector<float> ex(500);
    for (float& e : ex) e = rng() % 3 == 0 ? 0.0f : rain(rng);
    ComputeState s = basin(3, 2, 0.1f, ex);
    ScriptedDialogs d;
    ASSERT_EQ(transformExcess(s, method("SCS.DGF"), d), StageEnd::Continue);
    std::vector<float> ref(static_cast<std::size_t>(s.it) + 1, 0.0f);
    for (long st = 1; st <= s.obs; ++st)
        for (long j = 0; j <= s.it - s.obs; ++j) ref[static_cast<std::size_t>(st + j)] += s.excess(st) * s.unitGraph(j);
    for (long i = 1; i <= s.it; ++i) ASSERT_FLOAT_EQ(s.qi(i), ref[static_cast<std::size_t>(i)]) << i;
}

// Malformed graph files: bad_input_test.
TEST(DimensionlessGraph, MissingFileAndImpossibleStepsEndWithAClearMessage)
{
    ScriptedDialogs d;
    ComputeState s = basin(1, 1, 0.25f, {1});
    const Caught missing = caught([&] { transformExcess(s, method("Urban.DGF"), d); });
    EXPECT_EQ(missing.number, err::kFileNotFound);
    EXPECT_TRUE(missing.says("Urban.DGF") && missing.says(QDir::cleanPath(programData()).toLatin1().constData()))
        << missing.text;

    // A graph much longer than the hydrograph's 16-bit ordinate count.
    ComputeState tiny = basin(1, 100, 0.001f, {1});
    EXPECT_TRUE(caught([&] { transformExcess(tiny, method("SCS.DGF"), d); }).says("longer time step"));
    // A negative time step typed in the box is refused, not sampled for ever.
    ComputeState backwards = basin(1, 1, -0.25f, {1});
    EXPECT_TRUE(caught([&] { transformExcess(backwards, method("SCS.DGF"), d); }).says("greater than 0"));
    EXPECT_TRUE(d.messages().empty());
}

TEST(RationalMethod, ZeroAndLargeC)
{
    const std::vector<float> rain = {0.2f, 0.4f, 0.3f, 0.1f};
    ScriptedDialogs d;
    ComputeState zero = basin(1, 1, 0.25f, rain, 300, 0);
    EXPECT_EQ(transformExcess(zero, method("Rational Method"), d), StageEnd::EndCompute);
    EXPECT_EQ(d.messages(), (std::vector<QString>{"Warning, C estimate should be between .01-1",
                                                  "No Excess Rainfall for 4 rainfall increments."}));

    ComputeState s = basin(1, 1, 0.25f, rain, 300, 1.5f);
    ASSERT_EQ(transformExcess(s, method("Rational Method"), d), StageEnd::Continue);
    EXPECT_EQ(d.messages().size(), 3u);  // the warning again
    EXPECT_EQ(s.lagSteps, 4);
    // C x the one-hour window's excess x acres: 192, 576, 864, 960 cfs; then the window
    // drains oldest first: 768, 384, 96, 0 at step 8. 3840 cfs-steps of a quarter hour
    // are 79.3 acre-ft, C x 80 acre-ft of excess less 0.8 % (acre-in/hr against cfs).
    EXPECT_EQ(std::pair(s.tmax, s.it), std::pair(std::int16_t{4}, std::int16_t{8}));
    for (auto [i, q] : {std::pair{1, 192.0f}, {4, 960.0f}, {5, 768.0f}, {6, 384.0f}, {7, 96.0f}, {8, 0.0f}})
        EXPECT_NEAR(s.qi(i), q, 1e-2) << i;
    EXPECT_NEAR(s.maxq, 960, 1e-2);
    EXPECT_FLOAT_EQ(s.volume, 79);

    ComputeState longStorm = basin(1, 1, 0.25f, std::vector<float>(9500, 0.1f), 300, 0.5f);
    EXPECT_TRUE(caught([&] { transformExcess(longStorm, method("Rational Method"), d); }).says("9000"));
}

TEST(TriangleUnitGraph, MainAndExtraTriangles)
{
    ScriptedDialogs d;
    TransformInputs in = method("Triangle Unit Graph");
    in.txtLca = "0", in.txtS = "1.5", in.txtelv1 = "0", in.txtElv2 = "3";
    ComputeState s = basin(1, 1, 0.25f, {1}, 300, 0.4f);
    ASSERT_EQ(transformExcess(s, in, d), StageEnd::Continue);
    EXPECT_EQ(s.extraTriangles, 0);
    EXPECT_EQ(s.riseSteps(0), 4);  // (0.125 + 1) / 0.25 = 4.5, halves to even
    EXPECT_EQ(s.recessionSteps(0), 2);
    // Ordinates 1/4, 2/4, 3/4, 1, 1/2, 0 hold 3 peak-steps; one inch is 645.33 / 0.25
    // = 2581.3 cfs-steps, so the peak is 860.4 cfs.
    const float peak = 645.33f / 0.25f / 3;
    EXPECT_NEAR(s.maxq, peak, 1e-2);
    EXPECT_EQ(s.tmax, 4);
    EXPECT_EQ(s.it, 1 + 1 + 6);

    in.txtelv1 = ".2";  // factor 2 zero: only triangles 0 and 2
    ComputeState t = basin(1, 1, 0.25f, {1}, 300, 0.4f);
    transformExcess(t, in, d);
    EXPECT_FLOAT_EQ(t.trianglePeak(1), 0);
    EXPECT_NEAR(t.trianglePeak(0), peak * 0.8f, 1e-2);
    // Triangle 2 rises over 4 steps and falls over 12: 16 steps hold 8 peak-steps.
    EXPECT_NEAR(t.trianglePeak(2), 645.33f / 0.25f / 8 * 0.2f, 1e-2);
    EXPECT_EQ(t.it, 1 + 1 + t.baseSteps(2));
    // A convolution longer than the arrays stops with a message.
    ComputeState longStorm = basin(1, 1, 0.25f, std::vector<float>(9200, 0.1f), 300, 0.4f);
    EXPECT_TRUE(caught([&] { transformExcess(longStorm, in, d); }).says("triangle"));
}

TEST(LinearReservoir, DelayStepsShiftTheOutflow)
{
    ScriptedDialogs d;
    // One-hour steps: lag 0.5 h gives one delay step, lag 2 h two, lag 0 none at all.
    ComputeState one = basin(1, 0.5f, 1, {1, 0.5f}, 20, 0.8f), two = basin(1, 2, 1, {1, 0.5f}, 20, 0.8f);
    ASSERT_EQ(transformExcess(one, method("Linear Reservoir"), d), StageEnd::Continue);
    transformExcess(two, method("Linear Reservoir"), d);
    EXPECT_EQ(one.delaySteps, 1);
    EXPECT_EQ(two.delaySteps, 2);
    const double F = 645.33, e = std::exp(-0.8);
    EXPECT_NEAR(one.qi(1), F * (1 - e), 1e-2);
    EXPECT_NEAR(one.qi(2), 0.5 * F * (1 - e) + one.qi(1) * e, 1e-2);
    EXPECT_FLOAT_EQ(two.qi(1), 0);
    for (long t = 2; t <= std::min(two.it, one.it); ++t) EXPECT_FLOAT_EQ(two.qi(t), one.qi(t - 1)) << t;
    EXPECT_TRUE(d.messages().empty());  // a delay below one step: MassBalance
}
