// DateForm: the period window ("Start/End Dates"), created once and kept hidden. The
// hydrograph window fills its day, month, year, hour and value-table lists.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QWidget>
#include <vector>

namespace corv {

class DateForm : public QWidget {
    Q_OBJECT
public:
    explicit DateForm(QWidget* parent = nullptr);

    // Empties a list and fills it with items; the text shown stays as it was.
    static void refill(QComboBox* list, const QStringList& items);
    // The text of a list's box (an item or any other text).
    static void setListText(QComboBox* list, const QString& text);

    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;  // "START DATE"
    QComboBox* Combo1 = nullptr;  // start day
    QComboBox* Combo2 = nullptr;  // start month
    QComboBox* Combo3 = nullptr;  // start year
    QLabel* Label4 = nullptr;
    QComboBox* Combo7 = nullptr;  // start hour
    QLabel* Label2 = nullptr;  // "END DATE"
    QComboBox* Combo4 = nullptr;  // end day
    QComboBox* Combo5 = nullptr;  // end month
    QComboBox* Combo6 = nullptr;  // end year
    QLabel* Label5 = nullptr;
    QComboBox* Combo8 = nullptr;  // end hour
    QComboBox* ComboDSID = nullptr;   // station list
    QComboBox* ComboUnits = nullptr;  // value table
    QLabel* Label6 = nullptr;
    QLineEdit* txtRainAdjust = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text1 = nullptr;  // connection string
    std::vector<QRadioButton*> Option1;  // period presets 0..6
    QPushButton* Command1 = nullptr;     // "Retrieve Data"
};

}  // namespace corv
