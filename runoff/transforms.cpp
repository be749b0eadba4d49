// Unit-graph transforms and the closing sequence (see transforms.h).
#include "runoff/transforms.h"

#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "common/dialogs.h"
#include "common/numbers.h"
#include "common/read_file.h"
#include "common/runtime_error.h"
#include "runoff/design_storm.h"
#include "runoff/number_format.h"
#include "runoff/recession_stop.h"
#include "runoff/text_fields.h"

namespace corv {

namespace {

constexpr float kCfsPerInchHourSqMi = 645.33f;
constexpr float kGraphPeakFactor = 26.89f;
constexpr double kCfsDaysPerInchSqMi = 26.8888;
constexpr double kAcreFtPerCfsDay = 1.9835;
constexpr long kRationalSize = 9000;
constexpr long kMaxIndex = 32767;
// A graph file holds at most 32767 ordinates: a few hundred kilobytes.
constexpr qint64 kMaxGraphFileBytes = 16LL * 1024 * 1024;

// Ground-water and base flow of step i: the base flow goes on under the whole
// hydrograph, also past the arrays sized to the rain.
float gwAt(const ComputeState& s, long i)
{
    if (i >= 0 && i <= s.gwFlow.ubound()) return s.gwFlow(i);
    return std::max(s.baseFlow, 0.0f);
}

// The excess as the loss stage left it: the impervious share is already in it.
float sumExcess(const ComputeState& s, long from, long to)
{
    float total = 0;
    for (long i = from; i <= to; ++i) total += s.excess(i);
    return total;
}

StageEnd noExcess(const ComputeState& s, Dialogs& dialogs)
{
    dialogs.msgBox(QStringLiteral("No Excess Rainfall for %1 rainfall increments.").arg(s.obs));
    return StageEnd::EndCompute;
}

// Adds base flow to qi(1..it), finds the first highest ordinate and sums the volume.
void peakAndVolume(ComputeState& s)
{
    for (long i = 1; i <= s.it; ++i) {
        s.qi(i) += gwAt(s, i);
        if (s.qi(i) > s.maxq) {
            s.tmax = static_cast<std::int16_t>(i);
            s.maxq = s.qi(i);
        }
        s.volume += s.qi(i);
    }
}

// Steps in a day, 24 / udur: a whole number over a single is a single quotient, in
// the recession tail and the closing volume alike.
float stepsPerDayOf(float udur) { return 24.0f / udur; }

[[noreturn]] void tooLong(const std::string& method, long needed, long room)
{
    throw RuntimeError(err::kSubscript, "The " + method + " hydrograph needs " + std::to_string(needed) +
                                            " time steps, more than the " + std::to_string(room) +
                                            " it has room for; use a longer time step.");
}

StageEnd rational(ComputeState& s, Dialogs& dialogs)
{
    if (s.C == 0 || s.C > 1) dialogs.msgBox(QStringLiteral("Warning, C estimate should be between .01-1"));
    s.perviousFraction = 1 - s.imperviousFraction;
    s.excessTotal = sumExcess(s, 1, s.obs) * s.C;
    if (s.excessTotal == 0) return noExcess(s, dialogs);

    s.rationalMethod = true;
    s.qi.redim(kRationalSize);
    s.acres = s.area * 640;
    s.maxq = 0;
    s.tmax = 0;
    s.it = 0;
    s.volume = 0;
    // The flow is the average excess intensity over the last lagSteps steps; a lag
    // under half a step still averages over the one step it falls in.
    s.lagSteps = std::max<std::int16_t>(1, stepCount(s.lag, s.udur));
    const float window = static_cast<float>(s.lagSteps) * s.udur;  // hours
    // After the rain the window drains, oldest excess first, so the hydrograph holds C
    // times the excess volume; its last ordinate is the first with an empty window.
    const long last = static_cast<long>(s.obs) + s.lagSteps;
    if (last > kRationalSize) tooLong("Rational Method", last, kRationalSize);

    float S = 0;  // excess in the window, inches
    for (long i = 1; i <= last; ++i) {
        if (i <= s.obs) S += s.excess(i);
        if (i > s.lagSteps) S -= s.excess(i - s.lagSteps);
        if (i == last || S < 0) S = 0;  // no rounding residue once the window is empty
        s.qi(i) = s.C * S / window * s.acres + gwAt(s, i);
        s.volume += s.qi(i);
        if (s.qi(i) > s.maxq) {
            s.tmax = static_cast<std::int16_t>(i);
            s.maxq = s.qi(i);
        }
    }
    s.it = static_cast<std::int16_t>(last);
    return StageEnd::Continue;
}

// Ordinate j (1..rise + recession) of a triangle of peak 1 rising over rise steps.
float triangleOrdinate(long j, long rise, long recession)
{
    if (j <= rise) return static_cast<float>(j) / static_cast<float>(rise);
    return static_cast<float>(recession - (j - rise)) / static_cast<float>(recession);
}

StageEnd triangles(ComputeState& s, const TransformInputs& in, Dialogs& dialogs)
{
    s.perviousFraction = 1 - s.imperviousFraction;
    s.excessTotal = sumExcess(s, 0, s.obs);
    if (s.excessTotal == 0) return noExcess(s, dialogs);

    s.workSize = std::max<std::int16_t>(s.workSize, 9000);
    s.riseSteps.redim(2);
    s.recessionSteps.redim(2);
    s.baseSteps.redim(2);
    s.trianglePeak.redim(2);
    s.triangleShare.redim(2);
    s.extraTriangles = 0;
    s.it = 0;
    s.maxq = 0;
    s.tmax = 0;
    s.volume = 0;

    // A triangle rises over at least one step, also when the lag is under half a step.
    const std::int16_t rise = std::max<std::int16_t>(1, stepCount(s.udur / 2 + s.lag, s.udur));
    // Each triangle is scaled so that its ordinates at the time steps hold its share
    // of one inch over the basin: share * 645.33 * area / udur cfs-steps.
    std::array<float, 3> shares{};
    auto shape = [&](int k, float ratio) {
        s.riseSteps(k) = rise;
        s.recessionSteps(k) = toInt16(static_cast<float>(rise) * ratio);
        s.baseSteps(k) = add16(rise, s.recessionSteps(k));
    };
    shape(0, s.C);
    float shareSum = 0;
    auto extra = [&](int k, double factor, double ratio) {
        s.extraTriangles = static_cast<std::int16_t>(k);
        shape(k, toSingle(ratio));
        shares[static_cast<std::size_t>(k)] = toSingle(factor);
        shareSum += toSingle(factor);
    };
    const double factor2 = boxValue(in.txtLca), ratio2 = boxValue(in.txtS);
    if (factor2 > 0 && ratio2 > 0) extra(1, factor2, ratio2);
    const double factor3 = boxValue(in.txtelv1), ratio3 = boxValue(in.txtElv2);
    if (factor3 > 0 && ratio3 > 0) extra(2, factor3, ratio3);
    // Whatever share the extra triangles claim is taken off the main triangle, so the three together
    // still carry one inch of runoff.
    shares[0] = 1 - shareSum;
    const float inchPerStep = kCfsPerInchHourSqMi * s.area / s.udur;  // cfs-steps of one inch
    long longest = 0;
    for (int k = 0; k <= s.extraTriangles; ++k) {
        float ordinates = 0;
        for (long j = 1; j <= s.baseSteps(k); ++j) ordinates += triangleOrdinate(j, rise, s.recessionSteps(k));
        // A triangle not in use (number 1 when only 3 is given) has no ordinates.
        if (ordinates > 0) s.trianglePeak(k) = shares[static_cast<std::size_t>(k)] * singleQuotient(inchPerStep, ordinates);
        longest = std::max<long>(longest, s.baseSteps(k));
    }

    // The hydrograph runs to the end of the longest triangle, and one ordinate on.
    const long size = longest + s.workSize;
    const long it = s.obs + 1L + longest;
    if (it > std::min(size, kMaxIndex)) tooLong("triangle unit graph", it, std::min(size, kMaxIndex));
    s.qi.redim(size);

    float* q = s.qi.data();
    for (long st = 1; st <= s.obs; ++st) {
        const float e = s.excess(st);
        for (int k = 0; k <= s.extraTriangles; ++k) {
            const float share = e * s.trianglePeak(k);
            s.triangleShare(k) = share;
            const long rec = s.recessionSteps(k);
            const long base = s.baseSteps(k);
            float* out = q + st - 1;  // ordinate j lands on step st + j - 1
            for (long j = 1; j <= base; ++j) out[j] += share * triangleOrdinate(j, rise, rec);
        }
        if (in.processEvents) in.processEvents();
    }
    s.it = static_cast<std::int16_t>(it);
    peakAndVolume(s);
    return StageEnd::Continue;
}

StageEnd linearReservoir(ComputeState& s)
{
    const float k = s.C;  // txtC holds the reservoir's shape here, per hour
    if (!(k > 0))
        throw RuntimeError(err::kInvalidProcedureCall,
                           "The linear reservoir's shape (" + strSingle(k) +
                               " per hour) must be above 0: a reservoir that does not drain gives no hydrograph.");
    const float F = singleQuotient(s.area * kCfsPerInchHourSqMi, s.udur);
    const float e = static_cast<float>(std::exp(-static_cast<double>(s.udur * k)));
    s.delaySteps = toInt16(singleQuotient(s.udur / 2 + s.lag, s.udur) * (s.lag * 0.0281f + 0.592f));
    if (s.delaySteps < 1)
        throw RuntimeError(err::kSubscript,
                           "The linear reservoir's delay comes to " + std::to_string(s.delaySteps) +
                               " time steps for a lag of " + strSingle(s.lag) + " hours and a time step of " +
                               strSingle(s.udur) + " hours; it needs at least 1: use a shorter time step.");
    s.delayLine.redim(s.delaySteps);
    s.maxq = 0;
    s.tmax = 0;
    s.volume = 0;

    // The reservoir and its delay register run on with no inflow after the rain until
    // the outflow has drained: what is still stored (in the register and, as the sum of
    // its future outflows O e / (1 - e), in the reservoir) is under 0.1 % of the excess
    // volume, or the flow is below the routings' stop threshold with under 1 % left.
    const long inflowEnd = std::min<long>(s.obs, s.excess.ubound());
    const double inflowVolume = static_cast<double>(sumExcess(s, 1, inflowEnd)) * F;  // cfs-steps
    const double drainRatio = static_cast<double>(e) / (1.0 - static_cast<double>(e));
    const long D = s.delaySteps;
    std::vector<float> outflow(1, 0.0f);  // reservoir outflow of step t, before the delay
    std::vector<float> q(1, 0.0f);
    RecessionStop stop;
    double pending = 0;  // register contents not yet handed on, cfs-steps
    float O = 0;
    long t = 0;
    for (;;) {
        ++t;
        if (t > kMaxIndex) {
            const double left = 100.0 * (pending + O * drainRatio) / inflowVolume;
            throw RuntimeError(err::kSubscript, "The linear reservoir hydrograph has not drained after " +
                                                    std::to_string(kMaxIndex) + " time steps (" +
                                                    strSingle(static_cast<float>(left)) +
                                                    " % of the excess is still stored); use a longer time step.");
        }
        const float inflow = t <= inflowEnd ? s.excess(t) : 0.0f;
        O = inflow * F * (1 - e) + O * e;
        outflow.push_back(O);
        pending += O;
        const long from = t - D + 1;
        const float qt = from >= 1 ? outflow[static_cast<std::size_t>(from)] : 0.0f;
        pending -= qt;
        q.push_back(qt);
        if (qt > s.maxq) {
            s.tmax = static_cast<std::int16_t>(t);
            s.maxq = qt;
        }
        s.volume += qt;
        stop.record(t, qt);
        if (t < inflowEnd) continue;
        const double stored = std::max(pending, 0.0) + O * drainRatio;
        if (stored <= 0.001 * inflowVolume) break;
        if (stop.drainedAt(t, inflowEnd, qt, stored, inflowVolume)) break;
    }
    s.it = static_cast<std::int16_t>(t);
    s.qi.redim(s.it);
    std::copy(q.begin(), q.end(), s.qi.data());
    for (long j = 0; j <= D; ++j) {
        const long from = s.it - D + j;
        s.delayLine(j) = from >= 1 ? outflow[static_cast<std::size_t>(from)] : 0.0f;
    }
    return StageEnd::Continue;
}

StageEnd dimensionlessGraph(ComputeState& s, const TransformInputs& in, Dialogs& dialogs)
{
    s.dgfPath = in.folder + QLatin1Char('/') + in.ComboDimgraph;
    s.tp = s.udur / 2 + s.lag;
    s.qpFactor = static_cast<float>(divide(s.area * static_cast<double>(kGraphPeakFactor), s.tp));
    readGraphFile(s, s.dgfPath);
    const std::string name = in.ComboDimgraph.toStdString();

    s.dgfSlope.redim(s.dgfCount + 1L);
    CRVFIT(s.dgfTime, s.dgfOrdinate, s.dgfSlope, s.dgfCount, s.dgfFitError);

    // A negative step would never reach the graph's end in the sampling below.
    if (s.udur < 0) throw RuntimeError(err::kInvalidProcedureCall, "The time step must be greater than 0.");
    const float lastTime = s.dgfTime(s.dgfCount);
    const float span = singleQuotient(lastTime, s.udur);
    if (span > kMaxIndex)
        throw RuntimeError(err::kOverflow, "The dimensionless graph " + name + " spans " + strSingle(std::round(span)) +
                                               " time steps; use a longer time step.");
    s.ugSteps = toInt16(span);

    // The graph at every time step from udur on; the first value falls on the step of
    // its excess.
    std::vector<float> ordinates;
    std::int16_t hint = 1;
    float U = 0;
    for (double t = s.udur; t <= lastTime; t += s.udur) {
        float v = 0;
        EvalCurve(t, v, s.dgfTime, s.dgfOrdinate, s.dgfSlope, s.dgfCount, hint);
        ordinates.push_back(v);
        U += v;
    }
    const long m = static_cast<long>(ordinates.size());
    if (U == 0 || m == 0)
        throw RuntimeError(err::kDivisionByZero, "The dimensionless graph " + name +
                                                     " gives no flow at the time steps (its ordinates are 0 or it "
                                                     "is shorter than one time step).");
    s.unitGraph.redim(std::max<long>(s.ugSteps, m));
    for (long j = 0; j < m; ++j) s.unitGraph(j) = ordinates[static_cast<std::size_t>(j)];
    // Rescaled so that the graph holds exactly one inch over the basin.
    const float Kv = static_cast<float>(divide(s.area * kCfsDaysPerInchSqMi, s.udur * static_cast<double>(U) / 24));
    for (long j = 0; j <= m; ++j) s.unitGraph(j) *= Kv;

    s.perviousFraction = 1 - s.imperviousFraction;
    s.excessTotal = sumExcess(s, 0, s.obs);
    if (s.excessTotal == 0) return noExcess(s, dialogs);

    const long last = s.obs + m;
    if (last > kMaxIndex) tooLong("dimensionless graph", last, kMaxIndex);
    s.qi.redim(last);
    s.maxq = 0;
    s.tmax = 0;
    s.volume = 0;
    s.it = static_cast<std::int16_t>(last);

    if (s.excess.ubound() < s.obs) err::raise(err::kSubscript);
    convolveExcess(s.qi.data(), s.excess.data(), s.obs, s.unitGraph.data(), m);
    peakAndVolume(s);
    return StageEnd::Continue;
}

// Tokens of the free-format part of a graph file, separated by commas or white space,
// one at a time: a file of a million short tokens is not held as a list of them.
class GraphTokens {
public:
    explicit GraphTokens(std::string_view text) : rest_(text) {}
    bool next(std::string_view& token)
    {
        const auto isSep = [](char c) { return c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
        std::size_t i = 0;
        while (i < rest_.size() && isSep(rest_[i])) ++i;
        std::size_t end = i;
        while (end < rest_.size() && !isSep(rest_[end])) ++end;
        token = rest_.substr(i, end - i);
        rest_.remove_prefix(end);
        return !token.empty();
    }

private:
    std::string_view rest_;
};

long countGraphTokens(std::string_view text)
{
    long n = 0;
    GraphTokens all(text);
    for (std::string_view t; all.next(t);) ++n;
    return n;
}

}  // namespace

void convolveExcess(float* __restrict qi, const float* __restrict excess, long steps,
                    const float* __restrict unitGraph, long m)
{
    // Steps outside and graph ordinates inside, so the inner loop runs over contiguous
    // memory; rainless steps add nothing and are skipped.
    for (long st = 1; st <= steps; ++st) {
        const float e = excess[st];
        if (e == 0) continue;
        float* out = qi + st;
        for (long j = 0; j <= m; ++j) out[j] += e * unitGraph[j];
    }
}

void readGraphFile(ComputeState& s, const QString& path)
{
    const QFileInfo info(path);
    const std::string name = info.fileName().toStdString();
    auto fail = [&](int number, const std::string& what) -> void {
        throw RuntimeError(number, "The dimensionless graph file " + name + " " + what);
    };
    const FileRead read = readRegularFile(path, kMaxGraphFileBytes);
    if (read.status == FileRead::Status::Missing)
        throw RuntimeError(err::kFileNotFound,
                           "File not found: the dimensionless graph file " + name + " is not in the folder " +
                               info.absolutePath().toStdString() +
                               ". Graph files other than SCS.DGF are to be supplied in the *.DGF format.");
    if (read.status == FileRead::Status::NotRegular) fail(err::kPathFileAccess, "is not a regular file.");
    if (read.status == FileRead::Status::Unreadable) fail(err::kPermissionDenied, "cannot be read.");
    if (read.status == FileRead::Status::TooLarge) fail(err::kOutOfMemory, "is too large for a graph file.");
    const QByteArray& bytes = read.bytes;

    // Two free text lines, then the values.
    std::string_view all(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    for (int line = 0; line < 2; ++line) {
        const std::size_t nl = all.find('\n');
        if (nl == std::string_view::npos) fail(err::kInputPastEnd, "ends within its two title lines.");
        all.remove_prefix(nl + 1);
    }
    const long tokenCount = countGraphTokens(all);
    GraphTokens tokens(all);
    auto number = [&](const char* what) {
        std::string_view t;
        tokens.next(t);
        if (t.size() > kMaxNumberField) {
            const char* start = bytes.constData();
            const long line = 1 + static_cast<long>(std::count(start, t.data(), '\n'));
            checkNumberField(t, "The dimensionless graph file " + name, line);
        }
        double v = 0;
        try {
            v = toNumberStrict(t);
        } catch (const RuntimeError&) {
            fail(err::kTypeMismatch, std::string("has \"") + std::string(t.substr(0, 20)) + "\" where " + what +
                                         " is expected.");
        }
        // Every value is kept as a single; one beyond singles names itself.
        try {
            toSingle(v);
        } catch (const RuntimeError&) {
            fail(err::kOverflow, std::string("has \"") + std::string(t.substr(0, 20)) + "\" as " + what +
                                     ", beyond the range of numbers the program computes with.");
        }
        return v;
    };
    if (tokenCount < 2) fail(err::kInputPastEnd, "has no point count and time step after its title lines.");
    const double n = std::nearbyint(number("the point count"));
    const double step = number("the time step (percent of the time to peak)");
    if (n < 4) fail(err::kInvalidProcedureCall, "has " + strDouble(n) + " points; at least 4 are needed.");
    if (n > kMaxIndex) fail(err::kOverflow, "announces " + strDouble(n) + " points; at most 32767 can be read.");
    if (!(step > 0)) fail(err::kInvalidProcedureCall, "has a time step of " + strDouble(step) + " percent; it must be above 0.");
    const long count = static_cast<long>(n);
    if (tokenCount - 2 < count)
        fail(err::kInputPastEnd, "announces " + std::to_string(count) + " ordinates but holds only " +
                                     std::to_string(tokenCount - 2) + ".");

    s.dgfStep = static_cast<float>(step);
    s.dgfCount = static_cast<std::int16_t>(count - 1);
    s.dgfTime.redim(count - 1);
    s.dgfOrdinate.redim(count - 1);
    for (long i = 0; i < count; ++i) {
        const double v = number("an ordinate");
        s.dgfTime(i) = s.dgfStep * s.tp * static_cast<float>(i) / 100.0f;
        s.dgfOrdinate(i) = static_cast<float>(v * s.qpFactor);
    }
}

StageEnd transformExcess(ComputeState& s, const TransformInputs& in, Dialogs& dialogs)
{
    StageEnd end;
    if (in.ComboDimgraph == QLatin1String("Rational Method"))
        end = rational(s, dialogs);
    else if (in.ComboDimgraph == QLatin1String("Triangle Unit Graph"))
        end = triangles(s, in, dialogs);
    else if (in.ComboDimgraph == QLatin1String("Linear Reservoir"))
        end = linearReservoir(s);
    else
        end = dimensionlessGraph(s, in, dialogs);
    if (end != StageEnd::Continue) return end;

    // Closing sequence: the volume in acre-ft, rounded by size.
    float v = static_cast<float>(s.volume * kAcreFtPerCfsDay / stepsPerDayOf(s.udur));
    s.volume = usgsround(v);
    return StageEnd::Continue;
}

}  // namespace corv
