// GetHDB and GetHDBQ: one station's recorded rainfall or flow for a period, brought
// onto a regular time step with gaps filled by the last value. Rainfall comes back in
// arrays, flow in the file TmpHDB.GRF ("Time" TAB "Runoff", then "dd hh:mm" TAB value).
// Rows are read with their date_time and value as text and put in time order by the
// program; a row repeated exactly is used once (and said so), two values at one time, a
// stamp that cannot be read, a value that is not one number or beyond single range,
// negative rainfall and a series longer
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

// The series query for a table, a station id and the period's whole-hour bounds:
// date_time and value as text, converted by the program, over the whole years of the
// period (text comparison can be trusted with the year only: '2026-12-9 01:00' sorts
// after '2026-12-10' as text) and text that sorts before any year (a stamp with a
// leading blank); the program keeps the rows of the period, both bounds
// included. The dates go in the ODBC timestamp form that every ODBC driver reads.
QString seriesQuery(const QString& table, qlonglong id, double first, double last);
// Every stamp of a station as text: looked through for one the program cannot read when
// the period holds no row.
QString stampsQuery(const QString& table, qlonglong id);

// How a retrieval ended: a series, a query that found no rows (told), or any other
// end told in a message.
enum class RetrievalEnd { Series, NoRows, Told };

struct RainfallRetrieval {
    RetrievalEnd end = RetrievalEnd::Told;
    float recordedDepth = 0;  // the depths read, before any filling
};

// Rainfall: obs steps in rrtime(1..obs) and rdepth(1..obs) (arrays sized to obs + 1:
// the step after the rain, dry, with its date), missing of them holding filled depth,
// udur the step in hours, tdepth the total. A stamp marks the end of the interval it
// covers: a record's depth belongs to the interval from one record step before its
// stamp (or the record before, if that is nearer) to its stamp, and rrtime(i) is the
// end of step i. At a finer step a record's depth is split evenly over the steps its
// interval covers (the 06:00 hourly record at 0.5 h: 05:30 and 06:00); at a coarser
// one a step takes the records whose intervals end in it, the steps ending at whole
// multiples of the step from midnight (15-minute records into hours ending 01:00,
// 02:00). A record that is absent (a gap of at least half a record) is filled with
// the depth of the record before it. Every failure gives obs = 0.
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
