// Map pictures: bitmap, GIF, JPEG and metafile samples, and the failures of loading.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "support/error_number.h"
#include "map/picture/picture.h"
#include "map/map_fixture.h"

using namespace corv;
using test::near;

using test::sample;

namespace {
int countPixels(const QImage& img, QRgb colour, int tolerance)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += near(img.pixel(x, y), colour, tolerance);
    return n;
}
}  // namespace

TEST(Picture, LoadsBitmapGifAndJpegInADrawableFormat)
{
    for (const char* name : {"sample.bmp", "sample.gif", "sample.jpg"}) {
        const QImage pic = MapPicture::load(sample(name)).image();
        EXPECT_EQ(pic.size(), QSize(40, 30)) << name;
        // JPEG halves the colour resolution: a three-pixel river loses some of its blue.
        const int tolerance = QByteArray(name).endsWith("jpg") ? 70 : 0;
        EXPECT_TRUE(near(pic.pixel(5, 5), qRgb(220, 30, 30), tolerance) && near(pic.pixel(30, 3), qRgb(255, 255, 255), tolerance) &&
                    near(pic.pixel(20, 15), qRgb(30, 60, 200), tolerance)) << name;  // square, ground, river
        EXPECT_TRUE(pic.format() == QImage::Format_RGB32 || pic.format() == QImage::Format_ARGB32_Premultiplied);
    }
    QImage rgb(4, 3, QImage::Format_RGB32);  // one copy kept: an RGB32 picture is shared
    EXPECT_EQ(MapPicture(rgb).image().constBits(), rgb.constBits());
}

TEST(Picture, LoadsMetafilesWithASensibleSize)
{
    // Placeable: one inch by three quarters, at the screen's 96 dots per inch; boundary,
    // river and the text "Basin" drawn with a URW font.
    const QImage img = MapPicture::load(sample("sample.wmf")).image();
    EXPECT_EQ(img.size(), QSize(96, 72));
    EXPECT_TRUE(countPixels(img, qRgb(200, 30, 30), 50) > 40 && countPixels(img, qRgb(30, 60, 200), 50) > 40);
    EXPECT_TRUE(countPixels(img, qRgb(0, 0, 0), 60) > 20 && near(img.pixel(48, 10), qRgb(255, 255, 255), 0));

    // Without a placeable header its window extent (1000 x 750) gives the size; a tiny
    // or huge extent (the first SetWindowExt record patched) is brought to 1024 wide.
    const QByteArray data = test::readAll(sample("sample_nonplaceable.wmf"));
    EXPECT_EQ(MapPicture::load(sample("sample_nonplaceable.wmf")).image().size(), QSize(1000, 750));
    const qsizetype at = data.indexOf(QByteArray("\x0C\x02", 2));
    ASSERT_GT(at, 0);
    for (auto [x, y] : {std::pair<qint16, qint16>{20, 10}, {30000, 15000}}) {
        QByteArray d = data;
        memcpy(d.data() + at + 2, &y, 2);
        memcpy(d.data() + at + 4, &x, 2);
        EXPECT_EQ(renderMetafile(d).size(), QSize(1024, 512)) << x;
    }
    EXPECT_TRUE(isMetafile(data) && !isMetafile("BM not a metafile at all"));
}

TEST(Picture, LoadFailures)
{
    QTemporaryDir dir;
    QByteArray badWmf(40, '\0');
    badWmf[0] = 1;
    badWmf[2] = 9;
    badWmf[5] = 3;
    // A missing file and one that is no picture: map_picture_cancels.scn.
    const std::pair<QString, int> cases[] = {
        {dir.path(), 53},  // a folder is no picture file
        {test::writeFile(dir.filePath("bad.wmf"), badWmf), 481}};
    for (const auto& [path, number] : cases)
        EXPECT_EQ(test::errorNumber([&] { MapPicture::load(path); }), number) << path.toStdString();
    EXPECT_TRUE(MapPicture::load(QString()).isNull());  // an empty name: an empty picture
}
