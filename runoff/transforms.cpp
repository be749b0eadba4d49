// Unit-graph transforms and the closing sequence (see transforms.h).
#include "runoff/transforms.h"

#include <QFileInfo>
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
#include "runoff/number_format.h"

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

// Base flow of step i; a series sized only to its rain (storm files) has none after it.
float gwAt(const ComputeState& s, long i)
{
    return i >= 0 && i <= s.gwFlow.ubound() ? s.gwFlow(i) : 0.0f;
}

float mixed(const ComputeState& s, long i)
{
    return s.rdepth(i) * s.imperviousFraction + s.excess(i) * s.perviousFraction;
}

// Impervious area gives all its rain: excess(from..to) becomes the mixed value.
void mixExcess(ComputeState& s, long from, long to)
{
    float total = 0;
    for (long i = from; i <= to; ++i) {
        s.excess(i) = mixed(s, i);
        total += s.excess(i);
    }
    s.excessTotal = total;
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
    float total = 0;
    for (long i = 1; i <= s.obs; ++i) total += mixed(s, i) * s.C;
    s.excessTotal = total;
    if (s.excessTotal == 0) return noExcess(s, dialogs);

    s.rationalMethod = true;
    s.qi.redim(kRationalSize);
    s.acres = s.area * 640;
    s.maxq = 0;
    s.tmax = 0;
    s.it = 0;
    s.volume = 0;
    s.lagSteps = toInt16(divide(s.lag, s.udur));
    if (s.obs >= kRationalSize) tooLong("Rational Method", s.obs + 1L, kRationalSize);

    // Running sum of the excess of the last lagSteps steps.
    float S = 0;
    for (long i = 1; i <= s.obs; ++i) {
        s.excess(i) = mixed(s, i);
        S += s.excess(i);
        if (i > s.lagSteps) S -= s.excess(i - s.lagSteps);
        s.qi(i) = static_cast<float>(divide(s.C * S, s.lag) * s.acres + s.gwFlow(i));
        s.volume += s.qi(i);
        if (s.qi(i) > s.maxq) {
            s.tmax = static_cast<std::int16_t>(i);
            s.maxq = s.qi(i);
        }
    }

    // Recession tail: the hydrograph goes on until its volume balances the excess volume.
    const float stepsPerDay = stepsPerDayOf(s.udur);
    const float V = s.excessTotal * s.acres / 12;
    float W = static_cast<float>(s.volume * kAcreFtPerCfsDay / stepsPerDay);
    float R = V - 2 * W;
    long p = s.obs;
    long it = s.obs;
    const float tailBase = gwAt(s, s.obs + 1L);
    for (;;) {
        ++it;
        // The last index (it + 1) is part of the hydrograph too.
        if (it + 1 > kRationalSize) tooLong("Rational Method recession", it + 1, kRationalSize);
        if (R > 0) {
            p = s.obs;
            R -= static_cast<float>(s.C * S * s.acres * kAcreFtPerCfsDay / stepsPerDay);
        } else {
            S -= s.excess(p);
        }
        if (S <= s.excess(p)) S = s.excess(p);
        s.qi(it) = static_cast<float>(divide(s.C * S, s.lag) * s.acres + tailBase);
        s.volume += s.qi(it);
        p = std::max(p - 1, 1L);
        W = static_cast<float>(s.volume * kAcreFtPerCfsDay / stepsPerDay);
        if (static_cast<float>(V - (s.qi(it) * kAcreFtPerCfsDay / stepsPerDay) / 2) < W) break;
    }
    s.it = static_cast<std::int16_t>(it + 1);
    return StageEnd::Continue;
}

