// The map view: zoom, scroll, the pad's regions and lock, the layout, and what a repaint draws.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "common/dialogs.h"
#include "map/map_model.h"
#include "map/picture/picture.h"
#include "map/window/view.h"

using namespace corv;

namespace {
struct ViewFixture {
    MapModel m;
    MapView v;
    ScriptedDialogs d;
    ViewFixture()
    {
        m.formLoad();
        m.UserControlPic1 = TwipRect{0, 0, 12000, 9000};
        m.Image1.rect = TwipRect{1500, 750, 6000, 4500};
    }
    QRectF image() const { return {m.Image1.rect.Left, m.Image1.rect.Top, m.Image1.rect.Width, m.Image1.rect.Height}; }
    bool imageNear(const QRectF& b) const
    {
        const QRectF a = image();
        return std::max({std::abs(a.left() - b.left()), std::abs(a.top() - b.top()), std::abs(a.width() - b.width()),
                         std::abs(a.height() - b.height())}) < 0.01;
    }
    void pad(float x, float y) { padClick(m, d, v, x, y); }
};
}  // namespace

TEST(View, PadZoomKeepsTheCentreAndReturns)
{
    ViewFixture f;
    const QRectF start = f.image();
    f.m.s.scrollSpeed = 0.5f;  // one step in is 1.5 times, one step out two thirds
    f.pad(1000, 100);
    EXPECT_TRUE(f.m.Image1.Stretch);
    EXPECT_TRUE(f.imageNear(QRectF(1500 - 4500 * 0.5, 750 - 3750 * 0.5, 9000, 6750)));  // (6000, 4500) stays
    EXPECT_FLOAT_EQ(f.m.s.scaleX, float(1 / 1.5));
    f.pad(1000, 700);
    EXPECT_TRUE(f.imageNear(start));
    EXPECT_TRUE(std::abs(f.m.s.scaleX - 1) < 1e-6 && std::abs(f.m.s.scaleY - 1) < 1e-6);

    // Locked after "Start Area" (its message: picture_menu.scn); the plain pixel scale
    // keeps the pad working, the pixel-pair scale does not.
    f.m.s.panZoomAllowed = false;
    f.m.s.pixelScale = true;
    f.pad(350, 100);
    EXPECT_TRUE(f.d.messages().empty() && f.m.Image1.rect.Top > start.top());
    f.m.s.pixelPairScale = true;
    EXPECT_TRUE(padLocked(f.m.s));
}

TEST(View, ScrollModesAndPadRegions)
{
    ViewFixture f;
    // A twentieth of the viewport each way; 4 centres; other modes do nothing.
    const std::pair<std::int16_t, QPointF> steps[] = {{0, {1500, 1200}}, {1, {1500, 750}}, {1, {1500, 300}},
                                                      {2, {2100, 300}},  {3, {1500, 300}}, {3, {900, 300}},
                                                      {5, {900, 300}},   {-1, {900, 300}}, {4, {3000, 2250}}};
    for (auto [mode, at] : steps) EXPECT_EQ((ScrollPic(f.m, mode), f.image().topLeft()), at) << mode;
    using R = PadRegion;  // exactly on a boundary: no region; just inside it: the region
    const float W = 1080, H = 810, justUnder = std::nextafter(float(0.33 * H), 0.0f);
    const std::tuple<float, float, PadRegion> cases[] = {
        {350, 100, R::Up}, {350, 700, R::Down}, {100, 400, R::Left}, {600, 400, R::Right}, {350, 400, R::Centre},
        {900, 100, R::ZoomIn}, {900, 700, R::ZoomOut}, {350, float(0.33 * H), R::None}, {350, float(0.66 * H), R::None},
        {float(0.22 * W), 400, R::None}, {float(0.44 * W), 100, R::None}, {float(0.66 * W), 100, R::None},
        {900, float(0.5 * H), R::None}, {350, justUnder, R::Up}, {100, 100, R::None}, {600, 100, R::None}};
    for (auto [x, y, region] : cases) EXPECT_EQ(padRegion(W, H, x, y), region) << x << "," << y;
}

TEST(View, ResizeLaysOutViewportPadAndFirstImage)
{
    MapModel m;
    MapView v;
    Form_Resize(m, v, 0.4, 0, 11999.6, 8000.2, false);
    EXPECT_EQ(QPointF(m.UserControlPic1.Width, m.UserControlPic1.Height), QPointF(12000, 8000));
    EXPECT_EQ(m.Image1.rect.Width, 12000);  // the first layout sizes the image too
    EXPECT_EQ(QPointF(v.img4Way.Left, v.img4Way.Top), QPointF(12000 - v.img4Way.Width, 8000 - v.img4Way.Height));
    m.Image1.rect = TwipRect{300, 200, 6000, 4000};
    ZoomPic(m, 2);  // about (6000, 4000), 0.95 of the width in: 12000 wide from 6000 - 0.95 x 12000
    Form_Resize(m, v, 0, 0, 9000, 6000, false);  // the window resized: the zoom stays
    EXPECT_EQ(v.img4Way.Left, 9000 - v.img4Way.Width);
    EXPECT_EQ(QPointF(m.Image1.rect.Left, m.Image1.rect.Width), QPointF(-5400, 12000));
    Form_Resize(m, v, 0, 0, 9000, 6000, true);  // a new picture: natural size again
    EXPECT_FALSE(m.Image1.Stretch);
    fitNaturalSize(m, QSize(40, 30));
    EXPECT_EQ(QPointF(m.Image1.rect.Width, m.Image1.rect.Height), QPointF(600, 450));
    EXPECT_FLOAT_EQ(m.s.scaleX, 0.5f);  // the scale factors are not touched
}

