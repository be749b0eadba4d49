// Loss set-up (curve number and initial loss, derived limits, messages) and the
// per-step accounting of rainfall excess.
#include <gtest/gtest.h>

#include "stage_support.h"

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
    EXPECT_FLOAT_EQ(s.recoveryStep, 0.005f);
    EXPECT_NEAR(s.S1, 4.2857f, 1e-4);
    EXPECT_FLOAT_EQ(s.CNdry, 50.0f);  // 70 / 1.40018 = 49.993
    EXPECT_FLOAT_EQ(s.CNwet, 85.7f);  // 70 / 0.8166 = 85.721
    EXPECT_NEAR(s.S1dry, 10.0f, 1e-5);
    EXPECT_NEAR(s.S1wet, 1.6686f, 1e-4);
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

TEST(LossAccounting, InitialLossAndCurveNumber)
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

    ComputeState cn = stepped(1);  // SCS runoff of 4 inches on CN 70 without recovery
    setUpLosses(cn, loss("70"), d);
    account(cn, {1, 2, 1});
    const float cnExcess[] = {0.0046f, 0.7097f, 0.6154f};
    for (long i = 1; i <= 3; ++i) EXPECT_NEAR(cn.excess(i), cnExcess[i - 1], 1e-4) << i;
    EXPECT_NEAR(cn.pCumStep(4), 4.0f, 1e-6);  // the store after the last step

    setUpLosses(cn, loss("70", "0.1", "0", "100"), d);  // all impervious: every drop runs off
    account(cn, {0.3f, 1.2f, 0, 0.05f});
    for (long i = 1; i <= 4; ++i) EXPECT_FLOAT_EQ(cn.excess(i), cn.rdepth(i)) << i;
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
