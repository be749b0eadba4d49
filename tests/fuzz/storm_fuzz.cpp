// The storm-file (*.STM) reader: any bytes end in a storm or in a run-time error with
// a message; nothing else (no sanitizer report, no other exception).
#include "common/runtime_error.h"
#include "fuzz_file.h"
#include "runoff/rainfall.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = corv::fuzz::asFile(data, size, "storm.STM");
    corv::ComputeState s;
    s.constLoss = 0.1f;
    try {
        corv::readStormFile(s, path);
    } catch (const corv::RuntimeError&) {
    }
    return 0;
}
