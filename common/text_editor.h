// Opens a text file (the help text, a report file) in the user's text editor: the
// desktop's default handler for text files, started through xdg-open.
#pragma once

#include <QPointer>
#include <QProcess>
#include <QString>

class QObject;

namespace corv {

class Dialogs;

// Starts the opener with the file name as its own argument (no shell, so blanks and
// quotes in the path are safe) and returns at once. A start that fails, or an opener
// that ends with any status but 0, is answered later with the input box
// "Cant find Notepad.exe" titled with the command line; the reply is ignored.
// Those answers come only while context exists; dialogs must live as long as context.
// The process removes itself when it ends; the pointer lets a caller watch it.
QPointer<QProcess> OpenInNotepad(const QString& fileName, Dialogs& dialogs, QObject* context);

// The opener program, "xdg-open" unless a test puts a stand-in in its place.
QString textEditorOpener();
void setTextEditorOpener(const QString& program);

}  // namespace corv
