// What the hydrograph window puts in place when it loads: its method and arrangement
// lists, the two loss-recovery tables and the lists of the period window.
#pragma once

#include <QString>
#include <QStringList>

#include "common/varray.h"

namespace corv {

QStringList unitGraphMethods();       // ComboDimgraph
QStringList rainfallArrangements();   // ComboRain

// hourly: slots 0..24, hours 0..23 filled; monthly: slots 0..13, months 1..12 filled.
void fillRecoveryTables(VArray<float>& hourly, VArray<float>& monthly);

// The period window's lists and its start-up day, month and year texts.
struct PeriodLists {
    QStringList hours;   // Combo7, Combo8
    QStringList days;    // Combo1, Combo4
    QStringList months;  // Combo2, Combo5
    QStringList years;   // Combo3, Combo6
    QStringList units;   // ComboUnits
    QString dayText, monthText, yearText;  // today's date
};
PeriodLists periodLists(int year, int month, int day);

}  // namespace corv
