// Map pictures: bitmap, GIF, JPEG and metafile samples and the failures of loading.
// Metafiles that crash or stall libwmf are drawn in the helper process and come back as
// "Invalid picture" in time; pictures whose data ends early are refused naming the
// file; pictures too large are refused before decoding.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <chrono>
#include <future>
#include <thread>

#include <unistd.h>

#include "support/error_number.h"
#include "map/picture/picture.h"
#include "map/picture/picture_check.h"
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

struct Outcome {
    int number = 0;
    std::string text;
    double seconds = 0;
};

Outcome loadOutcome(const QString& path)
{
    QElapsedTimer t;
    t.start();
    Outcome o;
    try {
        MapPicture::load(path);
    } catch (const RuntimeError& e) {
        o.number = e.number();
        o.text = e.what();
    }
    o.seconds = t.elapsed() / 1000.0;
    return o;
}

// The /proc/<pid>/limits text of every metafile helper this test runs.
std::vector<QString> helperLimits()
{
    std::vector<QString> found;
    const QByteArray parent = "\nPPid:\t" + QByteArray::number(getpid()) + "\n";
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray status = test::readAll("/proc/" + pid + "/status"), limits = test::readAll("/proc/" + pid + "/limits");
        if (status.startsWith("Name:\tcorvantine-meta") && status.contains(parent) && limits.startsWith("Limit"))
            found.push_back(QString::fromLatin1(limits));
    }
    return found;
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
}

TEST(Picture, LoadFailures)
{
    QTemporaryDir dir;
    // A missing file and one that is no picture: map_picture_cancels.scn.
    EXPECT_EQ(test::errorNumber([&] { MapPicture::load(dir.path()); }), 53);  // a folder is no picture file
    const QByteArray badWmf = QByteArray("\x01\x00\x09\x00\x00\x03", 6) + QByteArray(34, '\0');  // a header, no records
    EXPECT_EQ(test::errorNumber([&] { MapPicture::load(test::writeFile(dir.filePath("bad.wmf"), badWmf)); }), 481);
    EXPECT_TRUE(MapPicture::load(QString()).isNull());  // an empty name: an empty picture
}

TEST(DamagedPicture, MetafilesThatCrashOrStallTheLibraryReturnInTime)
{
    // Loaded side by side: a division by zero in the library, an endless loop and a
    // pen whose drawing takes about 15 s. The program's limit is 10 s.
    auto brush = std::async(std::launch::async, loadOutcome, sample("damaged_brush.wmf"));
    auto bitmap = std::async(std::launch::async, loadOutcome, sample("damaged_bitmap.wmf"));
    auto pen = std::async(std::launch::async, loadOutcome, sample("damaged_pen.wmf"));

    // While they work the helpers run under a CPU-time limit (the program may be gone)
    // and, outside sanitizer builds, an address-space limit.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const std::vector<QString> limits = helperLimits();
    EXPECT_GE(limits.size(), 2u);  // the crashed one may be gone already; on a busy machine it may not
    for (const QString& l : limits) {
        EXPECT_TRUE(l.contains(QRegularExpression(QStringLiteral("Max cpu time +12 +13 ")))) << l.toStdString();
#ifndef __SANITIZE_ADDRESS__
        EXPECT_TRUE(l.contains(QRegularExpression(QStringLiteral("Max address space +\\d+ +\\d+ ")))) << l.toStdString();
#endif
    }

    const Outcome outcomes[] = {brush.get(), bitmap.get(), pen.get()};
    for (const Outcome& o : outcomes) {
        EXPECT_EQ(std::pair(o.number, o.text), std::pair(481, std::string("Invalid picture")));
        EXPECT_LT(o.seconds, 11.5);
    }
    // The crash is seen at once; the stalls are stopped at the limit, not before.
    EXPECT_LT(outcomes[0].seconds, 5);
    EXPECT_GT(outcomes[1].seconds, 9.5);
    EXPECT_GT(outcomes[2].seconds, 9.5);
    // The program goes on: a good metafile loads after them.
    EXPECT_EQ(MapPicture::load(sample("sample.wmf")).image().size(), QSize(96, 72));
}

