// The picture menu's rules: save names and kinds, the speed reply (bitmap files:
// picture_menu_window_test.cpp).
#include <gtest/gtest.h>

#include "map/picture/picture_menu.h"

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
