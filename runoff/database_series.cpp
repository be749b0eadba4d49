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

// A station typed into the box, or left there from the other path, is not read.
bool stationListed(const DatabaseLink& link)
{
    if (link.form->stationListed()) return true;
    link.dialogs->msgBox(QStringLiteral("\"") + link.form->ComboDSID->currentText() +
                         QStringLiteral("\" is not in the station list: select a station from the list."));
    return false;
}

// The count, and the depth recorded beside the depth used when filling added some.
QString rainfallCountText(const ComputeState& s, const RainfallRetrieval& r)
{
    QString text = QString::number(s.obs) + QStringLiteral(" values for period, missing ") +
                   QString::number(s.missing) + QStringLiteral(" filled as last value.");
    if (s.missing > 0 && s.tdepth != r.recordedDepth)
        text += QStringLiteral(" Recorded depth ") + QString::fromStdString(strSingle(r.recordedDepth)) +
                QStringLiteral(", depth used ") + QString::fromStdString(strSingle(s.tdepth)) + QLatin1Char('.');
    return text;
}

}  // namespace

StageEnd databaseRainfall(ComputeState& s, RainfallBoxes& boxes, const DatabaseLink& link)
{
    Dialogs& dialogs = *link.dialogs;
    SequenceFields& db = s.database;
    if (runRetrievalSequence(true, db, link.folder, *link.form, dialogs) == SequenceEnd::Cancelled)
        return StageEnd::EndCompute;
    if (!stationListed(link)) return StageEnd::EndCompute;
    const RainfallRetrieval r = GetHDB(db.bdate, db.edate, s.obs, s.missing, s.udur, s.rrtime, s.rdepth, s.tdepth,
                                       db.myDB, retrievalInputs(link), dialogs);
    if (r.end != RetrievalEnd::Series) {
        // Only a query that found nothing is a period without data.
        if (r.end == RetrievalEnd::NoRows) dialogs.msgBox(QStringLiteral("No data in HDB for time period."));
        return StageEnd::EndCompute;
    }
    s.constLossStep = s.constLoss * s.udur;
    s.stormDuration = static_cast<float>(s.obs) * s.udur;
    s.workSize = add16(s.obs, 1000);
    s.excess.redim(s.workSize);
    s.gwFlow.redim(s.workSize);
    boxes.clearTable = true;
    showSeries(s, boxes, link);
    dialogs.msgBox(rainfallCountText(s, r));
    return StageEnd::Continue;
}

StageEnd databaseFlow(ComputeState& s, RainfallBoxes& boxes, const DatabaseLink& link)
{
    SequenceFields& db = s.database;
    if (runRetrievalSequence(false, db, link.folder, *link.form, *link.dialogs) == SequenceEnd::Cancelled ||
        !stationListed(link))
        return StageEnd::EndCompute;
    float udur = s.udur;
    if (GetHDBQ(db.bdate, db.edate, s.obs, udur, db.myDB, retrievalInputs(link), *link.dialogs) != RetrievalEnd::Series)
        return StageEnd::EndCompute;
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
