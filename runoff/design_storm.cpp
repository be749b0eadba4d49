// Design storm, monotone curve fit and descending sort (see design_storm.h).
#include "runoff/design_storm.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/numbers.h"
#include "common/runtime_error.h"

namespace corv {

void BuildDesignStorm(std::int16_t& arrangement, VArray<float>& durations, VArray<float>& depths,
                      VArray<float>& slopes, std::int16_t& obs, VArray<float>& stepTimes, VArray<float>& rdepth,
                      float& stormDuration, float& udur, VArray<float>& cumDepth, VArray<float>& incDepth)
{
    if (udur < 0) throw RuntimeError(err::kInvalidProcedureCall, "The time step must be greater than 0.");

    // A first row longer than one step: the curve starts at duration 0 with a share of
    // the first depth, so the first steps are not all rain-free.
    if (durations(1) > udur)
        depths(0) = depths(1) / (singleQuotient(durations(1), udur) + 1);
    if (udur == 0) err::raise(err::kDivisionByZero);  // the step loop below would never end

    const std::int16_t rows = obs;
    std::int16_t IER = 0;
    CRVFIT(durations, depths, slopes, rows, IER);  // zero slopes are acceptable: IER is not needed

    // The time runs in double precision, but a step whose time equals the storm's
    // duration once rounded to single precision still counts.
    const double limit = static_cast<double>(stormDuration) + 0.15 * static_cast<double>(udur);
    std::int16_t hint = 1;
    std::int16_t k = 0;
    double lastTime = 0;
    for (double time = udur; time <= limit; time += udur) {
        if (static_cast<float>(time) > stormDuration) break;
        k = add16(k, 1);
        float value = 0;
        EvalCurve(time, value, durations, depths, slopes, rows, hint);
        stepTimes(k) = static_cast<float>(time);
        cumDepth(k) = value;
        incDepth(k) = cumDepth(k) - cumDepth(k - 1);
        lastTime = time;
    }
    // A storm that ends between two steps, or within the first, keeps all its depth: a
    // last step takes the curve up to the storm's end (a remainder too small to be a
    // step of its own, from rounding the times, joins the step before).
    if (stormDuration > 0 && static_cast<float>(lastTime) < stormDuration) {
        float value = 0;
        EvalCurve(stormDuration, value, durations, depths, slopes, rows, hint);
        if (k == 0 || stormDuration - lastTime > 1e-3 * static_cast<double>(udur)) {
            k = add16(k, 1);
            stepTimes(k) = stormDuration;
        }
        cumDepth(k) = value;
        incDepth(k) = cumDepth(k) - cumDepth(k - 1);
    }
    const std::int16_t m = k;
    obs = m;

    SortDescending(incDepth, 1, m);

    if (arrangement == 0) {
        for (long i = 0; i <= m; ++i) rdepth(i) = incDepth(i);
        return;
    }
    if (m < 1) return;  // no steps, nothing to place

    std::int16_t p;
    int q;
    if (arrangement == 3) {
        p = toInt16(m / 2.0);
        q = 2;
    } else {
        p = toInt16(2.0 * m / 3.0);
        q = 3;
    }
    // A one-step centred storm would put its only increment at step 0, outside the
    // series: the peak step is at least 1.
    if (p < 1) p = 1;
    rdepth(p) = incDepth(1);
    if (arrangement == 2) rdepth(toInt16(m / 3.0 + 1.0)) = incDepth(1);

    long after = 0;
    long before = 0;
    for (long i = 1; i <= m - 1; ++i) {
        long step;
        if (i % q == 0) {
            ++after;
            step = p + after;
            if (step > m) {
                ++before;
                step = p - before;
            }
        } else {
            ++before;
            step = p - before;
            if (step < 1) {
                ++after;
                step = p + after;
            }
        }
        if (arrangement == 2)
            rdepth(m - step + 1) = incDepth(i + 1);
        else
            rdepth(step) = incDepth(i + 1);
    }
}

void CRVFIT(const VArray<float>& x, const VArray<float>& y, VArray<float>& t, std::int16_t N, std::int16_t& IER)
{
    IER = 2;
    if (x.ubound() < 2) return;
    if (N < 3 || static_cast<double>(x(2)) - x(1) == 0) return;

    // Secant of interval k, in double precision.
    auto secant = [&](long k) {
        return (static_cast<double>(y(k + 1)) - y(k)) / (static_cast<double>(x(k + 1)) - x(k));
    };
    // Harmonic-mean end slope from two estimates, 0 when it is undefined.
    auto endSlope = [](double c, double e) -> double {
        if (c == 0 || e == 0) return 0;
        const double h = 0.5 / c + 0.5 / e;
        return h == 0 ? 0 : 1.0 / h;
    };

    double A = secant(1);  // B takes it at the first point
    double B = 0;
    bool F = false;
    for (long i = 1; i <= N; ++i) {
        t(i) = 0;
        if (i == 1 || (i >= 3 && i < N)) {
            F = false;
            B = A;
            const long k = i == 1 ? 2 : i;
            if (static_cast<double>(x(k + 1)) - x(k) <= 0) return;
            A = secant(k);
        }
        if (i < N && !((A > 0 && B > 0) || (A < 0 && B < 0))) F = true;

        if (i == 1) {
            const double s1 = B;
            const double s2 = A;
            const double C = s1;
            double E = 2 * s1 - s2;
            if (!F && std::fabs(s2) > std::fabs(s1) && s1 != 0 && s2 != 0) {
                double den = 2 / s1 - 1 / s2;
                if (den == 0) den = 1e-30;
                E = 1 / den;
            }
            t(i) = static_cast<float>(endSlope(C, E));
        } else if (i == N) {
            const double sPrev = B;  // s(N-2)
            const double sLast = A;  // s(N-1)
            const double E = sLast;
            double C = 2 * sLast - sPrev;
            if (!F && std::fabs(sPrev) > std::fabs(sLast) && sPrev != 0 && sLast != 0) {
                double den = 2 / sLast - 1 / sPrev;
                if (den == 0) den = 1e-30;
                C = 1 / den;
            }
            t(i) = static_cast<float>(endSlope(C, E));
        } else if (!F) {
            t(i) = static_cast<float>(1.0 / (0.5 / B + 0.5 / A));
        }
    }
    IER = 0;
}

void EvalCurve(double a, float& result, const VArray<float>& x, const VArray<float>& y, const VArray<float>& t,
               std::int16_t N, std::int16_t& hint)
{
    // Forward-only search: the interval of the previous call is tried first.
    const float af = static_cast<float>(a);
    long k = hint;
    long L = 0;
    while (k <= N) {
        L = k - 1;
        if (x(k - 1) <= af && af <= x(k)) break;
        ++k;
        if (k > N) L = N - 1;
    }
    hint = static_cast<std::int16_t>(std::min<long>(k, 32767));

    const double h = static_cast<double>(x(L + 1)) - x(L);
    if (h == 0) err::raise(err::kDivisionByZero);
    const double d = static_cast<double>(y(L + 1)) - y(L);
    const double u = a - x(L);
    const double tL = t(L);
    const double tR = t(L + 1);
    const double c2 = (3 * d / h - 2 * tL - tR) / h;
    const double c3 = (tR + tL - 2 * d / h) / (h * h);
    result = static_cast<float>(y(L) + tL * u + c2 * u * u + c3 * u * u * u);
}

void SortDescending(VArray<float>& a, std::int16_t first, std::int16_t last)
{
    if (last <= first) return;  // one element or none: nothing to compare, nothing to read

    // Pending ranges as (first, last) pairs in single-precision slots 0..100; the push
    // that needs slot 101 is a subscript error, as it always was.
    VArray<float> stack(100);
    long sp = 0;
    long l = first;
    long r = last;
    for (;;) {
        const float pivot = a((l + r) / 2);
        long i = l;
        long j = r;
        do {
            while (a(i) > pivot) ++i;
            while (a(j) < pivot) --j;
            if (i <= j) {
                if (i < j) std::swap(a(i), a(j));
                ++i;
                --j;
            }
        } while (i <= j);
        if (i < r) {
            stack(sp) = static_cast<float>(i);
            stack(sp + 1) = static_cast<float>(r);
            sp += 2;
        }
        r = j;
        if (l < j) continue;
        if (sp == 0) return;
        sp -= 2;
        l = std::lround(stack(sp));
        r = std::lround(stack(sp + 1));
    }
}

}  // namespace corv
