// Loss set-up and per-step loss accounting (see losses.h).
#include "runoff/losses.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/dates.h"
#include "common/dialogs.h"
#include "common/numbers.h"

namespace corv {

namespace {

const char* const kTwoValuesMessage =
    "Only one value or 3 may be entered for continuous simulation you can enter loss limits like "
    "1.1,1.3,0.55 or 70,60,88 depending on wet, dry, or average starting conditions or they will "
    "automatically be computed for you.";

// The number-to-text conversion with a blank before a non-negative number.
std::string withSignBlank(float v) { return (v >= 0 ? " " : "") + strSingle(v); }

// Curve-number limit from the average curve number, to one decimal (halves to even).
float derivedCN(double cn, double a, double b)
{
    return static_cast<float>(std::nearbyint(divide(cn, a + b * cn) * 10.0) / 10.0);
}

// Date and hour of day of step i (days; the storm starts at midnight unless the
// steps carry database dates).
void stepDateAndHour(ComputeState& s, long i)
{
    if (s.rainMode == 3) {
        if (i <= s.rrtime.ubound() && s.rrtime(i) > 1.0)
            s.stepDate = s.rrtime(i);
        else
            s.stepDate = s.stepDate + stepDays(s.udur);
    } else {
        // A single-precision product, as the hour boundaries have always fallen.
        s.stepDate = static_cast<float>(static_cast<float>(i) * s.udur / 24.0f);
    }
    s.stepHour = static_cast<std::int16_t>(splitDate(s.stepDate).hour);
}

// Cumulative SCS runoff pe^2 / (P + 0.8 S): the square (a power) in double, the
// single sum under it, the result kept as a single.
float scsRunoff(float pe, float storage)
{
    return toSingle(divide(static_cast<double>(pe) * static_cast<double>(pe), static_cast<double>(storage)));
}

void scsLoop(ComputeState& s)
{
    s.depletionThreshold = 0.05f * s.S1dry;
    s.S1Step(0) = s.S1;
    for (long i = 1; i <= s.obs; ++i) {
        const float P = s.rdepth(i);
        stepDateAndHour(s, i);
        s.pCum += P;
        s.pCumStep(i) = s.pCum;
        s.S1Step(i) = s.S1;

        float pe = s.pCum - s.Ia;
        float loss = P;
        if (pe > 0) {
            const float Q = scsRunoff(pe, s.pCum + s.retentionTerm);
            loss = P - (Q - s.qCumPrev);
        }
        const float deficit = s.S1dry - s.S1;
        const float f = deficit / s.sRange;
        const float rf = s.recoveryStep * f;
        const float hourly = s.hourlyRecoveryStep(s.stepHour);
        const float hf = hourly * f;
        if (loss < s.constLossStep) loss = s.constLossStep;  // the constant loss is the least loss of a step
        float x = std::max(P - loss, 0.0f);

        if (x == 0 && s.recoveryStep > 0) {
            if (P == 0) {
                s.S1 += hf;
                s.Ia = 0.2f * s.S1;
                s.retentionTerm = 0.8f * s.S1;
                if (s.pCum > deficit) s.pCum = deficit;
                s.pCum = std::max(s.pCum - hourly - s.recoveryStep, 0.0f);
            }
            s.S1 = std::min(s.S1 + rf, s.S1dry);
        }
        x = s.imperviousFraction * P + s.perviousFraction * x;

        float gw = s.baseFlow;
        if (s.recoveryStep > 0) {
            float L = P - x;
            if (L > 0) {
                if (s.pCum < s.depletionThreshold) L = 0;
                s.S1 = s.S1 - L + rf;
                if (s.S1 < s.S1wet) {
                    x += s.S1wet - s.S1;
                    s.S1 = s.S1wet;
                }
                if (s.S1 > s.S1dry) s.S1 = s.S1dry;
            }
            if (static_cast<float>(s.S1 + rf) < s.S1dry) gw = (1 - s.gwLoss) * f * s.gwFactor + s.baseFlow;
        }
        pe = s.pCum - s.Ia;
        s.qCumPrev = pe > 0 ? scsRunoff(pe, s.pCum + s.retentionTerm) : 0.0f;
        s.gwFlow(i) = std::max(gw, 0.0f);
        s.excess(i) = x;
    }
    s.pCumStep(s.obs + 1) = s.pCum;
    s.S1Step(s.obs + 1) = s.S1;
}

void initialLossLoop(ComputeState& s)
{
    s.depletionThreshold = 0.05f * s.dryLimit;
    float& IL = s.lossValue;  // the current initial-loss capacity
    for (long i = 1; i <= s.obs; ++i) {
        const float P = s.rdepth(i);
        stepDateAndHour(s, i);
        const float f = (s.dryLimit - IL) / s.sRange;
        const float rf = s.recoveryStep * f;
        const float hourly = s.hourlyRecoveryStep(s.stepHour);
        const float hf = hourly * f;
        s.pCum += P;
        const float d = s.pCum - IL - s.constLossStep;
        float x = 0;
        bool recovering = false;
        if (d > 0)
            x = d;
        else
            recovering = s.recoveryStep != 0;
        if (recovering) {
            if (P == 0) {
                IL += hf;
                s.pCum -= hourly;
            }
            IL += rf;
            s.pCum = std::max(s.pCum - s.recoveryStep, 0.0f);
            if (IL > s.dryLimit) IL = s.dryLimit;
        }
        x = s.imperviousFraction * P + s.perviousFraction * x;

        float gw = s.baseFlow;
        if (s.recoveryStep > 0) {
            float L = P - x;
            if (L > 0) {
                if (s.pCum < s.depletionThreshold) L = 0;
                IL = IL - L + rf;
                if (IL < s.wetLimit) {
                    x += s.wetLimit - IL;
                    IL = s.wetLimit;
                }
                if (IL > s.dryLimit) IL = s.dryLimit;
            }
            if (static_cast<float>(IL + rf) < s.dryLimit) gw = (1 - s.gwLoss) * f * s.gwFactor + s.baseFlow;
        }
        if (s.pCum > IL) s.pCum = IL;  // the store holds no more than its capacity
        s.pCumStep(i) = s.pCum;
        s.gwFlow(i) = std::max(gw, 0.0f);
        s.excess(i) = x;
    }
}

}  // namespace

StageEnd setUpLosses(ComputeState& s, const LossInputs& in, Dialogs& dialogs)
{
    s.lossValue = boxSingle(in.txtCNloss);
    s.lossValueEntered = s.lossValue;
    s.wetLimit = 0;
    s.dryLimit = 0;
    s.recoveryFactor = boxSingle(in.txtResetLossFactor);
    s.constLoss = boxSingle(in.txtConstLoss);
    s.gwLoss = boxSingle(in.GWloss);
    s.constLossStep = s.constLoss * s.udur;
    s.recoveryStep = s.constLossStep * s.recoveryFactor;

    if (s.recoveryStep == 0) {
        // Without recovery nothing is derived; a positive constant loss re-arms the
        // announcements for the next continuous run.
        s.continuousLoss = false;
        const bool quiet = s.constLoss <= 0;
        s.cnLimitsShown = quiet;
        s.ilLimitsShown = quiet;
    } else {
        s.continuousLoss = true;
    }

    s.lossParts = in.txtCNloss.split(QLatin1Char(','));
    if (in.txtCNloss.contains(QLatin1Char(','))) {
        if (s.lossParts.size() < 3) {
            dialogs.msgBox(QString::fromLatin1(kTwoValuesMessage));
            return StageEnd::EndCompute;
        }
        s.continuousLoss = false;
        s.wetLimit = boxSingle(s.lossParts[1]);
        s.dryLimit = boxSingle(s.lossParts[2]);
    }

    s.imperviousFraction = toSingle(boxValue(in.txtPercentImp) / 100.0);
    s.perviousFraction = 1 - s.imperviousFraction;
    s.rationalMethod = false;
    s.scsMode = false;

    if (s.lossValue > 9.99999f) {
        s.scsMode = true;
        const float CN = s.lossValue;
        s.S1 = 1000 / CN - 10;
        s.Ia = 0.2f * s.S1;
        s.retentionTerm = 0.8f * s.S1;
        s.S1start = s.S1;
        if (s.dryLimit < 10 || s.wetLimit < 10) {
            s.dryLimit = CN;
            s.wetLimit = CN;
        }
        s.CNdry = s.dryLimit;
        s.CNwet = s.wetLimit;
        if (s.CNdry > s.CNwet) std::swap(s.CNdry, s.CNwet);  // the dry limit is the lower curve number
        if (s.continuousLoss) {
            s.CNdry = derivedCN(s.CNdry, 2.334, -0.01334);
            s.CNwet = derivedCN(s.CNwet, 0.4036, 0.0059);
            if (!s.cnLimitsShown) {
                const std::string text = "  CNdry and CNwet curve numbers must be greater than 10...\r\n"
                                         "The missing CN's will be computed for you as:" +
                                         withSignBlank(s.CNdry) + " and" + withSignBlank(s.CNwet);
                dialogs.msgBox(QString::fromStdString(text));
                s.cnLimitsShown = true;
            }
        }
        s.S1wet = 1000 / s.CNwet - 10;
        s.S1dry = 1000 / s.CNdry - 10;
        s.sRange = s.S1dry - s.S1wet;
    } else {
        if (s.wetLimit == 0) {
            s.dryLimit = s.lossValue;
            s.wetLimit = 0;
            if (!s.ilLimitsShown && s.continuousLoss && s.lossValue > 0) {
                const std::string text = "  No Initial Losss limits for dry and wet condtions.\r\n"
                                         "These will be computed for you as: " +
                                         formatMask(s.dryLimit, "0.00") + " and " + formatMask(s.wetLimit, "0.00");
                dialogs.msgBox(QString::fromStdString(text));
                s.ilLimitsShown = true;
            }
        }
        if (s.wetLimit > s.dryLimit) std::swap(s.wetLimit, s.dryLimit);
        s.sRange = s.dryLimit - s.wetLimit;
    }
    if (s.sRange == 0) s.sRange = 1;
    s.pCum = 0;
    s.qCumPrev = 0;
    return StageEnd::Continue;
}

void accountLosses(ComputeState& s, const VArray<float>& hourlyRecovery, const VArray<float>& monthlyRecovery)
{
    float sum = 0;
    for (long i = 1; i <= s.obs; ++i) sum += s.rdepth(i);
    s.rainSum = sum;

    s.stepMonth = 3;  // March, unless the rain carries its own dates
    if (s.rainMode == 3 && s.rrtime.ubound() >= 1 && s.rrtime(1) > 1.0)
        s.stepMonth = static_cast<std::int16_t>(splitDate(s.rrtime(1)).month);
    s.recoveryStep = s.recoveryFactor * s.constLossStep;

    s.hourlyRecoveryStep.redim(24);
    // The state columns also hold the store after the last step (index obs + 1), which
    // a series sized exactly to its steps (database rain) would not have room for.
    const long bound = std::max<long>(s.rdepth.ubound(), s.obs + 1L);
    s.pCumStep.redim(bound);
    s.S1Step.redim(bound);
    s.gwFactor = 0;
    if (s.recoveryStep > 0) {
        // 645.33 is a double constant: the product is formed in double, kept as a single.
        s.gwFactor = toSingle(static_cast<double>(s.constLossStep) * 645.33 * s.recoveryFactor * s.area);
        const float month = monthlyRecovery(s.stepMonth);
        for (long h = 0; h <= 23; ++h)
            s.hourlyRecoveryStep(h) = s.udur <= 13 ? month * hourlyRecovery(h) * s.udur : month;
    }
    s.stepDate = 0;
    if (s.scsMode)
        scsLoop(s);
    else
        initialLossLoop(s);
    // The base flow goes on after the rain, under the whole hydrograph.
    for (long i = s.obs + 1L; i <= s.gwFlow.ubound(); ++i) s.gwFlow(i) = std::max(s.baseFlow, 0.0f);
}

}  // namespace corv
