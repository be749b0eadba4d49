// The text editor opener: the path reaches the opener as one argument, and a missing
// opener or one that fails in any way is answered with the input box.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>

#include "common/dialogs.h"
#include "common/text_editor.h"

using namespace corv;

namespace {

void app()
{
    static int argc = 1;
    static char name[] = "text_editor_test", *argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

// Runs the event loop until the opener process has ended and its answer was given.
bool waitForEnd(const QPointer<QProcess>& process)
{
    QDeadlineTimer deadline(30000);
    while (process && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return !process;
}

// A stand-in opener that writes its arguments, one a line, and exits with a status.
QString standIn(const QTemporaryDir& dir, int status)
{
    const QString path = dir.filePath(QStringLiteral("opener%1").arg(status));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$(dirname \"$0\")/args.txt\"\nexit " +
            QByteArray::number(status) + "\n");
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

struct OpenerReset {
    ~OpenerReset() { setTextEditorOpener(QStringLiteral("xdg-open")); }
};

}  // namespace

TEST(TextEditor, PathIsOneArgumentAndNoHandlerIsAnswered)
{
    app();
    OpenerReset reset;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QObject context;
    EXPECT_EQ(textEditorOpener(), "xdg-open");

    const QString help = dir.filePath("My Programs/it's \"here\" $HOME; ls/CorvantineHelp.txt");
    setTextEditorOpener(standIn(dir, 0));
    ASSERT_TRUE(waitForEnd(OpenInNotepad(help, dialogs, &context)));
    QFile args(dir.filePath("args.txt"));
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(args.readAll()), help + "\n");
    EXPECT_TRUE(dialogs.asked().empty());

    // Every failure to open is answered with the input box: exit status 3 (no program
    // knows the file), 4 (the program failed, as a terminal editor without a terminal
    // does), 1 and 2, and an opener that cannot start.
    for (const QString& opener :
         {standIn(dir, 3), standIn(dir, 4), standIn(dir, 1), standIn(dir, 2), dir.filePath("no-such-opener")}) {
        dialogs.clear();
        setTextEditorOpener(opener);
        ASSERT_TRUE(waitForEnd(OpenInNotepad(help, dialogs, &context)));
        ASSERT_EQ(dialogs.asked().size(), 1u) << opener.toStdString();
        EXPECT_EQ(dialogs.asked()[0].kind, ScriptedDialogs::Asked::Input);
        EXPECT_EQ(dialogs.asked()[0].text, "Cant find Notepad.exe");
        EXPECT_EQ(dialogs.asked()[0].title, opener + " " + help);
    }
}

TEST(TextEditor, NoAnswerOnceTheWindowIsGone)
{
    app();
    OpenerReset reset;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    setTextEditorOpener(standIn(dir, 3));
    QPointer<QProcess> process;
    {
        QObject context;
        process = OpenInNotepad(dir.filePath("x.txt"), dialogs, &context);
    }
    ASSERT_TRUE(waitForEnd(process));
    EXPECT_TRUE(dialogs.asked().empty());
}
