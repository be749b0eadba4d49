// Saving the coordinate box as a coordinate text file.
#include "map/coordinate_file.h"

#include <QSaveFile>
#include <exception>

#include "common/dialogs.h"
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

bool replaceFileContents(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        file.commit();  // discards the file beside it
        return false;
    }
    return file.commit();
}

bool saveCoordinateFile(const MapModel& m, CommonDialog& dialog, const QString& folder)
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
        return replaceFileContents(path, coordinateFileBytes(m.Text1.Text));
    } catch (...) {
        // Cancel and any failure end the save without a word; the box keeps its text.
        return false;
    }
}

}  // namespace corv
