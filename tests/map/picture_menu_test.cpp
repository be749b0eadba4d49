// The picture menu's rules: save names and kinds, the speed reply, clearing the map, bitmap files.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include "common/runtime_error.h"
#include "map/map_model.h"
#include "map/picture_menu.h"
#include "map/map_fixture.h"

using namespace corv;

TEST(PictureMenu, SaveNamesAndKinds)
{
    EXPECT_EQ(defaultSaveName(0), "Corvan0.jpg");
    EXPECT_EQ(defaultSaveName(3), "Corvan3.jpg");
    EXPECT_TRUE(savesAsJpeg("map.JPG"));
    EXPECT_TRUE(savesAsJpeg("a.jpg.bmp"));
    EXPECT_TRUE(savesAsJpeg("/home/x/Corvan0.jpg"));
    EXPECT_FALSE(savesAsJpeg("map.jpeg"));
    EXPECT_FALSE(savesAsJpeg("map.png"));
    EXPECT_FALSE(savesAsJpeg("map"));
}

TEST(PictureMenu, ScrollSpeedReplies)
{
    EXPECT_EQ(scrollSpeedFromReply("0.5"), 0.5f);
    EXPECT_EQ(scrollSpeedFromReply("0.2 fast"), 0.2f);
    EXPECT_EQ(scrollSpeedFromReply(" .1"), 0.1f);
    EXPECT_EQ(scrollSpeedFromReply("0.50000001"), 0.5f);  // rounded to single precision first
    for (const char* ignored : {"0.51", "0", "-0.1", "fast", "1e300", "-1e300", "0.5000001"})
        EXPECT_FALSE(scrollSpeedFromReply(ignored).has_value()) << ignored;
}

TEST(PictureMenu, ClearingTheMapRemovesEveryFigureAndLabel)
{
    test::MapFixture f;
    MapModel& m = f.m;
    for (long i = 1; i <= 6; ++i) m.Line1.load(i).Visible = true;
    m.Line1(0).Visible = true;
    m.Label1.resize(3);
    m.Label1[0].Visible = true;
    m.Label1[0].Caption = "Area1";
    m.Shape1.Visible = m.Shape2.Visible = true;
    m.s.segmentIndex = 6;
    m.s.traceCount = 2;
    m.s.areaCount = 2;
    m.s.lastPointX = 5;
    m.s.lastTraceType = 2;
    m.s.areaCentroidX = 7;
    m.s.scaleX = 0.25f;

    m.s.traceStart(1) = 1;
    m.s.traceStart(2) = 4;
    clearMapFigures(m, f.ops);
    EXPECT_EQ(m.Line1.loadedCount(), 1);
    EXPECT_FALSE(m.Line1(0).Visible);
    EXPECT_EQ(m.Label1.size(), 1u);
    EXPECT_FALSE(m.Label1[0].Visible);
    EXPECT_FALSE(m.Shape1.Visible);
    EXPECT_FALSE(m.Shape2.Visible);
    EXPECT_EQ(m.s.segmentIndex, 0);
    EXPECT_EQ(m.s.traceCount, 0);
    EXPECT_EQ(m.s.areaCount, 0);
    EXPECT_EQ(m.s.lastPointX, 0);
    EXPECT_EQ(m.s.centroidX, 7);
    EXPECT_EQ(m.s.scaleX, 0.25f);  // the scale stays
    EXPECT_TRUE(f.ops.dlg.messages().empty());
}

TEST(PictureMenu, BitmapFiles)
{
    QTemporaryDir dir;
    QImage picture(13, 7, QImage::Format_ARGB32_Premultiplied);
    picture.fill(qRgb(10, 200, 30));
    for (const char* name : {"map.jpeg", "map.png", "map"}) {
        const QString path = dir.filePath(name);
        saveBitmapFile(picture, path);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_TRUE(bytes.startsWith("BM")) << name;
        EXPECT_EQ(bytes[28], 24) << name;  // bits per pixel
        const QImage back(path, "bmp");
        EXPECT_EQ(back.size(), picture.size());
        EXPECT_EQ(back.pixel(12, 6), qRgb(10, 200, 30));
    }
    EXPECT_THROW(saveBitmapFile(picture, dir.filePath("missing/folder/x.bmp")), RuntimeError);
}
