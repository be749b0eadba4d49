// Report cells on a short integer path (see report_cells.h). The path is taken only
// where it provably gives the general rules' digits: a single times a power of ten up
// to 10^12 is exact in a double, and no single below 10^9 lies close enough to a
// rounding half for the general rules' 15-digit first step to move it.
#include "runoff/report_cells.h"

#include <cmath>
#include <string_view>

#include "common/numbers.h"
#include "runoff/number_format.h"

namespace corv {

namespace {

constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12};
constexpr long long kPow10i[] = {1, 10, 100, 1000, 10000, 100000};
constexpr std::string_view kMasks[] = {"########0", "######0.0", "#####0.00", "####0.000", "###0.0000", "##0.00000"};

char* writeDigits(char* end, unsigned long long n)
{
    do {
        *--end = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    return end;
}

void placeRight(std::string& line, const char* text, std::size_t length)
{
    if (length >= kCellWidth) {
        line.append(text, kCellWidth);
    } else {
        line.append(kCellWidth - length, ' ');
        line.append(text, length);
    }
}

// Seven significant digits of a > 0 as the general text form rounds them (halves to
// even on the exact value): a ~ D * 10^(k - 7) with 10^6 <= D < 10^7. False outside
// the range where that form has no exponent (1E-04 <= a < 1E+07).
bool sevenDigits(double a, long long& D, int& k)
{
    if (!(a >= 1e-4 && a < 1e7)) return false;
    // A first guess from rounded powers; the exact test below settles it.
    static constexpr double kLow[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};  // 10^(k-1)
    k = 7;
    while (k > -3 && a < kLow[k + 3]) --k;
    for (;;) {
        const int m = 7 - k;
        if (m < 0 || m > 12) return false;
        const double y = a * kPow10[m];
        if (y < 1e6) {
            --k;
        } else if (y >= 1e7) {
            ++k;
        } else {
            D = static_cast<long long>(std::nearbyint(y));
            if (D == 10000000) {
                D = 1000000;
                ++k;
            }
            return k >= -3 && k <= 7;
        }
    }
}

double sevenDigitValue(long long D, int k)
{
    const int m = 7 - k;
    return static_cast<double>(D) / kPow10[m];
}

// The shortest text of x into buf (ending at end); returns its start, or nullptr
// when x needs the general rules.
char* shortestInto(char* end, float x)
{
    char* p = end;
    if (x == 0) {
        *--p = '0';
        return p;
    }
    long long D = 0;
    int k = 0;
    if (!sevenDigits(std::fabs(static_cast<double>(x)), D, k)) return nullptr;
    int nd = 7;
    while (D % 10 == 0) {
        D /= 10;
        --nd;
    }
    if (k <= 0) {
        p = writeDigits(p, static_cast<unsigned long long>(D));
        for (int i = 0; i < -k; ++i) *--p = '0';
        *--p = '.';
        *--p = '0';
    } else if (nd <= k) {
        for (int i = 0; i < k - nd; ++i) *--p = '0';
        p = writeDigits(p, static_cast<unsigned long long>(D));
    } else {
        long long frac = D;
        for (int i = 0; i < nd - k; ++i) {
            *--p = static_cast<char>('0' + frac % 10);
            frac /= 10;
        }
        *--p = '.';
        p = writeDigits(p, static_cast<unsigned long long>(frac));
    }
    if (x < 0) *--p = '-';
    return p;
}

// x through its shortest text and back to a single.
float throughText(float x)
{
    if (x == 0) return 0.0f;
    long long D = 0;
    int k = 0;
    if (!sevenDigits(std::fabs(static_cast<double>(x)), D, k))
        return static_cast<float>(Val(strSingle(x)));
    const double v = sevenDigitValue(D, k);
    return static_cast<float>(x < 0 ? -v : v);
}

// x by a mask of one leading "0" and decimals "0" places, half away from zero, into
// buf (ending at end); returns its start, or nullptr when x needs the general rules.
char* maskInto(char* end, float x, int decimals)
{
    const double a = std::fabs(static_cast<double>(x));
    if (!(a < 1e9) || decimals < 0 || decimals > 5) return nullptr;
    const long long r = std::llround(a * kPow10[decimals]);
    char* p = end;
    if (decimals > 0) {
        long long frac = r % kPow10i[decimals];
        for (int i = 0; i < decimals; ++i) {
            *--p = static_cast<char>('0' + frac % 10);
            frac /= 10;
        }
        *--p = '.';
        p = writeDigits(p, static_cast<unsigned long long>(r / kPow10i[decimals]));
    } else {
        p = writeDigits(p, static_cast<unsigned long long>(r));
    }
    if (x < 0 && r != 0) *--p = '-';
    return p;
}

}  // namespace

void appendMaskCell(std::string& line, float x, int decimals)
{
    char buf[40];
    char* const end = buf + sizeof buf;
    if (const char* p = maskInto(end, x, decimals)) {
        placeRight(line, p, static_cast<std::size_t>(end - p));
        return;
    }
    line += fm(x, kMasks[decimals < 0 || decimals > 5 ? 0 : decimals]);
}

std::string maskText(float x, int decimals)
{
    char buf[40];
    char* const end = buf + sizeof buf;
    if (const char* p = maskInto(end, x, decimals)) return std::string(p, static_cast<std::size_t>(end - p));
    static constexpr std::string_view kPlain[] = {"0", "0.0", "0.00", "0.000", "0.0000", "0.00000"};
    return formatMask(x, kPlain[decimals < 0 || decimals > 5 ? 0 : decimals]);
}

float usgsroundValue(float v)
{
    const float a = std::fabs(v);
    if (!std::isfinite(v) || a >= 999.5f) {
        float t = v;
        return usgsround(t);
    }
    const int decimals = a >= 9.95f ? 0 : a >= 0.995f ? 1 : a >= 0.0995f ? 2 : 3;
    const long long r = std::llround(static_cast<double>(a) * kPow10[decimals]);
    if (r == 0) return 0.0f;
    const double rounded = static_cast<double>(r) / kPow10[decimals];
    return static_cast<float>(v < 0 ? -rounded : rounded);
}

void appendShortestCell(std::string& line, float x)
{
    char buf[40];
    char* const end = buf + sizeof buf;
    if (const char* p = shortestInto(end, x)) {
        placeRight(line, p, static_cast<std::size_t>(end - p));
        return;
    }
    const std::string text = strSingle(x);
    placeRight(line, text.data(), text.size());
}

void appendFlowCell(std::string& line, float x) { appendShortestCell(line, usgsroundValue(throughText(x))); }

std::string shortestText(float x)
{
    char buf[40];
    char* const end = buf + sizeof buf;
    if (const char* p = shortestInto(end, x)) return std::string(p, static_cast<std::size_t>(end - p));
    return strSingle(x);
}

}  // namespace corv
