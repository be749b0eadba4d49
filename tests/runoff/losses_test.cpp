// Loss set-up (curve number and initial loss, derived limits, messages) and the
// per-step accounting of rainfall excess.
#include <gtest/gtest.h>

#include <vector>

#include "common/dialogs.h"
#include "runoff/losses.h"
#include "stage_support.h"

using namespace corv;

namespace {

LossInputs inputs(const char* cnLoss, const char* constLoss, const char* factor, const char* impervious = "0")
{
    LossInputs in;
    in.txtCNloss = QString::fromLatin1(cnLoss);
    in.txtConstLoss = QString::fromLatin1(constLoss);
    in.txtResetLossFactor = QString::fromLatin1(factor);
    in.txtPercentImp = QString::fromLatin1(impervious);
    in.GWloss = QStringLiteral("0.0");
    return in;
}

// Rain per step into a state sized as a storm file would size it.
void setRain(ComputeState& s, const std::vector<float>& rain)
{
    s.obs = static_cast<std::int16_t>(rain.size());
    s.rdepth.redim(s.obs + 10L);
    s.excess.redim(s.obs + 10L);
    s.gwFlow.redim(s.obs + 10L);
    for (std::size_t i = 0; i < rain.size(); ++i) s.rdepth(static_cast<long>(i) + 1) = rain[i];
}

const QString kCnMessage = QStringLiteral(
    "  CNdry and CNwet curve numbers must be greater than 10...\r\n"
    "The missing CN's will be computed for you as: 50 and 85.7");

}  // namespace

TEST(LossSetUp, CurveNumberSeventyDerivesLimitsOnce)
{
    ComputeState s;
    s.udur = 0.25f;
    ScriptedDialogs d;
    const LossInputs in = inputs("70", "0.1", "0.2");
    EXPECT_EQ(setUpLosses(s, in, d), StageEnd::Continue);
    EXPECT_TRUE(s.scsMode);
    EXPECT_FLOAT_EQ(s.recoveryStep, 0.005f);
    EXPECT_NEAR(s.S1, 4.2857f, 1e-4);
    EXPECT_NEAR(s.Ia, 0.8571f, 1e-4);
    EXPECT_FLOAT_EQ(s.CNdry, 50.0f);  // 70 / 1.40018 = 49.993
    EXPECT_FLOAT_EQ(s.CNwet, 85.7f);  // 70 / 0.8166 = 85.721
    EXPECT_NEAR(s.S1dry, 10.0f, 1e-5);
    EXPECT_NEAR(s.S1wet, 1.6686f, 1e-4);
    ASSERT_EQ(d.messages().size(), 1u);
    EXPECT_EQ(d.messages()[0], kCnMessage);

    d.clear();
    EXPECT_EQ(setUpLosses(s, in, d), StageEnd::Continue);
    EXPECT_TRUE(d.messages().empty());  // shown once
    EXPECT_FLOAT_EQ(s.CNdry, 50.0f);

    // A compute without recovery but with a constant loss re-arms the message.
    EXPECT_EQ(setUpLosses(s, inputs("70", "0.1", "0"), d), StageEnd::Continue);
    EXPECT_TRUE(d.messages().empty());
    setUpLosses(s, in, d);
    EXPECT_EQ(d.messages().size(), 1u);
}

TEST(LossSetUp, EnteredLimitsAndTheTwoValueMessage)
{
    ComputeState s;
    s.udur = 0.25f;
    ScriptedDialogs d;
    setUpLosses(s, inputs("70,60,88", "0.1", "0.2"), d);
    EXPECT_TRUE(d.messages().empty());
    EXPECT_FALSE(s.continuousLoss);
    EXPECT_FLOAT_EQ(s.CNdry, 60);  // sorted, not derived
    EXPECT_FLOAT_EQ(s.CNwet, 88);

    setUpLosses(s, inputs("70,5,88", "0.1", "0.2"), d);
    EXPECT_TRUE(d.messages().empty());
    EXPECT_FLOAT_EQ(s.CNdry, 70);  // a limit below 10: both become the curve number
    EXPECT_FLOAT_EQ(s.CNwet, 70);
    EXPECT_FLOAT_EQ(s.S1dry, s.S1wet);
    EXPECT_FLOAT_EQ(s.sRange, 1);

    setUpLosses(s, inputs("1.1,1.3,0.55", "0.1", "0.2"), d);
    EXPECT_FALSE(s.scsMode);
    EXPECT_FLOAT_EQ(s.wetLimit, 0.55f);
    EXPECT_FLOAT_EQ(s.dryLimit, 1.3f);
    EXPECT_NEAR(s.sRange, 0.75f, 1e-6);
    EXPECT_TRUE(d.messages().empty());

    EXPECT_EQ(setUpLosses(s, inputs("1.1,1.3", "0.1", "0.2"), d), StageEnd::EndCompute);
    ASSERT_EQ(d.messages().size(), 1u);
    EXPECT_EQ(d.messages()[0],
              QStringLiteral("Only one value or 3 may be entered for continuous simulation you can enter loss "
                             "limits like 1.1,1.3,0.55 or 70,60,88 depending on wet, dry, or average starting "
                             "conditions or they will automatically be computed for you."));
}

