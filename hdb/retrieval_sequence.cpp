// The retrieval sequence (see retrieval_sequence.h).
#include "hdb/retrieval_sequence.h"

#include <QDir>

#include "common/dialogs.h"
#include "common/module1.h"
#include "hdb/connection.h"
#include "hdb/window/date_form.h"
#include "hdb/period.h"
#include "hdb/station_list.h"

namespace corv {

namespace {

// A list that cannot be read leaves none: the one shown may be the other path's.
void fillStations(bool rainchk, const QString& myDB, DateForm& form, Dialogs& dialogs)
{
    form.setStations(GetHDBlist(rainchk, myDB, dialogs).value_or(QStringList()));
}

}  // namespace

SequenceEnd runRetrievalSequence(bool rainchk, SequenceFields& f, const QString& folder, DateForm& form,
                                 Dialogs& dialogs)
{
    f.setupPath = QDir(folder).filePath(setupFileName());
    if (const auto stored = readSetupFile(f.setupPath)) {
        f.myDB = *stored;
    } else {
        f.defaultConnection = defaultConnection(folder);
        f.typedConnection =
            dialogs.inputBox(QStringLiteral("Enter connection string:"), QStringLiteral("My Access DB"), f.defaultConnection);
        // Cancel (or an empty answer) ends the retrieval quietly and writes nothing.
        if (f.typedConnection.trimmed().isEmpty()) return SequenceEnd::Cancelled;
        f.myDB = f.typedConnection.trimmed();
        writeSetupFile(f.setupPath, f.myDB);
    }

    form.setConnectionText(f.myDB);
    fillStations(rainchk, f.myDB, form, dialogs);
    form.showModal();
    if (rainchk && Module1::dateFormCancelled) {
        // The count starts again with the next sequence, so that its own setting of
        // the string does not read as an edit.
        Module1::connectionEdits = 0;
        return SequenceEnd::Cancelled;
    }

    // The program's own assignment counted once: more means the user edited the string.
    if (Module1::connectionEdits > 1) {
        f.myDB = form.Text1->text().trimmed();
        writeSetupFile(f.setupPath, f.myDB);
        fillStations(rainchk, f.myDB, form, dialogs);
        dialogs.msgBox(QStringLiteral("Select station"));
        form.showModal();
    }
    Module1::connectionEdits = 0;

    f.startDateText = form.Combo1->currentText() + QLatin1Char('-') + form.Combo2->currentText() + QLatin1Char('-') +
                      form.Combo3->currentText();
    f.endDateText = form.Combo4->currentText() + QLatin1Char('-') + form.Combo5->currentText() + QLatin1Char('-') +
                    form.Combo6->currentText();
    f.bdate = periodDate(f.startDateText, form.Combo7->currentText());
    f.edate = periodDate(f.endDateText, form.Combo8->currentText());
    return SequenceEnd::Retrieve;
}

}  // namespace corv
