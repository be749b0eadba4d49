// Areal reduction factors: the built-in table, its lookup, and the factor column.
#include "runoff/areal_reduction.h"

#include <cmath>

#include "common/dialogs.h"
#include "common/guard.h"
#include "common/numbers.h"

namespace corv {

namespace {

constexpr int kDurations = 5;
constexpr int kAreas = 8;
// Durations descending, areas ascending, as the lookup walks them.
constexpr float kDuration[kDurations] = {24.0f, 6.0f, 3.0f, 1.0f, 0.5f};
constexpr float kArea[kAreas] = {1.0f, 10.0f, 25.0f, 50.0f, 100.0f, 150.0f, 250.0f, 400.0f};
constexpr float kFactor[kDurations][kAreas] = {
    {1.000f, 0.987f, 0.970f, 0.953f, 0.935f, 0.928f, 0.920f, 0.913f},
    {1.000f, 0.980f, 0.957f, 0.930f, 0.894f, 0.872f, 0.848f, 0.835f},
    {1.000f, 0.975f, 0.940f, 0.900f, 0.848f, 0.818f, 0.790f, 0.788f},
    {1.000f, 0.945f, 0.880f, 0.805f, 0.725f, 0.690f, 0.662f, 0.655f},
    {1.000f, 0.905f, 0.805f, 0.700f, 0.612f, 0.578f, 0.560f, 0.550f},
};

float factorFor(float area, float duration)
{
    if (area < 1.0f) return 1.0f;
    const float a = std::min(area, 400.0f);
    const float d = std::min(std::max(duration, 0.5f), 24.0f);

    // Duration axis: the table pair at or above and at or below d.
    int j = 0;
    while (j < kDurations - 2 && d < kDuration[j + 1]) ++j;
    const float lnD = std::log(d);
    const float lnD0 = std::log(kDuration[j]);
    const float lnD1 = std::log(kDuration[j + 1]);
    const float t = static_cast<float>(divide(lnD - lnD0, lnD1 - lnD0));

    VArray<float> g(kAreas + 1);
    VArray<float> lnArea(kAreas + 1);
    for (int i = 0; i < kAreas; ++i) {
        const float f0 = std::log(kFactor[j][i]);
        const float f1 = std::log(kFactor[j + 1][i]);
        g(i + 1) = f0 + t * (f1 - f0);
        lnArea(i + 1) = std::log(kArea[i]);
    }

    float u = 0;
    std::int16_t k = 0;
    LocateInTable(std::log(a), lnArea, kAreas, u, k);
    if (k == 0) return 1.0f;
    return std::exp(g(k) + u * (g(k + 1) - g(k)));
}

}  // namespace

void LocateInTable(float x, const VArray<float>& table, std::int16_t n, float& fraction, std::int16_t& k)
{
    const bool descending = k != 0;
    k = 1;
    while (k <= n) {
        const float e = table(k);
        if (descending ? x >= e : x <= e) break;
        ++k;
    }
    if (k == 1) {
        fraction = 0;
        k = 0;
        return;
    }
    std::int16_t j = static_cast<std::int16_t>(k - 1);
    if (table(k) == 0.0f) --j;
    // The pair starts at entry 1 at the earliest: entry 0 is not part of the table.
    if (j < 1) err::raise(err::kSubscript);
    fraction = static_cast<float>(divide(x - table(j), table(j + 1) - table(j)));
    k = j;
}

float ArealReductionFactor(float area, float duration, Dialogs& dialogs)
{
    float factor = 0;
    guarded(dialogs, [&] { factor = factorFor(area, duration); });
    return factor;
}

float basinAreaSquareMiles(const QString& text, const QString& caption)
{
    float area = toSingle(Val(text.toStdString()));
    if (caption.contains(QLatin1String("acre"))) area /= 640.0f;
    if (caption.contains(QLatin1String("ft^2"))) area /= 27878400.0f;
    return area;
}

std::array<std::optional<QString>, 8> chkAreaAdj_Click(const ArealReductionInputs& in, Dialogs& dialogs)
{
    std::array<std::optional<QString>, 8> out;
    const float area = basinAreaSquareMiles(in.basinArea, in.areaCaption);
    if (area == 0.0f) return out;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float d = toSingle(Val(in.durations[i].toStdString()));
        if (d == 0.0f) continue;
        const float factor = in.ticked ? ArealReductionFactor(area, d, dialogs) : 1.0f;
        out[i] = QString::fromStdString(formatMask(factor, "0.000"));
    }
    return out;
}

}  // namespace corv
