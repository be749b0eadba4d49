// The map view: zoom, scroll, the pad, the layout, and the part of the picture a
// repaint draws (never the whole picture scaled).
#include "map/window/view.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QSemaphore>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "common/numbers.h"

#include "common/dialogs.h"
#include "common/twips.h"
#include "map/picture/picture.h"

namespace corv {

void followPicture(MapModel& m, const TwipRect& before)
{
    const TwipRect& after = m.Image1.rect;
    if (before.Width == 0 || before.Height == 0) return;
    const double kx = after.Width / before.Width, ky = after.Height / before.Height;
    if (kx == 1 && ky == 1 && after.Left == before.Left && after.Top == before.Top) return;
    const auto x = [&](double v) { return after.Left + (v - before.Left) * kx; };
    const auto y = [&](double v) { return after.Top + (v - before.Top) * ky; };
    for (long i = 0; i <= m.Line1.highestIndex(); ++i) {
        if (!m.Line1.exists(i)) continue;
        Segment& seg = m.Line1(i);
        seg.X1 = toSingle(x(seg.X1));
        seg.Y1 = toSingle(y(seg.Y1));
        seg.X2 = toSingle(x(seg.X2));
        seg.Y2 = toSingle(y(seg.Y2));
    }
    // Markers keep their centre on the picture and labels their top-left corner; both keep their size.
    for (Marker* mk : {&m.Shape1, &m.Shape2}) {
        mk->rect.Left = x(mk->rect.Left + mk->rect.Width / 2) - mk->rect.Width / 2;
        mk->rect.Top = y(mk->rect.Top + mk->rect.Height / 2) - mk->rect.Height / 2;
    }
    for (MapLabel& label : m.Label1) {
        label.rect.Left = x(label.rect.Left);
        label.rect.Top = y(label.rect.Top);
    }
    // The last vertex is kept from the image's corner, at the image's scale.
    m.s.lastPointX = toSingle(m.s.lastPointX * kx);
    m.s.lastPointY = toSingle(m.s.lastPointY * ky);
}

void ZoomPic(MapModel& m, double ZoomPercent)
{
    TwipRect& img = m.Image1.rect;
    if (img.Width == 0 || img.Height == 0) return;
    const TwipRect before = img;
    const double f = ZoomPercent;
    const double cx = m.UserControlPic1.Width / 2.0;
    const double cy = m.UserControlPic1.Height / 2.0;
    const double fx = (cx - img.Left) / img.Width;
    const double fy = (cy - img.Top) / img.Height;
    // One move, in the single precision the image keeps its rectangle in; a zoom
    // past what a single holds is an "Overflow" rather than an endless picture.
    const float newW = toSingle(img.Width * f);
    const float newH = toSingle(img.Height * f);
    const float newLeft = toSingle(cx - newW * fx);
    const float newTop = toSingle(cy - newH * fy);
    const float newScaleX = toSingle(m.s.scaleX / f);
    const float newScaleY = toSingle(m.s.scaleY / f);
    m.Image1.Stretch = true;
    img.Left = newLeft;
    img.Top = newTop;
    img.Width = newW;
    img.Height = newH;
    m.s.scaleX = newScaleX;
    m.s.scaleY = newScaleY;
    followPicture(m, before);
}

void ScrollPic(MapModel& m, std::int16_t ScrollMode)
{
    TwipRect& img = m.Image1.rect;
    const TwipRect before = img;
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
    followPicture(m, before);
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
    const TwipRect before = m.Image1.rect;
    m.Image1.rect.Width = twips::fromPixelsX(picturePixels.width());
    m.Image1.rect.Height = twips::fromPixelsY(picturePixels.height());
    followPicture(m, before);
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

namespace {
// Rows first..last of area: each row from the source row under its centre, a magnified
// row repeated by copying the one above.
void scaleRows(QImage& dst, const QRect& area, const QRect& target, const QImage& src, const QRectF& source,
               const int* col, int first, int last)
{
    // At the picture's own size the columns run on one by one: rows are plain copies.
    const bool unscaled = col[area.width() - 1] - col[0] == area.width() - 1 && source.width() == target.width();
    const double ky = source.height() / target.height();
    uchar* const dbits = dst.bits();
    const qsizetype dstride = dst.bytesPerLine();
    const uchar* const sbits = src.constBits();
    const qsizetype sstride = src.bytesPerLine();
    const int w = area.width();
    int previous = -1;
    const quint32* previousRow = nullptr;
    for (int y = first; y <= last; ++y) {
        const double syf = std::floor(source.top() + (y - target.top() + 0.5) * ky);
        const int sy = int(std::clamp(syf, 0.0, double(src.height() - 1)));
        auto* d = reinterpret_cast<quint32*>(dbits + y * dstride) + area.left();
        if (sy == previous) {
            std::memcpy(d, previousRow, std::size_t(w) * 4);
        } else {
            const auto* row = reinterpret_cast<const quint32*>(sbits + sy * sstride);
            if (unscaled) std::memcpy(d, row + col[0], std::size_t(w) * 4);
            else for (int i = 0; i < w; ++i) d[i] = row[col[i]];
        }
        previous = sy;
        previousRow = d;
    }
}
}  // namespace

void scaleNearest(QImage& dst, const QRect& target, const QRect& clip, const QImage& src, const QRectF& source)
{
    const QRect area = target & clip & dst.rect();
    if (area.isEmpty() || src.isNull() || source.isEmpty()) return;
    const double kx = source.width() / target.width();
    std::vector<int> columns(static_cast<std::size_t>(area.width()));
    for (int i = 0; i < area.width(); ++i) {
        const double sx = std::floor(source.left() + (area.left() - target.left() + i + 0.5) * kx);
        columns[std::size_t(i)] = int(std::clamp(sx, 0.0, double(src.width() - 1)));
    }
    // A large area is shared out in bands of rows among the pool's threads; every band
    // writes only its own rows and the call returns when all are done.
    QThreadPool* pool = QThreadPool::globalInstance();
    const int bands = (qint64(area.width()) * area.height() >= 256 * 1024)
                          ? std::clamp(pool->maxThreadCount(), 1, std::min(8, area.height()))
                          : 1;
    if (bands == 1) {
        scaleRows(dst, area, target, src, source, columns.data(), area.top(), area.bottom());
        return;
    }
    QSemaphore done;
    const int rows = area.height();
    for (int b = 1; b < bands; ++b) {
        const int first = area.top() + rows * b / bands, last = area.top() + rows * (b + 1) / bands - 1;
        pool->start([&, first, last] {
            scaleRows(dst, area, target, src, source, columns.data(), first, last);
            done.release();
        });
    }
    scaleRows(dst, area, target, src, source, columns.data(), area.top(), area.top() + rows / bands - 1);
    done.acquire(bands - 1);
}

namespace {
// The painter's device when pixels may be written into it directly: a 32-bit image,
// reached by a plain offset, drawn over opaquely.
QImage* directTarget(QPainter& p, const QImage& src)
{
    QPaintEngine* engine = p.paintEngine();
    if (!engine || !engine->paintDevice() || engine->paintDevice()->devType() != QInternal::Image) return nullptr;
    auto* dst = static_cast<QImage*>(engine->paintDevice());
    const bool formats = src.format() == QImage::Format_RGB32 &&
                         (dst->format() == QImage::Format_RGB32 || dst->format() == QImage::Format_ARGB32_Premultiplied);
    if (!formats || dst->devicePixelRatio() != 1.0 || p.deviceTransform().type() > QTransform::TxTranslate ||
        p.hasClipping() || p.opacity() != 1.0 || p.compositionMode() != QPainter::CompositionMode_SourceOver)
        return nullptr;
    return dst;
}

void drawPart(QPainter& p, const QImage& src, const QRect& target, const QRectF& source)
{
    QImage* dst = directTarget(p, src);
    if (!dst) {
        // Anything unusual (transparent pictures, transformed painters) goes through Qt.
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(QRectF(target), src, source);
        return;
    }
    const QPoint offset(qRound(p.deviceTransform().dx()), qRound(p.deviceTransform().dy()));
    const QRect onDevice = target.translated(offset);
    QRegion allowed = p.paintEngine()->systemClip();
    if (allowed.isEmpty()) allowed = QRegion(dst->rect());
    for (const QRect& r : allowed & onDevice) scaleNearest(*dst, onDevice, r, src, source);
}
}  // namespace

void paintPicture(QPainter& p, const MapPicture& picture, const TwipRect& image, bool stretch, const QRect& clip,
                  QPoint origin)
{
    const QImage& full = picture.image();
    const PicturePaint plan = planPicturePaint(image, stretch, full.size(), clip);
    if (plan.target.isEmpty()) return;
    // The coarsest level that is magnified at most 1.25 times: zoomed far out, fewer
    // picture pixels are read, and each shown pixel is the average of those it covers.
    const double m = plan.target.width() / plan.source.width();
    for (int k = picture.levelCount() - 1; k >= 0; --k) {
        const QImage& level = picture.level(k);
        const double sx = double(level.width()) / full.width(), sy = double(level.height()) / full.height();
        if (m / sx <= 1.25) {
            const QRectF& s = plan.source;
            drawPart(p, level, plan.target.translated(-origin), QRectF(s.x() * sx, s.y() * sy, s.width() * sx, s.height() * sy));
            return;
        }
    }
    drawPart(p, full, plan.target.translated(-origin), plan.source);
}

void paintPicture(QPainter& p, const QImage& picture, const TwipRect& image, bool stretch, const QRect& clip,
                  QPoint origin)
{
    const PicturePaint plan = planPicturePaint(image, stretch, picture.size(), clip);
    if (plan.target.isEmpty()) return;
    drawPart(p, picture, plan.target.translated(-origin), plan.source);
}

}  // namespace corv
