// The storage-routing table (*.RAT) reader, and Modified Puls routing through every
// table it accepts: any bytes end in a routed hydrograph or in a run-time error whose
// message names the file; nothing else (no sanitizer report, no other exception).
#include "common/runtime_error.h"
#include "fuzz_file.h"
#include "runoff/routing.h"

namespace {

// A small storm hydrograph at 15-minute steps, rising to 400 cfs.
corv::ComputeState inflow()
{
    constexpr float q[] = {0, 40, 160, 400, 250, 120, 50, 10};
    corv::ComputeState s;
    s.udur = 0.25f;
    s.it = 8;
    s.newit = 40;
    s.qi.redim(s.it);
    for (long j = 0; j < 8; ++j) s.qi(j + 1) = q[j];
    s.qout.redim(1);
    s.elvout.redim(s.newit);
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = corv::fuzz::asFile(data, size, "pond.RAT");
    try {
        const corv::RatingTable table = corv::readRatingTable(path, 0.25f);
        corv::ComputeState s = inflow();
        corv::modpul(s, table, QString(), false);
    } catch (const corv::RuntimeError& e) {
        corv::fuzz::requireNamed(e, "pond.RAT");
    }
    return 0;
}
