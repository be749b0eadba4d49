// Tracing cost: a 2,000-vertex area on the model (vertices, end, measurement), and the
// map window's work for one more vertex as the figure grows, against a full repaint.
#include <QApplication>
#include <cmath>

#include "app/program.h"
#include "map/window/form1.h"
#include "map/main_menu.h"
#include "ratio_reporter.h"
#include "tests/map/map_fixture.h"

namespace {

// Vertex k of n on a wobbly ring inside an 8000 x 8000 twip picture.
std::pair<float, float> vertex(int k, int n)
{
    const double a = 2 * M_PI * k / n, r = 3000 + 200 * std::sin(7 * a);
    return {static_cast<float>(4000 + r * std::cos(a)), static_cast<float>(4000 + r * std::sin(a))};
}

void BM_TraceAndMeasureArea(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        corv::test::MapFixture f;
        f.milesScale();
        f.pick("Start Area");
        for (int k = 0; k < n; ++k) f.click(vertex(k, n).first, vertex(k, n).second);
        f.pick("End Area/Line");
        if (!f.messages().empty()) state.SkipWithError("a message box was shown");
    }
}

// A map window with a started area of n vertices on a large picture.
struct TracedWindow {
    corv::Program program{QCoreApplication::applicationDirPath(), std::make_unique<corv::ScriptedDialogs>()};
    corv::Form1* form = program.form1();
    explicit TracedWindow(int n)
    {
        form->resize(1200, 900);
        form->show();
        QCoreApplication::processEvents();
        form->model().Image1.rect = {0, 0, 8000, 8000};
        corv::MainMenu(*form).pick("Start Area");
        form->refresh();
        for (int k = 0; k < n; ++k) vertexAfter(k, n);
    }
    void vertexAfter(int k, int n)
    {
        form->Image1_MouseUp(1, 0, vertex(k, n + 1).first, vertex(k, n + 1).second);
        QCoreApplication::processEvents();
    }
};

// One more vertex after n (model, coordinate box and the repaint the window asks for).
void BM_WindowVertexAfter(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    TracedWindow w(n);
    for (auto _ : state) {
        w.vertexAfter(n, n);
        state.PauseTiming();
        corv::MainMenu(*w.form).pick("Undo Current Line");
        w.form->refresh();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// Drawing every segment once (a full repaint of the figure layer).
void BM_WindowFullRepaint(benchmark::State& state)
{
    TracedWindow w(static_cast<int>(state.range(0)));
    for (auto _ : state) w.form->overlay->repaint();
}

}  // namespace

BENCHMARK(BM_TraceAndMeasureArea)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowVertexAfter)->Arg(10)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WindowFullRepaint)->Arg(2000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    corv::bench::RatioReporter r;
    benchmark::RunSpecifiedBenchmarks(&r);
    r.figure("2,000 vertices, end and measure (ms)", r.seconds("BM_TraceAndMeasureArea/2000") * 1e3, 20);
    // Growth of one vertex's cost from 10 to 2,000 earlier segments, in full repaints.
    r.figure("vertex after 2000 - vertex after 10, in full repaints of 2000",
             (r.seconds("BM_WindowVertexAfter/2000") - r.seconds("BM_WindowVertexAfter/10")) /
                 r.seconds("BM_WindowFullRepaint/2000"), 1.0);
    benchmark::Shutdown();
}