TEST(DamagedPicture, OnlyAWholeReplyOfAHelperThatEndedWellIsAPicture)
{
    QTemporaryDir dir;
    // 2 x 2 pixels, stored blue, green, red, alpha.
    const QByteArray header = R"(printf 'CVMF\002\000\000\000\002\000\000\000')";
    const QByteArray pixels = R"(printf '\001\002\003\377\377\377\377\377\000\000\000\377\100\200\300\377')";
    const QString good = test::writeScript(dir.filePath("good"), header + "; " + pixels);
    const QImage image = renderMetafile("metafile", 96, {good});
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(std::vector<QRgb>({image.pixel(0, 0), image.pixel(1, 0), image.pixel(0, 1), image.pixel(1, 1)}),
              std::vector<QRgb>({qRgb(3, 2, 1), qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(0xC0, 0x80, 0x40)}));

    const std::pair<QString, int> cases[] = {
        {test::writeScript(dir.filePath("short"), header + R"(; printf '\001\002\003\377')"), 481},
        {test::writeScript(dir.filePath("extra"), header + "; " + pixels + "; printf x"), 481},
        {test::writeScript(dir.filePath("failed"), header + "; " + pixels + "; exit 1"), 481},
        {test::writeScript(dir.filePath("killed"), header + "; kill -SEGV $$"), 481},
        {test::writeScript(dir.filePath("huge"), R"(printf 'CVMF\040\116\000\000\040\116\000\000')"), 481},  // 20000 x 20000
        {test::writeScript(dir.filePath("nomemory"), "exit 3"), 7},
    };
    for (const auto& [helper, number] : cases)
        EXPECT_EQ(test::errorNumber([&] { renderMetafile("metafile", 96, {helper}); }), number) << helper.toStdString();
}

TEST(DamagedPicture, AHelperThatDoesNotStartIsNamedNotTakenForABadPicture)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("no such helper"), unrunnable = dir.filePath("not a program");
    test::writeFile(unrunnable, "#!/bin/sh\n");  // no permission to run it
    for (const auto& [helper, text] :
         {std::pair{missing, "File not found: the metafile helper " + missing + " is missing"},
          {unrunnable, "Permission denied: the metafile helper " + unrunnable + " cannot be run"}}) {
        try {
            renderMetafile("metafile", 96, {helper});
            ADD_FAILURE() << "no error for " << helper.toStdString();
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.what(), text.toStdString());
        }
    }
}

