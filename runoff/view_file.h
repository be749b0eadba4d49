// Opens a file in the system's text editor as a separate process, without waiting.
#pragma once

#include <QString>

namespace corv {

struct EditorLaunch {
    QString commandLine;   // what was started, for messages
    bool started = false;  // a process with a non-zero id exists
};

EditorLaunch openInTextEditor(const QString& path);

// The program that opens text files (xdg-open unless changed, for instance by tests).
void setTextEditorProgram(const QString& program);
QString textEditorProgram();

}  // namespace corv
