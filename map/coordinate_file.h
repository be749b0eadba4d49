// The coordinate text file: the coordinate box's text saved through the shared file
// dialog and written through the program's one save path.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace corv {

class CommonDialog;
class Dialogs;
class MapModel;

// "CorvanData" & areaCount & ".txt"
QString coordinateFileName(std::int16_t areaCount);

// The file's bytes: the box's text in the local 8-bit encoding with CR LF line ends,
// nothing before or after it.
QByteArray coordinateFileBytes(const QString& text);

// Text1_MouseDown with a button other than the left: asks for the file name and saves
// the box through the one save path. Cancel ends the save silently; a failure (missing
// folder, read-only file, full disk) is shown in a message box naming the file and the
// reason, and keeps any earlier file. Returns whether it saved.
bool saveCoordinateFile(const MapModel& m, CommonDialog& dialog, Dialogs& dialogs, const QString& folder);

}  // namespace corv
