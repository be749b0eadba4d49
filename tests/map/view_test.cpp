// The map view: zoom, scroll, the pad's regions and lock, the layout, and what a repaint draws.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "common/dialogs.h"
#include "map/map_model.h"
#include "map/picture.h"
#include "map/view.h"

using namespace corv;

namespace {
MapModel viewWithPicture()
{
    MapModel m;
    m.formLoad();
    m.UserControlPic1 = TwipRect{0, 0, 12000, 9000};
    m.Image1.rect = TwipRect{1500, 750, 6000, 4500};
    return m;
}
}  // namespace

TEST(View, ZoomKeepsTheCentreAndReturns)
{
    MapModel m = viewWithPicture();
    const TwipRect before = m.Image1.rect;
    // The map point under the viewport's centre (6000, 4500).
    const double fx = (6000 - before.Left) / before.Width, fy = (4500 - before.Top) / before.Height;
    ZoomPic(m, 1.05);
    EXPECT_TRUE(m.Image1.Stretch);
    EXPECT_FLOAT_EQ(float(m.Image1.rect.Width), 6300.0f);
    EXPECT_FLOAT_EQ(float(m.Image1.rect.Height), 4725.0f);
    EXPECT_NEAR((6000 - m.Image1.rect.Left) / m.Image1.rect.Width, fx, 1e-6);
    EXPECT_NEAR((4500 - m.Image1.rect.Top) / m.Image1.rect.Height, fy, 1e-6);
    EXPECT_FLOAT_EQ(m.s.scaleX, float(1 / 1.05));
    ZoomPic(m, 1 / 1.05);
    EXPECT_NEAR(m.Image1.rect.Width, before.Width, 0.01);
    EXPECT_NEAR(m.Image1.rect.Height, before.Height, 0.01);
    EXPECT_NEAR(m.Image1.rect.Left, before.Left, 0.01);
    EXPECT_NEAR(m.Image1.rect.Top, before.Top, 0.01);
    EXPECT_NEAR(m.s.scaleX, 1.0f, 1e-6);
    EXPECT_NEAR(m.s.scaleY, 1.0f, 1e-6);

    // Speed 0.5: one step in is 1.5 times, one step out two thirds.
    m.s.scrollSpeed = 0.5f;
    MapView v;
    ScriptedDialogs d;
    const double w0 = m.Image1.rect.Width;
    padClick(m, d, v, 1000, 100);  // zoom in
    EXPECT_NEAR(m.Image1.rect.Width, w0 * 1.5, 0.01);
    padClick(m, d, v, 1000, 700);  // zoom out
    padClick(m, d, v, 1000, 700);
    EXPECT_NEAR(m.Image1.rect.Width, w0 * 2 / 3, 0.01);

    // ZoomPic(1.0) only turns stretching on; a zero-sized image is left alone.
    m.Image1.Stretch = false;
    const TwipRect now = m.Image1.rect;
    ZoomPic(m, 1.0);
    EXPECT_TRUE(m.Image1.Stretch);
    EXPECT_EQ(m.Image1.rect.Width, now.Width);
    m.Image1.rect.Width = 0;
    const float sx = m.s.scaleX;
    ZoomPic(m, 2.0);
    EXPECT_EQ(m.Image1.rect.Width, 0);
    EXPECT_EQ(m.s.scaleX, sx);
}

TEST(View, ScrollModes)
{
    MapModel m = viewWithPicture();
    ScrollPic(m, 0);
    EXPECT_FLOAT_EQ(float(m.Image1.rect.Top), 750 + 450);
    ScrollPic(m, 1);
    ScrollPic(m, 1);
    EXPECT_FLOAT_EQ(float(m.Image1.rect.Top), 750 - 450);
    ScrollPic(m, 2);
    EXPECT_FLOAT_EQ(float(m.Image1.rect.Left), 1500 + 600);
    ScrollPic(m, 3);
    ScrollPic(m, 3);
    EXPECT_FLOAT_EQ(float(m.Image1.rect.Left), 1500 - 600);
    const TwipRect before = m.Image1.rect;
    for (std::int16_t mode : {5, -1, 100}) ScrollPic(m, mode);
    EXPECT_EQ(m.Image1.rect.Left, before.Left);
    EXPECT_EQ(m.Image1.rect.Top, before.Top);
    ScrollPic(m, 4);
    EXPECT_EQ(m.Image1.rect.Left, 3000);
    EXPECT_EQ(m.Image1.rect.Top, 2250);
    // Nothing keeps the picture in sight.
    for (int i = 0; i < 40; ++i) ScrollPic(m, 3);
    EXPECT_LT(m.Image1.rect.Left + m.Image1.rect.Width, 0);
}

