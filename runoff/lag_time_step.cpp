// Basin lag and automatic time step from the hydrograph window's basin boxes.
#include "runoff/lag_time_step.h"

#include <cfloat>
#include <cmath>

#include "common/numbers.h"
#include "common/runtime_error.h"

namespace corv {

namespace {

constexpr double kMilesPerFoot = 1.0 / 5280.0;

// A number as a single; one beyond single range is an infinity, which the checks
// below then refuse.
float asSingle(double v)
{
    if (v > FLT_MAX) return INFINITY;
    if (v < -FLT_MAX) return -INFINITY;
    return static_cast<float>(v);
}

float valOf(const QString& text) { return asSingle(Val(text.toStdString())); }

// The basin quantities, read when every check passes.
struct Basin {
    float E1 = 0, E2 = 0, L = 0, Lca = 0;
};

// Elevations: both present and the lower one below the upper one.
std::optional<std::pair<float, float>> readElevations(const LagBoxes& b)
{
    const float e1 = valOf(b.text(LagBox::txtelv1));
    const float e2 = valOf(b.text(LagBox::txtElv2));
    if (!(e2 < e1)) return std::nullopt;
    return std::make_pair(e1, e2);
}

// Stream lengths: L a number above 0 (the whole text), Lca not negative; in miles.
std::optional<std::pair<float, float>> readLengths(const LagBoxes& b)
{
    const QString lText = b.text(LagBox::txtL);
    const QString lcaText = b.text(LagBox::txtLca);
    if (lText.isEmpty() || lcaText.isEmpty()) return std::nullopt;
    float L = 0;
    try {
        L = asSingle(toNumberStrict(lText.toStdString()));
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
    if (!(L > 0)) return std::nullopt;
    float Lca = valOf(lcaText);
    if (Lca < 0) return std::nullopt;
    if (b.lengthCaption().contains(QLatin1String("ft"))) {
        L = static_cast<float>(L * kMilesPerFoot);
        Lca = static_cast<float>(Lca * kMilesPerFoot);
    }
    return std::make_pair(L, Lca);
}

// Elevations and lengths together; nothing when either check fails.
std::optional<Basin> readBasin(const LagBoxes& b)
{
    const auto elev = readElevations(b);
    if (!elev) return std::nullopt;
    const auto len = readLengths(b);
    if (!len) return std::nullopt;
    return Basin{elev->first, elev->second, len->first, len->second};
}

bool bothElevationsGiven(const LagBoxes& b)
{
    return !b.text(LagBox::txtelv1).isEmpty() && !b.text(LagBox::txtElv2).isEmpty();
}

float slopeOf(const Basin& s) { return (s.E1 - s.E2) / s.L; }

// Powers are taken in double and the results kept as singles.
float coefficientOf(float S) { return static_cast<float>(0.76748 * std::pow(static_cast<double>(S), 0.14645)); }

// Nothing when an extreme basin gives no finite lag (a slope of 0 or beyond single
// range, lengths whose product overflows).
std::optional<float> lagOf(float C, const Basin& s, float S)
{
    const float lengths = s.L * s.Lca;
    const double ratio = lengths / std::pow(static_cast<double>(S), 0.5);
    const double lag = C * std::pow(ratio, 0.33);
    if (!std::isfinite(lag) || std::fabs(lag) > FLT_MAX) return std::nullopt;
    return static_cast<float>(lag);
}

// The value has a finite text when rounded to decimals places (the rounding scales it
// in single precision first).
bool showable(float v, int decimals) { return std::isfinite(v * static_cast<float>(std::pow(10.0, decimals))); }

}  // namespace

QString roundedText(float v, int decimals)
{
    const float scale = static_cast<float>(std::pow(10.0, decimals));
    // The product is a single, as the boxes' values are; the half is added in double.
    const float scaled = v * scale;
    const double r = std::floor(static_cast<double>(scaled) + 0.5) / static_cast<double>(scale);
    return QString::fromStdString(strDouble(r));
}

QString linearReservoirShapeText(float lag)
{
    const double shape = 1.12899 * std::pow(static_cast<double>(lag), -1.10391);
    return QString::fromStdString(strDouble(std::nearbyint(shape * 1000.0) / 1000.0));
}

std::optional<QString> linearReservoirShapeFor(const QString& lagText)
{
    if (lagText.isEmpty()) return std::nullopt;
    const float lag = valOf(lagText);
    if (!(lag > 0)) return std::nullopt;
    return linearReservoirShapeText(lag);
}

TimeStepChoice SnapTimeStep(float step)
{
    TimeStepChoice c;
    if (step < 0.08f) c.hours = 1.0f / 60.0f;
    else if (step < 0.166f) c.hours = 1.0f / 12.0f;
    else if (step < 0.24f) c.hours = 1.0f / 6.0f;
    else if (step < 0.49f) c.hours = 0.25f;
    else if (step < 0.99f) c.hours = 0.5f;
    else c.hours = static_cast<float>(intFloor(static_cast<double>(step) - 0.1) + 1.0);

    float shown = c.hours;
    if (c.hours < 1.0f) {
        c.minutes = true;
        c.caption = QStringLiteral("Hydrograph Time Step (minutes)");
        shown = static_cast<float>(Val(formatMask(c.hours * 60.0f, "#0")));
    } else {
        c.caption = QStringLiteral("Hydrograph Time Step (hours)");
    }
    c.text = roundedText(shown, 3);
    return c;
}

void applyTimeStep(LagBoxes& boxes, const TimeStepChoice& choice)
{
    boxes.setTimeStepCaption(choice.caption);
    boxes.setText(LagBox::txtGraphtimestep, choice.text);
}

void Getbasinstats(LagBoxes& b)
{
    if (!b.autoTimeStep()) return;
    if (!bothElevationsGiven(b)) return;
    b.yield();
    const auto basin = readBasin(b);
    if (!basin) return;
    const Basin& s = *basin;

    // Everything is derived before the first box is written: a basin whose slope, C or
    // lag has no finite value stops here quietly, as the other failed checks do.
    const float S = slopeOf(s);
    const float C = coefficientOf(S);
    const std::optional<float> lag = lagOf(C, s, S);
    if (!lag || !showable(S, 1) || !showable(C, 2) || !showable(*lag, 2)) return;
    const TimeStepChoice step = SnapTimeStep(static_cast<float>(*lag / 5.5));
    if (!showable(step.hours, 3)) return;

    b.setText(LagBox::txtC, roundedText(C, 2));
    b.yield();
    b.setText(LagBox::txtS, roundedText(S, 1));
    b.yield();
    b.setText(LagBox::txtLag, roundedText(*lag, 2));
    b.yield();
    applyTimeStep(b, step);
    b.yield();
}

void txtElevation_LostFocus(LagBoxes& b)
{
    b.yield();
    Getbasinstats(b);
}

void txtLength_LostFocus(LagBoxes& b)
{
    b.yield();
    if (!b.text(LagBox::txtGraphtimestep).isEmpty()) Getbasinstats(b);
}

void txtC_Change(LagBoxes& b)
{
    if (!b.autoTimeStep()) return;
    if (!bothElevationsGiven(b)) return;
    b.yield();
    const QString cText = b.text(LagBox::txtC);
    if (cText.isEmpty() || cText == QLatin1String(".")) return;
    const auto basin = readBasin(b);
    if (!basin) return;
    const Basin& s = *basin;

    const float C = valOf(cText);
    b.yield();
    const float S = slopeOf(s);
    const std::optional<float> lag = lagOf(C, s, S);
    if (!lag || !showable(S, 1) || !showable(*lag, 2)) return;
    // Half the ratio of the other two roads: a C typed by the user gives a shorter step.
    const TimeStepChoice step = SnapTimeStep(static_cast<float>(*lag / 11.0));
    if (!showable(step.hours, 3)) return;
    b.setText(LagBox::txtS, roundedText(S, 1));
    b.yield();
    b.setText(LagBox::txtLag, roundedText(*lag, 2));
    b.yield();
    applyTimeStep(b, step);
    b.yield();
}

void txtLag_Change(LagBoxes& b)
{
    if (!b.methodText().contains(QLatin1String("Linear"))) return;
    // A lag with no shape leaves the box empty: the shape of the lag before would no
    // longer fit the basin.
    b.setText(LagBox::shape, linearReservoirShapeFor(b.text(LagBox::txtLag)).value_or(QString()));
}

void txtLag_LostFocus(LagBoxes& b)
{
    if (!b.autoTimeStep()) return;
    const QString lagText = b.text(LagBox::txtLag);
    if (lagText.isEmpty() || lagText == QLatin1String(".")) return;
    const float lag = valOf(lagText);
    b.yield();
    applyTimeStep(b, SnapTimeStep(static_cast<float>(lag / 5.5)));
    b.yield();
}

}  // namespace corv
