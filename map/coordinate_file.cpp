// Saving the coordinate box as a coordinate text file.
#include "map/coordinate_file.h"


#include "common/dialogs.h"
#include "common/guard.h"
#include "common/save_file.h"
#include "map/map_model.h"

namespace corv {

QString coordinateFileName(std::int16_t areaCount)
{
    return QStringLiteral("CorvanData") + QString::number(areaCount) + QStringLiteral(".txt");
}

QByteArray coordinateFileBytes(const QString& text)
{
    // The box's lines end in CR LF; a bare line feed (text typed into the box) is
    // given its carriage return so the file has one kind of line end.
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\n') && (i == 0 || text[i - 1] != QLatin1Char('\r'))) out += QLatin1Char('\r');
        out += text[i];
    }
    return out.toLocal8Bit();
}

bool saveCoordinateFile(const MapModel& m, CommonDialog& dialog, Dialogs& dialogs, const QString& folder)
{
    try {
        dialog.CancelError = true;
        dialog.FileName.clear();
        dialog.FileName = coordinateFileName(m.s.areaCount);
        dialog.InitDir = folder;
        dialog.Filter = QStringLiteral("Text file (*.txt)|*.txt|All files (*.*)|*.*|");
        dialog.ShowSave();
        const QString path = dialog.FileName;
        if (path.isEmpty()) return false;
        saveFile(path, coordinateFileBytes(m.Text1.Text));
        return true;
    } catch (...) {
        // Cancel ends the save without a word; a failure says why. The box keeps its
        // text and any earlier file of that name stays as it was.
        if (!handlingCancel()) guarded(dialogs, [] { throw; });
    }
    return false;
}

}  // namespace corv