TEST(DamagedPicture, DataThatEndsEarlyIsRefusedNamingTheFileBeforeDecoding)
{
    QTemporaryDir dir;
    const QByteArray jpg = test::readAll(sample("sample.jpg")), bmp = test::readAll(sample("sample.bmp")),
                     gif = test::readAll(sample("sample.gif"));
    // A run-length bitmap, 4 x 2 with two colours, bottom row first: four of colour 1,
    // end of row, four of colour 0, end of bitmap.
    QByteArray rle = QByteArray("BM") + QByteArray(52, '\0');
    // File size, pixel data offset; header size, width, height, planes, bits, RLE8, colours used.
    for (auto [at, value] : {std::pair{2, 70}, {10, 62}, {14, 40}, {18, 4}, {22, 2}, {26, 1 + (8 << 16)}, {30, 1}, {46, 2}})
        qToLittleEndian<quint32>(quint32(value), rle.data() + at);
    rle += QByteArray("\x10\x20\x30\x00\xF0\xE0\xD0\x00", 8) + QByteArray("\x04\x01\x00\x00\x04\x00\x00\x01", 8);
    // 2147483647 x 2147483647 pixels of 65535 bits each: its row bytes times its rows are
    // beyond 64-bit numbers, and 60 bytes hold none of it.
    QByteArray largest = QByteArray("BM") + QByteArray(58, '\0');
    for (auto [at, value] : {std::pair{10, 54u}, {14, 40u}, {18, 0x7FFFFFFFu}, {22, 0x7FFFFFFFu}, {26, 1u + (0xFFFFu << 16)}})
        qToLittleEndian<quint32>(value, largest.data() + at);
    QByteArray farData = largest;  // pixel data after an offset past the end of the file
    qToLittleEndian<quint32>(0xFFFFFFF0u, farData.data() + 10);
    qToLittleEndian<quint32>(0u, farData.data() + 22);
    // A 1.3 KB JPEG whose frame header claims 22000 x 22000 (1.9 GB decoded): its coded
    // data cannot hold the 7.6 million blocks.
    QByteArray bigJpg = jpg;
    const qsizetype sof = jpg.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    qToBigEndian<quint16>(22000, bigJpg.data() + sof + 5);
    qToBigEndian<quint16>(22000, bigJpg.data() + sof + 7);

    const std::pair<const char*, QByteArray> damaged[] = {
        {"cut.jpg", jpg.left(jpg.size() * 7 / 10)},
        {"cut.bmp", bmp.left(bmp.size() - 100)},
        {"cut.gif", gif.left(gif.size() - 20)},
        {"cut_rle.bmp", rle.left(rle.size() - 2)},
        {"no_end.jpg", jpg.left(jpg.size() - 2)},  // the end marker is gone
        {"largest.bmp", largest}, {"far_data.bmp", farData}, {"big.jpg", bigJpg},
    };
    for (const auto& [name, bytes] : damaged) {
        const QString path = test::writeFile(dir.filePath(QString::fromLatin1(name)), bytes);
        const Outcome o = loadOutcome(path);
        EXPECT_EQ(std::pair(o.number, o.text),
                  std::pair(481, "Invalid picture: the file " + path.toStdString() + " is damaged (its data ends early)."));
        EXPECT_LT(o.seconds, 1.0) << name;
    }
    // Whole files load: a GIF without its trailer, a JPEG with bytes after its end, the
    // run-length bitmap with its two colours.
    for (const auto& [name, bytes] : {std::pair{"no_trailer.gif", gif.left(gif.size() - 1)}, {"padded.jpg", jpg + QByteArray(64, '\0')}})
        EXPECT_FALSE(MapPicture::load(test::writeFile(dir.filePath(name), bytes)).isNull()) << name;
    const QImage r = MapPicture::load(test::writeFile(dir.filePath("rle.bmp"), rle)).image();
    EXPECT_EQ(std::pair(r.pixel(3, 0), r.pixel(0, 1)), std::pair(qRgb(0x30, 0x20, 0x10), qRgb(0xD0, 0xE0, 0xF0)));
}

TEST(DamagedPicture, HugeClaimsAreRefusedBeforeDecoding)
{
    QTemporaryDir dir;
    // A GIF whose screen and picture claim 30000 x 30000 (3.4 GB decoded): refused by its size.
    QByteArray gif = test::readAll(sample("sample.gif"));
    for (int at : {6, 8, 30, 32}) qToLittleEndian<quint16>(30000, gif.data() + at);  // screen, then the picture (after 4 colours)
    const QString bigGif = test::writeFile(dir.filePath("big.gif"), gif);
    const Outcome o = loadOutcome(bigGif);
    EXPECT_EQ(std::pair(o.number, o.text),
              std::pair(7, "Out of memory: the picture " + bigGif.toStdString() +
                               " is 30000 x 30000 pixels, 3433 MB when decoded; this computer has room for " +
                               std::to_string(pictureMemoryLimit() / (1024 * 1024)) + " MB."));
    EXPECT_LT(o.seconds, 1.0);

    // The room: half the physical memory, at most 2 GB. On a 2 GB machine a 20000 x 15000
    // picture (1144 MB) is refused, a 15000 x 15000 one (858 MB) is not.
    constexpr qint64 MB = 1024 * 1024;
    EXPECT_EQ(pictureMemoryLimit(2048 * MB), 1024 * MB);
    EXPECT_EQ(pictureMemoryLimit(64 * 1024 * MB), 2048 * MB);
    EXPECT_EQ(test::errorNumber([] { checkDecodedSize(QSize(20000, 15000), "a", 1024 * MB); }), 7);
    EXPECT_EQ(test::errorNumber([] { checkDecodedSize(QSize(15000, 15000), "a", 1024 * MB); }), 0);
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    ASSERT_TRUE(meminfo.open(QIODevice::ReadOnly));
    const qint64 totalKb = QString::fromLatin1(meminfo.readLine()).section(QLatin1Char(' '), -2, -2).toLongLong();
    EXPECT_EQ(pictureMemoryLimit(), pictureMemoryLimit(totalKb * 1024));
}
