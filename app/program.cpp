// The program shell.
#include "app/program.h"

#include <QApplication>
#include <QDir>

#include "hdb/window/date_form.h"
#include "map/window/form1.h"
#include "map/browser/map_source.h"
#include "map/picture/picture_check.h"
#include "runoff/window/form3.h"

namespace corv {

Program::Program(QString folder, std::unique_ptr<Dialogs> dialogs)
    : folder_(QDir::cleanPath(std::move(folder))), dialogs_(std::move(dialogs))
{
    // One limit for every picture reader (files, the clipboard), before the first is used.
    setPictureAllocationLimit();
}

Program::~Program()
{
    ending_ = true;
    delete form4_.data();
    delete form3_.data();
    delete dateForm_.data();
    delete form1_.data();
}

Form1* Program::form1()
{
    if (!form1_) {
        form1_ = new Form1(*this);
        form1_->setAttribute(Qt::WA_DeleteOnClose, false);
        connect(form1_.data(), &Form1::unloaded, this, &Program::endProgram);
    }
    return form1_;
}

Form3* Program::form3()
{
    if (!form3_) {
        // The period window exists before the hydrograph window loads: the load fills its lists.
        DateForm* periods = dateForm();
        form3_ = new Form3(*this, form3State_, *periods);
        // The window deletes itself once closed; the next use loads a new one.
        connect(form3_.data(), &Form3::unloaded, this, [this] { form3_ = nullptr; });
    }
    return form3_;
}

DateForm* Program::dateForm()
{
    if (!dateForm_) dateForm_ = new DateForm;
    return dateForm_;
}

MapSourceWindow* Program::form4() { return form4_; }

QWidget* Program::window(const QString& name)
{
    if (name == QLatin1String("Form1")) return form1_;
    if (name == QLatin1String("Form3")) return form3_;
    if (name == QLatin1String("DateForm")) return dateForm_;
    return nullptr;
}

CommonDialog& Program::commonDialog() { return form1()->CommonDialog1(); }

void Program::showMainMenu()
{
    Form1* f = form1();
    f->model().lstMenu1.Visible = true;
    f->refresh();
}

void Program::showPictureMenu()
{
    Form1* f = form1();
    f->model().lstMenu2.Visible = true;
    f->refresh();
}

void Program::handOffToRunoff(const BasinMeasurements& m)
{
    Form3* f = form3();
    f->takeBasin(m);
    // Modeless: the map window stays usable.
    f->show();
    f->activateWindow();
}

void Program::openMapSource()
{
    // One window at a time: a pick while it is open (or still loading) opens nothing.
    if (form4_) return;
    form4_ = new MapSourceWindow(*this, this, mapSourceHelper_);
    connect(form4_.data(), &MapSourceWindow::unloaded, this, [this] {
        if (form4_) form4_->deleteLater();
        form4_ = nullptr;
    });
    form4_->Form_Load();
}

void Program::endProgram()
{
    if (ending_) return;
    ending_ = true;
    // Every other window goes with the map window, without a prompt.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != form1_) w->hide();
    if (form4_) form4_->close();
    emit ended();
}

}  // namespace corv
