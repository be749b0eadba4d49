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

// What a user reads in a control.
inline QString textOf(QWidget* w)
{
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* e = qobject_cast<QPlainTextEdit*>(w)) return e->toPlainText();
    if (auto* e = qobject_cast<QLabel*>(w)) return e->text();
    if (auto* e = qobject_cast<QAbstractButton*>(w)) return e->text();
    if (auto* e = qobject_cast<QGroupBox*>(w)) return e->title();
    if (auto* e = qobject_cast<QComboBox*>(w)) return e->currentText();
    if (auto* e = qobject_cast<QListWidget*>(w)) {
        QStringList items;
        for (int i = 0; i < e->count(); ++i) items << e->item(i)->text();
        return items.join('|');
    }
    if (w->isWindow()) return w->windowTitle();
    return w->property("text").toString();
}

}  // namespace corv::test
