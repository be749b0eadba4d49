// The database paths of a compute (see database_series.h).
#include "runoff/database_series.h"

#include <QDir>
#include <cmath>

#include "common/dialogs.h"
#include "hdb/window/date_form.h"
#include "hdb/retrieval.h"
#include "hdb/retrieval_sequence.h"

namespace corv {

namespace {

RetrievalInputs retrievalInputs(const DatabaseLink& link)
{
    RetrievalInputs in;
    in.ComboDSID = link.form->ComboDSID->currentText();
    in.ComboUnits = link.form->ComboUnits->currentText();
    in.txtRainAdjust = link.form->txtRainAdjust->text();
    in.chkAutoTimeStep = link.chkAutoTimeStep;
    in.txtGraphtimestep = link.txtGraphtimestep;
    in.Label14 = link.Label14;
    in.folder = link.folder;
    in.processEvents = link.processEvents;
    return in;
}

// The step and the station stand in the window for the next compute and the report.
void showSeries(const ComputeState& s, RainfallBoxes& boxes, const DatabaseLink& link)
{
    boxes.txtGraphtimestep = QString::fromStdString(strSingle(s.udur));
    boxes.Label14 = QStringLiteral("Hydrograph Time Step (hours)");
    boxes.txtTile2 = link.form->ComboDSID->currentText();
}

}  // namespace

StageEnd databaseRainfall(ComputeState& s, RainfallBoxes& boxes, const DatabaseLink& link)
{
    Dialogs& dialogs = *link.dialogs;
    SequenceFields& db = s.database;
    if (runRetrievalSequence(true, db, link.folder, *link.form, dialogs) == SequenceEnd::Cancelled)
        return StageEnd::EndCompute;
    GetHDB(db.bdate, db.edate, s.obs, s.missing, s.udur, s.rrtime, s.rdepth, s.tdepth, db.myDB, retrievalInputs(link),
           dialogs);
    if (s.obs == 0) {
        dialogs.msgBox(QStringLiteral("No data in HDB for time period."));
        return StageEnd::EndCompute;
    }
    s.constLossStep = s.constLoss * s.udur;
    s.stormDuration = static_cast<float>(s.obs) * s.udur;
    s.workSize = add16(s.obs, 1000);
    s.excess.redim(s.workSize);
    s.gwFlow.redim(s.workSize);
    boxes.clearTable = true;
    showSeries(s, boxes, link);
    dialogs.msgBox(QString::number(s.obs) + QStringLiteral(" values for period, missing ") +
                   QString::number(s.missing) + QStringLiteral(" filled as last value."));
    return StageEnd::Continue;
}

StageEnd databaseFlow(ComputeState& s, RainfallBoxes& boxes, const DatabaseLink& link)
{
    SequenceFields& db = s.database;
    runRetrievalSequence(false, db, link.folder, *link.form, *link.dialogs);
    float udur = s.udur;
    GetHDBQ(db.bdate, db.edate, s.obs, udur, db.myDB, retrievalInputs(link), *link.dialogs);
    if (s.obs == 0) return StageEnd::EndCompute;
    // Flows at another step would be added ordinate by ordinate to the wrong times.
    // The flow's step replaces udur before the file is read, so the file reader's own
    // comparison would only meet the flow itself: the steps are compared here, before
    // anything is added.
    if (link.hydrographPlotted && s.it != 0 && std::fabs(udur - s.udur) > 0.001f) {
        link.dialogs->msgBox(QStringLiteral("Unit durations must match current hydrograph"));
        return StageEnd::EndCompute;
    }
    s.udur = udur;
    showSeries(s, boxes, link);
    s.combineFileName = QDir(link.folder).filePath(QStringLiteral("TmpHDB.GRF"));
    return StageEnd::Continue;
}

}  // namespace corv
