// Helpers shared by the hydrograph engine tests: sample files, the window's recovery
// tables, states holding given rain, the stages in the driver's order, caught errors.
#pragma once

#include <QFile>
#include <QString>
#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "common/dialogs.h"
#include "common/runtime_error.h"
#include "runoff/window/form3_load.h"
#include "runoff/losses.h"
#include "runoff/rainfall.h"
#include "runoff/transforms.h"

namespace stagetest {
using namespace corv;

inline QString testData(const char* name) { return QStringLiteral(TEST_DATA_DIR "/") + QString::fromLatin1(name); }
inline QString programData() { return QStringLiteral(TEST_DATA_DIR "/../../data"); }  // SCS.DGF

inline QString writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return path;
}
inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct Tables {
    VArray<float> hourly, monthly;
    Tables() { fillRecoveryTables(hourly, monthly); }
};

inline LossInputs loss(const char* cn, const char* constLoss = "0", const char* factor = "0",
                       const char* impervious = "0")
{
    return {QString::fromLatin1(cn), QString::fromLatin1(factor), QString::fromLatin1(constLoss),
            QStringLiteral("0.0"), QString::fromLatin1(impervious)};
}

// Rain (and, before the losses are counted, excess) per step, with room after it.
inline void setRain(ComputeState& s, const std::vector<float>& rain, long room = 10)
{
    s.obs = static_cast<std::int16_t>(rain.size());
    s.rdepth.redim(s.obs + room);
    s.excess.redim(s.obs + room);
    s.gwFlow.redim(s.obs + room);
    for (std::size_t i = 0; i < rain.size(); ++i) s.rdepth(static_cast<long>(i) + 1) = s.excess(static_cast<long>(i) + 1) = rain[i];
}

// A basin of `area` square miles whose excess is the given rain.
inline ComputeState basin(float area, float lag, float udur, const std::vector<float>& excess, long room = 300,
                          float C = 0)
{
    ComputeState s;
    s.area = area, s.lag = lag, s.udur = udur, s.C = C;
    setRain(s, excess, room);
    return s;
}

// Inches of runoff over the basin from qi(1..it), cfs per step of udur hours: 1 inch
// on 1 mi^2 is 26.8888 cfs-days.
inline double inchesOf(const ComputeState& s)
{
    double cfsDays = 0;
    for (long i = 1; i <= s.it; ++i) cfsDays += s.qi(i) * static_cast<double>(s.udur) / 24.0;
    return cfsDays / (26.8888 * s.area);
}

// A state holding the inflow qi(1..n) (qi(0) = 0) as a compute leaves it for a
// routing: qout 0..1, and room for five times the ordinates, as the driver gives.
inline ComputeState inflow(const std::vector<float>& q, float udur)
{
    ComputeState s;
    s.udur = udur;
    s.it = static_cast<std::int16_t>(q.size());
    s.newit = static_cast<std::int16_t>(std::min<long>(5L * s.it, 32000));
    s.qi.redim(s.it);
    for (std::size_t i = 0; i < q.size(); ++i) s.qi(static_cast<long>(i) + 1) = q[i];
    s.qout.redim(1);
    s.elvout.redim(s.newit);
    return s;
}

// The depth-duration table and an arrangement, with C 1; storm files are looked for in the test data.
inline RainfallInputs rainTable(const char* arrangement, std::array<QString, 8> durations = {"1"},
                                std::array<QString, 8> depths = {"1.00"}, const char* graph = "SCS.DGF")
{
    RainfallInputs in;
    in.ComboRain = arrangement, in.ComboDimgraph = graph, in.txtC = "1";
    in.txtDuration = durations, in.txtRain = depths, in.folder = TEST_DATA_DIR;
    return in;
}

inline TransformInputs method(const char* name, const QString& folder = programData())
{
    TransformInputs in;
    in.ComboDimgraph = QString::fromLatin1(name);
    in.folder = folder;
    return in;
}

// Loss set-up, rainfall, loss accounting and transform, as the driver calls them.
inline StageEnd runStages(ComputeState& s, const LossInputs& l, RainfallInputs rain, ScriptedDialogs& dialogs,
                          TransformInputs tr = {})
{
    CommonDialog common(dialogs);
    RainfallBoxes boxes;
    if (tr.ComboDimgraph.isEmpty()) tr = method(rain.ComboDimgraph.toLatin1().constData());
    if (setUpLosses(s, l, dialogs) != StageEnd::Continue) return StageEnd::EndCompute;
    if (buildRainfall(s, rain, common, dialogs, boxes) != StageEnd::Continue) return StageEnd::EndCompute;
    const Tables t;
    accountLosses(s, t.hourly, t.monthly);
    return transformExcess(s, tr, dialogs);
}

struct Caught {
    bool thrown = false;
    int number = 0;
    std::string text;
    bool says(const char* part) const { return text.find(part) != std::string::npos; }
};
inline Caught caught(const std::function<void()>& f)
{
    Caught c;
    try {
        f();
    } catch (const RuntimeError& e) {
        c = {true, e.number(), e.what()};
    }
    return c;
}

}  // namespace stagetest
