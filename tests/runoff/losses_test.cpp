// Loss set-up (limits derived or entered, messages) and the per-step loss accounting.
#include <gtest/gtest.h>

#include "runoff/stage_support.h"

using namespace corv;
using namespace stagetest;

namespace {
ComputeState stepped(float udur) { ComputeState s; s.udur = udur; return s; }
void account(ComputeState& s, const std::vector<float>& rain)
{
    setRain(s, rain);
    const Tables t;
    accountLosses(s, t.hourly, t.monthly);
}
}  // namespace

TEST(LossSetUp, CurveNumberSeventyDerivesLimitsOnce)
{
    ComputeState s = stepped(0.25f);
    ScriptedDialogs d;
    EXPECT_EQ(setUpLosses(s, loss("70", "0.1", "0.2"), d), StageEnd::Continue);
    EXPECT_FLOAT_EQ(s.CNdry, 50.0f);  // 70 / 1.40018 = 49.993
    EXPECT_FLOAT_EQ(s.CNwet, 85.7f);  // 70 / 0.8166 = 85.721
    EXPECT_EQ(d.messages(), std::vector<QString>{"  CNdry and CNwet curve numbers must be greater than 10...\r\n"
                                                  "The missing CN's will be computed for you as: 50 and 85.7"});
    setUpLosses(s, loss("70", "0.1", "0.2"), d);  // shown once
    EXPECT_EQ(d.messages().size(), 1u);
    // A compute without recovery re-arms the message.
    setUpLosses(s, loss("70", "0.1", "0"), d);
    setUpLosses(s, loss("70", "0.1", "0.2"), d);
    EXPECT_EQ(d.messages().size(), 2u);
}

TEST(LossSetUp, EnteredLimitsAndTheTwoValueMessage)
{
    ComputeState s = stepped(0.25f);
    ScriptedDialogs d;
    setUpLosses(s, loss("70,60,88", "0.1", "0.2"), d);
    EXPECT_FLOAT_EQ(s.CNdry, 60);  // sorted, not derived
    EXPECT_FLOAT_EQ(s.CNwet, 88);
    setUpLosses(s, loss("70,5,88", "0.1", "0.2"), d);
    EXPECT_FLOAT_EQ(s.CNdry, 70);  // a limit below 10: both become the curve number
    EXPECT_FLOAT_EQ(s.CNwet, 70);
    EXPECT_FLOAT_EQ(s.sRange, 1);
    setUpLosses(s, loss("1.1,1.3,0.55", "0.1", "0.2"), d);
    EXPECT_FLOAT_EQ(s.wetLimit, 0.55f);
    EXPECT_FLOAT_EQ(s.dryLimit, 1.3f);
    EXPECT_TRUE(d.messages().empty());

    EXPECT_EQ(setUpLosses(s, loss("1.1,1.3", "0.1", "0.2"), d), StageEnd::EndCompute);
    EXPECT_EQ(d.messages(),
              std::vector<QString>{"Only one value or 3 may be entered for continuous simulation you can enter loss "
                                   "limits like 1.1,1.3,0.55 or 70,60,88 depending on wet, dry, or average starting "
                                   "conditions or they will automatically be computed for you."});

    // An initial loss without limits: announced once, on the first compute with recovery.
    ComputeState il = stepped(1);
    ScriptedDialogs once;
    setUpLosses(il, loss("1.5", "0.1", "0.2", "25"), once);
    EXPECT_FLOAT_EQ(il.perviousFraction, 0.75f);
    setUpLosses(il, loss("1.5", "0.1", "0.2"), once);
    EXPECT_EQ(once.messages(), std::vector<QString>{"  No Initial Losss limits for dry and wet condtions.\r\n"
                                                     "These will be computed for you as: 1.50 and 0.00"});
}

// Curve-number excess without recovery and no constant loss: hdb_rainfall.scn.
TEST(LossAccounting, InitialLossConstantLossAndImpervious)
{
    ScriptedDialogs d;
    ComputeState il = stepped(1);  // 1.0 in initial loss, 0.2 in/hr constant loss
    setUpLosses(il, loss("1.0", "0.2"), d);
    account(il, {0.5f, 0.8f, 0.6f});
    const float ilExcess[] = {0, 0.1f, 0.4f}, stored[] = {0.5f, 1.0f, 1.0f};
    for (long i = 1; i <= 3; ++i) {
        EXPECT_NEAR(il.excess(i), ilExcess[i - 1], 1e-6) << i;
        EXPECT_NEAR(il.pCumStep(i), stored[i - 1], 1e-6) << i;
    }
    setUpLosses(il, loss("70", "0.1", "0", "100"), d);  // all impervious: every drop runs off
    account(il, {0.3f, 1.2f, 0, 0.05f});
    for (long i = 1; i <= 4; ++i) EXPECT_FLOAT_EQ(il.excess(i), il.rdepth(i)) << i;
    // CN 70 (S 4.2857), 0.5 in/hr constant loss, 20 % impervious, rain 1, 2, 1 in: the
    // curve-number losses 0.99539, 1.29032, 0.38462 in; the last is below the constant
    // loss, so 0.5 in is lost there. Excess 0.2 P + 0.8 (P - loss).
    setUpLosses(il, loss("70", "0.5", "0", "20"), d);
    account(il, {1, 2, 1});
    const float cnExcess[] = {0.203687f, 0.967742f, 0.6f};
    for (long i = 1; i <= 3; ++i) EXPECT_NEAR(il.excess(i), cnExcess[i - 1], 1e-5) << i;
    EXPECT_TRUE(d.messages().empty());
}

