// Hydrograph routing (see routing.h).
#include "runoff/routing.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "common/numbers.h"
#include "common/runtime_error.h"
#include "runoff/recession_stop.h"
#include "runoff/text_fields.h"

namespace corv {

namespace {

constexpr long kMaxTableRows = 100;
// cfs-hours per acre-foot, twice: the storage-indication value 2S/dt + O.
constexpr float kIndicationFactor = 24.2f;
constexpr qint64 kMaxTableFileBytes = 1024 * 1024;
// Room added whenever a routed series outgrows its array.
constexpr long kGrowth = 100;

std::string name(const QString& path) { return path.toStdString(); }

std::string tableFile(const QString& path) { return "The storage routing file " + name(path); }

[[noreturn]] void tableError(int number, const QString& path, const std::string& what)
{
    throw RuntimeError(number, tableFile(path) + " " + what);
}

std::string lineNo(long line) { return "line " + std::to_string(line); }

// Grows a series, keeping its values, so that index i exists: to i + extra.
void reach(VArray<float>& a, long i, long extra)
{
    if (i > a.ubound()) a.redimPreserve(i + extra);
}

// The outflow peak and the end of the routed tail, for Muskingum and Modified Puls:
// the recession rule of the unit-graph transforms, with its water balance, and at the
// latest the ordinate before s.newit.
class RoutedStop {
public:
    // routing names the routing in the message of a routing that has not drained.
    RoutedStop(ComputeState& s, std::string routing) : s_(s), routing_(std::move(routing)) {}

