// Finding controls by their names, shared by window tests and the scenario runner.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QWidget>
#include <stdexcept>

namespace corv::test {

// The child named name (an element of an indexed set as "Label1(0)"); throws when missing.
inline QWidget* control(QWidget* window, const QString& name)
{
    if (!window) throw std::runtime_error("window not loaded");
    if (window->objectName() == name) return window;
    auto* w = window->findChild<QWidget*>(name);
    if (!w) throw std::runtime_error("no control named " + name.toStdString() + " in " + window->objectName().toStdString());
    return w;
}

template <class T>
T* control(QWidget* window, const QString& name)
{
    auto* w = qobject_cast<T*>(control(window, name));
    if (!w) throw std::runtime_error("control " + name.toStdString() + " is not of the expected kind");
    return w;
}

// What a user reads: a list's items, a window's caption, or a control's (plain) text or title.
inline QString textOf(QWidget* w)
{
    if (auto* e = qobject_cast<QListWidget*>(w)) {
        QStringList items;
        for (int i = 0; i < e->count(); ++i) items << e->item(i)->text();
        return items.join('|');
    }
    if (w->isWindow()) return w->windowTitle();
    for (const char* name : {"text", "plainText", "title", "currentText"})
        if (const QVariant v = w->property(name); v.isValid()) return v.toString();
    return {};
}

}  // namespace corv::test
