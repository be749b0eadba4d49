// Saving a 1920 x 1080 capture of the map window as JPEG at quality 90 (capture, DIB,
// encode, file forced to disk) against libjpeg-turbo compressing the same pixels
// straight to a file written the same way: in the same folder, through a 256 KB buffer,
// and forced to disk before it is closed, as the save forces its file. The force to disk
// waits for the disk, which other programs share, so both are also measured without it
// (arg 0); the parts show where the rest of the time goes.
#include <QApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <optional>
#include <unistd.h>

#include <jpeglib.h>

#include "app/program.h"
#include "common/save_file.h"
#include "map/picture/capture.h"
#include "map/picture/dib_section.h"
#include "map/window/form1.h"
#include "map/picture/jpeg_writer.h"
#include "ratio_reporter.h"

namespace {

corv::Form1* gForm = nullptr;
QImage gCapture;
QByteArray gFile;

// The save forced to disk (arg 1) or with the force left out (arg 0).
struct NoForce : corv::SaveDevice {
    int sync(int) override { return 0; }
};

void BM_LibjpegDirect(benchmark::State& state)
{
    static char buffer[256 * 1024];
    const bool forced = state.range(0) != 0;
    for (auto _ : state) {
        ::unlink(gFile.constData());
        FILE* f = std::fopen(gFile.constData(), "wb");
        std::setvbuf(f, buffer, _IOFBF, sizeof buffer);
        jpeg_compress_struct c;
        jpeg_error_mgr err;
        c.err = jpeg_std_error(&err);
        jpeg_create_compress(&c);
        jpeg_stdio_dest(&c, f);
        c.image_width = JDIMENSION(gCapture.width());
        c.image_height = JDIMENSION(gCapture.height());
        c.input_components = 4;
        c.in_color_space = JCS_EXT_BGRX;  // the capture's own 32-bit pixels, top row first
        jpeg_set_defaults(&c);
        jpeg_set_quality(&c, 90, TRUE);
        jpeg_start_compress(&c, TRUE);
        while (c.next_scanline < c.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(gCapture.constScanLine(int(c.next_scanline)));
            jpeg_write_scanlines(&c, &row, 1);
        }
        jpeg_finish_compress(&c);
        jpeg_destroy_compress(&c);
        if (forced && (std::fflush(f) != 0 || ::fdatasync(fileno(f)) != 0)) state.SkipWithError("not forced to disk");
        std::fclose(f);
    }
}

void capture()
{
    bool wholeWindow = false;
    corv::CaptureFormImage(*gForm, *gForm->Picture2, wholeWindow);
}

// "Save Map Image" to a JPEG name: capture the client area, make the DIB, write it.
void BM_SaveMapImageJpeg(benchmark::State& state)
{
    NoForce noForce;
    std::optional<corv::ScopedSaveDevice> unforced;
    if (state.range(0) == 0) unforced.emplace(noForce);
    for (auto _ : state) {
        ::unlink(gFile.constData());
        capture();
        corv::cDIBSection dib;
        dib.CreateFromPicture(gForm->Picture2->pixmap().toImage());
        corv::mIntelJPEGLibrary::SaveDibToJpegFile(dib, QFile::decodeName(gFile), 90);
    }
}

// The parts on their own: 0 the capture, 1 the DIB made from it.
void BM_Part(benchmark::State& state)
{
    for (auto _ : state) state.range(0) == 0 ? capture() : corv::cDIBSection().CreateFromPicture(gCapture);
}

}  // namespace

BENCHMARK(BM_Part)->Arg(0)->Arg(1)->Apply(corv::bench::medianOfSeven);
BENCHMARK(BM_LibjpegDirect)->Arg(0)->Arg(1)->Apply(corv::bench::medianOfSeven);
BENCHMARK(BM_SaveMapImageJpeg)->Arg(0)->Arg(1)->Apply(corv::bench::medianOfSeven);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    corv::bench::initialize(argc, argv);
    QTemporaryDir dir;
    gFile = QFile::encodeName(dir.filePath("Corvan0.jpg"));
    corv::Program program(dir.path(), std::make_unique<corv::ScriptedDialogs>());
    gForm = program.form1();
    gForm->show();
    gForm->showNormal();  // not maximised: the window takes the size asked for
    gForm->resize(1920, 1080);
    QApplication::processEvents();
    QImage scan(2400, 1400, QImage::Format_RGB32);  // a scan: paper with grain and contour lines
    QRandomGenerator rng(42);
    for (int y = 0; y < scan.height(); ++y)
        for (int x = 0, g = 0; x < scan.width(); ++x, g = int(rng.bounded(24)))
            scan.setPixel(x, y, (x * 3 + y * 7 + (x * y) / 900) % 61 < 2 ? qRgb(140 - g, 90, 40) : qRgb(225 - g, 215 - g / 2, 180 + (x / 40) % 30));
    gForm->setPicture(corv::MapPicture(scan));
    gForm->ScrollPic(4);
    gCapture = gForm->grab(gForm->rect()).toImage();
    std::printf("capture %dx%d\n", gCapture.width(), gCapture.height());
    corv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.ratio("BM_SaveMapImageJpeg/1", "BM_LibjpegDirect/1", 1.3);
    reporter.ratio("BM_SaveMapImageJpeg/0", "BM_LibjpegDirect/0", 1.3);
    benchmark::Shutdown();
}
