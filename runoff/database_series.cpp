// The database paths of a compute (see database_series.h).
#include "runoff/database_series.h"

#include <QDir>
#include <cmath>

#include "common/dialogs.h"
#include "hdb/date_form.h"
#include "hdb/retrieval.h"
#include "hdb/retrieval_sequence.h"

namespace corv {

namespace {

// The sequence works on the compute state's database fields.
SequenceEnd runSequence(bool rainchk, ComputeState& s, const DatabaseLink& link)
{
    SequenceFields f;
    f.myDB = s.myDB;
    f.bdate = s.bdate;
    f.edate = s.edate;
    const SequenceEnd end = runRetrievalSequence(rainchk, f, link.folder, *link.form, *link.dialogs);
    s.setupPath = f.setupPath;
    s.myDB = f.myDB;
    if (!f.defaultConnection.isEmpty()) s.defaultConnection = f.defaultConnection;
    s.typedConnection = f.typedConnection;
    s.startDateText = f.startDateText;
    s.endDateText = f.endDateText;
    s.bdate = f.bdate;
    s.edate = f.edate;
    return end;
}

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
    if (runSequence(true, s, link) == SequenceEnd::Cancelled) return StageEnd::EndCompute;
    Dialogs& dialogs = *link.dialogs;
    GetHDB(s.bdate, s.edate, s.obs, s.missing, s.udur, s.rrtime, s.rdepth, s.tdepth, s.myDB, retrievalInputs(link),
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
    runSequence(false, s, link);
    float udur = s.udur;
    GetHDBQ(s.bdate, s.edate, s.obs, udur, s.myDB, retrievalInputs(link), *link.dialogs);
    if (s.obs == 0) return StageEnd::EndCompute;
    // Flows at another step would be added ordinate by ordinate to the wrong times;
    // whole-hour rows teach the file reader no step, so the check is made here.
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
