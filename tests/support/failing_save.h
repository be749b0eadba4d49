// One check every save path runs under each failure of a FailingSaveDevice: the user is
// told the file and the reason, the older file stays as it was, nothing is left beside it.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <functional>
#include <sys/stat.h>
#include <vector>

#include "support/failing_save_device.h"
#include "support/file_bytes.h"

namespace corv::test {

struct FailCase {
    FailingSaveDevice::Point point;
    std::size_t byte = 0;
    const char* name;
};

// A durable save's failure points: the first byte, partway, the flush, the close, the rename.
inline std::vector<FailCase> durableFailures(std::size_t partway)
{
    using P = FailingSaveDevice::Point;
    return {{P::Byte, 0, "byte 0"},  {P::Byte, partway, "partway"}, {P::Sync, 0, "flush to disk"},
            {P::Close, 0, "close"}, {P::Rename, 0, "rename"}};
}

// A file's content, mode and modification time.
struct FileSnapshot {
    QByteArray bytes;
    mode_t mode = 0;
    std::pair<time_t, long> mtime;
    bool operator==(const FileSnapshot&) const = default;
};

inline FileSnapshot snapshot(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return {readBytes(path), st.st_mode, {st.st_mtim.tv_sec, st.st_mtim.tv_nsec}};
}

inline QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Runs save (returning the text the user was shown, empty for none) for each failure case.
inline void expectFailuresKeepOlder(const QString& path, const std::vector<FailCase>& cases,
                                    const std::function<QString()>& save)
{
    const FileSnapshot before = snapshot(path);
    const QString folder = QFileInfo(path).absolutePath();
    const QStringList entries = folderEntries(folder);
    ASSERT_FALSE(before.bytes.isEmpty()) << "an older file is needed";
    for (const FailCase& c : cases) {
        FailingSaveDevice device(c.point, c.byte);
        const QString shown = [&] {
            const ScopedSaveDevice scoped(device);
            return save();
        }();
        EXPECT_TRUE(shown.contains(QFileInfo(path).fileName()) && shown.contains(device.reason()))
            << c.name << ": " << shown.toStdString();
        EXPECT_TRUE(c.point != FailingSaveDevice::Point::Byte || c.byte == 0 || device.written() == c.byte) << c.name;
        EXPECT_TRUE(snapshot(path) == before) << c.name << ": the older file changed";
        EXPECT_EQ(folderEntries(folder), entries) << c.name << ": a file was left beside it";
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
