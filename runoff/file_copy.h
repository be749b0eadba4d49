// Copying a file onto another name, replacing it, with the program's error texts.
#pragma once

#include <QString>

namespace corv {

// Copies source (a regular file) to target through the one save path, replacing an
// existing target only once the whole copy is written. Raises "File not found" (no
// source) or a SaveError naming the target and the reason (common/save_file.h).
void FileCopy(const QString& source, const QString& target);

// Whether two names mean the same file.
bool sameFile(const QString& a, const QString& b);

}  // namespace corv
