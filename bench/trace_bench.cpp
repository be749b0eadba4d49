// Tracing cost: a 2,000-vertex area on the model (vertices, end, measurement), and
// the map window's work for one more vertex as the figure grows.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <cmath>

#include "app/program.h"
#include "common/dialogs.h"
#include "common/shell.h"
#include "map/form1.h"
#include "map/main_menu.h"

namespace {

class QuietOps : public corv::MapWindowOps {
public:
    corv::Dialogs& dialogs() override { return dlg; }
    void ZoomPic(double) override {}
    void ScrollPic(std::int16_t) override {}
    void showScaleFrame() override {}
    void saveCoordinateFile() override {}
    void openHelp() override {}
    void handOffToRunoff(const corv::BasinMeasurements&) override {}
    corv::ScriptedDialogs dlg;
};

// Vertex k of n on a wobbly ring inside an 8000 x 8000 twip picture.
std::pair<float, float> vertex(int k, int n)
{
    const double a = 2 * M_PI * k / n;
    const double r = 3000 + 200 * std::sin(7 * a);
    return {static_cast<float>(4000 + r * std::cos(a)), static_cast<float>(4000 + r * std::sin(a))};
}

void BM_TraceAndMeasureArea(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        corv::MapModel m;
        m.formLoad();
        m.s.scaleX = m.s.scaleY = 1.0f / 5280;
        m.s.areaFactor = 1;
        m.s.areaUnits = " (mi^2)";
        QuietOps ops;
        corv::MapMenu menu(m, ops);
        menu.pick("Start Area");
        for (int k = 0; k < n; ++k) {
            const auto [x, y] = vertex(k, n);
            menu.mapClick(1, 0, x, y);
        }
        menu.pick("End Area/Line");
        benchmark::DoNotOptimize(m.s.areaReport);
        if (!ops.dlg.messages().empty()) state.SkipWithError("a message box was shown");
    }
    state.SetLabel("vertices, end and measure");
}
BENCHMARK(BM_TraceAndMeasureArea)->Arg(2000)->Unit(benchmark::kMillisecond);

// The window benchmarks share one offscreen application.
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "trace_bench";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
}

// A map window with a started area of n vertices on a large picture.
struct TracedWindow {
    explicit TracedWindow(int n)
        : app((ensureApplication(), true)),
          program(QCoreApplication::applicationDirPath(), std::make_unique<corv::ScriptedDialogs>())
    {
        form = program.form1();
        form->resize(1200, 900);
        form->show();
        QCoreApplication::processEvents();
        form->model().Image1.rect = form->model().UserControlPic1;
        form->model().Image1.rect.Width = form->model().Image1.rect.Height = 8000;
        form->Image1_MouseUp(2, 0, 100, 100);
        corv::MainMenu(*form).pick("Start Area");
        form->refresh();
        for (int k = 0; k < n; ++k) {
            const auto [x, y] = vertex(k, n + 1);
            form->Image1_MouseUp(1, 0, x, y);
            QCoreApplication::processEvents();
        }
    }
    bool app;
    corv::Program program;
    corv::Form1* form = nullptr;
};

// One more vertex after n (model, coordinate box, and the repaint the window asks
// for): the cost must not grow beyond one pass over the earlier segments.
void BM_WindowVertexAfter(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    TracedWindow w(n);
    const auto [x, y] = vertex(n, n + 1);
    for (auto _ : state) {
        w.form->Image1_MouseUp(1, 0, x, y);
        QCoreApplication::processEvents();
        state.PauseTiming();
        corv::MainMenu(*w.form).pick("Undo Current Line");
        w.form->refresh();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowVertexAfter)->Arg(10)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond);

// For comparison: drawing every segment once (a full repaint of the figure layer).
void BM_WindowFullRepaint(benchmark::State& state)
{
    TracedWindow w(static_cast<int>(state.range(0)));
    for (auto _ : state) w.form->overlay->repaint();
}
BENCHMARK(BM_WindowFullRepaint)->Arg(10)->Arg(2000)->Unit(benchmark::kMicrosecond);

// A whole area traced in the window, every vertex shown before the next click.
void BM_WindowTraceArea(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TracedWindow w(n);
        corv::MainMenu(*w.form).pick("End Area/Line");
        w.form->refresh();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_WindowTraceArea)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
