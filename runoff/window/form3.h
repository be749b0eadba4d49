// Form3: the hydrograph window ("Runoff Hydrograph"). Its controls carry the inputs of
// a runoff computation; its handlers call the runoff modules. The state that outlives
// the window (Form3State) belongs to the program and is lent to each loaded window.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <array>
#include <vector>

#include "common/shell.h"
#include "runoff/compute_driver.h"
#include "runoff/window/form3_state.h"
#include "runoff/window/hydrograph_chart.h"
#include "runoff/lag_time_step.h"

namespace corv {

class DateForm;

class Form3 : public QWidget {
    Q_OBJECT
public:
    // Creating the window loads it (Form_Load); dateForm is the period window whose
    // lists the load fills.
    Form3(Shell& shell, Form3State& state, DateForm& dateForm, QWidget* parent = nullptr);
    ~Form3() override;

    Form3State& state() { return state_; }

    // Event procedures.
    void Form_Load();
    void ComboDimgraph_Click();
    void Command1_Click();
    void butRoute_Click();
    void Command4_Click();  // routing frame "Go"
    void Command5_Click();  // routing frame "Cancel"
    void Command2_Click();
    void Command3_Click();
    void ViewHydroData_Click();
    void chkAreaAdj_Click();
    // The basin area or its unit changed: ticked factors follow it.
    void txtBasinArea_Change();
    // A storm duration typed or changed: ticked factors follow it too.
    void txtDuration_Change();
    void txtC_Change();
    // The user typed in txtC (the program's own writes raise no such event).
    void txtC_Edited();
    void txtLag_Change();
    void txtelv1_LostFocus();
    void txtElv2_LostFocus();
    void txtL_LostFocus();
    void txtLca_LostFocus();
    void txtLag_LostFocus();
    // unloadMode 0: the user closes the window; anything else: the program closes it.
    void Form_QueryUnload(bool& cancel, int unloadMode);
    void ToggleChartSize();

    // The map's measurements: the number in the method frame's caption, the lengths and
    // the area with their units.
    void takeBasin(const BasinMeasurements& m);

    // A compute is under way (its message boxes let events through).
    bool computing() const { return driver_.running(); }

    // Public operations of the window.
    void resetChart();
    // Unloads the window for a reason other than the user's close (the question is
    // still asked, its answer does not keep the window). False when it stays.
    bool Unload(int unloadMode);

    // Placement of a control in twips inside its container.
    void placeTwips(QWidget* control, const TwipGeometry& g);
    TwipGeometry twipGeometry(QWidget* control) const;
    void setTopTwips(QWidget* control, std::int32_t top);
    // The client area in twips.
    std::int32_t ScaleWidth() const;
    std::int32_t ScaleHeight() const;

    // Controls, named as the window's controls.
    QGroupBox* Frame1 = nullptr;
    QLineEdit* txtelv1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtElv2 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtL = nullptr;
    QLabel* lblL = nullptr;
    QLineEdit* txtLca = nullptr;
    QLabel* lblLca = nullptr;
    QLineEdit* txtS = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* txtC = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* txtLag = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* txtBasinArea = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* GWloss = nullptr;

    QGroupBox* Frame2 = nullptr;
    QComboBox* ComboDimgraph = nullptr;
    QComboBox* ComboRain = nullptr;
    QLineEdit* txtCNloss = nullptr;
    QLabel* Label11 = nullptr;
    QLineEdit* txtConstLoss = nullptr;
    QLabel* Label12 = nullptr;
    QLineEdit* txtPercentImp = nullptr;
    QLabel* Label13 = nullptr;
    QLineEdit* txtResetLossFactor = nullptr;
    QLabel* Label17 = nullptr;
    QLineEdit* txtGraphtimestep = nullptr;
    QLabel* Label14 = nullptr;
    QCheckBox* chkAutoTimeStep = nullptr;

    QLineEdit* txtTitle = nullptr;
    QLineEdit* txtTile2 = nullptr;

    QGroupBox* Frame3 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label8 = nullptr;
    std::array<QLineEdit*, 8> txtDuration{};
    std::array<QLineEdit*, 8> txtRain{};
    std::array<QLineEdit*, 8> txtArealAdj{};
    QCheckBox* chkAreaAdj = nullptr;

    QPushButton* Command1 = nullptr;
    QPushButton* butRoute = nullptr;
    QPushButton* ViewHydroData = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;

    HydrographChart* MSChart1 = nullptr;

    QFrame* frameRoute = nullptr;
    std::array<QRadioButton*, 4> optRouteType{};
    QCheckBox* chkCombineHDB = nullptr;
    QLineEdit* txtMuskK = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtMuskX = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label15 = nullptr;
    QLineEdit* txtModbelv = nullptr;
    QLabel* Label16 = nullptr;
    QLineEdit* txtTatum = nullptr;
    QLabel* capTatum = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;

signals:
    // The window closed and is gone; its state stays with the program.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The basin boxes as the lag and time-step procedures see them.
    class Boxes : public LagBoxes {
    public:
        explicit Boxes(Form3& form) : f_(form) {}
        QString text(LagBox box) const override;
        void setText(LagBox box, const QString& text) override;
        QString lengthCaption() const override;
        void setTimeStepCaption(const QString& caption) override;
        bool autoTimeStep() const override;
        QString methodText() const override;
        void yield() override;

    private:
        QLineEdit* box(LagBox b) const;
        Form3& f_;
    };

    // The triangle method's texts and captions in the basin boxes, or the basin's own
    // back: each use keeps what the user typed for it, and the lag and step stay.
    void showTriangleBoxes(bool triangle);
    std::array<QLineEdit*, 7> relabelledBoxes() const;
    std::array<QLabel*, 5> relabelledLabels() const;
    // The linear reservoir's shape in the C box, or the basin's C back: the lag and step
    // stay, and a shape the user typed comes back with the method as long as the basin
    // and its lag stay the same.
    void showLinearShape(bool linear);

    void buildControls();
    void wireEvents();
    std::array<QString, 8> texts(const std::array<QLineEdit*, 8>& boxes) const;
    ComputeBoxes computeBoxes() const;
    void applyOutcome(const ComputeOutcome& outcome);

    Shell& shell_;
    Form3State& state_;
    DateForm& dateForm_;
    Boxes boxes_;
    ComputeDriver driver_;
    QHash<QWidget*, TwipGeometry> places_;
    bool triangleShown_ = false;
    std::array<QString, 7> basinTexts_, triangleTexts_;  // as relabelledBoxes()
    std::array<QString, 5> basinCaptions_;               // as relabelledLabels()
    bool linearShown_ = false;
    QString basinC_;      // the basin's C while the shape stands in its box
    QString typedShape_;  // a shape the user typed for this basin and lag, for the next pick
    bool queryAnswered_ = false;  // Unload already asked: the close goes ahead
    bool destroying_ = false;
};

}  // namespace corv
