// The compute driver (see compute_driver.h).
#include "runoff/compute_driver.h"

#include <QFileInfo>
#include <algorithm>
#include <new>
#include <utility>

#include "common/dialogs.h"
#include "common/module1.h"
#include "common/numbers.h"
#include "common/runtime_error.h"
#include "runoff/box_check.h"
#include "runoff/finite_check.h"
#include "runoff/hydrograph_file.h"
#include "runoff/hydrograph_report.h"
#include "runoff/losses.h"
#include "runoff/routing.h"
#include "runoff/transforms.h"

namespace corv {

namespace {

constexpr int kCombineOption = 2;

// The mouse pointer of the run: the hourglass while the steps are walked.
class Pointer {
public:
    explicit Pointer(const ComputeHooks& hooks) : hooks_(hooks) {}
    ~Pointer() { set(false); }
    Pointer(const Pointer&) = delete;
    Pointer& operator=(const Pointer&) = delete;

    void set(bool busy)
    {
        if (busy == busy_) return;
        busy_ = busy;
        if (hooks_.setBusy) hooks_.setBusy(busy);
    }
    bool busy() const { return busy_; }

private:
    const ComputeHooks& hooks_;
    bool busy_ = false;
};

// The run's dialogs: a question or message shows with the normal pointer, and the
// hourglass comes back when the run goes on.
class PointerDialogs : public Dialogs {
public:
    PointerDialogs(Dialogs& inner, Pointer& pointer) : inner_(inner), pointer_(pointer) {}

    MsgAnswer msgBox(const QString& text, MsgStyle style = MsgStyle::OkOnly, const QString& title = {}) override
    {
        const Pause pause(pointer_);
        return inner_.msgBox(text, style, title);
    }
    QString inputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {}) override
    {
        const Pause pause(pointer_);
        return inner_.inputBox(prompt, title, defaultText);
    }
    std::optional<QString> fileDialog(const FileRequest& request) override
    {
        const Pause pause(pointer_);
        return inner_.fileDialog(request);
    }

private:
    struct Pause {
        explicit Pause(Pointer& p) : pointer(p), was(p.busy()) { pointer.set(false); }
        ~Pause()
        {
            if (was) pointer.set(true);
        }
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;
        Pointer& pointer;
        bool was;
    };
    Dialogs& inner_;
    Pointer& pointer_;
};

float single(const QString& text) { return boxSingle(text); }

// One run of Command1_Click.
class Run {
public:
    Run(Form3State& state, ChartGrid& chart, const ComputeBoxes& boxes, const QString& folder, Dialogs& dialogs,
        CommonDialog& commonDialog, const ComputeHooks& hooks, ComputeOutcome& out)
        : state_(state), s_(state.computeState), chart_(chart), boxes_(boxes), folder_(folder), rawDialogs_(dialogs),
          commonDialog_(commonDialog), hooks_(hooks), out_(out), pointer_(hooks), dialogs_(dialogs, pointer_)
    {
    }

    void go()
    {
        try {
            // Letters read as 0, or a step or area no hydrograph has, would compute a
            // plainly wrong hydrograph without a word: the box is named before anything runs.
            if (const auto refused = refusedBox(boxes_, state_.routeType != route::kNone)) {
                state_.routeType = route::kNone;
                dialogs_.msgBox(*refused);
                return stop();
            }
            baseFlowEntry();
            if (state_.routeType != route::kNone) routePath();
            else computePath();
        } catch (const std::bad_alloc&) {
            fail(computeErrorText(QString::fromStdString(err::text(err::kOutOfMemory)), true));
        } catch (const RuntimeError& e) {
            fail(computeErrorText(QString::fromStdString(e.what()), stepMayCause(e.number())));
        } catch (const std::exception& e) {
            fail(computeErrorText(QString::fromStdString(e.what()), false));
        } catch (...) {
            fail(computeErrorText(QString::fromStdString(err::text(0)), false));
        }
    }

private:
    void pump()
    {
        if (hooks_.processEvents) hooks_.processEvents();
    }

    void stop() { out_.end = ComputeOutcome::End::Stopped; }