    // Records ordinate j of the outflow; when it is the new peak, the peak and its
    // ordinate go to s.maxout and s.tmaxout and the result is true.
    bool peak(long j)
    {
        if (!rule_.record(j, s_.qout(j))) return false;
        s_.maxout = rule_.peak();
        s_.tmaxout = static_cast<float>(rule_.peakAt());
        return true;
    }
    // Water above the rest level at the start (cfs-steps): a pool that starts full must
    // drain it too, though no inflow brought it, before the routing may end.
    void startsHolding(double stored) { start_ = std::max(stored, 0.0); }
    // Adds an ordinate's inflow and outflow (cfs, one step each) to the water balance.
    void balance(float in, float out)
    {
        in_ += in;
        out_ += out;
    }
    // True when the routing ends at ordinate j: below the threshold of its peak once the
    // inflow has ended and under 1 % of the water (the inflow and what was stored at the
    // start) is still stored, or, from the ordinate before s.newit on, as soon as under
    // 1 % is still stored. What is stored is the water not yet returned, or, given in
    // cfs-steps, the pool above its rest level: that also leaves out water that stays for
    // good below a spillway crest, and holds no error of summing flows step by step. A
    // slow pond or reach routes on past s.newit until then, and at the latest stops at
    // ordinate last: its peak is kept, and note() says how much it still holds.
    bool stop(long j, long lastInflow, long last, std::optional<double> pool = std::nullopt)
    {
        const double water = start_ + in_;
        const double stored = pool ? *pool : water - out_;
        if (rule_.drainedAt(j, lastInflow, s_.qout(j), stored, water)) return true;
        if (j >= static_cast<long>(s_.newit) - 1 && !RecessionStop::holdsBack(stored, water)) return true;
        if (j < last) return false;
        const double percent = water > 0 ? std::round(1000.0 * stored / water) / 10.0 : 100.0;
        note_ = "The " + routing_ + " has not drained by ordinate " + std::to_string(j) +
                ", the most a hydrograph holds: " + strDouble(percent) + " % of the inflow volume" +
                (start_ > 0 ? " and of the water stored at the start" : "") +
                " is still stored and is not in the routed hydrograph.";
        return true;
    }
    const std::string& note() const { return note_; }

private:
    ComputeState& s_;
    std::string routing_;
    RecessionStop rule_;
    double start_ = 0;         // cfs-steps above the rest level at the start
    double in_ = 0, out_ = 0;  // cfs-steps so far
    std::string note_;
};

// The last ordinate a routing may reach: the program's limit, or the inflow's end.
long lastRouted(long lastInflow) { return std::max(kLastRoutedOrdinate, lastInflow); }

// The start of every routing: a rerouted outflow lends its peak to the inflow, and
// its ordinates 0 to lastInflow become the inflow (none after them).
void commonStart(ComputeState& s, bool routeAgain)
{
    if (routeAgain) {
        s.maxq = s.maxout;
        s.tmax = toInt16(s.tmaxout);
        const long last = s.it;
        reach(s.qi, last, 1);
        reach(s.qout, last, 1);
        std::copy(s.qout.data(), s.qout.data() + last + 1, s.qi.data());
        std::fill(s.qi.data() + last + 1, s.qi.data() + s.qi.ubound() + 1, 0.0f);
    }
    reach(s.qi, 1, 1);
    reach(s.qout, 1, 1);
    s.maxout = 0;
    s.tmaxout = 0;
}

// Where x lies in an ascending table column: the lower row of the pair that holds it
// and the fraction between the two. Values at or below the first row give row 0;
// values above the last row are extrapolated from the last two rows.
struct Place {
    long row = 0;  // 0: at or below the first row
    float fraction = 0;
    bool beyond = false;  // above the last row
};

Place locate(const RatingTable& t, const VArray<float>& column, float x, const char* what)
{
    const float* c = column.data();
    const long n = t.n;
    if (!(x > c[1])) return {};
    // First row whose entry is at or above x (the column does not fall, see the reader).
    const long k = std::lower_bound(c + 1, c + n + 1, x) - c;
    if (k <= n) return {k - 1, (x - c[k - 1]) / (c[k] - c[k - 1])};
    if (n < 2)
        tableError(err::kSubscript, t.path,
                   "has a single row and the " + std::string(what) + " " + strSingle(x) +
                       " lies above it: a table needs two rows to be extended beyond its last.");
    return {n - 1, (x - c[n - 1]) / (c[n] - c[n - 1]), true};
}

float at(const VArray<float>& column, const Place& p)
{
    const float* c = column.data();
    return c[p.row] + (c[p.row + 1] - c[p.row]) * p.fraction;
}

// The storage a draining pool settles at (acre-ft): the first row's when it already
// releases water (a wet pond or a reach at base flow: below the table there is no level
// it settles at, and water there is no flood), else that of the last row that releases
// none, the spillway crest.
float restingStorage(const RatingTable& t)
{
    if (t.outflow(1) > 0) return t.storage(1);
    long k = 1;
    while (k < t.n && !(t.outflow(k + 1) > 0)) ++k;
    return t.storage(k);
}

// The highest pool above a table's last row, for the message after the routing.
class Overtopping {
public:
    explicit Overtopping(const RatingTable& t) : t_(t) {}
    void see(const Place& p, float E, float S, float O)
    {
        if (!p.beyond || (over_ && !(E > E_))) return;
        over_ = true;
        E_ = E, S_ = S, O_ = O;
    }
    std::string note() const
    {
        if (!over_) return {};
        return "The pool rose above the last row of " + name(t_.path) + " (" + lineNo(t_.n + 2L) + ", elevation " +
               strSingle(t_.elevation(t_.n)) + " ft) to an elevation of " + strSingle(E_) + " ft, a storage of " +
               strSingle(S_) + " acre-ft and an outflow of " + strSingle(O_) +
               " cfs. Values beyond the table are extrapolated from its last two rows.";
    }

private:
    const RatingTable& t_;
    bool over_ = false;
    float E_ = 0, S_ = 0, O_ = 0;
};

// Two notes in one message.
std::string joined(const std::string& a, const std::string& b)
{
    return a.empty() ? b : b.empty() ? a : a + "\n" + b;
}

}  // namespace

RatingTable readRatingTable(const QString& path, float udur)
{
    const QByteArray bytes = readDataFile(path, kMaxTableFileBytes, tableFile(path), "a table of 100 rows");
    const std::string_view all(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const std::string file = tableFile(path);
    Lines lines(all);
    // Each line read, the title too, is refused with a bare carriage return: two rows
    // joined at one would be read as one.
    std::string_view line2;
    for (int k = 0; k < 2; ++k)
        if (lines.next(line2)) refuseBareReturn(line2, file, lines.number());
    if (lines.number() < 2) tableError(err::kInputPastEnd, path, "has no row count on line 2.");
    checkNumberField(line2, file, 2);
    if (!startsWithNumber(line2))
        tableError(err::kTypeMismatch, path, "gives no row count on line 2 (\"" + shownLine(line2) + "\").");
    const double count = std::nearbyint(fieldValue(line2));
    if (count < 1 || count > kMaxTableRows)
        tableError(err::kSubscript, path,
                   "announces " + strDouble(count) + " rows on line 2; a table holds 1 to 100 rows.");
    const long n = static_cast<long>(count);
    const long dataLines = countLines(all) - 2;
    if (dataLines < n)
        tableError(err::kInputPastEnd, path,
                   "announces " + std::to_string(n) + " rows but has only " + std::to_string(std::max(dataLines, 0L)) +
                       " after line 2.");

    RatingTable t;
    t.path = path;
    t.n = static_cast<std::int16_t>(n);
    for (VArray<float>* c : {&t.elevation, &t.outflow, &t.storage, &t.indication}) c->redim(kMaxTableRows);
    char sep = ',';
    for (long i = 1; i <= n; ++i) {
        std::string_view text;
        lines.next(text);
        const long line = lines.number();
        refuseBareReturn(text, file, line);
        if (i == 1) sep = text.find(',') != std::string_view::npos ? ',' : '\t';
        const std::vector<std::string_view> f = splitFields(text, sep, 3);
        if (f.size() < 3)
            tableError(err::kSubscript, path,
                       "has fewer than three values (elevation, outflow, storage) on " + lineNo(line) + " (\"" +
                           shownLine(text) + "\"); its separator is " + (sep == ',' ? "a comma" : "a TAB") +
                           ", as on line 3.");
        for (std::string_view field : f) checkNumberField(field, file, line);
        for (std::size_t k = 0; k < 3; ++k)
            if (!startsWithNumber(f[k]))
                tableError(err::kTypeMismatch, path, "has no number in field " + std::to_string(k + 1) + " of " +
                                                         lineNo(line) + " (\"" + shownLine(text) + "\").");
        t.elevation(i) = fileSingle(fieldValue(f[0]), f[0], file, line);
        t.outflow(i) = fileSingle(fieldValue(f[1]), f[1], file, line);
        t.storage(i) = fileSingle(fieldValue(f[2]), f[2], file, line);
        try {
            t.indication(i) = toSingle(divide(kIndicationFactor * t.storage(i), udur)) + t.outflow(i);
        } catch (const RuntimeError&) {
            if (udur == 0) throw;  // the time step's fault, not the table's
            t.indication(i) = std::numeric_limits<float>::infinity();
        }
        if (!std::isfinite(t.indication(i)))
            tableError(err::kOverflow, path,
                       "has a storage and outflow on " + lineNo(line) + " (\"" + shownLine(text) +
                           "\") whose storage-indication value 2S/dt + O is beyond the range of numbers the "
                           "program computes with.");
        if (i > 1) {
            // The columns are searched as ascending tables: a falling or repeated
            // elevation or storage-indication value has no place in them. A flat
            // outflow (no release below a spillway crest) is fine.
            const auto falls = [&](const VArray<float>& c) { return c(i) < c(i - 1); };
            std::string fault;
            if (!(t.elevation(i) > t.elevation(i - 1))) fault = "an elevation that does not rise above";
            else if (falls(t.outflow)) fault = "an outflow below";
            else if (falls(t.storage)) fault = "a storage below";
            else if (!(t.indication(i) > t.indication(i - 1))) fault = "the same outflow and storage as";
            if (!fault.empty())
                tableError(err::kDivisionByZero, path,
                           "has " + fault + " the row before on " + lineNo(line) +
                               "; down the table elevations rise, outflows and storages do not fall, and one "
                               "of them rises.");
        }
    }
    return t;
}

std::string muskingum(ComputeState& s, float K, float X, bool routeAgain)
{
    commonStart(s, routeAgain);
    const float half = s.udur / 2.0f;
    const float D = K * (1.0f - X) + half;
    const float C0 = toSingle(divide(half - K * X, D));
    const float C1 = toSingle(divide(K * X + half, D));
    const float C2 = toSingle(divide(K * (1.0f - X) - half, D));

    // A steady start: the reach already carries the first inflow, so a flow record that
    // begins on a base flow does not dip at its start (a computed hydrograph starts at 0).
    s.qout(0) = s.qi(0);
    if (s.newit < 1) {
        s.it = 1;
        return {};
    }
    RoutedStop rule(s, "Muskingum routing");
    rule.peak(0);
    const long lastInflow = s.it;
    const long last = lastRouted(lastInflow);
    // With a step shorter than 2KX, C0 is negative and the routing dips below zero as
    // the inflow rises. No negative flow is shown: the dip is held back as water owed
    // and paid out of the next flows, while the routing goes on from its own values.
    // Clamping instead, and routing on from the clamped 0, adds water that the C2 term
    // then multiplies (a sharp flood gained up to 80 % of its volume).
    float routed = s.qout(0);  // the routing's own outflow of the step before
    float owed = 0;
    long j = 0;
    for (;;) {
        ++j;
        reach(s.qi, j, kGrowth);
        reach(s.qout, j, kGrowth);
        const float* qi = s.qi.data();
        float* qo = s.qout.data();
        routed = C0 * qi[j] + C1 * qi[j - 1] + C2 * routed;
        float q = routed - owed;
        owed = q < 0 ? -q : 0.0f;
        if (q < 0) q = 0;
        qo[j] = q;
        rule.peak(j);
        rule.balance(qi[j], q);
        if (rule.stop(j, lastInflow, last)) break;
    }
    s.it = static_cast<std::int16_t>(j);
    return rule.note();
}

std::string modpul(ComputeState& s, const RatingTable& t, const QString& beginElevation, bool routeAgain)
{
    commonStart(s, routeAgain);
    s.storout.redim(s.qout.ubound());
    reach(s.elvout, s.qout.ubound(), 0);

    // The initial state: the first row, or the pool at the begin elevation. A pool at
    // or below the first row starts as the first row, its elevation included.
    float E = t.elevation(1), O = t.outflow(1), S = t.storage(1);
    Place start;
    if (!beginElevation.trimmed().isEmpty()) {
        const float typed = boxSingle(beginElevation);
        start = locate(t, t.elevation, typed, "begin elevation");
        if (start.row > 0) {
            E = typed;
            O = at(t.outflow, start);
            S = at(t.storage, start);
        }
    }
    float P = toSingle(divide(kIndicationFactor * S, s.udur));
    s.qout(0) = O;
    s.elvout(0) = E;
    s.storout(0) = S;
    s.maxelv = 0;

    RoutedStop rule(s, "Modified Puls routing through " + name(t.path));
    Overtopping over(t);
    over.see(start, E, S, O);
    if (rule.peak(0)) s.maxelv = E;
    const long lastInflow = s.it;
    const long last = lastRouted(lastInflow);
    const float indication1 = t.indication(1);
    const float rest = restingStorage(t);
    const double cfsStepsPerAcreFoot = kIndicationFactor / 2.0 / static_cast<double>(s.udur);
    rule.startsHolding((S - rest) * cfsStepsPerAcreFoot);
    // Step j routes the inflow between ordinates j and j + 1, from ordinate 0, so the
    // first interval's inflow is routed too; ordinate j + 1 takes the state at its end.
    long j = 0;
    for (;;) {
        for (VArray<float>* a : {&s.qi, &s.qout, &s.storout, &s.elvout}) reach(*a, j + 1, kGrowth);
        const float V = s.qi(j) + s.qi(j + 1) + P - O;
        const Place pv = locate(t, t.indication, V, "storage-indication value");
        if (pv.row == 0) {
            // Below the first row the outflow and storage fall along the straight line to
            // zero, at the lowest elevation the table knows.
            const float share = indication1 > 0 ? std::max(V, 0.0f) / indication1 : 1.0f;
            O = t.outflow(1) * share;
            S = t.storage(1) * share;
            E = t.elevation(1);
        } else {
            // Elevation and storage are read where the outflow is, at the pool's
            // storage-indication value: where outflows rise this is the place of the
            // outflow in its own column, and where they stay flat (no release below a
            // spillway crest) it still tells the pool's height.
            O = at(t.outflow, pv);
            E = at(t.elevation, pv);
            S = at(t.storage, pv);
        }
        P = V - O;
        ++j;
        s.qout(j) = O;
        s.elvout(j) = E;
        s.storout(j) = S;
        over.see(pv, E, S, O);
        if (rule.peak(j)) s.maxelv = E;
        rule.balance(s.qi(j), O);
        if (rule.stop(j, lastInflow, last, (S - rest) * cfsStepsPerAcreFoot)) break;
    }
    s.it = static_cast<std::int16_t>(j);
    return joined(rule.note(), over.note());
}

namespace {

// count (1 or 2) travel-time passes, the first ending at ordinate L: q(k) becomes
// (q(k - 1) + q(k)) / 2 for k from 2 to L + 1 and q(1) becomes (q(0) + q(1)) / 2, each pass
// from the values the one before left; q(1) takes its mean with the steady flow q(0),
// which no pass changes. Above its last ordinate a series is all zeros,
// so a pass leaves zeros there and the second of two passes can run in the same sweep.
// The sweep goes down in blocks of four ordinates, each block loaded before it is
// stored, with the singles' own sums and halvings (times 0.5 is the same single as
// divided by 2): the output is the one-pass-at-a-time loop's, bit for bit, four
// ordinates an instruction, and each ordinate read once for two passes.
void halfStepPasses(float* q, long L, int count)
{
    using Four = float __attribute__((vector_size(16)));
    const auto load = [](const float* at) {
        Four v;
        std::memcpy(&v, at, sizeof v);
        return v;
    };
    const Four half = {0.5f, 0.5f, 0.5f, 0.5f};
    for (long k = L; k <= L + count; ++k) q[k] = 0;
    long j = L + count;  // the highest ordinate still to be worked
    if (count == 1) {
        for (; j >= 5; j -= 4) {
            const Four v = (load(q + j - 4) + load(q + j - 3)) * half;
            std::memcpy(q + j - 3, &v, sizeof v);
        }
        for (; j >= 2; --j) q[j] = (q[j - 1] + q[j]) * 0.5f;
        q[1] = (q[0] + q[1]) * 0.5f;
        return;
    }
    // Two passes: the first pass's means at j - 4 .. j - 1 and j - 3 .. j, then the
    // second's at j - 3 .. j.
    for (; j >= 6; j -= 4) {
        const Four below = load(q + j - 5), middle = load(q + j - 4), top = load(q + j - 3);
        const Four v = ((below + middle) * half + (middle + top) * half) * half;
        std::memcpy(q + j - 3, &v, sizeof v);
    }
    for (; j >= 3; --j) q[j] = ((q[j - 2] + q[j - 1]) * 0.5f + (q[j - 1] + q[j]) * 0.5f) * 0.5f;
    if (j == 2) q[2] = ((q[0] + q[1]) * 0.5f + (q[1] + q[2]) * 0.5f) * 0.5f;
    q[1] = (q[0] + (q[0] + q[1]) * 0.5f) * 0.5f;
}

}  // namespace

void TatumRoute(ComputeState& s, bool routeAgain)
{
    commonStart(s, routeAgain);
    const float passes = toSingle(divide(2.0f * s.tatumTime, s.udur)) + 0.5f;
    const long N = static_cast<long>(intFloor(passes));
    if (N < 0) throw RuntimeError(err::kInvalidProcedureCall, "The travel time must not be negative.");
    const long lastInflow = s.it;
    s.newit = add16(add16(s.it, 1), N);
    const long newit = s.newit;

    // Room for the lengthened series and the ordinates after it that the report
    // reads; outflow left from an earlier run beyond the inflow is cleared.
    reach(s.qi, newit + 2, kGrowth);
    reach(s.qout, newit + 2, kGrowth);
    // A steady start, as in Muskingum routing: the flow before the series is its first.
    for (long j = 0; j <= lastInflow; ++j) s.qout(j) = s.qi(j);
    float* q = s.qout.data();
    std::fill(q + lastInflow + 1, q + s.qout.ubound() + 1, 0.0f);

    // Each pass moves the series half a step later: q(k + 1) takes the mean of q(k)
    // and q(k + 1), each mean from the values before the pass; q(1) takes its mean
    // with the steady flow of ordinate 0. (Setting it to 0 instead lost half of the
    // first ordinate, half the volume of a Rational hydrograph whose storm fits in its
    // first step.) The passes go two at a time (see halfStepPasses).
    long p = 1;
    for (; p + 1 <= N; p += 2) halfStepPasses(q, lastInflow + p, 2);
    if (p <= N) halfStepPasses(q, lastInflow + p, 1);

    long k = 0;
    for (; k <= newit; ++k) {
        if (q[k] > s.maxout) {
            s.maxout = q[k];
            s.tmaxout = static_cast<float>(k);
        }
        if (k > lastInflow && q[k] == 0) break;
    }
    // Past the 16-bit count this is an overflow, not a count that wraps to negative.
    s.it = toInt16(static_cast<double>(k <= newit ? k + 1 : newit + 2));
}

}  // namespace corv
