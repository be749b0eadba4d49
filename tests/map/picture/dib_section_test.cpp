// cDIBSection: row size, handles, and the bottom-up BGR copy of a picture.
#include <gtest/gtest.h>

#include <QImage>

#include "map/picture/dib_section.h"

using corv::cDIBSection;

namespace {
QImage patterned(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x % 251, y % 241, (x * 7 + y * 3) % 239));
    return img.convertToFormat(format);
}

// The pixel (x, y) of the picture as the DIB holds it (rows counted from the bottom, blue first).
QRgb dibPixel(const cDIBSection& dib, int x, int y)
{
    const std::uint8_t* p = dib.DIBSectionBitsPtr() + std::size_t(dib.Height() - 1 - y) * dib.BytesPerScanLine() + x * 3;
    return qRgb(p[2], p[1], p[0]);
}
}  // namespace

TEST(DibSection, RowsCreateTwiceClearUpAndFailures)
{
    const long before = cDIBSection::liveSections();
    cDIBSection dib;
    for (auto [width, bytes] : {std::pair{1, 4}, {3, 12}, {4, 12}, {5, 16}, {8, 24}}) {
        ASSERT_TRUE(dib.Create(width, 2));  // the one before is released
        EXPECT_EQ(std::pair(dib.BytesPerScanLine(), dib.header().biSizeImage), std::pair(bytes, std::uint32_t(bytes * 2)));
        EXPECT_EQ(cDIBSection::liveSections(), before + 1);
    }
    dib.CreateFromPicture(patterned(5, 3));  // the copy itself writes the zero filler
    for (int row = 0; row < 3; ++row) EXPECT_EQ(dib.DIBSectionBitsPtr()[row * 16 + 15], 0);
    dib.ClearUp();  // drops the handles and keeps the size; twice is harmless
    dib.ClearUp();
    EXPECT_TRUE(dib.hdc() == 0 && dib.hDib() == 0 && dib.DIBSectionBitsPtr() == nullptr);
    EXPECT_EQ(std::tuple(dib.Width(), dib.Height(), dib.BytesPerScanLine()), std::tuple(5, 3, 16));
    EXPECT_EQ(cDIBSection::liveSections(), before);

    cDIBSection bad;  // refused sizes leave it empty; copying into nothing does nothing
    for (auto [w, h] : {std::pair{0, 5}, {5, -1}, {100000, 100000}}) EXPECT_FALSE(bad.Create(w, h));
    bad.CreateFromPicture(QImage());
    bad.LoadPictureBlt(patterned(4, 4));
    EXPECT_EQ(std::pair(bad.hDib(), cDIBSection::liveSections()), std::pair(0, before));
}

TEST(DibSection, PicturesOfEachFormatAreStoredBottomRowFirst)
{
    // The bottom row first in memory, blue first; every row, as a copy this large is
    // shared out in bands of rows and the last band is a short one.
    for (auto format : {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_ARGB32, QImage::Format_Indexed8,
                        QImage::Format_RGB16}) {
        const QImage picture = patterned(800, 600, format);
        cDIBSection dib;
        dib.CreateFromPicture(picture);
        const auto& h = dib.header();
        EXPECT_EQ(std::tuple(h.biSize, h.biPlanes, h.biBitCount, h.biCompression, h.biSizeImage),
                  std::tuple(40u, std::uint16_t(1), std::uint16_t(24), 0u, 2400u * 600));
        for (int y = 0; y < 600; ++y)
            for (int x : {0, 1, 5, 798, 799}) ASSERT_EQ(dibPixel(dib, x, y), picture.pixel(x, y)) << x << "," << y << " " << format;
    }
}

TEST(DibSection, PartOfAPicture)
{
    // A part of a larger picture from (10, 20); what lies outside the picture stays black.
    const QImage big = patterned(50, 40);
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(45, 25));
    dib.LoadPictureBlt(big, 10, 20, -1, -1, corv::SRCCOPY);
    EXPECT_EQ(std::pair(dibPixel(dib, 0, 0), dibPixel(dib, 39, 19)), std::pair(big.pixel(10, 20), big.pixel(49, 39)));
    EXPECT_EQ(std::pair(dibPixel(dib, 40, 0), dibPixel(dib, 0, 20)), std::pair(qRgb(0, 0, 0), qRgb(0, 0, 0)));
}
