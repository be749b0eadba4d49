// Rainfall series: modes, table, design and uniform storms, storm files (see rainfall.h).
#include "runoff/rainfall.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "common/dialogs.h"
#include "common/numbers.h"
#include "common/read_file.h"
#include "common/runtime_error.h"
#include "runoff/design_storm.h"
#include "runoff/text_fields.h"

namespace corv {

namespace {

// The largest step count whose arrays (count + 10) still have 16-bit indices.
constexpr double kMaxStormSteps = 32757;
// Far above any storm file of that many steps; a bigger file is not read into memory.
constexpr qint64 kMaxStormFileBytes = 64LL * 1024 * 1024;

// A data field is a number, or blank (no rain, as spreadsheets leave empty cells).
bool usableField(std::string_view t)
{
    const bool blank = std::all_of(t.begin(), t.end(), isBlank);
    return blank || startsWithNumber(t);
}

// A carriage return ends a field: one left inside a line must not join two numbers
// ("24" CR "1e39" read as 241e39).
std::string_view upToReturn(std::string_view field) { return field.substr(0, field.find('\r')); }

// The first two fields of a line split at sep; false when there is no second field.
bool twoFields(std::string_view line, char sep, std::string_view& f0, std::string_view& f1)
{
    const std::size_t a = line.find(sep);
    if (a == std::string_view::npos) return false;
    f0 = upToReturn(line.substr(0, a));
    const std::size_t b = line.find(sep, a + 1);
    f1 = upToReturn(line.substr(a + 1, b == std::string_view::npos ? std::string_view::npos : b - a - 1));
    return true;
}

std::string stormFile(const QString& path) { return "The storm file " + path.toStdString(); }

[[noreturn]] void stormError(int number, const QString& path, const std::string& what)
{
    throw RuntimeError(number, stormFile(path) + " " + what);
}

}  // namespace

void readStormFile(ComputeState& s, const QString& path)
{
    const FileRead read = readRegularFile(path, kMaxStormFileBytes);
    switch (read.status) {
    case FileRead::Status::Ok: break;
    case FileRead::Status::Missing:
    case FileRead::Status::Unreadable:
        throw RuntimeError(err::kFileNotFound, "File not found: " + path.toStdString());
    case FileRead::Status::NotRegular: stormError(err::kPathFileAccess, path, "is not a regular file.");
    case FileRead::Status::TooLarge: stormError(err::kOutOfMemory, path, "is too large for a storm file.");
    }
    const QByteArray& bytes = read.bytes;
    const std::string_view all(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    Lines lines(all);
    std::string_view line2;
    if (!lines.next(line2) || !lines.next(line2))
        stormError(err::kInputPastEnd, path, "has no second line (step count and time step).");
    s.commaSeparated = line2.find(',') != std::string_view::npos;
    const char sep = s.commaSeparated ? ',' : '\t';
    const char* sepName = s.commaSeparated ? "a comma" : "a TAB";

    std::string_view f0, f1;
    if (!twoFields(line2, sep, f0, f1))
        stormError(err::kSubscript, path,
                   "needs the step count and the time step on line 2, separated by a comma or a TAB.");
    for (std::string_view f : {f0, f1}) checkNumberField(f, stormFile(path), 2);
    const double count = Val(f0);
    if (!startsWithNumber(f0) || count < 0.5)
        stormError(err::kTypeMismatch, path, "gives no step count of 1 or more on line 2 (\"" + shownLine(line2) + "\").");
    if (count > kMaxStormSteps)
        stormError(err::kOverflow, path,
                   "announces " + strDouble(count) + " steps; at most 32757 steps can be computed.");
    const double step = Val(f1);
    if (!startsWithNumber(f1) || !(step > 0))
        stormError(err::kTypeMismatch, path,
                   "gives no time step above 0 hours on line 2 (\"" + shownLine(line2) + "\").");
    // Steps outside this range are typing slips, and the step dates could not hold them.
    if (step < kMinStepHours || step > kMaxStepHours)
        stormError(err::kOverflow, path,
                   "gives a time step of " + shownLine(f1) + " hours on line 2; a storm file's time step must lie between "
                   "0.001 hours (3.6 seconds) and 24 hours.");
    const std::int16_t n = toInt16(count);
    // Counted before anything is sized, so a huge count in a short file costs nothing.
    const long dataLines = countLines(all) - 2;
    if (dataLines < n)
        stormError(err::kInputPastEnd, path,
                   "announces " + std::to_string(n) + " steps but has only " + std::to_string(std::max(dataLines, 0L)) +
                       " data lines.");

    s.obs = n;
    s.udur = static_cast<float>(step);
    s.constLossStep = s.constLoss * s.udur;
    s.stormRows = add16(s.obs, 10);
    s.stormDuration = static_cast<float>(s.obs) * s.udur;
    s.tdepth = 0;
    s.stepTimes.redim(s.stormRows);
    s.rdepth.redim(s.stormRows);
    s.excess.redim(s.stormRows);
    s.gwFlow.redim(s.stormRows);

    float total = 0;
    const std::string file = stormFile(path);
    for (long i = 1; i <= n; ++i) {
        std::string_view line;
        lines.next(line);
        const long lineNumber = lines.number();
        if (!twoFields(line, sep, f0, f1))
            stormError(err::kSubscript, path,
                       "has no second value on line " + std::to_string(lineNumber) + " (\"" + shownLine(line) +
                           "\"); its separator is " + sepName + ", as on line 2.");
        for (std::string_view f : {f0, f1}) checkNumberField(f, file, lineNumber);
        if (!usableField(f0) || !usableField(f1))
            stormError(err::kTypeMismatch, path,
                       "has no number on line " + std::to_string(lineNumber) + " (\"" + shownLine(line) + "\").");
        s.stepTimes(i) = fileSingle(fieldValue(f0), f0, file, lineNumber);
        s.rdepth(i) = fileSingle(fieldValue(f1), f1, file, lineNumber);
        total += s.rdepth(i);
    }
    if (!std::isfinite(total))
        stormError(err::kOverflow, path, "has rainfall depths whose total is beyond the range of numbers the program "
                                         "computes with.");
    s.tdepth = total;
}

StageEnd buildRainfall(ComputeState& s, const RainfallInputs& in, CommonDialog& commonDialog, Dialogs& dialogs,
                       RainfallBoxes& boxes)
{
    s.rainMode = 1;
    const QString& rain = in.ComboRain;
    if (rain == QLatin1String("Average"))
        s.rainMode = 0;
    else if (rain == QLatin1String("None"))
        s.arrangement = 0;
    else if (rain == QLatin1String("Peak at 2/3"))
        s.arrangement = 1;
    else if (rain == QLatin1String("Peak at 1/3"))
        s.arrangement = 2;
    else if (rain == QLatin1String("Peak Centered"))
        s.arrangement = 3;
    else if (rain == QLatin1String("Storm File"))
        s.rainMode = 2;
    else if (rain == QLatin1String("HDB Database"))
        s.rainMode = 3;

    s.durations.redim(9000);
    s.depths.redim(9000);
    s.slopes.redim(9000);
    s.gwFlow.redim(9000);
    s.rrtime.redim(9000);

    // The table in screen order, up to the first row without rain.
    std::int16_t rows = 0;
    for (int i = 1; i <= 8; ++i) {
        s.arealFactor = boxSingle(in.txtArealAdj[static_cast<std::size_t>(i - 1)]);
        if (s.arealFactor == 0) s.arealFactor = 1;
        // The box's number times the single factor, formed in double and stored as a single.
        s.depths(i) = toSingle(boxValue(in.txtRain[static_cast<std::size_t>(i - 1)]) * s.arealFactor);
        s.durations(i) = boxSingle(in.txtDuration[static_cast<std::size_t>(i - 1)]);
        if (s.depths(i) == 0) break;
        rows = static_cast<std::int16_t>(i);
    }
    s.obs = rows;

    if (s.rainMode == 1) {
        s.stormDuration = s.durations(s.obs);
        s.tdepth = s.depths(s.obs);
        // The design storm leaves room for the runoff after the rain: lag plus four
        // hours of steps, and the lag squared (hours, added to a count of steps).
        const float stormSteps = singleQuotient(s.stormDuration, s.udur);
        if (in.ComboDimgraph.contains(QLatin1String("Linear")))
            s.stormOrdinates = toInt16(singleQuotient(s.lag + 4, s.udur * boxSingle(in.txtC)) + stormSteps);
        else
            s.stormOrdinates = toInt16(stormSteps + singleQuotient(s.lag + 4, s.udur) + s.lag * s.lag);
        // Room for every step of the storm, a last partial one included.
        s.stormOrdinates = std::max<std::int16_t>(s.stormOrdinates, toInt16(std::ceil(stormSteps) + 1));
        s.cumDepth.redim(s.stormOrdinates);
        s.incDepth.redim(s.stormOrdinates);
        s.stepTimes.redim(s.stormOrdinates);
        s.rdepth.redim(s.stormOrdinates);
        s.excess.redim(s.stormOrdinates);
        s.gwFlow.redim(s.stormOrdinates + 200L);
        BuildDesignStorm(s.arrangement, s.durations, s.depths, s.slopes, s.obs, s.stepTimes, s.rdepth,
                         s.stormDuration, s.udur, s.cumDepth, s.incDepth);
    } else if (s.rainMode == 2) {
        commonDialog.FileName.clear();
        commonDialog.InitDir = in.folder;
        commonDialog.Filter = QStringLiteral("Storm files (*.STM)|*.STM|All files (*.*)|*.*|");
        commonDialog.ShowOpen();
        s.stormFile = commonDialog.FileName;
        // Cancel: nothing was prepared for this compute, so it ends here, quietly.
        if (s.stormFile.isEmpty()) return StageEnd::EndCompute;
        readStormFile(s, s.stormFile);
        boxes.clearTable = true;
        boxes.txtGraphtimestep = QString::fromStdString(strSingle(s.udur));
        boxes.Label14 = QStringLiteral("Hydrograph Time Step (hours)");
        boxes.txtTile2 = QStringLiteral("Storm file ") + s.stormFile;
    } else if (s.rainMode == 3) {
        if (!in.databaseRainfall) {
            dialogs.msgBox(QStringLiteral("Rainfall from the hydrologic database is not available: "
                                          "choose another rainfall arrangement."));
            return StageEnd::EndCompute;
        }
        if (in.databaseRainfall(s, boxes) == StageEnd::EndCompute) return StageEnd::EndCompute;
    }

    if (s.rainMode == 0) {
        s.tdepth = s.depths(s.obs);
        s.stormDuration = s.durations(s.obs);
        s.stormOrdinates = toInt16(singleQuotient(s.stormDuration, s.udur) + 200);
        s.cumDepth.redim(s.stormOrdinates);
        s.incDepth.redim(s.stormOrdinates);
        s.stepTimes.redim(s.stormOrdinates);
        s.rdepth.redim(s.stormOrdinates);
        s.excess.redim(s.stormOrdinates);
        s.gwFlow.redim(s.stormOrdinates);
        s.durations.redim(200);
        s.depths.redim(200);
        s.slopes.redim(2000);
        // The depth spread over the nearest whole number of steps, at least one, so that
        // the steps hold the table's depth whatever the step.
        s.obs = stepCount(s.stormDuration, s.udur);
        if (s.tdepth != 0) {
            s.obs = std::max<std::int16_t>(s.obs, 1);
            const float perStep = s.tdepth / static_cast<float>(s.obs);
            for (long i = 1; i <= s.obs; ++i) s.rdepth(i) = perStep;
        }
    }
    return StageEnd::Continue;
}

}  // namespace corv
