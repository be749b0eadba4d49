// The map view: zoom, scroll, the pad, the layout, and the part of the picture a
// repaint draws (never the whole picture scaled).
#include "map/view.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "common/dialogs.h"
#include "common/twips.h"

namespace corv {

void ZoomPic(MapModel& m, double ZoomPercent)
{
    TwipRect& img = m.Image1.rect;
    if (img.Width == 0 || img.Height == 0) return;
    const double f = ZoomPercent;
    const double cx = m.UserControlPic1.Width / 2.0;
    const double cy = m.UserControlPic1.Height / 2.0;
    const double fx = (cx - img.Left) / img.Width;
    const double fy = (cy - img.Top) / img.Height;
    m.Image1.Stretch = true;
    const float newW = static_cast<float>(img.Width * f);
    const float newH = static_cast<float>(img.Height * f);
    // One move, in the single precision the image keeps its rectangle in.
    img.Left = static_cast<float>(cx - newW * fx);
    img.Top = static_cast<float>(cy - newH * fy);
    img.Width = newW;
    img.Height = newH;
    m.s.scaleX = static_cast<float>(m.s.scaleX / f);
    m.s.scaleY = static_cast<float>(m.s.scaleY / f);
}

void ScrollPic(MapModel& m, std::int16_t ScrollMode)
{
    TwipRect& img = m.Image1.rect;
    const float speed = m.s.scrollSpeed;
    const auto vpW = static_cast<float>(m.UserControlPic1.Width);
    const auto vpH = static_cast<float>(m.UserControlPic1.Height);
    switch (ScrollMode) {
    case 0: img.Top = static_cast<float>(img.Top) + vpH * speed; break;
    case 1: img.Top = static_cast<float>(img.Top) - vpH * speed; break;
    case 2: img.Left = static_cast<float>(img.Left) + vpW * speed; break;
    case 3: img.Left = static_cast<float>(img.Left) - vpW * speed; break;
    case 4:
        img.Left = static_cast<float>((m.UserControlPic1.Width - img.Width) / 2);
        img.Top = static_cast<float>((m.UserControlPic1.Height - img.Height) / 2);
        break;
    default: break;
    }
}

PadRegion padRegion(float W, float H, float X, float Y)
{
    // Each threshold: the product in double precision, kept as a single.
    auto t = [](double k, float size) { return static_cast<float>(k * size); };
    const float h33 = t(0.33, H), h66 = t(0.66, H), h50 = t(0.5, H);
    const float w22 = t(0.22, W), w44 = t(0.44, W), w66 = t(0.66, W);
    const bool crossColumn = w22 < X && X < w44;
    const bool middleRow = h33 < Y && Y < h66;
    if (Y < h33 && crossColumn) return PadRegion::Up;
    if (Y > h66 && crossColumn) return PadRegion::Down;
    if (middleRow && X < w22) return PadRegion::Left;
    if (middleRow && w44 < X && X < w66) return PadRegion::Right;
    if (middleRow && crossColumn) return PadRegion::Centre;
    if (X > w66 && Y < h50) return PadRegion::ZoomIn;
    if (X > w66 && Y > h50) return PadRegion::ZoomOut;
    return PadRegion::None;
}

bool padLocked(const MapState& s)
{
    return !s.panZoomAllowed && ((s.pixelScale && s.pixelPairScale) || !s.pixelScale);
}

void padClick(MapModel& m, Dialogs& dialogs, const MapView& v, float X, float Y)
{
    if (padLocked(m.s)) {
        dialogs.msgBox(QString::fromLatin1(kPadLockedMessage));
        return;
    }
    const double step = static_cast<double>(m.s.scrollSpeed) + 1;
    switch (padRegion(static_cast<float>(v.img4Way.Width), static_cast<float>(v.img4Way.Height), X, Y)) {
    case PadRegion::Up: ScrollPic(m, 0); break;
    case PadRegion::Down: ScrollPic(m, 1); break;
    case PadRegion::Left: ScrollPic(m, 2); break;
    case PadRegion::Right: ScrollPic(m, 3); break;
    case PadRegion::Centre: ScrollPic(m, 4); break;
    case PadRegion::ZoomIn: ZoomPic(m, step); break;
    case PadRegion::ZoomOut: ZoomPic(m, 1 / step); break;
    case PadRegion::None: break;
    }
}

void Form_Resize(MapModel& m, MapView& v, double scaleLeft, double scaleTop, double scaleWidth, double scaleHeight,
                 bool newPicture)
{
    const double left = std::nearbyint(scaleLeft), top = std::nearbyint(scaleTop);
    const double width = std::nearbyint(scaleWidth), height = std::nearbyint(scaleHeight);
    if (newPicture) m.Image1.Stretch = false;
    m.UserControlPic1 = TwipRect{left, top, width, height};
    if (!v.resizedOnce) m.Image1.rect = TwipRect{left, top, width, height};
    v.img4Way.Left = width - v.img4Way.Width;
    v.img4Way.Top = height - v.img4Way.Height;
    v.resizedOnce = true;
}

void fitNaturalSize(MapModel& m, QSize picturePixels)
{
    if (m.Image1.Stretch || picturePixels.isEmpty()) return;
    m.Image1.rect.Width = twips::fromPixelsX(picturePixels.width());
    m.Image1.rect.Height = twips::fromPixelsY(picturePixels.height());
}

namespace {
struct PixelSpan {
    double left, top, width, height;  // the image in viewport pixels
};

PixelSpan span(const TwipRect& image)
{
    return {image.Left / twips::perPixelX(), image.Top / twips::perPixelY(), image.Width / twips::perPixelX(),
            image.Height / twips::perPixelY()};
}

// Whole-pixel rectangle of the span, clipped; edges rounded to the nearest pixel.
QRect coveredPixels(const PixelSpan& s, const QRect& clip)
{
    auto edge = [](double v) { return std::clamp(std::nearbyint(v), -1e9, 1e9); };
    const double x0 = std::max<double>(clip.left(), edge(s.left));
    const double y0 = std::max<double>(clip.top(), edge(s.top));
    const double x1 = std::min<double>(clip.left() + double(clip.width()), edge(s.left + s.width));
    const double y1 = std::min<double>(clip.top() + double(clip.height()), edge(s.top + s.height));
    if (x1 <= x0 || y1 <= y0) return {};
    return QRect(int(x0), int(y0), int(x1 - x0), int(y1 - y0));
}
}  // namespace

QRect imagePixels(const TwipRect& image, const QRect& viewport) { return coveredPixels(span(image), viewport); }

PicturePaint planPicturePaint(const TwipRect& image, bool stretch, QSize picture, const QRect& clip)
{
    PicturePaint plan;
    if (picture.isEmpty()) return plan;
    PixelSpan s = span(image);
    if (!stretch) {
        s.width = picture.width();
        s.height = picture.height();
    }
    if (!(s.width > 0) || !(s.height > 0)) return plan;
    plan.target = coveredPixels(s, clip);
    if (plan.target.isEmpty()) return plan;
    const double kx = picture.width() / s.width, ky = picture.height() / s.height;
    const double sx0 = std::clamp((plan.target.left() - s.left) * kx, 0.0, double(picture.width()));
    const double sy0 = std::clamp((plan.target.top() - s.top) * ky, 0.0, double(picture.height()));
    const double sx1 = std::clamp((plan.target.left() + plan.target.width() - s.left) * kx, 0.0, double(picture.width()));
    const double sy1 =
        std::clamp((plan.target.top() + plan.target.height() - s.top) * ky, 0.0, double(picture.height()));
    plan.source = QRectF(sx0, sy0, sx1 - sx0, sy1 - sy0);
    if (plan.source.isEmpty()) plan.target = QRect();
    return plan;
}

void paintPicture(QPainter& p, const QImage& picture, const TwipRect& image, bool stretch, const QRect& clip,
                  QPoint origin)
{
    const PicturePaint plan = planPicturePaint(image, stretch, picture.size(), clip);
    if (plan.target.isEmpty()) return;
    // Nearest-pixel scaling of only the visible source rectangle: the cost follows the
    // viewport, not the picture.
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(QRectF(plan.target.translated(-origin)), picture, plan.source);
}

}  // namespace corv
