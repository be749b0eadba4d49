// GetHDB and GetHDBQ: one station's recorded rainfall or flow for a period, brought
// onto a regular time step with gaps filled by the last value. Rainfall comes back in
// arrays, flow in the file TmpHDB.GRF ("Time" TAB "Runoff", then "dd hh:mm" TAB value).
// Rows are read with their date_time as text and put in time order by the program; a
// row repeated exactly is used once (and said so), two values at one time, a stamp that
// cannot be read, a value beyond single range, negative rainfall and a series longer
// than 32767 steps are refused, each with the station, the period and the row named.
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

// The series query for a table, a station id and the period: date_time as text, and the
// days of the period widened by one on each side (a stamp stored as text without
// leading zeros, '2026-12-05 3:00', compares as text in some databases); the program
// keeps the rows of the period itself, both bounds included, minutes of the bounds
// taken as 00. The dates go in the ODBC timestamp form that every ODBC driver reads.
QString seriesQuery(const QString& table, qlonglong id, double bdate, double edate);

// How a retrieval ended: a series, a query that found no rows (told), or any other
// end told in a message.
enum class RetrievalEnd { Series, NoRows, Told };

struct RainfallRetrieval {
    RetrievalEnd end = RetrievalEnd::Told;
    float recordedDepth = 0;  // the depths read, before any filling
};

// Rainfall: obs steps in rrtime(1..obs) and rdepth(1..obs) (arrays sized to obs + 1:
// the step after the rain, dry, with its date), missing of them holding filled depth, udur the step in hours, tdepth the total.
// A record's depth belongs to its interval, from its time to the next record's time at
// the records' own step: at a finer step it is split evenly over the steps it covers,
// at a coarser one the records in a step are summed. A record that is absent (a gap
// of at least half a record) is filled with the depth of the record before it. Every
// failure gives obs = 0.
RainfallRetrieval GetHDB(double bdate, double edate, std::int16_t& obs, std::int16_t& missing, float& udur,
                         VArray<double>& rrtime, VArray<float>& rdepth, float& tdepth, const QString& myDB,
                         const RetrievalInputs& in, Dialogs& dialogs);

// Flow: writes folder/TmpHDB.GRF and gives obs (its data lines) and udur (hours).
// Every failure gives obs = 0, and TmpHDB.GRF is then left as it was: a half-written
// file never takes its name.
RetrievalEnd GetHDBQ(double bdate, double edate, std::int16_t& obs, float& udur, const QString& myDB,
                     const RetrievalInputs& in, Dialogs& dialogs);

// One data line of TmpHDB.GRF: the date as "dd hh:mm", a TAB and the value in print
// form, CR LF.
void appendFlowLine(QByteArray& out, double date, float value);

}  // namespace corv
