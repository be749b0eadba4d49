// Map view: painting one 1920 x 1080 viewport frame of a 12,000 x 9,000 picture at
// zooms 0.3, 1.0 and 3.5 against drawing a viewport-sized image, and the resident
// memory after loading that picture against its decoded size.
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <string>
#include <unistd.h>

#include <jpeglib.h>

#include "common/twips.h"
#include "map/picture.h"
#include "map/view.h"
#include "ratio_reporter.h"

namespace {

constexpr int kPicW = 12000, kPicH = 9000;
const QRect kViewport(0, 0, 1920, 1080);
corv::MapPicture* gPicture = nullptr;

double residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE));
}

// A 12,000 x 9,000 scan written row by row, so the writer never holds the whole picture.
void writeScan(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = kPicW;
    c.image_height = kPicH;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 85, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(kPicW * 3);
    while (c.next_scanline < c.image_height) {
        const unsigned y = c.next_scanline;
        for (unsigned x = 0; x < unsigned(kPicW); ++x) {
            const bool contour = (x * 7 + y * 3) % 97 < 2 || (x + y * 5) % 211 < 2;
            row[x * 3 + 0] = contour ? 120 : static_cast<unsigned char>(200 + (x / 50 + y / 70) % 40);
            row[x * 3 + 1] = contour ? 80 : static_cast<unsigned char>(190 + (x / 90) % 50);
            row[x * 3 + 2] = contour ? 40 : static_cast<unsigned char>(150 + (y / 60) % 60);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
}

QImage& canvas()
{
    static QImage img(kViewport.size(), QImage::Format_RGB32);
    return img;
}

void BM_DrawViewportSizedImage(benchmark::State& state)
{
    QImage frame(kViewport.size(), QImage::Format_RGB32);
    frame.fill(qRgb(200, 190, 150));
    for (auto _ : state) {
        QPainter p(&canvas());
        p.drawImage(0, 0, frame);
        benchmark::DoNotOptimize(canvas().constBits());
    }
}

// One frame of the viewport: the picture's centre at the viewport's centre.
void BM_PaintViewportFrame(benchmark::State& state)
{
    const double zoom = double(state.range(0)) / 10;
    const double w = kPicW * zoom, h = kPicH * zoom;
    const corv::TwipRect image{corv::twips::fromPixelsX(std::floor(960 - w / 2)),
                               corv::twips::fromPixelsY(std::floor(540 - h / 2)), corv::twips::fromPixelsX(w),
                               corv::twips::fromPixelsY(h)};
    for (auto _ : state) {
        QPainter p(&canvas());
        corv::paintPicture(p, *gPicture, image, true, kViewport, QPoint());
        benchmark::DoNotOptimize(canvas().constBits());
    }
}

}  // namespace

BENCHMARK(BM_DrawViewportSizedImage)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_PaintViewportFrame)
    ->Arg(3)
    ->Arg(10)
    ->Arg(35)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    const std::string scan = dir.filePath("scan.jpg").toStdString();
    writeScan(scan);
    malloc_trim(0);

    const double before = residentBytes();
    corv::MapPicture picture = corv::MapPicture::load(QString::fromStdString(scan));
    const double after = residentBytes();
    const double decoded = double(picture.image().sizeInBytes());
    std::printf("picture %dx%d, decoded %.1f MB; resident before %.1f MB, after %.1f MB\n", picture.width(),
                picture.height(), decoded / 1e6, before / 1e6, after / 1e6);
    std::printf("ratio %-40s = %5.2f (limit 1.3) %s\n", "resident after load / decoded size", after / decoded,
                after / decoded <= 1.3 ? "ok" : "OVER");
    std::printf("ratio %-40s = %5.2f\n", "growth at load / decoded size", (after - before) / decoded);
    gPicture = &picture;

    corv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    for (const char* frame : {"BM_PaintViewportFrame/3", "BM_PaintViewportFrame/10", "BM_PaintViewportFrame/35"})
        reporter.ratio(frame, "BM_DrawViewportSizedImage", 2.0);
    benchmark::Shutdown();
    return 0;
}
