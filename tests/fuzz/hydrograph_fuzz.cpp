// The hydrograph file reader (reports of the program, comma and TAB tables): any bytes
// loaded as a fresh hydrograph, added to a computed one and added to a routed one end
// in a hydrograph or in a run-time error whose message names the file; nothing else.
#include "common/dialogs.h"
#include "common/runtime_error.h"
#include "fuzz_file.h"
#include "runoff/hydrograph_file.h"

namespace {

struct Silent : corv::Dialogs {
    corv::MsgAnswer msgBox(const QString&, corv::MsgStyle, const QString&) override { return corv::MsgAnswer::Ok; }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> fileDialog(const corv::FileRequest&) override { return std::nullopt; }
};

// The computed hydrograph, or routed: its outflow is then the current one and runs
// longer.
corv::ComputeState current(bool routed)
{
    corv::ComputeState s = corv::fuzz::computedHydrograph();
    if (routed) {
        s.qout.redim(12);
        for (long j = 1; j <= 12; ++j) s.qout(j) = 300.0f / static_cast<float>(j);
        s.it = 12;
        s.maxout = 300;
        s.tmaxout = 1;
    }
    return s;
}

void load(const QString& path, corv::ComputeState s, corv::HydrographLoad mode, bool routeAgain)
{
    Silent dialogs;
    try {
        corv::LoadHydrographFile(path, s, mode, routeAgain, dialogs);
    } catch (const corv::RuntimeError& e) {
        corv::fuzz::requireNamed(e, "Flow.GRF");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = corv::fuzz::asFile(data, size, "Flow.GRF");
    load(path, corv::ComputeState(), corv::HydrographLoad::Fresh, false);
    load(path, current(false), corv::HydrographLoad::Add, false);
    load(path, current(true), corv::HydrographLoad::Add, true);
    return 0;
}
