// SaveDibToJpegFile: the encoded picture (its orientation with it), refusals and failures.
// Replacing a file (its mode, owner, times, links) is the one save path's:
// tests/common/save_file_test.cpp.
#include <gtest/gtest.h>

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdlib>

#include "common/runtime_error.h"
#include "map/picture/dib_section.h"
#include "map/picture/jpeg_writer.h"
#include "map/map_fixture.h"
#include "support/failing_save.h"

#include <jpeglib.h>

using corv::test::readAll;
using corv::test::writeFile;
namespace jpeg = corv::mIntelJPEGLibrary;

namespace {
struct JpegWriter : ::testing::Test {
    QTemporaryDir dir;
    // A grainy picture of an odd width (filler bytes a row) that makes over a megabyte
    // of JPEG, so that the output passes through the save in several pieces.
    QImage picture{1283, 900, QImage::Format_RGB32};
    corv::cDIBSection dib;
    JpegWriter()
    {
        QRandomGenerator rng(7);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, rng.generate() | 0xff000000u);
        dib.CreateFromPicture(picture);
    }
};
}  // namespace

// The file holds exactly what libjpeg-turbo makes of the same pixels, top row first, at
// the same quality with its defaults.
TEST_F(JpegWriter, FileIsLibjpegsOwnEncoding)
{
    const QString name = dir.filePath(QStringLiteral("grain.jpg"));
    ASSERT_TRUE(jpeg::SaveDibToJpegFile(dib, name, 90));

    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = JDIMENSION(picture.width());
    c.image_height = JDIMENSION(picture.height());
    c.input_components = 4;
    c.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = picture.scanLine(int(c.next_scanline));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    const QByteArray expected(reinterpret_cast<const char*>(mem), qsizetype(size));
    jpeg_destroy_compress(&c);
    std::free(mem);
    EXPECT_GT(expected.size(), 3 * 256 * 1024);
    EXPECT_TRUE(readAll(name) == expected) << readAll(name).size() << " bytes, expected " << expected.size();
}

TEST_F(JpegWriter, RefusalsAndFailuresKeepTheOldFile)
{
    const QString keep = writeFile(dir.filePath("keep.jpg"), "old bytes");
    corv::cDIBSection empty;  // no DIB: the encoder refuses it, as this module's error
    try {
        jpeg::SaveDibToJpegFile(empty, keep, 90);
        ADD_FAILURE() << "an empty picture was saved";
    } catch (const corv::RuntimeError& e) {
        EXPECT_EQ(std::pair(e.number(), e.source()), std::pair(26001, std::string("Corvantine.mIntelJPEGLibrary")));
        EXPECT_TRUE(std::string(e.what()).starts_with("Failed to save to JPG ")) << e.what();
    }
    EXPECT_EQ(readAll(keep), "old bytes");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.jpg"});

    // A full disk or a failed flush or rename, partway through the encoder's output
    // (the encoder is stopped early).
    corv::test::expectFailuresKeepOlder(keep, corv::test::durableFailures(300 * 1024), [&] {
        return corv::test::saveErrorOf([&] { jpeg::SaveDibToJpegFile(dib, keep, 90); });
    });
}
