// Design storm arrangements, the monotone curve fit and the descending sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "runoff/design_storm.h"
#include "runoff/stage_support.h"

using namespace corv;

namespace {

struct Storm {
    VArray<float> durations{9000}, depths{9000}, slopes{9000}, stepTimes, rdepth, cumDepth, incDepth;
    std::int16_t obs = 0;

    // Table rows (hours, inches), then the storm for the arrangement and step.
    Storm(std::vector<std::pair<float, float>> rows, std::int16_t arrangement, float udur, long ordinates = 100)
        : stepTimes(ordinates), rdepth(ordinates), cumDepth(ordinates), incDepth(ordinates)
    {
        for (const auto& [hours, inches] : rows) {
            durations(++obs) = hours;
            depths(obs) = inches;
        }
        float duration = rows.empty() ? 0.0f : rows.back().first;
        BuildDesignStorm(arrangement, durations, depths, slopes, obs, stepTimes, rdepth, duration, udur, cumDepth,
                         incDepth);
    }
    // Steps filled with the largest increments first, in the order given.
    void expectOrder(std::initializer_list<long> steps) const
    {
        long k = 0;
        for (long step : steps) EXPECT_FLOAT_EQ(rdepth(step), incDepth(++k)) << "step " << step;
    }
};

const std::vector<std::pair<float, float>> k24Hour = {{1, 1.0f}, {2, 1.4f}, {3, 1.7f}, {6, 2.2f}, {12, 2.8f}, {24, 3.5f}};

}  // namespace

TEST(DesignStorm, OneRowTableEqualFirstStepAndLimits)
{
    Storm s({{1, 1.0f}}, 0, 0.25f);
    EXPECT_FLOAT_EQ(s.depths(0), 0.2f);  // 1.00 / (1 / 0.25 + 1)
    ASSERT_EQ(s.obs, 4);
    // Zero slopes: a smooth rise from 0.2 at 0 h to 1.00 at 1 h; "None" puts the largest first.
    const float cum[] = {0.325f, 0.6f, 0.875f, 1.0f}, rain[] = {0.325f, 0.275f, 0.275f, 0.125f};
    for (long i = 1; i <= 4; ++i) {
        EXPECT_NEAR(s.cumDepth(i), cum[i - 1], 1e-6) << i;
        EXPECT_NEAR(s.rdepth(i), rain[i - 1], 1e-6) << i;
    }
    // 6-minute steps (0.1 h, not exact in binary): the tenth step's time rounds to the
    // storm's hour and counts. Its 1 - 0.97455 in (the curve at 0.9 h: 1/11 + 10/11 x
    // 0.972) is the smallest increment, last under "None".
    Storm six({{1, 1.0f}}, 0, 0.1f);
    ASSERT_EQ(six.obs, 10);
    EXPECT_FLOAT_EQ(six.stepTimes(10), 1.0f);
    EXPECT_FLOAT_EQ(six.cumDepth(10), 1.0f);
    EXPECT_NEAR(six.rdepth(10), 0.025455f, 1e-6);
    Storm equal({{0.25f, 0.5f}, {0.5f, 0.8f}, {1, 1.0f}}, 0, 0.25f);
    EXPECT_FLOAT_EQ(equal.depths(0), 0);  // first duration equal to the step
    EXPECT_EQ(equal.obs, 4);

    using stagetest::caught;
    EXPECT_EQ(caught([] { Storm t(k24Hour, 1, 0.25f, 50); }).number, err::kSubscript);  // more steps than room
    EXPECT_EQ(caught([] { Storm t(k24Hour, 1, 0); }).number, err::kDivisionByZero);
    EXPECT_EQ(Storm({}, 1, 0.25f).obs, 0);  // an empty table makes no steps
}

// The largest increment at step 16 of 24 (2/3), 9 (1/3, the mirror image) or 12
// (centred); the rest alternate around it. Storm depths: MassBalance.
TEST(DesignStorm, Arrangements)
{
    const Storm twoThirds(k24Hour, 1, 1), oneThird(k24Hour, 2, 1), centred(k24Hour, 3, 1);
    ASSERT_EQ(twoThirds.obs, 24);
    EXPECT_FLOAT_EQ(twoThirds.cumDepth(6), 2.2f);  // the curve passes through the table points
    twoThirds.expectOrder({16, 15, 14, 17, 13, 12, 18});
    for (long i = 1; i <= 24; ++i) EXPECT_FLOAT_EQ(oneThird.rdepth(i), twoThirds.rdepth(25 - i)) << i;
    centred.expectOrder({12, 11, 13, 10, 14, 9});

    // m = 5 centred: 2.5 goes to the even neighbour, and once the before side is full the rest follows.
    Storm five({{1, 1.0f}, {2, 1.6f}, {3, 2.0f}, {4, 2.3f}, {5, 2.5f}}, 3, 1);
    ASSERT_EQ(five.obs, 5);
    five.expectOrder({2, 1, 3, 4, 5});
    Storm one({{1, 1.0f}}, 3, 1);  // one step centred keeps its rain on step 1
    EXPECT_FLOAT_EQ(one.rdepth(1), 1.0f);
    EXPECT_FLOAT_EQ(one.rdepth(0), 0);
}

