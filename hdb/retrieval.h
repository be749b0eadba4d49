// GetHDB and GetHDBQ: one station's recorded rainfall or flow for a period, brought
// onto a regular time step with gaps filled by the last value. Rainfall comes back in
// arrays, flow in the file TmpHDB.GRF ("Time" TAB "Runoff", then "dd hh:mm" TAB value).
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

#include "common/varray.h"

namespace corv {

class Dialogs;

// What a retrieval reads from the period window and the hydrograph window.
struct RetrievalInputs {
    QString ComboDSID;      // the chosen station entry: its id is the text up to the first blank
    QString ComboUnits;     // "Hour" in it: hourly values (rhour), else unit values (runit)
    QString txtRainAdjust;  // factor applied to every value
    bool chkAutoTimeStep = true;  // the step comes from the rows' dates
    QString txtGraphtimestep;     // the manual step
    QString Label14;              // "minute" in it: the manual step is in minutes
    QString folder;               // the program's folder (TmpHDB.GRF)
    std::function<void()> processEvents;  // lets pending window events run once
};

// The value table of a units text.
QString valueTable(const QString& ComboUnits);

// The series query for a table, a station id and the period (both bounds included,
// minutes written as 00), in ascending date order. The dates go in the ODBC timestamp
// form that every ODBC driver reads.
QString seriesQuery(const QString& table, qlonglong id, double bdate, double edate);

// Rainfall: obs steps in rrtime(1..obs) and rdepth(1..obs) (arrays sized to at least
// obs), missing of them filled, udur the step in hours, tdepth the total. Every
// failure is told in a message and gives obs = 0.
void GetHDB(double bdate, double edate, std::int16_t& obs, std::int16_t& missing, float& udur, VArray<double>& rrtime,
            VArray<float>& rdepth, float& tdepth, const QString& myDB, const RetrievalInputs& in, Dialogs& dialogs);

// Flow: writes folder/TmpHDB.GRF and gives obs (its data lines) and udur (hours).
// Every failure is told in a message and gives obs = 0, and TmpHDB.GRF is then left
// as it was: a half-written file never takes its name.
void GetHDBQ(double bdate, double edate, std::int16_t& obs, float& udur, const QString& myDB,
             const RetrievalInputs& in, Dialogs& dialogs);

// One data line of TmpHDB.GRF: the date as "dd hh:mm", a TAB and the value in print
// form, CR LF.
void appendFlowLine(QByteArray& out, double date, float value);

}  // namespace corv
