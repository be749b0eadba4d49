// The text editor opener: the path reaches the opener as one argument, and a missing
// opener or one that fails in any way is answered with the input box, unless the
// window that asked is gone.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QTemporaryDir>

#include "common/dialogs.h"
#include "common/text_editor.h"
#include "support/core_application.h"
#include "support/file_bytes.h"

using namespace corv;

namespace {

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

}  // namespace

TEST(TextEditor, PathIsOneArgumentFailuresAreAnsweredWhileTheWindowLasts)
{
    test::ensureCoreApplication();
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    // A stand-in opener that writes its arguments, one a line, and exits with a status.
    const auto standIn = [&](int status) {
        const QString path = dir.filePath(QStringLiteral("opener%1").arg(status));
        test::writeBytes(path, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$(dirname \"$0\")/args.txt\"\n"
                               "exit " + QByteArray::number(status) + "\n");
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return path;
    };
    QObject context;
    EXPECT_EQ(textEditorOpener(), "xdg-open");
    const QString help = dir.filePath("My Programs/it's \"here\" $HOME; ls/CorvantineHelp.txt");
    setTextEditorOpener(standIn(0));
    ASSERT_TRUE(waitForEnd(OpenInNotepad(help, dialogs, &context)));
    EXPECT_EQ(QString::fromUtf8(test::readBytes(dir.filePath("args.txt"))), help + "\n");
    EXPECT_TRUE(dialogs.asked().empty());

    // Every failure to open is answered with the input box: exit status 3 (no program
    // knows the file), 4 (the program failed, as a terminal editor without a terminal
    // does), 1 and 2, and an opener that cannot start.
    for (const QString& opener : {standIn(3), standIn(4), standIn(1), standIn(2), dir.filePath("no-such-opener")}) {
        dialogs.clear();
        setTextEditorOpener(opener);
        ASSERT_TRUE(waitForEnd(OpenInNotepad(help, dialogs, &context)));
        ASSERT_EQ(dialogs.asked().size(), 1u) << opener.toStdString();
        EXPECT_EQ(dialogs.asked()[0].kind, ScriptedDialogs::Asked::Input);
        EXPECT_EQ(dialogs.asked()[0].text + "|" + dialogs.asked()[0].title, "Cant find Notepad.exe|" + opener + " " + help);
    }
    // Once the window that asked is gone, a failure is not answered.
    dialogs.clear();
    QPointer<QProcess> process;
    {
        QObject gone;
        process = OpenInNotepad(help, dialogs, &gone);
    }
    ASSERT_TRUE(waitForEnd(process));
    EXPECT_TRUE(dialogs.asked().empty());
    setTextEditorOpener(QStringLiteral("xdg-open"));
}