TEST(CurveFit, SlopesErrorCodesAndEvaluation)
{
    VArray<float> x(10), y(10), t(11);
    std::int16_t ier = -1;
    CRVFIT(x, y, t, 2, ier);
    EXPECT_EQ(ier, 2);  // fewer than three points
    CRVFIT(x, y, t, 4, ier);
    EXPECT_EQ(ier, 2);  // zero first interval

    const auto fit = [&](std::vector<float> ys) {
        for (int i = 0; i < 6; ++i) x(i) = static_cast<float>(i), y(i) = ys[static_cast<std::size_t>(i)];
        CRVFIT(x, y, t, 5, ier);
        EXPECT_EQ(ier, 0);
    };
    fit({0, 1, 3, 2, 2, 5});  // secants change sign at point 2 and are zero between 3 and 4: flat there
    for (long k : {2, 3, 4}) EXPECT_FLOAT_EQ(t(k), 0) << k;
    fit({0, 1, 3, 4, 8, 9});  // rising: harmonic mean of the neighbouring secants
    EXPECT_FLOAT_EQ(t(2), 1.0f / (0.5f / 2 + 0.5f / 1));

    // The curve passes through the points and the search only moves forward.
    std::int16_t hint = 1;
    float v = 0;
    for (long k = 1; k <= 5; ++k) {
        EvalCurve(x(k), v, x, y, t, 5, hint);
        EXPECT_FLOAT_EQ(v, y(k)) << k;
    }
    EvalCurve(0.5, v, x, y, t, 5, hint);  // left of the hint: taken on the last interval
    EXPECT_EQ(hint, 6);
    x(4) = 2;  // a later interval that does not increase
    CRVFIT(x, y, t, 5, ier);
    EXPECT_EQ(ier, 2);
}

// End slopes: from the first (last) secant and the one-sided estimate 2 s1 - s2
// (2 s3 - s2), or, when the next secant is steeper, 1 / (2/s1 - 1/s2), combined by
// their harmonic mean.
TEST(CurveFit, EndSlopes)
{
    VArray<float> x(4), y(4), t(4);
    std::int16_t ier = -1;
    const auto fit = [&](std::vector<float> xs, std::vector<float> ys) {
        for (int i = 1; i <= 4; ++i) x(i) = xs[i - 1], y(i) = ys[i - 1];
        CRVFIT(x, y, t, 4, ier);
        EXPECT_EQ(ier, 0);
    };
    fit({1, 2, 4, 5}, {1, 3, 4, 8});  // secants 2, 0.5, 4
    EXPECT_NEAR(t(1), 1 / (0.5 / 2 + 0.5 / 3.5), 1e-5);  // 2.54545
    EXPECT_NEAR(t(4), 1 / (0.5 / 7.5 + 0.5 / 4), 1e-5);  // 5.21739
    fit({1, 2, 3, 4}, {0, 1, 4, 5});  // secants 1, 3, 1: the steeper neighbour gives 0.6
    EXPECT_NEAR(t(1), 0.75, 1e-6);
    EXPECT_NEAR(t(4), 0.75, 1e-6);
}

TEST(SortDescending, OrdersOnlyTheRange)
{
    // Repeated values and a zig-zag, the shapes a storm's increments take, between two
    // entries outside the range.
    const float values[] = {0, 0.1f, 0.5f, 0.1f, 0.9f, 0.2f, 0.9f, 0.0f, 0.3f, 0.1f, 9};
    const float sorted[] = {0, 0.9f, 0.9f, 0.5f, 0.3f, 0.2f, 0.1f, 0.1f, 0.1f, 0.0f, 9};
    VArray<float> mixed(10), rising(200);
    for (long i = 0; i <= 10; ++i) mixed(i) = values[i];
    SortDescending(mixed, 1, 9);
    for (long i = 0; i <= 10; ++i) EXPECT_FLOAT_EQ(mixed(i), sorted[i]) << i;
    for (long i = 0; i <= 200; ++i) rising(i) = static_cast<float>(i);
    SortDescending(rising, 1, 199);  // a long run already in the other order
    for (long i = 1; i <= 199; ++i) EXPECT_FLOAT_EQ(rising(i), static_cast<float>(200 - i)) << i;
    // Every order of seven increments with a tie: both parts of every split get sorted.
    std::vector<float> order = {0, 0.1f, 0.2f, 0.3f, 0.5f, 0.5f, 0.9f};
    const std::vector<float> want = {5, 0.9f, 0.5f, 0.5f, 0.3f, 0.2f, 0.1f, 0, -1};  // the range only
    do {
        VArray<float> a(8);
        a(0) = 5, a(8) = -1;
        for (long i = 1; i <= 7; ++i) a(i) = order[static_cast<std::size_t>(i - 1)];
        SortDescending(a, 1, 7);
        ASSERT_EQ(a.vec(), want) << ::testing::PrintToString(order);
    } while (std::next_permutation(order.begin(), order.end()));
    VArray<float> tiny(0);
    SortDescending(tiny, 1, 0);  // no element 1 to read
}
