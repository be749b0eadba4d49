// The program's text window (see text_editor.h).
#include "common/text_editor.h"

#include <QDir>
#include <QFontDatabase>
#include <QPlainTextEdit>
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
            view->setWindowTitle(QDir::toNativeSeparators(fileName));
            view->resize(owner->size().expandedTo(QSize(640, 480)));
        }
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
