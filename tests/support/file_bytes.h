// A file's whole content, read or written in one call.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace corv::test {

// The bytes of the file, or "<missing>" when it cannot be read.
inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Replaces the file's content; false when it cannot be written whole.
inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}  // namespace corv::test
