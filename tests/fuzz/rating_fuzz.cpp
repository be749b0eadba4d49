// The storage-routing table (*.RAT) reader, and Modified Puls routing through every
// table it accepts: any bytes end in a routed hydrograph or in a run-time error whose
// message names the file; nothing else (no sanitizer report, no other exception).
#include "common/runtime_error.h"
#include "fuzz_file.h"
#include "runoff/routing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = corv::fuzz::asFile(data, size, "pond.RAT");
    try {
        const corv::RatingTable table = corv::readRatingTable(path, 0.25f);
        // Routed on for up to 40 ordinates.
        corv::ComputeState s = corv::fuzz::computedHydrograph();
        s.newit = 40;
        s.elvout.redim(s.newit);
        corv::modpul(s, table, QString(), false);
    } catch (const corv::RuntimeError& e) {
        corv::fuzz::requireNamed(e, "pond.RAT");
    }
    return 0;
}
