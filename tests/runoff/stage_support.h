// Helpers shared by the compute-stage tests: sample-file paths, the window's
// recovery tables, and catching a stage's run-time error.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "common/runtime_error.h"
#include "common/varray.h"

namespace stagetest {

inline QString testData(const char* name) { return QStringLiteral(TEST_DATA_DIR "/") + QString::fromLatin1(name); }
// The program's own data folder in the source tree (SCS.DGF).
inline QString programData() { return QStringLiteral(TEST_DATA_DIR "/../../data"); }

// The window's tables: hour-of-day shares (0..23) and month factors (1..12).
inline corv::VArray<float> hourlyTable()
{
    const float v[24] = {0.010397326f, 0.005198663f, 0.003713331f, 0.002970665f, 0.0f,        0.001485332f,
                         0.00037133f,  0.0f,         0.00965466f,  0.027478648f, 0.048644634f, 0.070181953f,
                         0.088377274f, 0.10731526f,  0.11548459f,  0.122539918f, 0.107686595f, 0.093575938f,
                         0.083921277f, 0.059784627f, 0.030449313f, 0.008169328f, 0.001113999f, 0.000742666f};
    corv::VArray<float> a(24);
    for (int h = 0; h < 24; ++h) a(h) = v[h];
    return a;
}
inline corv::VArray<float> monthlyTable()
{
    const float v[12] = {0.09f, 0.1f, 0.19f, 0.19f, 0.25f, 0.29f, 0.24f, 0.21f, 0.17f, 0.14f, 0.08f, 0.05f};
    corv::VArray<float> a(13);
    for (int m = 1; m <= 12; ++m) a(m) = v[m - 1];
    return a;
}

struct Caught {
    bool thrown = false;
    int number = 0;
    std::string text;
};
inline Caught caught(const std::function<void()>& f)
{
    Caught c;
    try {
        f();
    } catch (const corv::RuntimeError& e) {
        c.thrown = true;
        c.number = e.number();
        c.text = e.what();
    }
    return c;
}

}  // namespace stagetest