TEST(View, PadRegions)
{
    const float W = 1080, H = 810;
    const float h33 = float(0.33 * H), h66 = float(0.66 * H), w22 = float(0.22 * W), w44 = float(0.44 * W);
    EXPECT_EQ(padRegion(W, H, 350, 100), PadRegion::Up);
    EXPECT_EQ(padRegion(W, H, 350, 700), PadRegion::Down);
    EXPECT_EQ(padRegion(W, H, 100, 400), PadRegion::Left);
    EXPECT_EQ(padRegion(W, H, 600, 400), PadRegion::Right);
    EXPECT_EQ(padRegion(W, H, 350, 400), PadRegion::Centre);
    EXPECT_EQ(padRegion(W, H, 900, 100), PadRegion::ZoomIn);
    EXPECT_EQ(padRegion(W, H, 900, 700), PadRegion::ZoomOut);
    // Exactly on a boundary: no region.
    EXPECT_EQ(padRegion(W, H, 350, h33), PadRegion::None);
    EXPECT_EQ(padRegion(W, H, 350, h66), PadRegion::None);
    EXPECT_EQ(padRegion(W, H, w22, 400), PadRegion::None);
    EXPECT_EQ(padRegion(W, H, w44, 100), PadRegion::None);
    EXPECT_EQ(padRegion(W, H, float(0.66 * W), 100), PadRegion::None);
    EXPECT_EQ(padRegion(W, H, 900, float(0.5 * H)), PadRegion::None);
    // Just inside the boundary.
    EXPECT_EQ(padRegion(W, H, 350, std::nextafter(h33, 0.0f)), PadRegion::Up);
    // Corners outside the cross.
    EXPECT_EQ(padRegion(W, H, 100, 100), PadRegion::None);
    EXPECT_EQ(padRegion(W, H, 600, 100), PadRegion::None);
}

TEST(View, LockedPadShowsItsMessage)
{
    MapModel m = viewWithPicture();
    MapView v;
    ScriptedDialogs d;
    const TwipRect before = m.Image1.rect;
    m.s.panZoomAllowed = false;  // as after "Start Area"
    for (auto [x, y] : {std::pair{350.f, 100.f}, {900.f, 100.f}, {10.f, 10.f}}) padClick(m, d, v, x, y);
    ASSERT_EQ(d.messages().size(), 3u);
    for (const QString& text : d.messages()) EXPECT_EQ(text, "No resizing or scrolling after scale has been set");
    EXPECT_EQ(m.Image1.rect.Top, before.Top);
    EXPECT_EQ(m.Image1.rect.Width, before.Width);

    // The plain pixel scale keeps the pad working; a pixel-pair scale does not.
    m.s.pixelScale = true;
    EXPECT_FALSE(padLocked(m.s));
    padClick(m, d, v, 350, 100);
    EXPECT_EQ(d.messages().size(), 3u);
    EXPECT_GT(m.Image1.rect.Top, before.Top);
    m.s.pixelPairScale = true;
    EXPECT_TRUE(padLocked(m.s));
    m.s.panZoomAllowed = true;
    EXPECT_FALSE(padLocked(m.s));
}

