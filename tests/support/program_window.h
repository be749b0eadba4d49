// The program over a temporary folder as window tests run it: SCS.DGF, the map, scripted dialogs.
#pragma once

#include <QComboBox>
#include <QtTest>
#include <memory>

#include "app/program.h"
#include "common/dialogs.h"
#include "map/window/form1.h"
#include "runoff/window/form3.h"

namespace corv::test {

template <class D = ScriptedDialogs>
class ProgramWindow {
protected:
    QTemporaryDir dir_;
    D* dialogs_ = nullptr;
    std::unique_ptr<Program> program_;

    // Before each test.
    void startProgram()
    {
        QFile::copy(QStringLiteral(PROGRAM_DATA_DIR "/SCS.DGF"), path("SCS.DGF"));
        auto d = std::make_unique<D>();
        dialogs_ = d.get();
        program_ = std::make_unique<Program>(dir_.path(), std::move(d));
        program_->form1()->show();
    }
    // After each test: every queued question answered, the windows gone, written files removed.
    void stopProgram(std::initializer_list<const char*> written = {"Temp.GRF"})
    {
        const int unanswered = dialogs_->unanswered();
        program_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const char* f : written) QFile::remove(path(f));
        QCOMPARE(unanswered, 0);
    }

    Form3* form3() const { return static_cast<Form3*>(program_->window("Form3")); }
    QString path(const char* name) const { return dir_.filePath(name); }
    static void press(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    static void choose(QComboBox* c, const QString& item)
    {
        QVERIFY2(c->findText(item) >= 0, qPrintable(item));
        c->setCurrentIndex(c->findText(item));
    }
};

}  // namespace corv::test