StageEnd triangles(ComputeState& s, const TransformInputs& in, Dialogs& dialogs)
{
    s.perviousFraction = 1 - s.imperviousFraction;
    mixExcess(s, 0, s.obs);
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

    const std::int16_t rise = toInt16(divide(s.udur / 2.0 + s.lag, s.udur));
    s.riseSteps(0) = rise;
    s.recessionSteps(0) = toInt16(static_cast<double>(rise) * s.C);
    s.baseSteps(0) = add16(rise, s.recessionSteps(0));
    s.trianglePeak(0) = static_cast<float>(divide(divide(2 * kCfsPerInchHourSqMi * s.area, s.C + 1.0), s.lag));

    // The extra triangles take their factors' share of the volume from the main one.
    float shareSum = 0;
    auto extra = [&](int k, double factor, double ratio) {
        s.extraTriangles = static_cast<std::int16_t>(k);
        s.riseSteps(k) = rise;
        s.recessionSteps(k) = toInt16(static_cast<double>(rise) * ratio);
        s.baseSteps(k) = add16(rise, s.recessionSteps(k));
        s.trianglePeak(k) =
            static_cast<float>(divide(divide(2 * kCfsPerInchHourSqMi * s.area, ratio + 1.0) * factor, s.lag));
        shareSum += static_cast<float>(factor);
    };
    const double factor2 = boxValue(in.txtLca), ratio2 = boxValue(in.txtS);
    if (factor2 > 0 && ratio2 > 0) extra(1, factor2, ratio2);
    const double factor3 = boxValue(in.txtelv1), ratio3 = boxValue(in.txtElv2);
    if (factor3 > 0 && ratio3 > 0) extra(2, factor3, ratio3);
    s.trianglePeak(0) *= (1 - shareSum);

    const long size = static_cast<long>(s.baseSteps(s.extraTriangles)) + s.workSize;
    long longest = 0;
    for (int k = 0; k <= s.extraTriangles; ++k) longest = std::max<long>(longest, s.baseSteps(k));
    const long lastWritten = s.obs + longest - 1;
    const long it = s.obs + 1L + s.baseSteps(s.extraTriangles);
    const long needed = std::max(lastWritten, it);
    if (needed > std::min(size, kMaxIndex)) tooLong("triangle unit graph", needed, std::min(size, kMaxIndex));
    s.qi.redim(size);

    float* q = s.qi.data();
    for (long st = 1; st <= s.obs; ++st) {
        const float e = s.excess(st);
        for (int k = 0; k <= s.extraTriangles; ++k) {
            const float share = e * s.trianglePeak(k);
            s.triangleShare(k) = share;
            const long r = s.riseSteps(k);
            const long rec = s.recessionSteps(k);
            const long base = s.baseSteps(k);
            float* out = q + st - 1;  // ordinate j lands on step st + j - 1
            for (long j = 1; j <= base; ++j) {
                if (j <= r)
                    out[j] += static_cast<float>(j) * share / static_cast<float>(r);
                else
                    out[j] += share * static_cast<float>(rec - (j - r)) / static_cast<float>(rec);
            }
        }
        if (in.processEvents) in.processEvents();
    }
    s.it = static_cast<std::int16_t>(it);
    peakAndVolume(s);
    return StageEnd::Continue;
}

