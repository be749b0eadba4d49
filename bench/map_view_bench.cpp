// Map view: painting one 1920 x 1080 viewport frame of a 12,000 x 9,000 picture at zooms
// 0.3, 1.0 and 3.5 against drawing a viewport-sized image, and the resident memory after
// loading that picture against its decoded size. The frames are drawn on one thread, as
// the baseline is: the pool's other threads would otherwise flatter the ratio by as
// much as the machine has idle cores.
#include <QPainter>
#include <QTemporaryDir>
#include <QThreadPool>
#include <fstream>
#include <malloc.h>
#include <unistd.h>

#include "common/twips.h"
#include "map/picture/picture.h"
#include "map/picture/picture_check.h"
#include "map/window/view.h"
#include "ratio_reporter.h"

namespace {

constexpr int kPicW = 12000, kPicH = 9000;
const QRect kViewport(0, 0, 1920, 1080);
corv::MapPicture* gPicture = nullptr;
QImage gCanvas(kViewport.size(), QImage::Format_RGB32);

double residentBytes()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE));
}

// A scan with contour lines, freed once written (large blocks go back to the system).
void writeScan(const QString& path)
{
    QImage scan(kPicW, kPicH, QImage::Format_RGB32);
    for (int y = 0; y < kPicH; ++y) {
        auto* row = reinterpret_cast<QRgb*>(scan.scanLine(y));
        for (int x = 0; x < kPicW; ++x)
            row[x] = (x * 7 + y * 3) % 97 < 2 || (x + y * 5) % 211 < 2
                         ? qRgb(120, 80, 40)
                         : qRgb(200 + (x / 50 + y / 70) % 40, 190 + (x / 90) % 50, 150 + (y / 60) % 60);
    }
    scan.save(path, "JPEG", 85);
}

void BM_DrawViewportSizedImage(benchmark::State& state)
{
    QImage frame(kViewport.size(), QImage::Format_RGB32);
    frame.fill(qRgb(200, 190, 150));
    for (auto _ : state) QPainter(&gCanvas).drawImage(0, 0, frame);
}

// One frame of the viewport at zoom range(0) / 10, the picture's centre at the viewport's.
void BM_PaintViewportFrame(benchmark::State& state)
{
    const double zoom = double(state.range(0)) / 10, w = kPicW * zoom, h = kPicH * zoom;
    const corv::TwipRect image{corv::twips::fromPixelsX(std::floor(960 - w / 2)),
                               corv::twips::fromPixelsY(std::floor(540 - h / 2)), corv::twips::fromPixelsX(w),
                               corv::twips::fromPixelsY(h)};
    for (auto _ : state) {
        QPainter p(&gCanvas);
        corv::paintPicture(p, *gPicture, image, true, kViewport, QPoint());
    }
}

}  // namespace

BENCHMARK(BM_DrawViewportSizedImage)->Apply(corv::bench::medianOfSeven);
BENCHMARK(BM_PaintViewportFrame)->Arg(3)->Arg(10)->Arg(35)->Apply(corv::bench::medianOfSeven);

int main(int argc, char** argv)
{
    corv::bench::initialize(argc, argv);
    corv::setPictureAllocationLimit();  // as the program does at start-up
    QTemporaryDir dir;
    writeScan(dir.filePath("scan.jpg"));
    malloc_trim(0);
    const double before = residentBytes();
    corv::MapPicture picture = corv::MapPicture::load(dir.filePath("scan.jpg"));
    const double after = residentBytes(), decoded = double(picture.image().sizeInBytes());
    std::printf("picture %dx%d, decoded %.1f MB; resident before %.1f MB, after %.1f MB, growth / decoded %.2f\n",
                picture.width(), picture.height(), decoded / 1e6, before / 1e6, after / 1e6, (after - before) / decoded);
    corv::bench::RatioReporter::figure("ratio resident after load / decoded size", after / decoded, 1.3);
    gPicture = &picture;
    QThreadPool::globalInstance()->setMaxThreadCount(1);

    corv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* frame : {"BM_PaintViewportFrame/3", "BM_PaintViewportFrame/10", "BM_PaintViewportFrame/35"})
        reporter.ratio(frame, "BM_DrawViewportSizedImage", 2.0);
    benchmark::Shutdown();
}