    void baseFlowEntry()
    {
        const bool baseFlow = boxes_.lblL.contains(QLatin1String("Base Flow"));
        s_.baseFlow = baseFlow ? single(boxes_.txtL) : 0.0f;
        out_.baseFlowLayout = baseFlow;
    }

    void routePath()
    {
        state_.routeType = route::kNone;
        // 5 * it as a single, so that no 16-bit product overflows before the cap.
        s_.newit = toInt16(std::min(5.0f * static_cast<float>(s_.it), static_cast<float>(kLastRoutedOrdinate)));
        s_.maxelv = 0;
        const int option = boxes_.optRouteType;
        if (option != kCombineOption && chart_.ColumnCount() < 3) {
            dialogs_.msgBox(QStringLiteral("Compute hydrograph before routing."));
            return stop();
        }
        switch (option) {
        case 0: s_.elvout.redim(s_.newit); break;
        case 1:
            s_.K = single(boxes_.txtMuskK);
            s_.muskX = single(boxes_.txtMuskX);
            break;
        case 3:
            s_.tatumTime = single(boxes_.txtTatum);
            if (boxes_.capTatum == QLatin1String("minutes")) s_.tatumTime /= 60.0f;
            break;
        default: break;
        }
        // A routing or file that fails halfway, or whose result cannot be reported,
        // leaves the hydrograph and the boxes as they were, so that the next "Go"
        // still starts from it.
        ComputeState saved = s_;
        const bool routeAgain = state_.routeAgain;
        try {
            if (hooks_.routeOrCombine) hooks_.routeOrCombine(state_, boxes_, dialogs_, commonDialog_);
            else routeOrCombine(option);
            // The routine refused or was cancelled: no report.
            if (state_.routeType == route::kNone) return stop();
            s_.obs = -2;
            reportAndChart();
        } catch (...) {
            s_ = std::move(saved);
            state_.routeAgain = routeAgain;
            out_.rainfallBoxes = {};
            throw;
        }
        // A pool above its table or a routing that has not drained: said once it is shown.
        if (!routeNote_.empty()) dialogs_.msgBox(QString::fromStdString(routeNote_));
    }

    // The routine of the selected option; it leaves routeType 0 when it refused,
    // was cancelled or stored too few rows.
    void routeOrCombine(int option)
    {
        switch (option) {
        case 0: {
            state_.ratingFileName = chooseFile({}, QStringLiteral("Modpul files (*.RAT)|*.RAT|All files (*.*)|*.*|"));
            if (state_.ratingFileName.isEmpty()) return;
            const RatingTable table = readRatingTable(state_.ratingFileName, s_.udur);
            state_.routeType = route::kModifiedPuls;
            routeNote_ = modpul(s_, table, boxes_.txtModbelv, state_.routeAgain);
            break;
        }
        case 1:
            routeNote_ = muskingum(s_, s_.K, s_.muskX, state_.routeAgain);
            state_.routeType = route::kMuskingum;
            break;
        case kCombineOption: combine(); break;
        case 3:
            TatumRoute(s_, state_.routeAgain);
            state_.routeType = route::kTravelTime;
            break;
        default: break;
        }
    }

    // The shared file dialog, opening in the program's folder; Cancel gives "".
    QString chooseFile(const QString& title, const QString& filter)
    {
        commonDialog_.DialogTitle = title;
        commonDialog_.FileName.clear();
        commonDialog_.InitDir = folder_;
        commonDialog_.Filter = filter;
        commonDialog_.ShowOpen();
        return commonDialog_.FileName;
    }

