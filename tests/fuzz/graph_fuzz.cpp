// The dimensionless unit-graph (*.DGF) reader: any bytes end in a graph or in a
// run-time error with a message; nothing else.
#include "common/runtime_error.h"
#include "fuzz_file.h"
#include "runoff/transforms.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = corv::fuzz::asFile(data, size, "graph.DGF");
    corv::ComputeState s;
    s.tp = 1.7f;
    s.qpFactor = 0.3f;
    try {
        corv::readGraphFile(s, path);
    } catch (const corv::RuntimeError&) {
    }
    return 0;
}
