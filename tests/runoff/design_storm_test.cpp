// Design storm arrangements, the monotone curve fit and the descending sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <optional>
#include <vector>

#include "runoff/design_storm.h"
#include "stage_support.h"

using namespace corv;

namespace {

struct Storm {
    VArray<float> durations{9000}, depths{9000}, slopes{9000};
    VArray<float> stepTimes, rdepth, cumDepth, incDepth;
    std::int16_t obs = 0;

    // Table rows (hours, inches), then the storm for the arrangement and step.
    Storm(std::vector<std::pair<float, float>> rows, std::int16_t arrangement, float udur, long ordinates = 100)
    {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            durations(static_cast<long>(i) + 1) = rows[i].first;
            depths(static_cast<long>(i) + 1) = rows[i].second;
        }
        obs = static_cast<std::int16_t>(rows.size());
        float duration = rows.empty() ? 0.0f : rows.back().first;
        stepTimes.redim(ordinates);
        rdepth.redim(ordinates);
        cumDepth.redim(ordinates);
        incDepth.redim(ordinates);
        BuildDesignStorm(arrangement, durations, depths, slopes, obs, stepTimes, rdepth, duration, udur, cumDepth,
                         incDepth);
    }
    float rainTotal() const
    {
        float t = 0;
        for (long i = 1; i <= obs; ++i) t += rdepth(i);
        return t;
    }
    long peakStep() const
    {
        long p = 1;
        for (long i = 1; i <= obs; ++i)
            if (rdepth(i) > rdepth(p)) p = i;
        return p;
    }
};

const std::vector<std::pair<float, float>> k24Hour = {{1, 1.0f}, {2, 1.4f},  {3, 1.7f},
                                                     {6, 2.2f}, {12, 2.8f}, {24, 3.5f}};

}  // namespace

TEST(DesignStorm, OneRowTableStartsAtAShareOfTheFirstDepth)
{
    Storm s({{1, 1.0f}}, 0, 0.25f);
    EXPECT_FLOAT_EQ(s.depths(0), 0.2f);  // 1.00 / (1 / 0.25 + 1)
    EXPECT_FLOAT_EQ(s.slopes(1), 0);
    ASSERT_EQ(s.obs, 4);
    // Zero slopes: a smooth rise from 0.2 at 0 h to 1.00 at 1 h.
    EXPECT_NEAR(s.cumDepth(1), 0.325f, 1e-6);
    EXPECT_NEAR(s.cumDepth(2), 0.6f, 1e-6);
    EXPECT_NEAR(s.cumDepth(3), 0.875f, 1e-6);
    EXPECT_FLOAT_EQ(s.cumDepth(4), 1.0f);
    // "None": largest first; the first increment holds the 0.2 start.
    EXPECT_NEAR(s.rdepth(1), 0.325f, 1e-6);
    EXPECT_NEAR(s.rdepth(4), 0.125f, 1e-6);
    EXPECT_NEAR(s.rainTotal(), 1.0f, 1e-6);
    for (long i = 2; i <= 4; ++i) EXPECT_GE(s.rdepth(i - 1), s.rdepth(i));

    Storm equal({{0.25f, 0.5f}, {0.5f, 0.8f}, {1, 1.0f}}, 0, 0.25f);
    EXPECT_FLOAT_EQ(equal.depths(0), 0);  // first duration equal to the step
    EXPECT_EQ(equal.obs, 4);
}

TEST(DesignStorm, TwentyFourHourArrangements)
{
    Storm none(k24Hour, 0, 1);
    Storm twoThirds(k24Hour, 1, 1);
    Storm oneThird(k24Hour, 2, 1);
    Storm centred(k24Hour, 3, 1);
    for (const Storm* s : {&none, &twoThirds, &oneThird, &centred}) {
        ASSERT_EQ(s->obs, 24);
        EXPECT_NEAR(s->rainTotal(), 3.5f, 1e-5);  // every arrangement keeps the whole depth
        EXPECT_FLOAT_EQ(s->cumDepth(24), 3.5f);   // the curve passes through the table points
        EXPECT_FLOAT_EQ(s->cumDepth(6), 2.2f);
    }
    EXPECT_EQ(none.peakStep(), 1);
    EXPECT_EQ(twoThirds.peakStep(), 16);
    EXPECT_EQ(oneThird.peakStep(), 9);  // 24 - 16 + 1
    EXPECT_EQ(centred.peakStep(), 12);

    // Peak at 2/3 fills p-1, p-2, p+1, p-3, p-4, p+2 with the next increments in turn.
    const long order[] = {16, 15, 14, 17, 13, 12, 18};
    for (long k = 0; k < 7; ++k) EXPECT_FLOAT_EQ(twoThirds.rdepth(order[k]), twoThirds.incDepth(k + 1)) << k;
    // Peak at 1/3 is that pattern mirrored in time.
    for (long i = 1; i <= 24; ++i) EXPECT_FLOAT_EQ(oneThird.rdepth(i), twoThirds.rdepth(25 - i)) << i;
    // Centred alternates before and after the peak.
    const long centredOrder[] = {12, 11, 13, 10, 14, 9};
    for (long k = 0; k < 6; ++k) EXPECT_FLOAT_EQ(centred.rdepth(centredOrder[k]), centred.incDepth(k + 1)) << k;
}

