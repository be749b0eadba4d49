// Finding the helper programs and naming one that does not start.
#include "map/helper_program.h"

#include <QDir>
#include <QFileInfo>

namespace corv {

QString helperProgramPath(const QString& name)
{
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    return QFileInfo(self.canonicalFilePath()).absolutePath() + QLatin1Char('/') + name;
}

RuntimeError helperNotStarted(const std::string& role, const QString& path)
{
    const std::string named = "the " + role + " helper " + QDir::toNativeSeparators(path).toStdString();
    if (!QFileInfo::exists(path)) return RuntimeError(err::kFileNotFound, "File not found: " + named + " is missing");
    return RuntimeError(err::kPermissionDenied, "Permission denied: " + named + " cannot be run");
}

}  // namespace corv
