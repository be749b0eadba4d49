// The retrieval sequence both database paths of a compute run before they read a
// series: the connection string (setup file or prompt), the station list, the period
// window shown modally, a changed connection string taken, and the period.
#pragma once

#include <QString>

namespace corv {

class DateForm;
class Dialogs;

struct SequenceFields {
    QString setupPath;
    QString myDB;  // kept from one sequence to the next
    QString defaultConnection;
    QString typedConnection;
    QString startDateText;
    QString endDateText;
    double bdate = 0;
    double edate = 0;
};

enum class SequenceEnd { Retrieve, Cancelled };

// Runs the sequence for rainfall (rainchk) or flow. Cancelled when the prompt for the
// connection string was cancelled (nothing is written), and on the rainfall path when
// the period window was closed by its close box; the flow path goes on with the period
// shown. Run-time errors (an unreadable setup file, a period that
// names no date) are exceptions for the compute's error handler.
SequenceEnd runRetrievalSequence(bool rainchk, SequenceFields& f, const QString& folder, DateForm& form,
                                 Dialogs& dialogs);

}  // namespace corv
