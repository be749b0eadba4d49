// SaveDibToJpegFile: the encoded picture, its orientation, and replacing files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/runtime_error.h"
#include "map/dib_section.h"
#include "map/jpeg_writer.h"

using corv::cDIBSection;
using corv::RuntimeError;
namespace jpeg = corv::mIntelJPEGLibrary;

namespace {
// A smooth picture with a distinct top band, so orientation and error both show.
QImage testPicture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, y < h / 4 ? qRgb(220, 40, 40) : qRgb(40 + x * 150 / w, 60 + y * 120 / h, 200));
    return img;
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

struct stat statOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    return st;
}

void setTimes(const QString& path, time_t atime, time_t mtime)
{
    const struct timespec t[2] = {{atime, 123456789}, {mtime, 987654321}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), t, 0), 0);
}
}  // namespace

TEST(JpegWriter, RecordDescribesTheDib)
{
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(5, 3));
    auto p = jpeg::propertiesFor(dib, "x.jpg", 90);
    EXPECT_EQ(p.DIBWidth, 5);
    EXPECT_EQ(p.DIBHeight, -3);  // bottom-up
    EXPECT_EQ(p.DIBPadBytes, 1);
    EXPECT_EQ(p.DIBBytes, dib.DIBSectionBitsPtr());
    EXPECT_EQ(p.JPGWidth, 5);
    EXPECT_EQ(p.JPGHeight, 3);
    EXPECT_EQ(p.jquality, 90);
    EXPECT_EQ(p.JPGFile, "x.jpg");
    ASSERT_TRUE(dib.Create(4, 3));
    EXPECT_EQ(jpeg::propertiesFor(dib, "x.jpg", 90).DIBPadBytes, 0);
}

TEST(JpegWriter, TopRowFirstAndPixelsWithinJpegError)
{
    QTemporaryDir dir;
    for (int width : {64, 61}) {  // no filler bytes, and one filler byte a row
        const QImage picture = testPicture(width, 48);
        cDIBSection dib;
        dib.CreateFromPicture(picture);
        const QString name = dir.filePath(QStringLiteral("map%1.jpg").arg(width));
        EXPECT_TRUE(jpeg::SaveDibToJpegFile(dib, name, 90));

        QImageReader reader(name);
        EXPECT_EQ(reader.format(), "jpeg");
        const QImage back = reader.read().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(back.size(), picture.size());
        double total = 0;
        int worst = 0;
        for (int y = 0; y < back.height(); ++y)
            for (int x = 0; x < back.width(); ++x) {
                const QRgb a = picture.pixel(x, y), b = back.pixel(x, y);
                const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                        std::abs(qBlue(a) - qBlue(b))});
                worst = std::max(worst, d);
                total += d;
            }
        EXPECT_LT(total / (back.width() * back.height()), 4.0);
        EXPECT_LT(worst, 60);  // only at the sharp edge of the top band
        // The red band is at the top of the file, as in the picture.
        EXPECT_GT(qRed(back.pixel(width / 2, 2)), 190);
        EXPECT_LT(qBlue(back.pixel(width / 2, 2)), 80);
        EXPECT_GT(qBlue(back.pixel(width / 2, 45)), 170);
    }
}

TEST(JpegWriter, NewFileGetsTheDefaultMode)
{
    QTemporaryDir dir;
    const mode_t mask = ::umask(022);
    cDIBSection dib;
    dib.CreateFromPicture(testPicture(8, 8));
    const QString name = dir.filePath("new.jpg");
    EXPECT_TRUE(jpeg::SaveDibToJpegFile(dib, name, 90));
    ::umask(mask);
    EXPECT_EQ(statOf(name).st_mode & 07777, 0644u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);  // no file left beside it
}

TEST(JpegWriter, ReplacingAWritableFileKeepsItsTimesAndMode)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("old.jpg");
    writeFile(name, "old bytes");
    ASSERT_EQ(::chmod(QFile::encodeName(name).constData(), 0640), 0);
    setTimes(name, 1000000000, 1100000000);
    const struct stat before = statOf(name);

    cDIBSection dib;
    dib.CreateFromPicture(testPicture(16, 16));
    EXPECT_TRUE(jpeg::SaveDibToJpegFile(dib, name, 90));

    const struct stat after = statOf(name);
    EXPECT_TRUE(contents(name).startsWith("\xFF\xD8"));
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_atim.tv_sec, before.st_atim.tv_sec);
    EXPECT_EQ(after.st_atim.tv_nsec, before.st_atim.tv_nsec);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_NE(after.st_ino, before.st_ino);  // a new file took the name
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(JpegWriter, ReadOnlyFileIsRefusedAndKept)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("locked.jpg");
    writeFile(name, "precious old bytes");
    ASSERT_EQ(::chmod(QFile::encodeName(name).constData(), 0444), 0);

    cDIBSection dib;
    dib.CreateFromPicture(testPicture(16, 16));
    try {
        jpeg::SaveDibToJpegFile(dib, name, 90);
        FAIL() << "a read-only file was replaced";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 75);
        EXPECT_STREQ(e.what(), "Path/File access error");
    }
    EXPECT_EQ(contents(name), QByteArray("precious old bytes"));
    EXPECT_EQ(statOf(name).st_mode & 07777, 0444u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(JpegWriter, FailuresRaise26001AndKeepTheOldFile)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("keep.jpg");
    writeFile(name, "old bytes");

    cDIBSection empty;  // holds no DIB: the encoder refuses it
    try {
        jpeg::SaveDibToJpegFile(empty, name, 90);
        FAIL() << "an empty DIB was written";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 26001);
        EXPECT_EQ(e.source(), "Corvantine.mIntelJPEGLibrary");
        EXPECT_TRUE(QString(e.what()).startsWith("Failed to save to JPG ")) << e.what();
    }
    EXPECT_EQ(contents(name), QByteArray("old bytes"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    cDIBSection dib;
    dib.CreateFromPicture(testPicture(4, 4));
    try {
        jpeg::SaveDibToJpegFile(dib, dir.filePath("no/such/folder/x.jpg"), 90);
        FAIL() << "wrote into a missing folder";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 26001);
        EXPECT_EQ(std::string(e.what()), "Failed to save to JPG " + std::to_string(ENOENT));
    }
}

TEST(JpegWriter, ReplacesTheFileALinkPointsTo)
{
    QTemporaryDir dir;
    const QString real = dir.filePath("real.jpg"), link = dir.filePath("link.jpg");
    writeFile(real, "old");
    ASSERT_EQ(::symlink(QFile::encodeName(real).constData(), QFile::encodeName(link).constData()), 0);
    cDIBSection dib;
    dib.CreateFromPicture(testPicture(4, 4));
    EXPECT_TRUE(jpeg::SaveDibToJpegFile(dib, link, 90));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(contents(real).startsWith("\xFF\xD8"));
}
