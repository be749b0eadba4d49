// Saves that fail on purpose: a save device that fails at a chosen byte, at the
// flush to disk, at the close or at a rename, and one check that every save path runs
// under each failure: the user is told (file name and reason), the older file is
// byte for byte as it was with its mode and times, and nothing is left beside it.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "common/save_file.h"

namespace corv::test {

class FailingSaveDevice : public SaveDevice {
public:
    enum class Point { Byte, Sync, Close, Rename, SecondRename };
    FailingSaveDevice(Point point, std::size_t byte = 0, int error = ENOSPC) : point_(point), byte_(byte), error_(error) {}

    ssize_t write(int fd, const void* data, std::size_t size) override
    {
        if (point_ == Point::Byte) {
            if (written_ >= byte_) return failWith(error_);
            size = std::min(size, byte_ - written_);
        }
        const ssize_t r = SaveDevice::write(fd, data, size);
        if (r > 0) written_ += static_cast<std::size_t>(r);
        return r;
    }
    int sync(int fd) override { return point_ == Point::Sync ? failWith(EIO) : SaveDevice::sync(fd); }
    int close(int fd) override
    {
        const int r = SaveDevice::close(fd);
        return point_ == Point::Close ? failWith(EIO) : r;
    }
    int rename(const char* from, const char* to) override
    {
        ++renames_;
        if ((point_ == Point::Rename && renames_ == 1) || (point_ == Point::SecondRename && renames_ == 2))
            return failWith(EXDEV);
        return SaveDevice::rename(from, to);
    }
    std::size_t written() const { return written_; }
    // The reason the user should read.
    QString reason() const
    {
        const int e = point_ == Point::Byte ? error_ : point_ == Point::Sync || point_ == Point::Close ? EIO : EXDEV;
        return QString::fromLocal8Bit(std::strerror(e));
    }

private:
    static int failWith(int e)
    {
        errno = e;
        return -1;
    }
    Point point_;
    std::size_t byte_;
    int error_;
    std::size_t written_ = 0;
    int renames_ = 0;
};

struct FailCase {
    FailingSaveDevice::Point point;
    std::size_t byte = 0;
    const char* name;
};

// The failure points of a durable save: at the first byte, partway, at the flush to
// disk, at the close and at the rename.
inline std::vector<FailCase> durableFailures(std::size_t partway)
{
    using P = FailingSaveDevice::Point;
    return {{P::Byte, 0, "byte 0"},  {P::Byte, partway, "partway"}, {P::Sync, 0, "flush to disk"},
            {P::Close, 0, "close"}, {P::Rename, 0, "rename"}};
}

struct FileSnapshot {
    QByteArray bytes;
    mode_t mode = 0;
    struct timespec mtime {};
};

inline FileSnapshot snapshot(const QString& path)
{
    FileSnapshot s;
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) s.bytes = f.readAll();
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        s.mode = st.st_mode;
        s.mtime = st.st_mtim;
    }
    return s;
}

inline QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

inline void expectSame(const FileSnapshot& before, const FileSnapshot& after, const std::string& where)
{
    EXPECT_EQ(after.bytes, before.bytes) << where << ": the older file changed";
    EXPECT_EQ(after.mode, before.mode) << where;
    EXPECT_EQ(after.mtime.tv_sec, before.mtime.tv_sec) << where;
    EXPECT_EQ(after.mtime.tv_nsec, before.mtime.tv_nsec) << where;
}

// Runs save (which returns the text the user was shown, empty for none) once for each
// failure case with path already holding an older file.
inline void expectFailuresKeepOlder(const QString& path, const std::vector<FailCase>& cases,
                                    const std::function<QString()>& save)
{
    const FileSnapshot before = snapshot(path);
    const QStringList entries = folderEntries(QFileInfo(path).absolutePath());
    ASSERT_FALSE(before.bytes.isEmpty()) << "an older file is needed";
    for (const FailCase& c : cases) {
        FailingSaveDevice device(c.point, c.byte);
        QString shown;
        {
            const ScopedSaveDevice scoped(device);
            shown = save();
        }
        EXPECT_TRUE(shown.contains(QFileInfo(path).fileName())) << c.name << ": " << shown.toStdString();
        EXPECT_TRUE(shown.contains(device.reason())) << c.name << ": " << shown.toStdString();
        if (c.point == FailingSaveDevice::Point::Byte && c.byte > 0) EXPECT_EQ(device.written(), c.byte) << c.name;
        expectSame(before, snapshot(path), c.name);
        EXPECT_EQ(folderEntries(QFileInfo(path).absolutePath()), entries) << c.name << ": a file was left beside it";
    }
}

// The text of the SaveError a call raises (empty when it raises none).
inline QString saveErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const SaveError& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

}  // namespace corv::test