TEST(LossSetUp, InitialLossLimitsAnnouncedWithRecovery)
{
    ComputeState s;
    s.udur = 1;
    ScriptedDialogs d;
    setUpLosses(s, inputs("1.5", "0.1", "0.2", "25"), d);
    EXPECT_FALSE(s.scsMode);
    EXPECT_FLOAT_EQ(s.dryLimit, 1.5f);
    EXPECT_FLOAT_EQ(s.wetLimit, 0);
    EXPECT_FLOAT_EQ(s.imperviousFraction, 0.25f);
    EXPECT_FLOAT_EQ(s.perviousFraction, 0.75f);
    ASSERT_EQ(d.messages().size(), 1u);
    EXPECT_EQ(d.messages()[0], QStringLiteral("  No Initial Losss limits for dry and wet condtions.\r\n"
                                              "These will be computed for you as: 1.50 and 0.00"));
    setUpLosses(s, inputs("1.5", "0.1", "0.2"), d);
    EXPECT_EQ(d.messages().size(), 1u);
}

TEST(LossAccounting, InitialAndConstantLoss)
{
    ComputeState s;
    s.udur = 1;
    ScriptedDialogs d;
    setUpLosses(s, inputs("1.0", "0.2", "0"), d);
    setRain(s, {0.5f, 0.8f, 0.6f});
    accountLosses(s, stagetest::hourlyTable(), stagetest::monthlyTable());
    EXPECT_NEAR(s.excess(1), 0.0f, 1e-6);
    EXPECT_NEAR(s.excess(2), 0.1f, 1e-6);
    EXPECT_NEAR(s.excess(3), 0.4f, 1e-6);
    EXPECT_NEAR(s.pCumStep(1), 0.5f, 1e-6);
    EXPECT_NEAR(s.pCumStep(2), 1.0f, 1e-6);
    EXPECT_NEAR(s.pCumStep(3), 1.0f, 1e-6);
    EXPECT_NEAR(s.rainSum, 1.9f, 1e-6);
    EXPECT_TRUE(d.messages().empty());
}

TEST(LossAccounting, CurveNumberWithoutRecoveryAndImperviousArea)
{
    ComputeState s;
    s.udur = 1;
    ScriptedDialogs d;
    setUpLosses(s, inputs("70", "0", "0"), d);
    setRain(s, {1, 2, 1});
    accountLosses(s, stagetest::hourlyTable(), stagetest::monthlyTable());
    EXPECT_NEAR(s.excess(1), 0.0046f, 1e-4);
    EXPECT_NEAR(s.excess(2), 0.7097f, 1e-4);
    EXPECT_NEAR(s.excess(3), 0.6154f, 1e-4);
    EXPECT_NEAR(s.excess(1) + s.excess(2) + s.excess(3), 1.3297f, 1e-4);  // SCS runoff of 4 inches
    EXPECT_NEAR(s.pCumStep(4), 4.0f, 1e-6);  // the store after the last step
    EXPECT_NEAR(s.S1Step(4), s.S1, 1e-6);

    setUpLosses(s, inputs("70", "0.1", "0", "100"), d);
    setRain(s, {0.3f, 1.2f, 0, 0.05f});
    accountLosses(s, stagetest::hourlyTable(), stagetest::monthlyTable());
    for (long i = 1; i <= 4; ++i) EXPECT_FLOAT_EQ(s.excess(i), s.rdepth(i)) << i;
}

TEST(LossAccounting, DryWeatherRecoveryFeedsTheGroundWaterColumn)
{
    ComputeState s;
    s.udur = 1;
    s.area = 2;
    s.baseFlow = 3;
    ScriptedDialogs d;
    LossInputs in = inputs("70", "0.1", "0.2");
    in.GWloss = QStringLiteral("0.25");
    setUpLosses(s, in, d);
    setRain(s, std::vector<float>(200, 0.0f));
    const float S1start = s.S1;
    accountLosses(s, stagetest::hourlyTable(), stagetest::monthlyTable());

    EXPECT_NEAR(s.gwFactor, 0.1f * 645.33f * 0.2f * 2, 1e-3);
    const float f1 = (s.S1dry - S1start) / s.sRange;
    EXPECT_NEAR(s.gwFlow(1), 0.75f * f1 * s.gwFactor + 3, 1e-3);
    EXPECT_NEAR(s.gwFlow(1), 16.278f, 1e-2);
    for (long i = 1; i <= 200; ++i) {
        EXPECT_FLOAT_EQ(s.excess(i), 0) << i;
        EXPECT_GE(s.S1Step(i), s.S1Step(i - 1)) << i;
        EXPECT_LE(s.S1Step(i), s.S1dry) << i;
        EXPECT_GT(s.gwFlow(i), 3) << i;  // S1 stays below S1dry
    }
    EXPECT_GT(s.S1, S1start + 0.3f * (s.S1dry - S1start));  // well on the way back to dry
    EXPECT_FLOAT_EQ(s.hourlyRecoveryStep(15), 0.19f * 0.122539918f);  // March, hour 15
}
