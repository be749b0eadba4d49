// The dimensionless unit-graph (*.DGF) reader.
#include "fuzz_file.h"
#include "runoff/transforms.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    corv::ComputeState s;
    s.tp = 1.7f;
    s.qpFactor = 0.3f;
    corv::fuzz::resultOrError([&] { corv::readGraphFile(s, corv::fuzz::asFile(data, size, "graph.DGF")); });
    return 0;
}
