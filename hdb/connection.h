// Hydrologic database access: connection string of the setup file.
#pragma once

#include <QString>

namespace corv {

// Name of the setup file in the program's folder; its first line is the ODBC connection string.
inline QString setupFileName() { return QStringLiteral("Corvantine_setup.txt"); }

}  // namespace corv
