// Copying files with the program's error texts.
#include "runoff/file_copy.h"

#include <QDir>
#include <QFileInfo>

#include "common/read_file.h"
#include "common/save_file.h"

namespace corv {

namespace {
// A hydrograph file of the most rows a run can have is far smaller than this.
constexpr qint64 kMaxCopyBytes = 256LL * 1024 * 1024;
}  // namespace

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists()) return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

void FileCopy(const QString& source, const QString& target)
{
    const QByteArray bytes = readUserFile(source, kMaxCopyBytes);
    saveFile(target, bytes);
}

}  // namespace corv
