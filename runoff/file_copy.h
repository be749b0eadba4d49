// Copying a file onto another name, replacing it, with the program's error texts.
#pragma once

#include <QString>

namespace corv {

// Copies source to target, replacing an existing target only once the whole copy is
// written. Raises "File not found" (no source), "Path not found" (no target folder),
// "Permission denied" (a read-only target) or "Path/File access error".
void FileCopy(const QString& source, const QString& target);

// Whether two names mean the same file.
bool sameFile(const QString& a, const QString& b);

}  // namespace corv
