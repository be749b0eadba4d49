// The program shell: owns the dialogs and the windows (each created on first use)
// and ends every window when the map window closes.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "common/dialogs.h"
#include "common/shell.h"
#include "runoff/window/form3_state.h"

namespace corv {

class Form1;
class Form3;
class MapSourceWindow;
class DateForm;

class Program : public QObject, public Shell {
    Q_OBJECT
public:
    // folder: the program's folder (the executable's folder in real use).
    Program(QString folder, std::unique_ptr<Dialogs> dialogs);
    ~Program() override;

    QString folder() const override { return folder_; }
    Dialogs& dialogs() override { return *dialogs_; }
    CommonDialog& commonDialog() override;
    void showMainMenu() override;
    void showPictureMenu() override;
    void handOffToRunoff(const BasinMeasurements& m) override;
    void openMapSource() override;

    Form1* form1();  // created on first use
    Form3* form3();  // created (and loaded) on first use and after each close
    DateForm* dateForm();  // created on first use, then kept hidden for the run
    MapSourceWindow* form4();  // the map-source window while it is open, else nullptr
    // The helper program the map-source window runs in (empty: the one beside the program).
    void setMapSourceHelper(QString path) { mapSourceHelper_ = std::move(path); }
    // The hydrograph window's state: it outlives the window.
    Form3State& form3State() { return form3State_; }
    // Looks a window up by its name ("Form1", ...); nullptr when not loaded.
    QWidget* window(const QString& name);

    // Closing the map window ends the program: every window goes with it.
    void endProgram();

signals:
    void ended();

private:
    QString folder_;
    std::unique_ptr<Dialogs> dialogs_;
    QPointer<Form1> form1_;
    QPointer<Form3> form3_;
    QPointer<MapSourceWindow> form4_;
    QString mapSourceHelper_;
    QPointer<DateForm> dateForm_;
    Form3State form3State_;
    bool ending_ = false;
};

}  // namespace corv
