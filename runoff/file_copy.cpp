// Copying files with the program's error texts.
#include "runoff/file_copy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "common/runtime_error.h"

namespace corv {

namespace {
constexpr int kPathFileAccess = 75;
[[noreturn]] void accessError() { throw RuntimeError(kPathFileAccess, "Path/File access error"); }
}  // namespace

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists()) return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

void FileCopy(const QString& source, const QString& target)
{
    QFile in(source);
    if (!QFileInfo(source).isFile()) err::raise(err::kFileNotFound);
    if (!in.open(QIODevice::ReadOnly)) err::raise(err::kPermissionDenied);
    const QByteArray bytes = in.readAll();
    in.close();

    const QFileInfo dst(target);
    if (!dst.absoluteDir().exists()) err::raise(err::kPathNotFound);
    if (dst.isDir()) accessError();
    // A file without its owner's write bit counts as read-only even for a user who
    // could write it anyway.
    if (dst.exists() && (!dst.isWritable() || !(dst.permissions() & QFileDevice::WriteOwner)))
        err::raise(err::kPermissionDenied);

    // Written beside the target and renamed over it: a failed copy leaves the old file.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) accessError();
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        accessError();
    }
    if (!out.commit()) accessError();
}

}  // namespace corv