TEST(LossAccounting, DryWeatherRecoveryFeedsTheGroundWaterColumn)
{
    ComputeState s = stepped(1);
    s.area = 2;
    s.baseFlow = 3;
    ScriptedDialogs d;
    LossInputs in = loss("70", "0.1", "0.2");
    in.GWloss = "0.25";
    setUpLosses(s, in, d);
    const float S1start = s.S1;
    account(s, std::vector<float>(200, 0.0f));
    EXPECT_NEAR(s.gwFlow(1), 16.278f, 1e-2);  // 0.75 of the store's recovery over its range, times gwFactor, + 3
    for (long i = 1; i <= 200; ++i) {
        EXPECT_FLOAT_EQ(s.excess(i), 0) << i;
        EXPECT_GE(s.S1Step(i), s.S1Step(i - 1)) << i;
        EXPECT_LE(s.S1Step(i), s.S1dry) << i;
        EXPECT_GT(s.gwFlow(i), 3) << i;
    }
    EXPECT_GT(s.S1, S1start + 0.3f * (s.S1dry - S1start));  // well on the way back to dry
    EXPECT_FLOAT_EQ(s.hourlyRecoveryStep(15), 0.19f * 0.122539918f);  // March, hour 15
}

// Continuous curve-number accounting at 6-minute steps with the limits 60 and 88
// (S1dry 6.6667, S1wet 1.3636, range 5.3030), CN 70 (S1 4.2857, Ia 0.8571), constant
// loss 0.1 in/hr (0.01 in a step) and factor 0.2 (recovery 0.002 in a step).
TEST(LossAccounting, ContinuousCurveNumberRules)
{
    ScriptedDialogs d;
    const auto run = [&](const std::vector<float>& rain) {
        ComputeState s = stepped(0.1f);
        setUpLosses(s, loss("70,60,88", "0.1", "0.2"), d);
        account(s, rain);
        return s;
    };
    // 5 in at once: Q = 4.1429^2 / 8.4286 = 2.0363 in; the store would fall to 4.2857 -
    // 2.9637 + 0.0009 = 1.3229, below the wet limit: its 0.0407 in runs off too (2.0770).
    const ComputeState wet = run({5});
    EXPECT_NEAR(wet.excess(1), 2.0770f, 1e-4);
    EXPECT_NEAR(wet.S1Step(2), 1.3636f, 1e-4);
    // 0.1 in is below the 5 % depletion threshold (0.3333 in): the store only recovers,
    // twice by 0.002 x 0.449: 4.28751 in.
    const ComputeState light = run({0.1f});
    EXPECT_FLOAT_EQ(light.excess(1), 0);
    EXPECT_NEAR(light.S1Step(2), 4.28751f, 2e-5);
    // 6 in, then a dry step at hour 0: the 6 in are capped at 6.6667 - 1.3636 = 5.3030,
    // less the hour's 0.19 x 0.0103973 x 0.1 = 0.00019755 and the step's 0.002: 5.30083;
    // the store rises by the same two: 1.36583 in.
    const ComputeState dry = run({6, 0});
    EXPECT_FLOAT_EQ(dry.excess(2), 0);
    EXPECT_NEAR(dry.pCumStep(3), 5.30083f, 2e-5);
    EXPECT_NEAR(dry.S1Step(3), 1.36583f, 2e-5);
}

// Continuous initial loss at 10-minute steps: entry 0.5 with limits 1.0 (dry) and 0.2
// (wet), constant loss 0.1 in/hr, factor 0.2: recovery 0.0033333 in a step, scaled by
// (1.0 - IL) / 0.8.
TEST(LossAccounting, ContinuousInitialLossRules)
{
    // Dry step 1 (hour 0): the hour's recovery 0.19 x 0.0103973 / 6 = 0.00032925 in and
    // the step's 0.0033333, both times 0.625: IL 0.5 -> 0.502289; nothing stored.
    // Step 2, 0.1 in, no excess: recovery 0.0033333 x 0.622139 = 0.0020738 in twice, and
    // the 0.1 in of rain taken from the store: 0.406437; filled 0.1 - 0.0033333.
    const struct {
        std::vector<float> rain;
        float IL, filled;
    } cases[] = {{{0}, 0.502289f, 0}, {{0, 0.1f}, 0.406437f, 0.0966667f}};
    for (const auto& c : cases) {
        ScriptedDialogs d;
        ComputeState s = stepped(10.0f / 60.0f);
        setUpLosses(s, loss("0.5,1.0,0.2", "0.1", "0.2"), d);
        account(s, c.rain);
        const long last = static_cast<long>(c.rain.size());
        EXPECT_NEAR(s.lossValue, c.IL, 2e-6) << last;
        EXPECT_NEAR(s.pCumStep(last), c.filled, 2e-6) << last;
        EXPECT_FLOAT_EQ(s.excess(last), 0) << last;
    }
}

// From midnight, the step ending at 1 h (6th of 10 min, 10th of 6 min) falls in hour 1,
// the one before in hour 0; 24.5 h is 00:30 of the next day.
TEST(LossAccounting, DateAndHourOfEachStep)
{
    for (auto [udur, steps, date, hour] :
         {std::tuple{10.0f / 60.0f, 5, 5.0 / 144, 0}, {10.0f / 60.0f, 6, 1.0 / 24, 1}, {0.1f, 9, 0.9 / 24, 0},
          {0.1f, 10, 1.0 / 24, 1}, {0.1f, 245, 24.5 / 24, 0}}) {
        ComputeState s = stepped(udur);
        ScriptedDialogs d;
        setUpLosses(s, loss("1.0"), d);
        account(s, std::vector<float>(static_cast<std::size_t>(steps), 0.0f));
        EXPECT_NEAR(s.stepDate, date, 1e-7) << steps;
        EXPECT_EQ(s.stepHour, hour) << steps;
    }
}