TEST(View, ResizeLaysOutViewportPadAndFirstImage)
{
    MapModel m;
    MapView v;
    Form_Resize(m, v, 0.4, 0, 11999.6, 8000.2, false);
    EXPECT_EQ(m.UserControlPic1.Left, 0);
    EXPECT_EQ(m.UserControlPic1.Width, 12000);
    EXPECT_EQ(m.UserControlPic1.Height, 8000);
    EXPECT_EQ(m.Image1.rect.Width, 12000);  // the first layout sizes the image too
    EXPECT_EQ(v.img4Way.Left, 12000 - v.img4Way.Width);
    EXPECT_EQ(v.img4Way.Top, 8000 - v.img4Way.Height);

    m.Image1.rect = TwipRect{300, 200, 6000, 4000};
    ZoomPic(m, 2);
    const TwipRect zoomed = m.Image1.rect;
    Form_Resize(m, v, 0, 0, 9000, 6000, false);  // the window resized: the zoom stays
    EXPECT_EQ(m.UserControlPic1.Width, 9000);
    EXPECT_EQ(v.img4Way.Left, 9000 - v.img4Way.Width);
    EXPECT_EQ(m.Image1.rect.Left, zoomed.Left);
    EXPECT_EQ(m.Image1.rect.Width, zoomed.Width);
    EXPECT_TRUE(m.Image1.Stretch);

    Form_Resize(m, v, 0, 0, 9000, 6000, true);  // a new picture: natural size again
    EXPECT_FALSE(m.Image1.Stretch);
    fitNaturalSize(m, QSize(40, 30));
    EXPECT_EQ(m.Image1.rect.Width, 600);
    EXPECT_EQ(m.Image1.rect.Height, 450);
    EXPECT_FLOAT_EQ(m.s.scaleX, 0.5f);  // the scale factors are not touched
}

TEST(View, RepaintDrawsOnlyTheVisiblePart)
{
    const QSize picture(12000, 9000);
    const QRect viewport(0, 0, 1920, 1080);
    // At its natural size, 100 pixels left and 50 up of the viewport's corner.
    TwipRect image{-1500, -750, 12000 * 15.0, 9000 * 15.0};
    PicturePaint p = planPicturePaint(image, false, picture, viewport);
    EXPECT_EQ(p.target, viewport);
    EXPECT_EQ(p.source, QRectF(100, 50, 1920, 1080));

    // Zoomed 3.5 times: the source is the viewport's size divided by 3.5.
    image.Width *= 3.5;
    image.Height *= 3.5;
    p = planPicturePaint(image, true, picture, viewport);
    EXPECT_EQ(p.target, viewport);
    EXPECT_NEAR(p.source.width(), 1920 / 3.5, 1e-9);
    EXPECT_NEAR(p.source.left(), 100 / 3.5, 1e-9);

    // A small picture in the middle covers only its own pixels; a damaged strip only that.
    const TwipRect small{15 * 100, 15 * 200, 15 * 40, 15 * 30};
    p = planPicturePaint(small, false, QSize(40, 30), viewport);
    EXPECT_EQ(p.target, QRect(100, 200, 40, 30));
    EXPECT_EQ(p.source, QRectF(0, 0, 40, 30));
    p = planPicturePaint(small, false, QSize(40, 30), QRect(110, 0, 5, 1080));
    EXPECT_EQ(p.target, QRect(110, 200, 5, 30));
    EXPECT_EQ(p.source, QRectF(10, 0, 5, 30));
    // Out of sight, or no picture: nothing.
    EXPECT_TRUE(planPicturePaint(TwipRect{-99999, 0, 600, 450}, false, QSize(40, 30), viewport).target.isEmpty());
    EXPECT_TRUE(planPicturePaint(small, false, QSize(), viewport).target.isEmpty());
    EXPECT_EQ(imagePixels(small, viewport), QRect(100, 200, 40, 30));

    // The painted pixels are the picture's, scaled by nearest pixels.
    QImage pic(4, 2, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x) {
        pic.setPixel(x, 0, qRgb(x * 60, 0, 0));
        pic.setPixel(x, 1, qRgb(0, x * 60, 0));
    }
    QImage canvas(20, 10, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        paintPicture(painter, pic, TwipRect{15 * 2, 15 * 1, 15 * 8, 15 * 4}, true, canvas.rect(), QPoint());
    }
    EXPECT_EQ(canvas.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(2, 1), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.pixel(9, 2), qRgb(180, 0, 0));
    EXPECT_EQ(canvas.pixel(9, 4), qRgb(0, 180, 0));
    EXPECT_EQ(canvas.pixel(10, 4), qRgb(255, 255, 255));
}

