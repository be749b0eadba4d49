// Applying the map scale, and the scale frame's option and spinner events.
#include "map/scale.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <optional>

#include "common/dialogs.h"
#include "common/numbers.h"
#include "common/runtime_error.h"
#include "common/twips.h"
#include "map/map_model.h"

namespace corv {

namespace {

struct OptionUnits {
    const char* lengthUnits;
    const char* areaUnits;
    float areaFactor;  // 32-bit on purpose: the rounded factors are used as they stand
    bool pixelScale, pixelPairScale, longLatScale;
};

constexpr OptionUnits kOptions[8] = {
    {" (mi)", " (mi^2)", 1.0f, false, false, false},
    {" (mi)", " (acres)", 640.0f, false, false, false},
    {" (ft)", " (ft^2)", 1.0f, false, false, false},
    {" (ft)", " (acres)", 2.2957E-05f, false, false, false},
    {" (ft)", " (mi^2)", 3.587E-08f, false, false, false},
    {" (pix)", " (pix^2)", 1.0f, true, false, false},
    {" (pix)", " (pix^2)", 1.0f, true, true, false},
    {" (mi)", " (mi^2)", 1.0f, true, true, true},
};

bool validOption(int i) { return i >= 0 && i < 8; }

double val(const QString& text) { return Val(text.toStdString()); }

// The typed map values of the two scale points.
struct PixelPairs {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// A reply "X1,Y1,X2,Y2": split at every comma; parts after the fourth are ignored.
// Nothing when a part is missing or is not a number that fits a single.
std::optional<PixelPairs> parsePixelPairs(const QString& reply)
{
    const QStringList parts = reply.split(QLatin1Char(','));
    if (parts.size() < 4) return std::nullopt;
    float v[4];
    try {
        for (int i = 0; i < 4; ++i) v[i] = toSingle(toNumberStrict(parts[i].toStdString()));
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
    return PixelPairs{v[0], v[1], v[2], v[3]};
}

QString pixelPairMessage(bool longLat)
{
    return longLat ? QStringLiteral("Long/Lat scaling needs four numbers separated by commas, as "
                                    "XLong1,YLat1,XLong2,YLat2. Press Ok and type them again.")
                   : QStringLiteral("Pixel scaling needs four numbers separated by commas, as "
                                    "X1,Y1,X2,Y2. Press Ok and type them again.");
}

}  // namespace

const std::array<QString, 8>& scaleOptionCaptions()
{
    static const std::array<QString, 8> captions = {
        QStringLiteral("Miles / Sq Miles"),  QStringLiteral("Miles / Acres"),    QStringLiteral("Feet / Sq Feet"),
        QStringLiteral("Feet / Acres"),      QStringLiteral("Feet / Sq Miles"),  QStringLiteral("Old Nexrad Pixels"),
        QStringLiteral("General Pixels"),    QStringLiteral("Longitude/Latitude")};
    return captions;
}

void forgetScale(MapState& s)
{
    s.pixelScale = s.pixelPairScale = s.longLatScale = false;
    s.scaleX = s.scaleY = 1.0f;
    s.scaleDistance = 0;
    s.areaFactor = 0;
    s.lengthUnits = QStringLiteral(" (mi)");
    s.areaUnits.clear();
    s.refPointX = s.refPointY = 0;
    s.refMapX = s.refMapY = 0;
    s.originSet = false;
}

bool scaleInForce(const MapState& s)
{
    return s.pixelScale || s.scaleX != 1.0f || s.scaleY != 1.0f || !s.areaUnits.isEmpty();
}

QString scaleGoneCaption() { return QStringLiteral("Right Click for menu... then 'Set Scale': the map has no scale now"); }

void showScaleFrame(MapModel& m)
{
    m.frameScaleRect.Top = m.lstMenu1.rect.Top;
    m.frameScaleRect.Left = m.lstMenu1.rect.Left;
    m.frameScaleVisible = true;
}

void applyScale(MapModel& m, ScaleFrameState& f, Dialogs& dialogs)
{
    MapState& s = m.s;
    const int option = validOption(f.Option1) ? f.Option1 : -1;
    const OptionUnits* units = option >= 0 ? &kOptions[option] : nullptr;

    // Differences of two singles are exact in double; stored as singles like the factors.
    const double dx64 = std::fabs(static_cast<double>(s.scalePoint2X) - s.lastPointX);
    const double dy64 = std::fabs(static_cast<double>(s.scalePoint2Y) - s.lastPointY);
    const float dx = static_cast<float>(dx64);
    const float dy = static_cast<float>(dy64);
    const bool badPoints = dx < 100.0f && dy < 100.0f;

    // Everything that can be refused is checked before anything changes, so a refusal
    // leaves the frame open with the points in place: the user corrects and presses Ok.
    float scaleDistance = 0;
    std::optional<PixelPairs> pairs;
    float newScaleX = s.scaleX, newScaleY = s.scaleY;
    if (!badPoints) {
        try {
            scaleDistance = toSingle(val(f.Text2));
        } catch (const RuntimeError&) {
            dialogs.msgBox(QStringLiteral("The distance is too large. Type a smaller distance, then press Ok."));
            return;
        }

        if (units && units->pixelPairScale) {
            if (dx == 0.0f || dy == 0.0f) {
                dialogs.msgBox(QStringLiteral(
                    "The two scale points lie on one level or upright line, so no pixel scale can be made. "
                    "Click the second point again where it differs from the first in both directions, then press Ok."));
                return;
            }
            const bool longLat = units->longLatScale;
            const QString reply =
                longLat ? dialogs.inputBox(QStringLiteral("Enter pixel pairs as XLong1,YLat1,XLong2,YLat2:"),
                                           QStringLiteral("Long/Lat Scaling"))
                        : dialogs.inputBox(QStringLiteral("Enter pixel pairs as X1,Y1,X2,Y2:"),
                                           QStringLiteral("General Pixel Scaling"));
            // Cancel (or an empty reply) leaves everything as it was: the frame stays
            // open with both points, ready for another Ok.
            if (reply.isEmpty()) return;
            pairs = parsePixelPairs(reply);
            if (!pairs) {
                dialogs.msgBox(pixelPairMessage(longLat));
                return;
            }
            const PixelPairs p = *pairs;
            const float px = dx;
            const float py = longLat ? -dy : dy;
            try {
                const float spanX = toSingle(static_cast<double>(p.x2) - p.x1);
                const float spanY = toSingle(static_cast<double>(p.y2) - p.y1);
                newScaleX = toSingle(std::fabs(spanX) / static_cast<double>(px));
                newScaleY = toSingle(std::fabs(spanY) / static_cast<double>(py));
            } catch (const RuntimeError&) {
                dialogs.msgBox(pixelPairMessage(longLat));
                return;
            }
        }
    }

    m.frameScaleVisible = false;
    m.Shape2.Visible = false;
    m.Shape1.Visible = false;
    s.traceMode = 0;
    m.caption = QStringLiteral("Right Click for menu");

    if (badPoints) {
        // The scale in force stays whole, kind and factors together.
        dialogs.msgBox(QStringLiteral("Bad scale points, try again."));
        return;
    }
    s.pixelScale = s.pixelPairScale = s.longLatScale = false;

    if (units) {
        s.areaFactor = units->areaFactor;
        s.lengthUnits = QString::fromLatin1(units->lengthUnits);
        s.areaUnits = QString::fromLatin1(units->areaUnits);
        s.pixelScale = units->pixelScale;
        s.pixelPairScale = units->pixelPairScale;
        s.longLatScale = units->longLatScale;
    }
    if (pairs) {
        s.refMapX = pairs->x1;
        s.refMapY = pairs->y1;
    }
    s.scaleDistance = scaleDistance;
    s.originSet = false;  // a new scale measures from its own first figure

    if (!s.pixelScale) {
        const float dist = static_cast<float>(std::sqrt(dx64 * dx64 + dy64 * dy64));
        s.scaleX = static_cast<float>(static_cast<double>(s.scaleDistance) / dist);
    } else if (s.pixelPairScale) {
        s.panZoomAllowed = false;
        s.refPointX = s.lastPointX;
        s.refPointY = s.lastPointY;
        s.scaleX = newScaleX;
        s.scaleY = newScaleY;
    } else {
        // Picture pixels: the factor as it stands (1 divided by the zoom) per screen pixel.
        s.scaleX = static_cast<float>(s.scaleX / twips::perPixelX());
    }
    s.lastPointX = s.lastPointY = 0;
}

void scaleOptionClick(MapModel& m, ScaleFrameState& f)
{
    MapState& s = m.s;
    if (f.Option1 == 0 || f.Option1 == 1) {
        s.feetUnits = false;
        s.spinnerUnit = 1;
    } else if (f.Option1 >= 2 && f.Option1 <= 4) {
        s.feetUnits = true;
        s.spinnerUnit = 5280;
    }
    if (s.spinnerUnit == 5280.0f && val(f.Text2) < 20) {
        f.Text2 = QStringLiteral("5280");
        setUpDownValue(m, f, 5280);
    }
    if (s.spinnerUnit == 1.0f && val(f.Text2) > 50) {
        f.Text2 = QStringLiteral("1");
        setUpDownValue(m, f, 1);
    }
    // The pixel options keep the previous unit; before any unit was picked it is 0,
    // and a spinner must never step by 0.
    const double step = std::nearbyint(static_cast<double>(s.spinnerUnit));
    f.UpDownIncrement = step >= 1 ? static_cast<int>(std::min(step, 100000.0)) : 1;
}

void upDownChange(MapModel& m, ScaleFrameState& f)
{
    if (m.s.feetUnits && f.UpDownValue == 1 && f.UpDownIncrement == 5280) {
        setUpDownValue(m, f, 5000);
        f.UpDownIncrement = 1000;
    }
    f.Text2 = QString::number(f.UpDownValue);
}

void setUpDownValue(MapModel& m, ScaleFrameState& f, int value)
{
    value = std::clamp(value, ScaleFrameState::UpDownMin, ScaleFrameState::UpDownMax);
    if (value == f.UpDownValue) return;
    f.UpDownValue = value;
    upDownChange(m, f);
}

}  // namespace corv
