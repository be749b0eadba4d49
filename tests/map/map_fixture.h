// Shared by the map engine tests: a started map model driven through its menu and
// clicks (Image1 twips) with recording window operations, and small file helpers.
#pragma once

#include <QFile>
#include <QRgb>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "common/dialogs.h"
#include "common/runtime_error.h"
#include "common/shell.h"
#include "map/main_menu.h"
#include "map/map_model.h"
#include "map/map_ops.h"
#include "support/file_bytes.h"

namespace corv::test {

using Points = std::vector<std::pair<float, float>>;

class RecordingOps : public MapWindowOps {
public:
    ScriptedDialogs dlg;
    std::vector<std::string> calls;
    std::optional<BasinMeasurements> handed;

    Dialogs& dialogs() override { return dlg; }
    void ZoomPic(double z) override { calls.push_back("ZoomPic " + std::to_string(z)); }
    void ScrollPic(std::int16_t mode) override { calls.push_back("ScrollPic " + std::to_string(mode)); }
    void showScaleFrame() override { calls.push_back("showScaleFrame"); }
    void saveCoordinateFile() override { calls.push_back("saveCoordinateFile"); }
    void openHelp() override { calls.push_back("openHelp"); }
    void handOffToRunoff(const BasinMeasurements& m) override { calls.push_back("handOffToRunoff"), handed = m; }
};

struct MapFixture {
    MapModel m;
    RecordingOps ops;
    MapFixture() { m.formLoad(); }

    void pick(const char* item) { MapMenu(m, ops).pick(QString::fromUtf8(item)); }
    void click(float x, float y) { MapMenu(m, ops).mapClick(1, 0, x, y); }
    void rightClick(float x, float y) { MapMenu(m, ops).mapClick(2, 0, x, y); }
    void clicks(const Points& points)
    {
        for (const auto& [x, y] : points) click(x, y);
    }
    void trace(const char* start, const Points& points)
    {
        pick(start);
        clicks(points);
        pick("End Area/Line");
    }
    void square(const char* start = "Start Area")  // one mile a side under milesScale()
    {
        trace(start, {{1024, 1024}, {2048, 1024}, {2048, 2048}, {1024, 2048}});
    }
    // Miles at 1024 twips a mile (exact in single precision), areas in square miles.
    void milesScale()
    {
        m.s.scaleX = m.s.scaleY = 1.0f / 1024;
        m.s.areaFactor = 1;
        m.s.areaUnits = QStringLiteral(" (mi^2)");
        m.s.lengthUnits = QStringLiteral(" (mi)");
    }
    // The screen-pixel scale (its factor set by the caller), y downward.
    void pixelUnits()
    {
        m.s.pixelScale = true;
        m.s.areaFactor = 1;
        m.s.areaUnits = QStringLiteral(" (pix^2)");
        m.s.lengthUnits = QStringLiteral(" (pix)");
    }
    QStringList lines() const { return m.Text1.Text.split(QStringLiteral("\r\n")); }
    QString lastLine() const { return lines().size() >= 2 ? lines()[lines().size() - 2] : QString(); }
    std::vector<QString> messages() const { return ops.dlg.messages(); }
};

// The text of the run-time error a call raises (empty when it raises none).
inline std::string errorText(auto&& f)
{
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.what();
    }
    return {};
}

inline bool near(QRgb c, QRgb want, int tolerance)
{
    return std::max({std::abs(qRed(c) - qRed(want)), std::abs(qGreen(c) - qGreen(want)),
                     std::abs(qBlue(c) - qBlue(want))}) <= tolerance;
}

inline QByteArray readAll(const QString& path) { return readBytes(path); }

inline QString writeFile(const QString& path, const QByteArray& bytes)
{
    writeBytes(path, bytes);
    return path;
}

// A shell script the user may run (a stand-in opener or picture helper).
inline QString writeScript(const QString& path, const QByteArray& body)
{
    writeFile(path, "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    return path;
}

#ifdef TEST_DATA_DIR
inline QString sample(const char* name) { return QStringLiteral(TEST_DATA_DIR "/") + QString::fromLatin1(name); }
#endif

}  // namespace corv::test
