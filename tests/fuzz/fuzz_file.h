// Shared by the fuzz targets whose readers take a file name: the input is written to
// one private file, which the reader then reads as a user's file.
#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

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

}  // namespace corv::fuzz
