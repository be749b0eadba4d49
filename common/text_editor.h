// Shows a text file (the help text, a report file) in a read-only window of the
// program, in a fixed-width font so that a report's columns line up. No desktop text
// editor is needed, and none is asked to guess what a .GRF file is.
#pragma once

#include <QPointer>
#include <QString>

class QPlainTextEdit;
class QWidget;

namespace corv {

class Dialogs;

// Shows fileName in a window of owner's (it closes with owner); a file already shown
// for owner is read afresh and brought forward. The window follows the file: when it
// changes (a new run writes a new report) the window shows the new text; while it
// cannot be read, its title says the text may be out of date. When the text cannot be shown (no
// such file, a folder, a file too large to read) the input box "Cant find Notepad.exe"
// answers, titled with the reason; its reply is ignored. Returns the window, or
// nullptr when none shows.
QPointer<QPlainTextEdit> OpenInNotepad(const QString& fileName, Dialogs& dialogs, QWidget* owner);

}  // namespace corv
