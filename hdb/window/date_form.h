// DateForm: the period window ("Start/End Dates"), created once and kept hidden. The
// hydrograph window fills its day, month, year, hour and value-table lists; a
// retrieval shows it modally and reads the period, station and factor from it.
#pragma once

#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

namespace corv {

class DateForm : public QWidget {
    Q_OBJECT
public:
    explicit DateForm(QWidget* parent = nullptr);

    // Empties a list and fills it with items; the text shown stays as it was.
    static void refill(QComboBox* list, const QStringList& items);
    // The station list's design text: no station chosen.
    static QString noStation() { return QStringLiteral("DSID Parameter Units Station Name"); }
    // Fills the station list (no items when it could not be read) and clears the box of
    // an entry the list no longer holds: a station of the other path or database.
    void setStations(const QStringList& items);
    // Whether the station box shows an entry of its list (or no station at all).
    bool stationListed() const;
    // The text of a list's box (an item or any other text).
    static void setListText(QComboBox* list, const QString& text);

    // Event procedures.
    void Command1_Click();  // "Retrieve Data": hides the window
    void Option1_Click(int index);  // a period preset into the date lists
    void Text1_Change();            // counts the connection string's changes
    // unloadMode 0: closed from the window's close box, which only hides it.
    void Form_QueryUnload(bool& cancel, int unloadMode);

    // Puts the connection string in its box: one counted change, whatever it held.
    void setConnectionText(const QString& text);
    // Shows the window modally: returns once it is hidden again.
    void showModal();

    // Today's date for the presets (the system date unless a test sets another).
    std::function<QDate()> today = [] { return QDate::currentDate(); };

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

signals:
    // The window has just been shown modally (tests and scripts act on it then).
    void shownModal();
    void hidden();

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};

}  // namespace corv