TEST(DesignStorm, FiveStepsCentred)
{
    Storm s({{1, 1.0f}, {2, 1.6f}, {3, 2.0f}, {4, 2.3f}, {5, 2.5f}}, 3, 1);
    ASSERT_EQ(s.obs, 5);
    // 2.5 goes to the even neighbour: peak at step 2, then 1, 3, and (before side full) 4, 5.
    const long order[] = {2, 1, 3, 4, 5};
    for (long k = 0; k < 5; ++k) EXPECT_FLOAT_EQ(s.rdepth(order[k]), s.incDepth(k + 1)) << k;
    EXPECT_GT(s.rdepth(2), s.rdepth(1));
    EXPECT_GT(s.rdepth(1), s.rdepth(3));
    EXPECT_GT(s.rdepth(4), s.rdepth(5));

    // One step centred keeps its rain on step 1.
    Storm one({{1, 1.0f}}, 3, 1);
    ASSERT_EQ(one.obs, 1);
    EXPECT_FLOAT_EQ(one.rdepth(1), 1.0f);
    EXPECT_FLOAT_EQ(one.rdepth(0), 0);
}

TEST(DesignStorm, LimitsAreRunTimeErrors)
{
    // More steps than the caller's arrays hold.
    auto tooMany = stagetest::caught([] { Storm s(k24Hour, 1, 0.25f, 50); });
    EXPECT_TRUE(tooMany.thrown);
    EXPECT_EQ(tooMany.number, err::kSubscript);
    // A zero step with a positive first duration divides by zero.
    auto zero = stagetest::caught([] { Storm s(k24Hour, 1, 0); });
    EXPECT_EQ(zero.number, err::kDivisionByZero);
    EXPECT_TRUE(stagetest::caught([] { Storm s(k24Hour, 1, -1); }).thrown);
    // An empty table makes no steps.
    Storm empty({}, 1, 0.25f);
    EXPECT_EQ(empty.obs, 0);
}

TEST(CurveFit, SlopesAndErrorCodes)
{
    VArray<float> x(10), y(10), t(11);
    std::int16_t ier = -1;
    CRVFIT(x, y, t, 2, ier);
    EXPECT_EQ(ier, 2);  // fewer than three points
    CRVFIT(x, y, t, 4, ier);
    EXPECT_EQ(ier, 2);  // zero first interval

    // Secants change sign at point 2 and are zero between points 3 and 4.
    const float xs[] = {0, 1, 2, 3, 4, 5};
    const float ys[] = {0, 1, 3, 2, 2, 5};
    for (int i = 0; i < 6; ++i) {
        x(i) = xs[i];
        y(i) = ys[i];
    }
    CRVFIT(x, y, t, 5, ier);
    EXPECT_EQ(ier, 0);
    EXPECT_FLOAT_EQ(t(2), 0);  // s(1) = 2, s(2) = -1: flat there
    EXPECT_FLOAT_EQ(t(3), 0);  // s(2) = -1, s(3) = 0
    EXPECT_FLOAT_EQ(t(4), 0);  // s(3) = 0, s(4) = 3

    // Rising data: harmonic mean of the neighbouring secants.
    const float ry[] = {0, 1, 3, 4, 8, 9};
    for (int i = 0; i < 6; ++i) y(i) = ry[i];
    CRVFIT(x, y, t, 5, ier);
    EXPECT_EQ(ier, 0);
    EXPECT_FLOAT_EQ(t(2), 1.0f / (0.5f / 2 + 0.5f / 1));
    EXPECT_FLOAT_EQ(t(3), 1.0f / (0.5f / 1 + 0.5f / 4));
    EXPECT_GT(t(1), 0);
    EXPECT_GT(t(5), 0);

    // The curve passes through the points and the search only moves forward.
    std::int16_t hint = 1;
    float v = 0;
    for (long k = 1; k <= 5; ++k) {
        EvalCurve(x(k), v, x, y, t, 5, hint);
        EXPECT_FLOAT_EQ(v, y(k)) << k;
    }
    EvalCurve(0.5, v, x, y, t, 5, hint);  // left of the hint: taken on the last interval
    EXPECT_EQ(hint, 6);

    // A later interval that does not increase.
    x(4) = 2;
    CRVFIT(x, y, t, 5, ier);
    EXPECT_EQ(ier, 2);
}