TEST(View, RepaintDrawsOnlyTheVisiblePart)
{
    const QRect viewport(0, 0, 1920, 1080);
    // A 12000 x 9000 picture at its natural size, 100 pixels left and 50 up of the corner,
    // then zoomed 3.5 times: the source is the viewport divided by 3.5.
    for (double zoom : {1.0, 3.5}) {
        const TwipRect image{-1500, -750, 12000 * 15.0 * zoom, 9000 * 15.0 * zoom};
        const PicturePaint p = planPicturePaint(image, zoom != 1, QSize(12000, 9000), viewport);
        EXPECT_EQ(p.target, viewport);
        EXPECT_EQ(p.source, QRectF(100 / zoom, 50 / zoom, 1920 / zoom, 1080 / zoom));
    }
    // A small picture covers only its own pixels; a damaged strip only that; out of
    // sight or no picture, nothing.
    const TwipRect small{15 * 100, 15 * 200, 15 * 40, 15 * 30};
    const PicturePaint p = planPicturePaint(small, false, QSize(40, 30), QRect(110, 0, 5, 1080));
    EXPECT_EQ(std::pair(p.target, p.source), std::pair(QRect(110, 200, 5, 30), QRectF(10, 0, 5, 30)));
    EXPECT_TRUE(planPicturePaint(TwipRect{-99999, 0, 600, 450}, false, QSize(40, 30), viewport).target.isEmpty());
    EXPECT_TRUE(planPicturePaint(small, false, QSize(), viewport).target.isEmpty());
    EXPECT_EQ(imagePixels(small, viewport), QRect(100, 200, 40, 30));
}

TEST(View, OwnScalingMatchesNearestPixels)
{
    QImage pic(300, 200, QImage::Format_RGB32);  // pixels that name their own place
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x) pic.setPixel(x, y, qRgb(x % 256, y, x / 256));
    QImage dst(800, 600, QImage::Format_RGB32);
    auto placeAt = [&](int x, int y) { return QPoint(qRed(dst.pixel(x, y)) + 256 * qBlue(dst.pixel(x, y)), qGreen(dst.pixel(x, y))); };
    auto black = [&](int x, int y) { return dst.pixel(x, y) == qRgb(0, 0, 0); };

    // Large enough to be shared among threads, magnified 2.5 times from (10.2, 19.4).
    dst.fill(Qt::black);
    scaleNearest(dst, QRect(0, 0, 700, 450), dst.rect(), pic, QRectF(10.2, 19.4, 280, 180));
    for (QPoint at : {QPoint(0, 0), QPoint(1, 1), QPoint(699, 449), QPoint(350, 225), QPoint(123, 401)})
        EXPECT_EQ(placeAt(at.x(), at.y()),
                  QPoint(int(std::floor(10.2 + (at.x() + 0.5) * 0.4)), int(std::floor(19.4 + (at.y() + 0.5) * 0.4))));
    EXPECT_TRUE(black(700, 10) && black(10, 450));  // nothing outside the target

    // Only inside the clip; at the picture's own size rows are copied as they are.
    dst.fill(Qt::black);
    scaleNearest(dst, QRect(5, 5, 300, 200), QRect(50, 60, 10, 10), pic, QRectF(0, 0, 300, 200));
    EXPECT_EQ(std::pair(placeAt(50, 60), placeAt(59, 69)), std::pair(QPoint(45, 55), QPoint(54, 64)));
    EXPECT_TRUE(black(49, 60) && black(60, 60));
}

TEST(View, FarZoomedOutDrawsFromAveragedLevels)
{
    QImage stripes(2400, 1800, QImage::Format_RGB32);  // a reduced level of 600 x 450
    for (int x = 0; x < 2400; ++x)
        for (int y = 0; y < 1800; ++y) stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const MapPicture picture(stripes);
    // At a quarter of its size the stripes show as their grey; at their own size as they are.
    QImage canvas(600, 450, QImage::Format_RGB32);
    auto paintAt = [&](double width, int x) {
        canvas.fill(Qt::red);
        QPainter p(&canvas);
        paintPicture(p, picture, TwipRect{0, 0, width * 15, width * 0.75 * 15}, true, canvas.rect(), QPoint());
        p.end();
        return canvas.pixel(x, 200);
    };
    EXPECT_EQ(paintAt(600, 300), qRgb(128, 128, 128));
    EXPECT_EQ(paintAt(2400, 301), qRgb(255, 255, 255));

    QImage odd(5, 2, QImage::Format_RGB32);  // edge blocks not of four average what they hold
    odd.fill(qRgb(100, 0, 0));
    odd.setPixel(4, 0, qRgb(200, 0, 0));
    EXPECT_EQ(reduceByFour(odd).pixel(1, 0), qRgb(150, 0, 0));
}
