// Event handlers catch run-time errors here and show their text, so that no
// exception ever reaches Qt's event loop.
#pragma once

#include <QString>
#include <exception>
#include <new>

#include "common/dialogs.h"
#include "common/runtime_error.h"

namespace corv {

// Text shown for a caught exception.
inline QString errorText(const std::exception& e) { return QString::fromStdString(e.what()); }

// Runs body; a run-time error (or any other exception) is shown in a message box with
// no title of its own and the action ends. Returns false when an error was caught.
template <class F>
bool guarded(Dialogs& dialogs, F&& body)
{
    try {
        body();
        return true;
    } catch (const std::bad_alloc&) {
        dialogs.msgBox(QString::fromStdString(err::text(err::kOutOfMemory)));
    } catch (const std::exception& e) {
        dialogs.msgBox(errorText(e));
    } catch (...) {
        dialogs.msgBox(QString::fromStdString(err::text(0)));
    }
    return false;
}

// Inside a catch block: whether the exception being handled is the Cancel of a file
// dialog whose CancelError is set.
inline bool handlingCancel()
{
    try {
        throw;
    } catch (const RuntimeError& e) {
        return e.number() == err::kCancel;
    } catch (...) {
        return false;
    }
}

}  // namespace corv
