// The storm-file (*.STM) reader.
#include "fuzz_file.h"
#include "runoff/rainfall.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    corv::ComputeState s;
    s.constLoss = 0.1f;
    corv::fuzz::resultOrError([&] { corv::readStormFile(s, corv::fuzz::asFile(data, size, "storm.STM")); });
    return 0;
}
