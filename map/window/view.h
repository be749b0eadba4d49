// The map view: zoom and scroll of Image1 inside the viewport, the pad's regions, the
// window's layout on resize, and which part of the picture a repaint draws.
#pragma once

#include <QRect>
#include <QRectF>
#include <QSize>
#include <cstdint>

#include "map/map_model.h"

class QImage;
class QPainter;

namespace corv {

class MapPicture;
class Dialogs;

// View state kept beside the model.
struct MapView {
    bool resizedOnce = false;
    // img4Way: the pad, in viewport twips (its picture is 72 x 54 pixels).
    TwipRect img4Way{0, 0, 1080, 810};
};

// Figures and labels stand on the picture: after the image moved or changed size from
// before, every segment end, marker, label and the last vertex keep their place on it.
// Zoom, scroll and the natural size call it, so whatever changes the view carries them.
void followPicture(MapModel& m, const TwipRect& before);

// ZoomPic: f > 1 enlarges about the viewport's centre; the scale factors follow.
void ZoomPic(MapModel& m, double ZoomPercent);
// ScrollPic: 0 down, 1 up, 2 right, 3 left (the picture moves), 4 centre; others nothing.
void ScrollPic(MapModel& m, std::int16_t ScrollMode);

// Pad regions in the order they are tested; None when the click is in no region.
enum class PadRegion { None = 0, Up = 1, Down = 2, Left = 3, Right = 4, Centre = 5, ZoomIn = 6, ZoomOut = 7 };
PadRegion padRegion(float W, float H, float X, float Y);

// True while the pad refuses to work (after a scale has been set).
bool padLocked(const MapState& s);
inline constexpr const char* kPadLockedMessage = "No resizing or scrolling after scale has been set";

// img4Way_MouseUp: the locked message, or the region's scroll or zoom.
void padClick(MapModel& m, Dialogs& dialogs, const MapView& v, float X, float Y);

// Form_Resize with the window's inner area in twips. Stretching is turned off for a
// new picture (load, paste, clear); a resize of the window keeps the zoom, so that the
// picture, the scale factors and the traced segments stay together.
void Form_Resize(MapModel& m, MapView& v, double scaleLeft, double scaleTop, double scaleWidth, double scaleHeight,
                 bool newPicture);

// With stretching off the image takes the picture's natural size.
void fitNaturalSize(MapModel& m, QSize picturePixels);

// What one repaint draws: the whole-pixel part of the viewport that the image covers
// inside clip, and the rectangle of the picture that lands there.
struct PicturePaint {
    QRect target;   // viewport pixels; empty when nothing shows
    QRectF source;  // picture pixels
};
PicturePaint planPicturePaint(const TwipRect& image, bool stretch, QSize picture, const QRect& clip);

// The viewport pixels the image covers (for the image control's own rectangle).
QRect imagePixels(const TwipRect& image, const QRect& viewport);

// Paints the picture's visible part: origin is the painter's (0, 0) in viewport pixels.
// Far zoomed out it draws from the picture's reduced levels.
void paintPicture(QPainter& p, const MapPicture& picture, const TwipRect& image, bool stretch, const QRect& clip,
                  QPoint origin);
void paintPicture(QPainter& p, const QImage& picture, const TwipRect& image, bool stretch, const QRect& clip,
                  QPoint origin);

// Nearest-pixel scaling of source (picture pixels) onto target (dst pixels), writing
// only inside clip; each target pixel takes the source pixel under its centre. Both
// images are 32-bit and the source opaque.
void scaleNearest(QImage& dst, const QRect& target, const QRect& clip, const QImage& src, const QRectF& source);

}  // namespace corv
