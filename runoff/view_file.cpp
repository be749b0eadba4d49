// Starting the system text editor on a file.
#include "runoff/view_file.h"

#include <QProcess>

namespace corv {

namespace {
QString& editorProgram()
{
    static QString program = QStringLiteral("xdg-open");
    return program;
}
}  // namespace

void setTextEditorProgram(const QString& program) { editorProgram() = program; }
QString textEditorProgram() { return editorProgram(); }

EditorLaunch openInTextEditor(const QString& path)
{
    EditorLaunch launch;
    launch.commandLine = editorProgram() + QLatin1Char(' ') + path;
    qint64 pid = 0;
    // The path goes as its own argument: blanks or quotes in it mean nothing to a shell.
    launch.started = QProcess::startDetached(editorProgram(), {path}, QString(), &pid) && pid != 0;
    return launch;
}

}  // namespace corv