TEST(View, OwnScalingMatchesNearestPixels)
{
    // A picture whose pixels name their own place.
    QImage pic(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x) pic.setPixel(x, y, qRgb(x % 256, y, x / 256));
    auto placeOf = [](QRgb c) { return QPoint(qRed(c) + 256 * qBlue(c), qGreen(c)); };

    // Large enough to be shared among threads, magnified 2.5 times from (10.2, 19.4).
    QImage dst(800, 600, QImage::Format_RGB32);
    dst.fill(Qt::black);
    const QRect target(0, 0, 700, 450);
    const QRectF source(10.2, 19.4, 280, 180);
    scaleNearest(dst, target, dst.rect(), pic, source);
    for (QPoint at : {QPoint(0, 0), QPoint(1, 1), QPoint(699, 449), QPoint(350, 225), QPoint(123, 401)}) {
        const QPoint want(int(std::floor(10.2 + (at.x() + 0.5) * 0.4)), int(std::floor(19.4 + (at.y() + 0.5) * 0.4)));
        EXPECT_EQ(placeOf(dst.pixel(at)), want) << at.x() << "," << at.y();
    }
    EXPECT_EQ(dst.pixel(700, 10), qRgb(0, 0, 0));  // outside the target nothing is written
    EXPECT_EQ(dst.pixel(10, 450), qRgb(0, 0, 0));

    // Only inside the clip; at the picture's own size rows are copied as they are.
    dst.fill(Qt::black);
    scaleNearest(dst, QRect(5, 5, 300, 200), QRect(50, 60, 10, 10), pic, QRectF(0, 0, 300, 200));
    EXPECT_EQ(placeOf(dst.pixel(50, 60)), QPoint(45, 55));
    EXPECT_EQ(placeOf(dst.pixel(59, 69)), QPoint(54, 64));
    EXPECT_EQ(dst.pixel(49, 60), qRgb(0, 0, 0));
    EXPECT_EQ(dst.pixel(60, 60), qRgb(0, 0, 0));

    // Reduced to a quarter: 80 x 50 target pixels from the whole picture.
    dst.fill(Qt::black);
    scaleNearest(dst, QRect(0, 0, 75, 50), dst.rect(), pic, QRectF(0, 0, 300, 200));
    EXPECT_EQ(placeOf(dst.pixel(0, 0)), QPoint(2, 2));
    EXPECT_EQ(placeOf(dst.pixel(74, 49)), QPoint(298, 198));
}

TEST(View, FarZoomedOutDrawsFromAveragedLevels)
{
    // 2400 x 1800: big enough for a reduced level (600 x 450) of 4 x 4 averages.
    QImage stripes(2400, 1800, QImage::Format_RGB32);
    for (int x = 0; x < 2400; ++x) {
        const QRgb c = x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        for (int y = 0; y < 1800; ++y) stripes.setPixel(x, y, c);
    }
    const MapPicture picture(stripes);
    ASSERT_EQ(picture.levelCount(), 1);
    EXPECT_EQ(picture.level(0).size(), QSize(600, 450));
    EXPECT_EQ(picture.level(0).pixel(10, 10), qRgb(128, 128, 128));

    // At a quarter of its size the stripes show as their average grey, not as one of them.
    QImage canvas(600, 450, QImage::Format_RGB32);
    canvas.fill(Qt::red);
    {
        QPainter p(&canvas);
        paintPicture(p, picture, TwipRect{0, 0, 600 * 15.0, 450 * 15.0}, true, canvas.rect(), QPoint());
    }
    EXPECT_EQ(canvas.pixel(300, 200), qRgb(128, 128, 128));
    // At its own size the picture's pixels are drawn.
    {
        QPainter p(&canvas);
        paintPicture(p, picture, TwipRect{0, 0, 2400 * 15.0, 1800 * 15.0}, true, canvas.rect(), QPoint());
    }
    EXPECT_EQ(canvas.pixel(301, 200), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(300, 200), qRgb(0, 0, 0));

    // Edge blocks of a size not divisible by four average what they hold.
    QImage odd(5, 2, QImage::Format_RGB32);
    odd.fill(qRgb(100, 100, 100));
    odd.setPixel(4, 0, qRgb(200, 0, 0));
    odd.setPixel(4, 1, qRgb(0, 0, 0));
    const QImage reduced = reduceByFour(odd);
    EXPECT_EQ(reduced.size(), QSize(2, 1));
    EXPECT_EQ(reduced.pixel(0, 0), qRgb(100, 100, 100));
    EXPECT_EQ(reduced.pixel(1, 0), qRgb(100, 0, 0));
}
