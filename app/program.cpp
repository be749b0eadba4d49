// The program shell.
#include "app/program.h"

#include <QApplication>
#include <QDir>

#include "map/form1.h"

namespace corv {

Program::Program(QString folder, std::unique_ptr<Dialogs> dialogs)
    : folder_(QDir::cleanPath(std::move(folder))), dialogs_(std::move(dialogs))
{
}

Program::~Program()
{
    ending_ = true;
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

QWidget* Program::window(const QString& name)
{
    if (name == QLatin1String("Form1")) return form1_;
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

void Program::handOffToRunoff(const BasinMeasurements&) {}

void Program::openMapSource() {}

void Program::endProgram()
{
    if (ending_) return;
    ending_ = true;
    // Every other window goes with the map window, without a prompt.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != form1_) w->hide();
    emit ended();
}

}  // namespace corv