namespace {

// Builds an input that drives the sort's right-part pushes as deep as it can: every
// partition finds its pivot with exactly two smaller values beside it, so a short
// right part is pushed and the long left part goes on. Values are fixed lazily while
// the sort itself (the same algorithm) runs on them.
std::vector<float> deepSortInput(int n)
{
    std::vector<std::optional<int>> val(static_cast<std::size_t>(n) + 1);
    std::vector<int> a(static_cast<std::size_t>(n) + 1);
    std::iota(a.begin(), a.end(), 0);
    int next = 0;
    auto freeze = [&](int id) { val[static_cast<std::size_t>(id)] = ++next; };
    auto v = [&](int id) { return val[static_cast<std::size_t>(id)].value_or(1 << 30); };
    std::vector<std::pair<int, int>> stack;
    int l = 1, r = n;
    for (;;) {
        const int mid = (l + r) / 2;
        if (!val[static_cast<std::size_t>(a[static_cast<std::size_t>(mid)])]) {
            int solids = 0;
            for (int k = l; k <= r; ++k) solids += val[static_cast<std::size_t>(a[static_cast<std::size_t>(k)])] ? 1 : 0;
            for (int k = r, need = 2 - solids; need > 0 && k >= l; --k) {
                const int id = a[static_cast<std::size_t>(k)];
                if (k != mid && !val[static_cast<std::size_t>(id)]) {
                    freeze(id);
                    --need;
                }
            }
            freeze(a[static_cast<std::size_t>(mid)]);
        }
        const int pivot = v(a[static_cast<std::size_t>(mid)]);
        int i = l, j = r;
        do {
            while (v(a[static_cast<std::size_t>(i)]) > pivot) ++i;
            while (v(a[static_cast<std::size_t>(j)]) < pivot) --j;
            if (i <= j) {
                std::swap(a[static_cast<std::size_t>(i)], a[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (i < r) stack.emplace_back(i, r);
        r = j;
        if (l < j) continue;
        if (stack.empty()) break;
        std::tie(l, r) = stack.back();
        stack.pop_back();
    }
    for (int id = 1; id <= n; ++id)
        if (!val[static_cast<std::size_t>(id)]) freeze(id);
    std::vector<float> out(static_cast<std::size_t>(n) + 1, 0.0f);
    for (int id = 1; id <= n; ++id) out[static_cast<std::size_t>(id)] = static_cast<float>(*val[static_cast<std::size_t>(id)]);
    return out;
}

bool descending(const VArray<float>& a, long first, long last)
{
    for (long i = first + 1; i <= last; ++i)
        if (a(i - 1) < a(i)) return false;
    return true;
}

}  // namespace

TEST(SortDescending, OrdersAnyInputAndStopsAtAFullStack)
{
    VArray<float> a(200);
    for (long i = 1; i <= 200; ++i) a(i) = static_cast<float>(i);  // ascending
    SortDescending(a, 1, 200);
    EXPECT_TRUE(descending(a, 1, 200));
    EXPECT_FLOAT_EQ(a(1), 200);
    SortDescending(a, 1, 200);  // already descending
    EXPECT_TRUE(descending(a, 1, 200));
    for (long i = 1; i <= 200; ++i) a(i) = 7;
    SortDescending(a, 1, 200);
    EXPECT_FLOAT_EQ(a(100), 7);
    a(0) = -1;
    a(5) = 99;
    SortDescending(a, 1, 10);  // only the range moves
    EXPECT_FLOAT_EQ(a(0), -1);
    EXPECT_FLOAT_EQ(a(1), 99);
    SortDescending(a, 3, 3);   // one element
    SortDescending(a, 1, 0);   // none
    VArray<float> tiny(0);
    SortDescending(tiny, 1, 0);  // no element 1 to read

    // 100 values fit in the stack (33 pending ranges); 200 need 66 and stop.
    for (int n : {100, 200}) {
        const std::vector<float> input = deepSortInput(n);
        VArray<float> b(n);
        for (long i = 1; i <= n; ++i) b(i) = input[static_cast<std::size_t>(i)];
        auto c = stagetest::caught([&] { SortDescending(b, 1, static_cast<std::int16_t>(n)); });
        if (n == 100) {
            EXPECT_FALSE(c.thrown);
            EXPECT_TRUE(descending(b, 1, n));
        } else {
            EXPECT_TRUE(c.thrown);
            EXPECT_EQ(c.number, err::kSubscript);
        }
    }
}
