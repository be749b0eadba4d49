// The storage-routing table (*.RAT) reader, and Modified Puls routing through every
// table it accepts: errors name the file.
#include "fuzz_file.h"
#include "runoff/routing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = corv::fuzz::asFile(data, size, "pond.RAT");
    corv::fuzz::resultOrError(
        [&] {
            const corv::RatingTable table = corv::readRatingTable(path, 0.25f);
            corv::ComputeState s = corv::fuzz::computedHydrograph();  // routed on for up to 40 ordinates
            s.newit = 40;
            s.elvout.redim(s.newit);
            corv::modpul(s, table, QString(), false);
        },
        "pond.RAT");
    return 0;
}