    void combine()
    {
        if (boxes_.chkCombineHDB) {
            // The period window's station and period, read into TmpHDB.GRF.
            s_.combineFileName.clear();
            if (!hooks_.databaseFlow) {
                dialogs_.msgBox(QStringLiteral("Flow from the hydrologic database is not available."));
                return;
            }
            if (hooks_.databaseFlow(s_, out_.rainfallBoxes) != StageEnd::Continue) return;
        } else {
            s_.combineFileName = chooseFile(QStringLiteral("Load hydrograph or combine with current"),
                                            QStringLiteral("Hydrograph files (*.GRF)|*.GRF|All files (*.*)|*.*|"));
        }
        if (s_.combineFileName.isEmpty()) return;
        // Anything else than a regular file (a folder, a FIFO, a device) is the
        // reader's to refuse, by name.
        if (!QFileInfo::exists(s_.combineFileName)) {
            dialogs_.msgBox(QStringLiteral("File not found: ") + s_.combineFileName);
            return;
        }
        const HydrographLoad mode = state_.hydrographPlotted ? HydrographLoad::Add : HydrographLoad::Fresh;
        pump();
        state_.routeType = LoadHydrographFile(s_.combineFileName, s_, mode, state_.routeAgain, dialogs_);
        pump();
        // The database flow has set the caption to hours.
        out_.rainfallBoxes.txtGraphtimestep =
            timeStepBoxText(s_.udur, out_.rainfallBoxes.Label14.value_or(boxes_.Label14));
    }

    // Runs at another time step cannot share the chart's rows.
    void clearPlots()
    {
        resetChartGrid(chart_, boxes_.txtDuration, boxes_.txtRain, boxes_.txtArealAdj);
        state_.hydrographPlotted = false;
        out_.chartChanged = true;
    }

    void computePath()
    {
        state_.routeType = route::kNone;
        state_.routeAgain = false;
        Module1::dateFormCancelled = false;
        s_.qout.redim(1);
        s_.elvout.redim(1);
        s_.storout.redim(1);

        if (boxes_.ComboDimgraph.contains(QLatin1String("Select")) ||
            boxes_.ComboRain.contains(QLatin1String("Select"))) {
            dialogs_.msgBox(QStringLiteral("Select a Dimensionless Graph and Rainfall Arrangement"));
            return stop();
        }

        s_.workSize = 0;
        s_.C = single(boxes_.txtC);
        s_.area = single(boxes_.txtBasinArea);
        if (boxes_.Label10.contains(QLatin1String("acre"))) s_.area /= kAcresPerSquareMile;
        if (boxes_.Label10.contains(QLatin1String("ft^2"))) s_.area /= kSquareFeetPerSquareMile;
        s_.lag = single(boxes_.txtLag);
        s_.udur = single(boxes_.txtGraphtimestep);

        // The number as typed decides: the same number in minutes and then in hours
        // keeps the plots.
        if (state_.lastTimeStep == 0) state_.lastTimeStep = s_.udur;
        if (s_.udur != state_.lastTimeStep) {
            clearPlots();
        }
        state_.lastTimeStep = s_.udur;
        if (boxes_.Label14.contains(QLatin1String("minute"))) s_.udur /= 60.0f;

        const LossInputs loss{boxes_.txtCNloss, boxes_.txtResetLossFactor, boxes_.txtConstLoss, boxes_.GWloss,
                              boxes_.txtPercentImp};
        if (setUpLosses(s_, loss, dialogs_) != StageEnd::Continue) return stop();

        RainfallInputs rain;
        rain.ComboRain = boxes_.ComboRain;
        rain.ComboDimgraph = boxes_.ComboDimgraph;
        rain.txtC = boxes_.txtC;
        rain.txtDuration = boxes_.txtDuration;
        rain.txtRain = boxes_.txtRain;
        rain.txtArealAdj = boxes_.txtArealAdj;
        rain.folder = folder_;
        rain.databaseRainfall = hooks_.databaseRainfall;
        const float typedStep = s_.udur;
        if (buildRainfall(s_, rain, commonDialog_, dialogs_, out_.rainfallBoxes) != StageEnd::Continue)
            return stop();
        requireFiniteResults(s_, RunResults::Rainfall);
        if (out_.rainfallBoxes.txtGraphtimestep) {
            // Recorded rainfall brings its own step, which the box shows from now on: runs
            // at the step typed before cannot share the chart with it, and the next run at
            // the recorded step can.
            if (s_.udur != typedStep && state_.hydrographPlotted) {
                clearPlots();
            }
            state_.lastTimeStep = single(*out_.rainfallBoxes.txtGraphtimestep);
        }

        pointer_.set(true);
        pump();
        accountLosses(s_, state_.hourlyRecovery, state_.monthlyRecovery);
        requireFiniteResults(s_, RunResults::Losses);

        TransformInputs transform;
        transform.ComboDimgraph = boxes_.ComboDimgraph;
        transform.txtLca = boxes_.txtLca;
        transform.txtS = boxes_.txtS;
        transform.txtelv1 = boxes_.txtelv1;
        transform.txtElv2 = boxes_.txtElv2;
        transform.folder = folder_;
        transform.processEvents = hooks_.processEvents;
        if (transformExcess(s_, transform, dialogs_) != StageEnd::Continue) {
            pointer_.set(false);
            return stop();
        }
        reportAndChart();
    }

