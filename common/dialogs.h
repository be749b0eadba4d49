// The one interface through which every window asks the user something: message
// boxes, input boxes and the shared file dialog. QtDialogs shows real dialogs;
// ScriptedDialogs (tests, scenario runner) answers from a queue and records.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

class QWidget;

namespace corv {

enum class MsgStyle { OkOnly, YesNoQuestion };
enum class MsgAnswer { Ok, Yes, No };

struct FileRequest {
    bool save = false;
    QString fileName;  // proposed name
    QString title;     // empty: the platform's title for an open or save dialog
    QString filter;    // "description|pattern|description|pattern|"
    QString initDir;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Title empty: the program's default title.
    virtual MsgAnswer msgBox(const QString& text, MsgStyle style = MsgStyle::OkOnly, const QString& title = {}) = 0;
    // Returns the reply; an empty text on Cancel.
    virtual QString inputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {}) = 0;
    // Returns the chosen path, or nothing on Cancel.
    virtual std::optional<QString> fileDialog(const FileRequest& request) = 0;
};

// The program's default title for message and input boxes.
QString defaultDialogTitle();

// "Pic files (*.bmp;*.jpg)|*.bmp;*.jpg|All files (*.*)|*.*|" -> Qt's name filters.
QStringList filterToNameFilters(const QString& filter);

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    MsgAnswer msgBox(const QString& text, MsgStyle style = MsgStyle::OkOnly, const QString& title = {}) override;
    QString inputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {}) override;
    std::optional<QString> fileDialog(const FileRequest& request) override;

private:
    QWidget* parent_;
};

class ScriptedDialogs : public Dialogs {
public:
    struct Asked {
        enum Kind { Message, Input, File } kind;
        QString text;   // message text, input prompt, or file dialog filter
        QString title;  // title as passed (empty: default)
        QString extra;  // Yes/No marker, input default text, or proposed file name
        FileRequest file;
        bool unanswered = false;  // asked with no reply queued
    };

    // Queued replies; each dialog of a kind takes the next reply of that kind.
    void answerMessage(MsgAnswer a) { messages_.push_back(a); }
    void answerInput(std::optional<QString> reply) { inputs_.push_back(std::move(reply)); }
    void answerFile(std::optional<QString> path) { files_.push_back(std::move(path)); }

    MsgAnswer msgBox(const QString& text, MsgStyle style = MsgStyle::OkOnly, const QString& title = {}) override;
    QString inputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {}) override;
    std::optional<QString> fileDialog(const FileRequest& request) override;

    const std::vector<Asked>& asked() const { return asked_; }
    std::vector<QString> messages() const;  // texts of the message boxes shown, in order
    void clear() { asked_.clear(); }
    // Dialogs that needed a reply and found none queued (Yes/No, input, file).
    int unanswered() const;
    int pending() const { return static_cast<int>(messages_.size() + inputs_.size() + files_.size()); }

private:
    std::deque<MsgAnswer> messages_;
    std::deque<std::optional<QString>> inputs_;
    std::deque<std::optional<QString>> files_;
    std::vector<Asked> asked_;
};

// The shared file dialog CommonDialog1. DialogTitle and CancelError hold only for
// the use that sets them: each Show puts them back to their defaults.
class CommonDialog {
public:
    explicit CommonDialog(Dialogs& dialogs) : dialogs_(&dialogs) {}
    QString FileName;
    QString DialogTitle;
    QString Filter;
    QString InitDir;
    bool CancelError = false;

    // Cancel: FileName becomes empty, or with CancelError the error 32755 is raised.
    void ShowOpen() { show(false); }
    void ShowSave() { show(true); }

private:
    void show(bool save);
    Dialogs* dialogs_;
};

}  // namespace corv
