// The coordinate text file: the coordinate box's text saved through the shared file
// dialog, written beside the chosen file and then put in its place.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace corv {

class CommonDialog;
class MapModel;

// "CorvanData" & areaCount & ".txt"
QString coordinateFileName(std::int16_t areaCount);

// The file's bytes: the box's text in the local 8-bit encoding with CR LF line ends,
// nothing before or after it.
QByteArray coordinateFileBytes(const QString& text);

// Writes bytes as the whole new content of path. The bytes go to a file beside it
// which then replaces it, so a failure leaves an earlier file untouched.
bool replaceFileContents(const QString& path, const QByteArray& bytes);

// Text1_MouseDown with a button other than the left: asks for the file name and saves
// the box. Cancel and every failure end the save silently; returns whether it saved.
bool saveCoordinateFile(const MapModel& m, CommonDialog& dialog, const QString& folder);

}  // namespace corv
