// Shared by the fuzz targets whose readers take a file name: the input is written to
// one private file, which the reader then reads as a user's file.
#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

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

// A reader's message must tell the user which file is at fault: one that does not
// name it is a finding like a crash.
inline void requireNamed(const std::exception& e, const char* name)
{
    if (std::strstr(e.what(), name) == nullptr) {
        std::fprintf(stderr, "message without the file name %s: %s\n", name, e.what());
        std::abort();
    }
}

// A small storm hydrograph as a compute leaves it: qi(1..8) at 15-minute steps,
// rising to 400 cfs, and qout(0..1).
inline ComputeState computedHydrograph()
{
    constexpr float q[] = {0, 40, 160, 400, 250, 120, 50, 10};
    ComputeState s;
    s.udur = 0.25f;
    s.it = 8;
    s.qi.redim(s.it);
    for (long j = 0; j < 8; ++j) s.qi(j + 1) = q[j];
    s.qout.redim(1);
    return s;
}

}  // namespace corv::fuzz
