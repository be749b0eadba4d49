// The picture menu's rules: save names and kinds, the speed reply, bitmap files.
#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include "common/runtime_error.h"
#include "map/picture/picture_menu.h"
#include "map/map_fixture.h"

using namespace corv;

TEST(PictureMenu, SaveNamesAndKinds)
{
    EXPECT_EQ(defaultSaveName(3), "Corvan3.jpg");
    for (const char* jpegName : {"map.JPG", "a.jpg.bmp", "/home/x/Corvan0.jpg"}) EXPECT_TRUE(savesAsJpeg(jpegName)) << jpegName;
    for (const char* bitmapName : {"map.jpeg", "map.png", "map"}) EXPECT_FALSE(savesAsJpeg(bitmapName)) << bitmapName;
}

TEST(PictureMenu, ScrollSpeedReplies)
{
    for (auto [reply, speed] : {std::pair{"0.5", 0.5f}, {"0.2 fast", 0.2f}, {" .1", 0.1f},
                                {"0.50000001", 0.5f}})  // rounded to single precision first
        EXPECT_EQ(scrollSpeedFromReply(reply), speed) << reply;
    for (const char* ignored : {"0.51", "0", "-0.1", "fast", "1e300", "-1e300", "0.5000001"})
        EXPECT_FALSE(scrollSpeedFromReply(ignored).has_value()) << ignored;
}

// Through the menu, under any name but a .jpg one, and failing: picture_menu_window_test.cpp
// (each failure of the save path: save_file_test.cpp).
TEST(PictureMenu, BitmapFiles)
{
    QTemporaryDir dir;
    QImage picture(13, 7, QImage::Format_ARGB32_Premultiplied);
    picture.fill(qRgb(10, 200, 30));
    const QString path = dir.filePath("map.jpeg");
    saveBitmapFile(picture, path);
    const QByteArray bytes = test::readAll(path);
    EXPECT_TRUE(bytes.startsWith("BM") && bytes[28] == 24);  // 24 bits per pixel
    const QImage back(path, "bmp");
    EXPECT_TRUE(back.size() == picture.size() && back.pixel(12, 6) == qRgb(10, 200, 30));
}
