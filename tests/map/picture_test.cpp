// Map pictures: bitmap, GIF, JPEG and metafile samples, and the failures of loading.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "common/runtime_error.h"
#include "map/picture.h"

using corv::MapPicture;
using corv::RuntimeError;

namespace {
QString sample(const char* name) { return QStringLiteral(TEST_DATA_DIR "/") + name; }

bool near(QRgb c, int r, int g, int b, int tolerance)
{
    return std::abs(qRed(c) - r) <= tolerance && std::abs(qGreen(c) - g) <= tolerance &&
           std::abs(qBlue(c) - b) <= tolerance;
}

int countPixels(const QImage& img, int r, int g, int b, int tolerance)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += near(img.pixel(x, y), r, g, b, tolerance);
    return n;
}

int loadError(const QString& path)
{
    try {
        MapPicture::load(path);
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}
}  // namespace

TEST(Picture, LoadsBitmapGifAndJpeg)
{
    for (const char* name : {"sample.bmp", "sample.gif", "sample.jpg"}) {
        const MapPicture pic = MapPicture::load(sample(name));
        ASSERT_FALSE(pic.isNull()) << name;
        EXPECT_EQ(pic.width(), 40) << name;
        EXPECT_EQ(pic.height(), 30) << name;
        // JPEG halves the colour resolution: a three-pixel river loses some of its blue.
        const int tolerance = QByteArray(name).endsWith("jpg") ? 70 : 0;
        EXPECT_TRUE(near(pic.image().pixel(5, 5), 220, 30, 30, tolerance)) << name;      // the red square
        EXPECT_TRUE(near(pic.image().pixel(30, 3), 255, 255, 255, tolerance)) << name;   // ground
        EXPECT_TRUE(near(pic.image().pixel(20, 15), 30, 60, 200, tolerance)) << name;    // the river
        // Kept in a format the painter draws from without converting.
        EXPECT_TRUE(pic.image().format() == QImage::Format_RGB32 ||
                    pic.image().format() == QImage::Format_ARGB32_Premultiplied);
    }
}

TEST(Picture, LoadsMetafiles)
{
    // Placeable: one inch by three quarters, at the screen's 96 dots per inch.
    const MapPicture placeable = MapPicture::load(sample("sample.wmf"));
    ASSERT_FALSE(placeable.isNull());
    EXPECT_EQ(placeable.width(), 96);
    EXPECT_EQ(placeable.height(), 72);
    const QImage& img = placeable.image();
    EXPECT_GT(countPixels(img, 200, 30, 30, 50), 40);   // red boundary
    EXPECT_GT(countPixels(img, 30, 60, 200, 50), 40);   // blue river
    EXPECT_GT(countPixels(img, 0, 0, 0, 60), 20);       // the text "Basin", drawn with a URW font
    EXPECT_TRUE(near(img.pixel(48, 10), 255, 255, 255, 0));

    // Without a placeable header its window extent (1000 x 750) gives the size.
    const MapPicture plain = MapPicture::load(sample("sample_nonplaceable.wmf"));
    ASSERT_FALSE(plain.isNull());
    EXPECT_EQ(plain.width(), 1000);
    EXPECT_EQ(plain.height(), 750);
}

TEST(Picture, MetafileWithoutPlaceableHeaderGetsASensibleSize)
{
    QFile f(sample("sample_nonplaceable.wmf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray data = f.readAll();
    // Patch the window extent (first SetWindowExt record) to tiny and to huge.
    const qsizetype at = data.indexOf(QByteArray("\x0C\x02", 2));
    ASSERT_GT(at, 0);
    auto withExtent = [&](qint16 x, qint16 y) {
        QByteArray d = data;
        memcpy(d.data() + at + 2, &y, 2);
        memcpy(d.data() + at + 4, &x, 2);
        return corv::renderMetafile(d);
    };
    const QImage tiny = withExtent(20, 10);
    EXPECT_EQ(tiny.width(), 1024);
    EXPECT_EQ(tiny.height(), 512);
    const QImage huge = withExtent(30000, 15000);
    EXPECT_EQ(huge.width(), 1024);
    EXPECT_EQ(huge.height(), 512);
    EXPECT_TRUE(corv::isMetafile(data));
    EXPECT_FALSE(corv::isMetafile("BM not a metafile at all"));
}

TEST(Picture, LoadFailures)
{
    EXPECT_TRUE(MapPicture::load(QString()).isNull());  // an empty name: an empty picture
    EXPECT_EQ(loadError(sample("no such picture.bmp")), 53);

    QTemporaryDir dir;
    auto write = [&](const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return dir.filePath(name);
    };
    EXPECT_EQ(loadError(write("notes.bmp", "these are not pixels\n")), 481);
    QFile bmp(sample("sample.bmp"));
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
    EXPECT_EQ(loadError(write("cut.bmp", bmp.read(40))), 481);  // cut off inside the header
    QByteArray badWmf(40, '\0');
    badWmf[0] = 1;
    badWmf[2] = 9;
    badWmf[5] = 3;
    EXPECT_EQ(loadError(write("bad.wmf", badWmf)), 481);
    EXPECT_EQ(loadError(dir.path()), 53);  // a folder is no picture file
}

TEST(Picture, KeepsOneDrawableCopy)
{
    QImage indexed(4, 3, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(1, 2, 3)});
    indexed.fill(0);
    const MapPicture fromIndexed(indexed);
    EXPECT_EQ(fromIndexed.image().format(), QImage::Format_RGB32);
    EXPECT_EQ(fromIndexed.image().pixel(3, 2), qRgb(1, 2, 3));

    QImage argb(4, 3, QImage::Format_ARGB32);
    argb.fill(qRgba(255, 0, 0, 128));
    EXPECT_EQ(MapPicture(argb).image().format(), QImage::Format_ARGB32_Premultiplied);

    QImage rgb(4, 3, QImage::Format_RGB32);
    rgb.fill(Qt::green);
    const MapPicture shared(rgb);
    EXPECT_EQ(shared.image().constBits(), rgb.constBits());  // no copy made
}
