// The helper programs that run beside the program (corvantine-metafile, corvantine-mapsource):
// where they are, and what the user is told when one cannot be started.
#pragma once

#include <QString>
#include <string>

#include "common/runtime_error.h"

namespace corv {

// The helper named name beside the running program.
QString helperProgramPath(const QString& name);

// The error for a helper that did not start, naming it by role ("metafile", "map page") and
// path: "File not found" when it is missing, "Permission denied" when it cannot be run.
RuntimeError helperNotStarted(const std::string& role, const QString& path);

}  // namespace corv
