// Checks of the boxes a run reads (see box_check.h).
#include "runoff/box_check.h"

#include <QStringList>
#include <algorithm>
#include <cfloat>
#include <vector>

#include "common/numbers.h"
#include "runoff/compute_driver.h"
#include "runoff/compute_state.h"
#include "runoff/text_fields.h"

namespace corv {

namespace {

struct Box {
    QString caption;
    QString text;
};

QString quoted(const QString& text) { return QLatin1Char('"') + text.trimmed().left(40) + QLatin1Char('"'); }

std::optional<QString> notANumber(const std::vector<Box>& boxes)
{
    for (const Box& b : boxes) {
        const std::string t = b.text.toStdString();
        const bool blank = std::all_of(t.begin(), t.end(), isBlank);
        if (!blank && !startsWithNumber(t))
            return QStringLiteral("The box \"%1\" holds %2, which is not a number.").arg(b.caption, quoted(b.text));
    }
    return std::nullopt;
}

// The depth-duration table as the rainfall stage reads it: row by row, up to and
// including the first row without rain.
void addTable(std::vector<Box>& out, const ComputeBoxes& b)
{
    for (std::size_t i = 0; i < b.txtRain.size(); ++i) {
        const QString row = QStringLiteral(" (row %1)").arg(i + 1);
        out.push_back({QStringLiteral("Areal Reduction") + row, b.txtArealAdj[i]});
        out.push_back({QStringLiteral("Inches") + row, b.txtRain[i]});
        out.push_back({QStringLiteral("Hours") + row, b.txtDuration[i]});
        float factor = static_cast<float>(Val(b.txtArealAdj[i].toStdString()));
        if (factor == 0) factor = 1;
        if (Val(b.txtRain[i].toStdString()) * factor == 0) return;
    }
}

std::vector<Box> computeBoxes(const ComputeBoxes& b)
{
    std::vector<Box> out = {
        {b.Label6, b.txtC},
        {b.Label10, b.txtBasinArea},
        {QStringLiteral("Lag Time (hours)"), b.txtLag},
        {b.Label14, b.txtGraphtimestep},
        {QStringLiteral("Constant Loss (in/hr)"), b.txtConstLoss},
        {QStringLiteral("Percent Basin Impervious"), b.txtPercentImp},
        {QStringLiteral("Reset initial loss at x * constant loss rate"), b.txtResetLossFactor},
        {QStringLiteral("GW Loss"), b.GWloss},
    };
    // The loss box holds one value, or three separated by commas (value, dry and wet limits).
    const QString lossCaption = QStringLiteral("SCS CN (10-100) or Initial Loss (,dry,wet limits) (inches)");
    const QStringList lossParts = b.txtCNloss.split(QLatin1Char(','));
    for (qsizetype i = 0; i < std::min<qsizetype>(lossParts.size(), 3); ++i)
        out.push_back({lossCaption, lossParts[i]});
    if (b.ComboDimgraph == QLatin1String("Triangle Unit Graph")) {
        out.push_back({QStringLiteral("Recession Ratio 2"), b.txtS});
        out.push_back({QStringLiteral("Recession Factor2"), b.txtLca});
        out.push_back({QStringLiteral("Recession Ratio 3"), b.txtElv2});
        out.push_back({QStringLiteral("Recession Factor3"), b.txtelv1});
    }
    addTable(out, b);
    return out;
}

std::vector<Box> routingBoxes(const ComputeBoxes& b)
{
    switch (b.optRouteType) {
    case 0: return {{QStringLiteral("Begin Elev (blank ok)"), b.txtModbelv}};
    case 1: return {{QStringLiteral("K lag (hr)"), b.txtMuskK}, {QStringLiteral("X storage (0 - 0.5)"), b.txtMuskX}};
    case 3: return {{QStringLiteral("Travel time (") + b.capTatum + QLatin1Char(')'), b.txtTatum}};
    default: return {};
    }
}

}  // namespace

std::optional<QString> refusedBox(const ComputeBoxes& b, bool routing)
{
    std::vector<Box> read = routing ? routingBoxes(b) : computeBoxes(b);
    // The triangle's stream-length box carries the base flow on both paths.
    if (b.lblL.contains(QLatin1String("Base Flow"))) read.push_back({QStringLiteral("Base Flow"), b.txtL});
    if (auto refused = notANumber(read)) return refused;
    if (routing) return std::nullopt;

    // The steps storm files may have, shown in the box's own unit.
    const bool minutes = b.Label14.contains(QLatin1String("minute"));
    const double step = Val(b.txtGraphtimestep.toStdString());
    const double perHour = minutes ? 60 : 1;
    if (!(step >= kMinStepHours * perHour && step <= kMaxStepHours * perHour))
        return QStringLiteral("The box \"%1\" holds %2: the time step must lie between %3 and %4 %5.")
            .arg(b.Label14, quoted(b.txtGraphtimestep), QString::number(kMinStepHours * perHour),
                 QString::number(kMaxStepHours * perHour), minutes ? QStringLiteral("minutes") : QStringLiteral("hours"));
    // Above 0 also once a tiny area in square feet is turned into square miles.
    double area = Val(b.txtBasinArea.toStdString());
    if (b.Label10.contains(QLatin1String("acre"))) area /= kAcresPerSquareMile;
    if (b.Label10.contains(QLatin1String("ft^2"))) area /= kSquareFeetPerSquareMile;
    if (!(area > 0) || (area < FLT_MAX && static_cast<float>(area) == 0))
        return QStringLiteral("The box \"%1\" holds %2: the basin area must be above 0.")
            .arg(b.Label10, quoted(b.txtBasinArea));
    return std::nullopt;
}

}  // namespace corv
