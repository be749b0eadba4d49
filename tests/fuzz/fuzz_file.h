// For readers that take a file name: the input goes to one private file, read as a user's.
#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/runtime_error.h"
#include "runoff/compute_state.h"

namespace corv::fuzz {

inline QString asFile(const std::uint8_t* data, std::size_t size, const char* name)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        std::abort();  // the fuzzer's own failure, not the reader's
    return path;
}

// Any bytes must end in a result or in a run-time error; a message that does not name
// the file (when a name is given) leaves the user guessing and is a finding like a crash.
inline void resultOrError(auto&& read, const char* named = nullptr)
{
    try {
        read();
    } catch (const RuntimeError& e) {
        if (named && std::strstr(e.what(), named) == nullptr) {
            std::fprintf(stderr, "message without the file name %s: %s\n", named, e.what());
            std::abort();
        }
    }
}

// A storm hydrograph as a compute leaves it: qi(1..8) at 15-minute steps to 400 cfs, qout(0..1).
inline ComputeState computedHydrograph()
{
    ComputeState s;
    s.udur = 0.25f;
    s.it = 8;
    s.qi.redim(s.it);
    long j = 1;
    for (float q : {0, 40, 160, 400, 250, 120, 50, 10}) s.qi(j++) = q;
    s.qout.redim(1);
    return s;
}

}  // namespace corv::fuzz
