// The hydrograph report file and the caption summary (see hydrograph_report.h).
#include "runoff/hydrograph_report.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <string>

#include "common/dates.h"
#include "common/numbers.h"
#include "common/runtime_error.h"
#include "runoff/form3_state.h"
#include "runoff/number_format.h"
#include "runoff/report_cells.h"

namespace corv {

namespace {

constexpr int kPathFileAccess = 75;
constexpr char kEol[] = "\r\n";
constexpr int kTimeMinutesDecimals = 5;  // "##0.00000"
constexpr int kTimeHoursDecimals = 1;    // "######0.0"
constexpr int kFlowLargeDecimals = 0;    // "########0"
constexpr int kFlowSmallDecimals = 1;    // "######0.0"

std::string text(const QString& s) { return s.toStdString(); }

void line(std::string& out, const std::string& s)
{
    out += s;
    out += kEol;
}

std::string printed(float v) { return printSingle(v); }

// The date cell " dd hh:mm" of database series.
void appendDateCell(std::string& out, double date) { out += formatDate(date, " dd hh:mm"); }

void parameterLines(std::string& out, const ComputeState& s, const ReportBoxes& b)
{
    line(out, "Basin Area (mi^2): " + printed(s.area));
    if (b.ComboDimgraph.contains(QLatin1String("Triangle")))
        line(out, "Triangular factors: " + text(b.txtC) + ", " + text(b.txtLca) + ", " + text(b.txtS) + ", " +
                      text(b.txtelv1) + ", " + text(b.txtElv2));
    else
        line(out, "C value: " + printed(s.C));
    line(out, "Lag Time: " + printed(s.lag));
    if (s.scsMode)
        line(out, "SCS Curve Number CN: " + printed(s.lossValueEntered) + ", S1: " + printed(s.S1start) +
                      ", CNwet: " + printed(s.CNwet) + ", CNdry: " + printed(s.CNdry) + ", S1wet: " +
                      printed(s.S1wet) + ", S1dry: " + printed(s.S1dry));
    else
        line(out, "Intitial Loss (in):  " + formatMask(s.lossValueEntered, "0.00") +
                      ", ILossWet (in):  " + formatMask(s.wetLimit, "0.00") +
                      ", ILossDry (in):  " + formatMask(s.dryLimit, "0.00"));
    line(out, "Constant Loss (in/hr):  " + formatMask(s.constLoss, "0.00"));
    line(out, "Percent Impervious area:  " + formatMask(s.imperviousFraction * 100.0f, "##0.0"));
    line(out, "Loss Recovery Factor:  " + printed(s.recoveryFactor));
    line(out, "Dimensionless Graph:  " + text(b.ComboDimgraph));
}

void routingLine(std::string& out, std::int16_t routeType, const QString& ratingFileName, const ComputeState& s,
                 const ReportBoxes& b)
{
    switch (routeType) {
    case route::kModifiedPuls: line(out, "Storage routing file: " + text(ratingFileName)); break;
    case route::kMuskingum:
        line(out, "Muskingum K lag: " + text(b.txtMuskK) + "  Muskingum X storage: " + text(b.txtMuskX));
        break;
    case route::kCombined: line(out, "Combined hydrograph filename: " + text(s.combineFileName)); break;
    case route::kTravelTime: line(out, "Tatum time of travel: " + text(b.txtTatum) + " " + text(b.capTatum)); break;
    default: line(out, ""); break;
    }
    line(out, "");
}

}  // namespace

HydrographReport buildHydrographReport(ComputeState& s, std::int16_t routeType, const QString& ratingFileName,
                                       const ReportBoxes& boxes)
{
    const bool routing = routeType != route::kNone;
    const bool database = s.rainMode == 3;

    s.rainLoss = 0;
    for (long i = 1; i <= s.obs; ++i) {
        if (s.rationalMethod) s.excess(i) *= s.C;
        s.rainLoss += s.rdepth(i) - s.excess(i);
    }

    const int timeDecimals = s.udur < 1 ? kTimeMinutesDecimals : kTimeHoursDecimals;
    const int flowDecimals = s.maxq >= 100 ? kFlowLargeDecimals : kFlowSmallDecimals;
    s.timeFormat = QString::fromLatin1(s.udur < 1 ? "##0.00000" : "######0.0");
    s.flowFormat = QString::fromLatin1(s.maxq >= 100 ? "########0" : "######0.0");
    s.blank9 = QString(static_cast<int>(kCellWidth), QLatin1Char(' '));

    // Dates for every row of a database series; the ones past its end are stepped on.
    long datesKnown = s.rrtime.ubound();
    if (s.rrtime.ubound() < s.it) s.rrtime.redimPreserve(s.it);

    std::string out;
    // Nine characters a cell and up to eight cells a row.
    out.reserve(static_cast<std::size_t>(s.it + 2) * 80 + 2048);
    line(out, text(boxes.txtTitle));
    line(out, text(boxes.txtTile2));
    if (!routing) parameterLines(out, s, boxes);
    routingLine(out, routeType, ratingFileName, s, boxes);

    HydrographReport report;
    if (routing) {
        line(out, "  PEAK-IN     TIME  ACRE-FT PEAK-OUT     TIME   MAXELV");
        usgsround(s.maxq);
        usgsround(s.maxout);
        report.caption = QStringLiteral("QmaxIn=%1 cfs, Vol=%2 acft, QmaxOut=%3 cfs")
                             .arg(QString::fromStdString(shortestText(s.maxq)),
                                  QString::fromStdString(shortestText(s.volume)),
                                  QString::fromStdString(shortestText(s.maxout)));
    } else {
        line(out, " DURATION     RAIN    PEAKQ     TIME  ACRE-FT");
        usgsround(s.maxq);
        report.caption = QStringLiteral("Runoff Qmax=%1 cfs, Vol=%2 acft, RainLoss=%3 in from %4 total")
                             .arg(QString::fromStdString(shortestText(s.maxq)),
                                  QString::fromStdString(shortestText(s.volume)),
                                  QString::fromStdString(formatMask(s.rainLoss, "0.00")),
                                  QString::fromStdString(formatMask(s.tdepth, "0.00")));
    }

    if (!routing) {
        appendMaskCell(out, s.stormDuration, 3);
        appendMaskCell(out, s.tdepth, 2);
    }
    appendMaskCell(out, s.maxq, flowDecimals);
    if (database) appendDateCell(out, s.rrtime(s.tmax));
    else appendMaskCell(out, static_cast<float>(s.tmax) * s.udur, timeDecimals);
    appendFlowCell(out, s.volume);
    if (routing) {
        appendFlowCell(out, s.maxout);
        if (database) appendDateCell(out, s.rrtime(toInt16(s.tmaxout)));
        else appendMaskCell(out, s.tmaxout * s.udur, kTimeMinutesDecimals);
        appendMaskCell(out, s.maxelv, 2);
    }
    out += kEol;
    line(out, "");

    out += "     Time";
    if (routing) {
        if (routeType == route::kModifiedPuls) out += "     Elev  Storage";
        out += "  Outflow   Inflow";
    } else {
        out += "   Runoff Rainfall   Excess";
        out += s.scsMode ? "       CN       S1   CNpsum" : "   ILpsum";
        out += "   GW_cfs";
    }
    out += kEol;

    const long extrasTo = static_cast<long>(s.obs) + 1;
    for (long i = database ? 1 : 0; i <= s.it; ++i) {
        if (database) {
            if (i <= datesKnown && s.rrtime(i) > 1) s.stepDate = s.rrtime(i);
            else s.stepDate += static_cast<double>(s.udur / 24.0f);
            appendDateCell(out, s.stepDate);
        } else {
            appendMaskCell(out, static_cast<float>(i) * s.udur, timeDecimals);
        }
        if (routing) {
            if (routeType == route::kModifiedPuls) {
                appendMaskCell(out, s.elvout(i), 2);
                appendFlowCell(out, s.storout(i));
            }
            appendFlowCell(out, s.qout(i));
            appendFlowCell(out, s.qi(i));
        } else {
            appendFlowCell(out, s.qi(i));
            if (i <= extrasTo) {
                appendMaskCell(out, s.rdepth(i), 5);
                appendMaskCell(out, s.excess(i), 5);
                if (s.scsMode) {
                    appendMaskCell(out, 1000.0f / (s.S1Step(i) + 10.0f), 5);
                    appendMaskCell(out, s.S1Step(i), 5);
                }
                appendMaskCell(out, s.pCumStep(i), 5);
                float& gw = s.gwFlow(i);
                gw = usgsroundValue(gw);
                appendShortestCell(out, gw);
            }
        }
        out += kEol;
    }

    report.text = QByteArray::fromStdString(out);
    return report;
}

void replaceFileWith(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    if (!info.absoluteDir().exists()) err::raise(err::kPathNotFound);
    if (info.isDir()) throw RuntimeError(kPathFileAccess, "Path/File access error");
    // A report the user made read-only stays as it is.
    if (info.exists() && (!info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner)))
        err::raise(err::kPermissionDenied);
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) throw RuntimeError(kPathFileAccess, "Path/File access error");
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        throw RuntimeError(kPathFileAccess, "Path/File access error");
    }
    if (!file.commit()) throw RuntimeError(kPathFileAccess, "Path/File access error");
}

QString writeHydrographReport(ComputeState& s, std::int16_t routeType, const QString& ratingFileName,
                              const ReportBoxes& boxes, const QString& folder)
{
    s.reportPath = folder + QStringLiteral("/Temp.GRF");
    HydrographReport report = buildHydrographReport(s, routeType, ratingFileName, boxes);
    replaceFileWith(s.reportPath, report.text);
    return report.caption;
}

}  // namespace corv