StageEnd linearReservoir(ComputeState& s)
{
    const double k = s.C;  // txtC holds the reservoir's shape here
    const float F = static_cast<float>(divide(s.area * static_cast<double>(kCfsPerInchHourSqMi), s.udur));
    const float e = static_cast<float>(std::exp(-static_cast<double>(s.udur) * k));
    s.delaySteps = toInt16(divide(s.udur / 2.0 + s.lag, s.udur) * (s.lag * 0.0281 + 0.592));
    if (s.delaySteps < 1)
        throw RuntimeError(err::kSubscript,
                           "The linear reservoir's delay comes to " + std::to_string(s.delaySteps) +
                               " time steps for a lag of " + strSingle(s.lag) + " hours and a time step of " +
                               strSingle(s.udur) + " hours; it needs at least 1: use a shorter time step.");
    s.delayLine.redim(s.delaySteps);
    if (s.excess.ubound() > kMaxIndex) tooLong("linear reservoir", s.excess.ubound(), kMaxIndex);
    s.it = static_cast<std::int16_t>(s.excess.ubound());
    s.qi.redim(s.it);
    s.maxq = 0;
    s.tmax = 0;
    s.volume = 0;

    // The delay register hands on each outflow delaySteps - 1 steps later; the outflows
    // are kept in order so no register shifting is needed.
    const long D = s.delaySteps;
    std::vector<float> outflow(static_cast<std::size_t>(s.it) + 1, 0.0f);
    float O = 0;
    for (long t = 1; t <= s.it; ++t) {
        O = s.excess(t) * F * (1 - e) + O * e;
        outflow[static_cast<std::size_t>(t)] = O;
        const long from = t - D + 1;
        s.qi(t) = from >= 1 ? outflow[static_cast<std::size_t>(from)] : 0.0f;
        if (s.qi(t) > s.maxq) {
            s.tmax = static_cast<std::int16_t>(t);
            s.maxq = s.qi(t);
        }
        s.volume += s.qi(t);
    }
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

    const float lastTime = s.dgfTime(s.dgfCount);
    const double span = divide(lastTime, s.udur);
    if (span > kMaxIndex)
        throw RuntimeError(err::kOverflow, "The dimensionless graph " + name + " spans " + strDouble(std::round(span)) +
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
    mixExcess(s, 0, s.obs);
    if (s.excessTotal == 0) return noExcess(s, dialogs);

    const long last = s.obs + m;
    if (last > kMaxIndex) tooLong("dimensionless graph", last, kMaxIndex);
    s.qi.redim(last);
    s.maxq = 0;
    s.tmax = 0;
    s.volume = 0;
    s.it = static_cast<std::int16_t>(last);

    // Convolution, steps outside and graph ordinates inside so the inner loop runs
    // over contiguous memory; rainless steps add nothing and are skipped.
    float* __restrict q = s.qi.data();
    const float* __restrict ug = s.unitGraph.data();
    const float* __restrict ex = s.excess.data();
    if (s.excess.ubound() < s.obs) err::raise(err::kSubscript);
    for (long st = 1; st <= s.obs; ++st) {
        const float e = ex[st];
        if (e == 0) continue;
        float* out = q + st;
        for (long j = 0; j <= m; ++j) out[j] += e * ug[j];
    }
    peakAndVolume(s);
    return StageEnd::Continue;
}

// Tokens of the free-format part of a graph file: separated by commas or white space.
std::vector<std::string_view> graphTokens(std::string_view text)
{
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    auto isSep = [](char c) { return c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (i < text.size()) {
        while (i < text.size() && isSep(text[i])) ++i;
        const std::size_t start = i;
        while (i < text.size() && !isSep(text[i])) ++i;
        if (i > start) tokens.push_back(text.substr(start, i - start));
    }
    return tokens;
}

}  // namespace

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
    const std::vector<std::string_view> tokens = graphTokens(all);
    auto number = [&](std::size_t k, const char* what) {
        const std::string_view t = tokens[k];
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
    if (tokens.size() < 2) fail(err::kInputPastEnd, "has no point count and time step after its title lines.");
    const double n = std::nearbyint(number(0, "the point count"));
    const double step = number(1, "the time step (percent of the time to peak)");
    if (n < 4) fail(err::kInvalidProcedureCall, "has " + strDouble(n) + " points; at least 4 are needed.");
    if (n > kMaxIndex) fail(err::kOverflow, "announces " + strDouble(n) + " points; at most 32767 can be read.");
    if (!(step > 0)) fail(err::kInvalidProcedureCall, "has a time step of " + strDouble(step) + " percent; it must be above 0.");
    const long count = static_cast<long>(n);
    if (static_cast<long>(tokens.size()) - 2 < count)
        fail(err::kInputPastEnd, "announces " + std::to_string(count) + " ordinates but holds only " +
                                     std::to_string(tokens.size() - 2) + ".");

    s.dgfStep = static_cast<float>(step);
    s.dgfCount = static_cast<std::int16_t>(count - 1);
    s.dgfTime.redim(count - 1);
    s.dgfOrdinate.redim(count - 1);
    for (long i = 0; i < count; ++i) {
        const double v = number(static_cast<std::size_t>(i + 2), "an ordinate");
        s.dgfTime(i) = static_cast<float>(static_cast<double>(s.dgfStep) * s.tp * static_cast<double>(i) / 100.0);
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
