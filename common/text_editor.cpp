// The program's text window (see text_editor.h).
#include "common/text_editor.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <exception>

#include "common/dialogs.h"
#include "common/read_file.h"

namespace corv {

namespace {
// Far above a report of the largest hydrograph (a few MB); nothing bigger is read.
constexpr qint64 kMaxShownBytes = 64LL * 1024 * 1024;
const char* const kFileProperty = "shownFile";

QString decoded(const QByteArray& bytes)
{
    // The help text may be UTF-8; reports and older files are single-byte text.
    QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter)) text = QString::fromLatin1(bytes);
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

// Shows the file's text again, at the place the reader had scrolled to. A file that
// cannot be read now (a save puts the new one in place a moment later) leaves the text
// as it was, and the title says that it may be out of date.
void reload(QPlainTextEdit* view)
{
    const QString fileName = view->property(kFileProperty).toString();
    const QString title = QDir::toNativeSeparators(fileName);
    try {
        const QString text = decoded(readUserFile(fileName, kMaxShownBytes));
        view->setWindowTitle(title);
        if (text == view->toPlainText()) return;
        const int down = view->verticalScrollBar()->value(), across = view->horizontalScrollBar()->value();
        view->setPlainText(text);
        view->verticalScrollBar()->setValue(down);
        view->horizontalScrollBar()->setValue(across);
    } catch (const std::exception& e) {
        view->setWindowTitle(title + QStringLiteral(" (out of date: ") + QString::fromUtf8(e.what()) + QLatin1Char(')'));
    }
}

// The window follows its file: a change to it, or to its folder (a save replaces the
// file by renaming a new one onto it), reads it again once the changes have settled.
void follow(QPlainTextEdit* view, const QString& fileName)
{
    auto* settle = new QTimer(view);
    settle->setSingleShot(true);
    settle->setInterval(100);
    QObject::connect(settle, &QTimer::timeout, view, [view] { reload(view); });
    auto* watcher = new QFileSystemWatcher(view);
    const QString folder = QFileInfo(fileName).absolutePath();
    watcher->addPath(folder);
    watcher->addPath(fileName);
    const auto changed = [watcher, settle, fileName] {
        // A file replaced is no longer watched under its name: the new one is.
        if (!watcher->files().contains(fileName) && QFileInfo::exists(fileName)) watcher->addPath(fileName);
        settle->start();
    };
    QObject::connect(watcher, &QFileSystemWatcher::fileChanged, view, changed);
    QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, view, changed);
}

}  // namespace

QPointer<QPlainTextEdit> OpenInNotepad(const QString& fileName, Dialogs& dialogs, QWidget* owner)
{
    try {
        const QString text = decoded(readUserFile(fileName, kMaxShownBytes));
        QPlainTextEdit* view = nullptr;
        for (auto* shown : owner->findChildren<QPlainTextEdit*>(QStringLiteral("TextViewer"), Qt::FindDirectChildrenOnly))
            if (shown->property(kFileProperty).toString() == fileName) view = shown;
        if (!view) {
            view = new QPlainTextEdit(owner);
            view->setObjectName(QStringLiteral("TextViewer"));
            view->setWindowFlag(Qt::Window);
            view->setAttribute(Qt::WA_DeleteOnClose);
            view->setReadOnly(true);
            view->setLineWrapMode(QPlainTextEdit::NoWrap);
            view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
            view->setProperty(kFileProperty, fileName);
            view->resize(owner->size().expandedTo(QSize(640, 480)));
            follow(view, fileName);
        }
        view->setWindowTitle(QDir::toNativeSeparators(fileName));
        view->setPlainText(text);
        view->show();
        view->raise();
        view->activateWindow();
        return view;
    } catch (const std::exception& e) {
        try {
            dialogs.inputBox(QStringLiteral("Cant find Notepad.exe"), QString::fromUtf8(e.what()));
        } catch (...) {
            // Nothing may escape into the event loop; the reply is ignored anyway.
        }
    }
    return nullptr;
}

}  // namespace corv
