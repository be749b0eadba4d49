// The hydrograph file reader: any bytes loaded fresh, added to a computed hydrograph and
// to a routed one (whose longer outflow is then the current one); errors name the file.
#include "common/dialogs.h"
#include "fuzz_file.h"
#include "runoff/hydrograph_file.h"

using corv::HydrographLoad;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = corv::fuzz::asFile(data, size, "Flow.GRF");
    const corv::ComputeState computed = corv::fuzz::computedHydrograph();
    corv::ComputeState routed = computed;
    routed.qout.redim(12);
    for (long j = 1; j <= 12; ++j) routed.qout(j) = 300.0f / static_cast<float>(j);
    routed.it = 12;
    routed.maxout = 300;
    routed.tmaxout = 1;
    auto load = [&](corv::ComputeState s, HydrographLoad mode, bool routeAgain) {
        corv::ScriptedDialogs dialogs;
        corv::fuzz::resultOrError([&] { corv::LoadHydrographFile(path, s, mode, routeAgain, dialogs); }, "Flow.GRF");
    };
    load(corv::ComputeState(), HydrographLoad::Fresh, false);
    load(computed, HydrographLoad::Add, false);
    load(routed, HydrographLoad::Add, true);
    return 0;
}
