// Real and scripted dialogs, and the shared file dialog.
#include "common/dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "common/runtime_error.h"

namespace corv {

QString defaultDialogTitle() { return QStringLiteral("Corvantine"); }

QStringList filterToNameFilters(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty()) continue;
        // "*.*" means every file here, also one without an extension; for Qt that is "*".
        QStringList patternList = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& p : patternList)
            if (p.trimmed() == QLatin1String("*.*")) p = QStringLiteral("*");
        const QString patterns = patternList.join(' ');
        QString desc = parts[i];
        // Qt reads the patterns from the parentheses; keep the description but make sure
        // the patterns it shows are the ones that apply.
        const int paren = desc.indexOf('(');
        if (paren >= 0) desc = desc.left(paren).trimmed();
        out << QStringLiteral("%1 (%2)").arg(desc, patterns);
    }
    return out;
}

MsgAnswer QtDialogs::msgBox(const QString& text, MsgStyle style, const QString& title)
{
    const QString t = title.isEmpty() ? defaultDialogTitle() : title;
    if (style == MsgStyle::YesNoQuestion) {
        const auto r = QMessageBox::question(parent_, t, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        return r == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    QMessageBox box(QMessageBox::NoIcon, t, text, QMessageBox::Ok, parent_);
    box.exec();
    return MsgAnswer::Ok;
}

QString QtDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    bool ok = false;
    const QString t = title.isEmpty() ? defaultDialogTitle() : title;
    const QString reply = QInputDialog::getText(parent_, t, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? reply : QString();
}

std::optional<QString> QtDialogs::fileDialog(const FileRequest& r)
{
    QFileDialog dlg(parent_);
    dlg.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setWindowTitle(r.title.isEmpty() ? (r.save ? QStringLiteral("Save As") : QStringLiteral("Open")) : r.title);
    const QStringList filters = filterToNameFilters(r.filter);
    if (!filters.isEmpty()) dlg.setNameFilters(filters);
    if (!r.initDir.isEmpty()) dlg.setDirectory(r.initDir);
    if (!r.fileName.isEmpty()) dlg.selectFile(r.fileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().first();
}

MsgAnswer ScriptedDialogs::msgBox(const QString& text, MsgStyle style, const QString& title)
{
    Asked a{Asked::Message, text, title, style == MsgStyle::YesNoQuestion ? QStringLiteral("YesNo") : QString(), {}, false};
    MsgAnswer answer = style == MsgStyle::YesNoQuestion ? MsgAnswer::No : MsgAnswer::Ok;
    if (!messages_.empty()) {
        answer = messages_.front();
        messages_.pop_front();
    } else if (style == MsgStyle::YesNoQuestion) {
        a.unanswered = true;
    }
    if (style == MsgStyle::OkOnly) answer = MsgAnswer::Ok;
    asked_.push_back(a);
    return answer;
}

QString ScriptedDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    Asked a{Asked::Input, prompt, title, defaultText, {}, false};
    QString reply;
    if (!inputs_.empty()) {
        reply = inputs_.front().value_or(QString());
        inputs_.pop_front();
    } else {
        a.unanswered = true;
    }
    asked_.push_back(a);
    return reply;
}

std::optional<QString> ScriptedDialogs::fileDialog(const FileRequest& request)
{
    Asked a{Asked::File, request.filter, request.title, request.fileName, request, false};
    std::optional<QString> reply;
    if (!files_.empty()) {
        reply = files_.front();
        files_.pop_front();
    } else {
        a.unanswered = true;
    }
    asked_.push_back(a);
    return reply;
}

std::vector<QString> ScriptedDialogs::messages() const
{
    std::vector<QString> out;
    for (const auto& a : asked_)
        if (a.kind == Asked::Message) out.push_back(a.text);
    return out;
}

int ScriptedDialogs::unanswered() const
{
    int n = 0;
    for (const auto& a : asked_) n += a.unanswered ? 1 : 0;
    return n;
}

void CommonDialog::show(bool save)
{
    FileRequest r{save, FileName, DialogTitle, Filter, InitDir};
    const bool cancelError = CancelError;
    DialogTitle.clear();
    CancelError = false;
    const auto chosen = dialogs_->fileDialog(r);
    if (!chosen) {
        FileName.clear();
        if (cancelError) err::raise(err::kCancel);
        return;
    }
    FileName = *chosen;
}

}  // namespace corv
