// The text editor opener.
#include "common/text_editor.h"

#include <QProcess>
#include <QStringList>

#include "common/dialogs.h"

namespace corv {

namespace {
QString& opener()
{
    static QString program = QStringLiteral("xdg-open");
    return program;
}

void answerMissingEditor(Dialogs& dialogs, const QString& commandLine)
{
    try {
        dialogs.inputBox(QStringLiteral("Cant find Notepad.exe"), commandLine);
    } catch (...) {
        // Nothing may escape into the event loop; the reply is ignored anyway.
    }
}
}  // namespace

QString textEditorOpener() { return opener(); }
void setTextEditorOpener(const QString& program) { opener() = program; }

QPointer<QProcess> OpenInNotepad(const QString& fileName, Dialogs& dialogs, QObject* context)
{
    const QString program = opener();
    const QString commandLine = program + QLatin1Char(' ') + fileName;
    // No parent: closing a window must not kill an editor the user is reading in.
    auto* process = new QProcess;
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());

    QObject::connect(process, &QProcess::errorOccurred, context, [&dialogs, commandLine](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) answerMissingEditor(dialogs, commandLine);
    });
    QObject::connect(process, &QProcess::finished, context,
                     [&dialogs, commandLine](int code, QProcess::ExitStatus status) {
                         // Any status but 0 is a failure to open (xdg-open: 3 no handler
                         // for the file, 4 the handler failed, as a terminal editor does
                         // without a terminal), and so is a crash.
                         if (status != QProcess::NormalExit || code != 0) answerMissingEditor(dialogs, commandLine);
                     });
    QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) process->deleteLater();
    });
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QPointer<QProcess> watch(process);
    process->start(program, QStringList{fileName});
    return watch;
}

}  // namespace corv