    // The end both paths share: the report file, the caption and the new column.
    void reportAndChart()
    {
        pointer_.set(false);
        // Whatever path led here, nothing infinite goes into the report or the chart.
        requireFiniteResults(s_, state_.routeType != route::kNone ? RunResults::Routing : RunResults::Hydrograph);
        pump();
        ReportBoxes report;
        report.txtTitle = boxes_.txtTitle;
        // A storm file names itself in the second title.
        report.txtTile2 = out_.rainfallBoxes.txtTile2.value_or(boxes_.txtTile2);
        report.ComboDimgraph = boxes_.ComboDimgraph;
        report.txtC = boxes_.txtC;
        report.txtLca = boxes_.txtLca;
        report.txtS = boxes_.txtS;
        report.txtelv1 = boxes_.txtelv1;
        report.txtElv2 = boxes_.txtElv2;
        report.txtMuskK = boxes_.txtMuskK;
        report.txtMuskX = boxes_.txtMuskX;
        report.txtTatum = boxes_.txtTatum;
        report.capTatum = boxes_.capTatum;
        QString caption = writeHydrographReport(s_, state_.routeType, state_.ratingFileName, report, folder_);
        out_.chartChanged = true;
        const RunInputs run{boxes_.ComboDimgraph, boxes_.ComboRain, boxes_.txtMuskK, boxes_.txtMuskX,
                            boxes_.txtTatum, boxes_.capTatum, state_.ratingFileName};
        plotHydrograph(chart_, s_, state_.routeType, runName(state_.routeType, s_, run));
        // The caption goes to the window only with a run that got this far.
        out_.caption = std::move(caption);
        state_.routeType = route::kNone;
        state_.hydrographPlotted = true;
        out_.end = ComputeOutcome::End::Plotted;
    }

    // The error handler: pointer back, files closed (each stage closes its own), no
    // routing pending, the error's text.
    void fail(const QString& text)
    {
        pointer_.set(false);
        pump();
        state_.routeType = route::kNone;
        out_.end = ComputeOutcome::End::Failed;
        rawDialogs_.msgBox(text);
    }

    Form3State& state_;
    ComputeState& s_;
    ChartGrid& chart_;
    const ComputeBoxes& boxes_;
    const QString& folder_;
    Dialogs& rawDialogs_;
    CommonDialog& commonDialog_;
    const ComputeHooks& hooks_;
    ComputeOutcome& out_;
    Pointer pointer_;
    PointerDialogs dialogs_;
    std::string routeNote_;
};

}  // namespace

bool stepMayCause(int errorNumber)
{
    switch (errorNumber) {
    case err::kInvalidProcedureCall:
    case err::kOverflow:
    case err::kOutOfMemory:
    case err::kSubscript:
    case err::kDivisionByZero: return true;
    default: return false;
    }
}

QString computeErrorText(const QString& error, bool hint)
{
    if (!hint) return error;
    return error + QLatin1Char('\n') + QStringLiteral("Check your time step for hours or minutes!");
}

ComputeOutcome ComputeDriver::Command1_Click(Form3State& state, ChartGrid& chart, const ComputeBoxes& boxes,
                                             const QString& folder, Dialogs& dialogs, CommonDialog& commonDialog,
                                             const ComputeHooks& hooks)
{
    ComputeOutcome out;
    // The run lets window events through (pointer, triangle steps, message boxes): a
    // second click must not start a run inside this one.
    if (running_) {
        out.end = ComputeOutcome::End::Busy;
        return out;
    }
    running_ = true;
    struct Done {
        bool& running;
        ~Done() { running = false; }
    } done{running_};
    Run(state, chart, boxes, folder, dialogs, commonDialog, hooks, out).go();
    return out;
}

}  // namespace corv
