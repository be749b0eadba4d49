// Report cells on a short integer path (see report_cells.h). The path is taken only
// where it provably gives the general rules' digits: a single times a power of ten up
// to 10^12 is exact in a double, and no single below 10^9 lies close enough to a
// rounding half for the general rules' 15-digit first step to move it (the nearest a
// single comes to a half at five decimals is about 4E-11 of its size). A report of
// thirty thousand rows goes through here some quarter of a million times.
#include "runoff/report_cells.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "common/numbers.h"
#include "runoff/number_format.h"

namespace corv {

namespace {

constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12};
constexpr std::string_view kMasks[] = {"########0", "######0.0", "#####0.00", "####0.000", "###0.0000", "##0.00000"};

// Whole part of y + 1/2 for an exact y >= 0: a half away from zero. No single times a
// power of ten lies near enough to a half for the addition's rounding to matter.
[[gnu::always_inline]] inline long long halfUp(double y) { return static_cast<long long>(y + 0.5); }

// y to the nearest whole number, a tie to the even one, for an exact 0 <= y < 2^24
// whose bits all survive the addition of 1/2.
[[gnu::always_inline]] inline long long halfEven(double y)
{
    long long r = static_cast<long long>(y + 0.5);
    if (static_cast<double>(r) - y == 0.5 && (r & 1) != 0) --r;
    return r;
}

// "00" to "99", two characters each: digits go out in pairs.
constexpr std::array<char, 200> kPairs = [] {
    std::array<char, 200> t{};
    for (int i = 0; i < 100; ++i) {
        t[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        t[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return t;
}();

[[gnu::always_inline]] inline char* writePair(char* end, unsigned long long twoDigits)
{
    end -= 2;
    std::memcpy(end, kPairs.data() + 2 * twoDigits, 2);
    return end;
}

// The last count digits of n (leading zeros kept), backwards from end; n keeps the rest.
[[gnu::always_inline]] inline char* writeLowDigits(char* end, unsigned long long& n, int count)
{
    for (; count >= 2; count -= 2) {
        const unsigned long long q = n / 100;
        end = writePair(end, n - q * 100);
        n = q;
    }
    if (count == 1) {
        const unsigned long long q = n / 10;
        *--end = static_cast<char>('0' + (n - q * 10));
        n = q;
    }
    return end;
}

[[gnu::always_inline]] inline char* writeDigits(char* end, unsigned long long n)
{
    while (n >= 100) {
        const unsigned long long q = n / 100;
        end = writePair(end, n - q * 100);
        n = q;
    }
    if (n >= 10) return writePair(end, n);
    *--end = static_cast<char>('0' + n);
    return end;
}

// A decimal text: (-) n / 10^decimals, written with its whole part (at least "0")
// and, when decimals is above 0, the point and exactly that many digits.
struct Fixed {
    unsigned long long n = 0;
    int decimals = 0;
    bool negative = false;
};

[[gnu::always_inline]] inline int digitCount(unsigned long long n)
{
    static constexpr std::array<unsigned long long, 20> kPowers = [] {
        std::array<unsigned long long, 20> t{};
        unsigned long long p = 1;
        for (auto& v : t) {
            v = p;
            p *= 10;
        }
        return t;
    }();
    // From the bit length (times log10 2), then one comparison settles it.
    n |= 1;
    const int guess = static_cast<int>((std::bit_width(n) * 1233) >> 12);
    return guess + 1 - (n < kPowers[static_cast<std::size_t>(guess)] ? 1 : 0);
}

[[gnu::always_inline]] inline std::size_t textLength(const Fixed& f)
{
    const int whole = std::max(digitCount(f.n) - f.decimals, 1);
    return static_cast<std::size_t>((f.negative ? 1 : 0) + whole + (f.decimals > 0 ? f.decimals + 1 : 0));
}

// Writes f backwards, ending at end; returns its start.
[[gnu::always_inline]] inline char* writeFixed(char* end, const Fixed& f)
{
    unsigned long long n = f.n;
    char* p = end;
    if (f.decimals > 0) {
        p = writeLowDigits(p, n, f.decimals);
        *--p = '.';
    }
    p = writeDigits(p, n);
    if (f.negative) *--p = '-';
    return p;
}

// The cell: f flush right in blanks, or the first nine characters of a longer text.
// Digits go straight into the cell, which keeps the copy out of the hot path.
[[gnu::always_inline]] inline char* putFixed(char* cell, const Fixed& f)
{
    const std::size_t length = textLength(f);
    if (length <= kCellWidth) {
        std::memcpy(cell, "         ", kCellWidth);  // a fixed size: two stores, no call
        writeFixed(cell + kCellWidth, f);
    } else {
        char buf[48];
        char* const end = buf + sizeof buf;
        std::memcpy(cell, writeFixed(end, f), kCellWidth);
    }
    return cell + kCellWidth;
}

std::string fixedText(const Fixed& f)
{
    char buf[48];
    char* const end = buf + sizeof buf;
    const char* p = writeFixed(end, f);
    return std::string(p, static_cast<std::size_t>(end - p));
}

char* putText(char* cell, const std::string& text)
{
    if (text.size() >= kCellWidth) {
        std::memcpy(cell, text.data(), kCellWidth);
    } else {
        std::memset(cell, ' ', kCellWidth - text.size());
        std::memcpy(cell + (kCellWidth - text.size()), text.data(), text.size());
    }
    return cell + kCellWidth;
}

// n / 10^decimals with trailing zeros (and a bare point) dropped.
[[gnu::always_inline]] inline Fixed scaled(unsigned long long n, int decimals, bool negative)
{
    while (decimals > 0 && n % 10 == 0) {
        n /= 10;
        --decimals;
    }
    return Fixed{n, decimals, negative && n != 0};
}

// Seven significant digits of a > 0 as the general text form rounds them (halves to
// even on the exact value): a ~ D * 10^(k - 7) with 10^6 <= D < 10^7. False outside
// the range where that form has no exponent (1E-04 <= a < 1E+07).
[[gnu::always_inline]] inline bool sevenDigits(double a, long long& D, int& k)
{
    if (!(a >= 1e-4 && a < 1e7)) return false;
    // A first guess from the binary exponent; the exact test below settles it.
    const int e2 = static_cast<int>((std::bit_cast<std::uint64_t>(a) >> 52) & 0x7ff) - 1023;
    k = ((e2 * 1233) >> 12) + 1;  // floor(e2 * log10(2)) + 1 for the exponents here
    for (;;) {
        const int m = 7 - k;
        if (m < 0 || m > 12) return false;
        const double y = a * kPow10[m];
        if (y < 1e6) {
            --k;
        } else if (y >= 1e7) {
            ++k;
        } else {
            D = halfEven(y);
            if (D == 10000000) {
                D = 1000000;
                ++k;
            }
            return k >= -3 && k <= 7;
        }
    }
}

// The shortest text of x as a Fixed; false when x needs the general rules.
[[gnu::always_inline]] inline bool shortestFixed(float x, Fixed& f)
{
    if (x == 0) {
        f = Fixed{};
        return true;
    }
    long long D = 0;
    int k = 0;
    if (!sevenDigits(std::fabs(static_cast<double>(x)), D, k)) return false;
    f = scaled(static_cast<unsigned long long>(D), 7 - k, x < 0);
    return true;
}

// x through its shortest text and back to a single.
[[gnu::always_inline]] inline float throughText(float x)
{
    if (x == 0) return 0.0f;
    long long D = 0;
    int k = 0;
    if (!sevenDigits(std::fabs(static_cast<double>(x)), D, k)) return static_cast<float>(Val(strSingle(x)));
    const double v = static_cast<double>(D) / kPow10[7 - k];
    return static_cast<float>(x < 0 ? -v : v);
}

// usgsround below 999.5 as a whole number and its decimals: v ~ r / 10^decimals.
[[gnu::always_inline]] inline int usgsDecimals(float a) { return a >= 9.95f ? 0 : a >= 0.995f ? 1 : a >= 0.0995f ? 2 : 3; }
// The same thresholds for a value held in a double.
[[gnu::always_inline]] inline int usgsDecimals(double a)
{
    return a >= static_cast<double>(9.95f)     ? 0
           : a >= static_cast<double>(0.995f)  ? 1
           : a >= static_cast<double>(0.0995f) ? 2
                                               : 3;
}

// x by a mask of one leading "0" and decimals "0" places, half away from zero; false
// when x needs the general rules.
[[gnu::always_inline]] inline bool maskFixed(float x, int decimals, Fixed& f)
{
    const double a = std::fabs(static_cast<double>(x));
    if (!(a < 1e9) || decimals < 0 || decimals > 5) return false;
    const long long r = halfUp(a * kPow10[decimals]);
    f = Fixed{static_cast<unsigned long long>(r), decimals, x < 0};  // a rounded zero keeps its sign
    return true;
}

// The eight decimal digits of n < 10^8 as the values 0 to 9 in the bytes of a word, the
// first digit in its lowest byte (the first in memory). Each step splits every part in
// two at once: halves of four digits, pairs, single digits. The multiply-and-shift
// quotients are exact for the parts they meet (below 10^4 by 100, below 100 by 10).
[[gnu::always_inline]] inline std::uint64_t digitBytes(std::uint32_t n)
{
    std::uint64_t v = (n / 10000) | (static_cast<std::uint64_t>(n % 10000) << 32);
    std::uint64_t q = (v * 10486 >> 20) & 0x0000007F0000007FULL;
    v = ((v - q * 100) << 16) + q;
    q = (v * 103 >> 10) & 0x000F000F000F000FULL;
    return ((v - q * 10) << 8) + q;
}

// A mask cell of D (1 to 5) decimals for r = |x| x 10^D below 10^8, all nine characters
// built in one word and a byte: zeros before the whole part's last digit become blanks,
// the sign takes the blank before the first digit. False when a negative value has no
// blank for its sign (it needs the cut text).
template <int D>
[[gnu::always_inline]] inline bool putEightDigitCell(char* cell, std::uint32_t r, bool negative)
{
    static_assert(D >= 1 && D <= 5);
    constexpr int kWhole = 8 - D;
    constexpr std::uint64_t kWholeBytes = (1ULL << (8 * kWhole)) - 1;
    // Leading zeros up to the whole part's last digit, counted from r alongside the digits.
    int blanks = 0;
    for (int k = D + 1; k <= 7; ++k) blanks += r < static_cast<std::uint32_t>(kPow10[k]) ? 1 : 0;
    if (negative && blanks == 0) return false;
    std::uint64_t text = digitBytes(r) + 0x3030303030303030ULL - (0x1010101010101010ULL & ((1ULL << (8 * blanks)) - 1));
    if (negative) text += static_cast<std::uint64_t>('-' - ' ') << (8 * (blanks - 1));
    const std::uint64_t head = (text & kWholeBytes) | (static_cast<std::uint64_t>('.') << (8 * kWhole)) |
                               ((text & ~kWholeBytes) << 8);
    std::memcpy(cell, &head, 8);
    cell[8] = static_cast<char>(text >> 56);
    return true;
}

// |x| x 10^D rounded half up, from the single's bits, for |x| below 1024: the mantissa
// times 10^D is exact in 64 bits, and adding half of the last place before the shift
// rounds as halfUp does on the (exact) double product.
template <int D>
[[gnu::always_inline]] inline std::uint64_t scaledHalfUp(float x)
{
    constexpr std::uint64_t kScale = D == 1 ? 10 : D == 2 ? 100 : D == 3 ? 1000 : D == 4 ? 10000 : 100000;
    const auto bits = std::bit_cast<std::uint32_t>(x);
    const int exponent = static_cast<int>((bits >> 23) & 0xff);  // |x| = mantissa x 2^(exponent - 150)
    if (exponent < 107) return 0;                                // below 2^-20: under a tenth of the last place
    const std::uint64_t mantissa = (bits & 0x7fffff) | 0x800000;
    const int shift = 150 - exponent;
    return (mantissa * kScale + (1ULL << (shift - 1))) >> shift;
}

}  // namespace

// A mask cell with its decimals known at compile time: the divisions by powers of ten
// become multiplications, and the fraction's digits are found side by side.
template <int D>
char* putMaskCellOf(char* cell, float x)
{
    constexpr unsigned long long kScale = D == 0 ? 1 : D == 1 ? 10 : D == 2 ? 100 : D == 3 ? 1000 : 100000;
    if constexpr (D > 0 && std::endian::native == std::endian::little) {
        // The common case: below 1000, at most eight digits, written together.
        if (std::fabs(x) < 1000.0f) {
            const std::uint64_t r = scaledHalfUp<D>(x);
            if (r < 100000000 && putEightDigitCell<D>(cell, static_cast<std::uint32_t>(r), x < 0)) return cell + kCellWidth;
        }
    }
    const double a = std::fabs(static_cast<double>(x));
    if (!(a < 1e9)) return putText(cell, fm(x, kMasks[D]));
    const unsigned long long r = static_cast<unsigned long long>(halfUp(a * static_cast<double>(kScale)));
    const unsigned long long whole = r / kScale;
    const auto frac = static_cast<unsigned>(r - whole * kScale);
    const bool negative = x < 0;  // -0.000001 is "-0.00000"; -0.0 is not below 0
    const int length = (negative ? 1 : 0) + digitCount(whole) + (D > 0 ? D + 1 : 0);
    if (length > static_cast<int>(kCellWidth)) return putFixed(cell, Fixed{r, D, negative});
    std::memcpy(cell, "         ", kCellWidth);
    char* p = cell + kCellWidth;
    if constexpr (D == 1) {
        *--p = static_cast<char>('0' + frac);
    } else if constexpr (D == 2) {
        p = writePair(p, frac);
    } else if constexpr (D == 3) {
        const unsigned high = frac / 10;
        *--p = static_cast<char>('0' + (frac - high * 10));
        p = writePair(p, high);
    } else if constexpr (D == 5) {
        const unsigned high = frac / 1000;
        const unsigned low = frac - high * 1000;
        const unsigned middle = low / 10;
        *--p = static_cast<char>('0' + (low - middle * 10));
        p = writePair(p, middle);
        p = writePair(p, high);
    }
    if constexpr (D > 0) *--p = '.';
    p = writeDigits(p, whole);
    if (negative) *--p = '-';
    return cell + kCellWidth;
}

char* putMaskCell(char* cell, float x, int decimals)
{
    switch (decimals) {
    case 0: return putMaskCellOf<0>(cell, x);
    case 1: return putMaskCellOf<1>(cell, x);
    case 2: return putMaskCellOf<2>(cell, x);
    case 3: return putMaskCellOf<3>(cell, x);
    case 5: return putMaskCellOf<5>(cell, x);
    default: break;
    }
    Fixed f;
    if (maskFixed(x, decimals, f)) return putFixed(cell, f);
    return putText(cell, fm(x, kMasks[decimals < 0 || decimals > 5 ? 0 : decimals]));
}

std::string maskText(float x, int decimals)
{
    Fixed f;
    if (maskFixed(x, decimals, f)) return fixedText(f);
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
    const int decimals = usgsDecimals(a);
    const long long r = halfUp(static_cast<double>(a) * kPow10[decimals]);
    if (r == 0) return 0.0f;
    const double rounded = static_cast<double>(r) / kPow10[decimals];
    return static_cast<float>(v < 0 ? -rounded : rounded);
}

char* putShortestCell(char* cell, float x)
{
    Fixed f;
    if (shortestFixed(x, f)) return putFixed(cell, f);
    return putText(cell, strSingle(x));
}

char* putRoundedCell(char* cell, float& x)
{
    const float a = std::fabs(x);
    if (a < 999.5f) {
        // Below 999.5 the rounded value has at most six digits, and its single reads
        // back to that same decimal in seven significant digits: write it directly.
        const int decimals = usgsDecimals(a);
        const long long r = halfUp(static_cast<double>(a) * kPow10[decimals]);
        const bool negative = x < 0;
        const double rounded = static_cast<double>(r) / kPow10[decimals];
        x = r == 0 ? 0.0f : static_cast<float>(negative ? -rounded : rounded);
        return putFixed(cell, scaled(static_cast<unsigned long long>(r), decimals, negative));
    }
    if (a < 9999990.0f) {
        // To tens: a whole number below 10^7, exact in a single, written as it stands.
        const double tens = std::floor(static_cast<double>(x) / 10.0 + 0.5) * 10.0;
        x = static_cast<float>(tens);
        return putFixed(cell, Fixed{static_cast<unsigned long long>(std::fabs(tens)), 0, tens < 0});
    }
    x = usgsroundValue(x);
    return putShortestCell(cell, x);
}

char* putFlowCell(char* cell, float x)
{
    // The trip through the shortest text moves x by less than 6E-7 of itself. When
    // every value that near x rounds to the same cell, x itself gives the cell and the
    // trip is skipped; otherwise (x close to a half or a threshold) it is made.
    constexpr double kNear = 1e-6;
    const double a = std::fabs(static_cast<double>(x));
    const double low = a * (1 - kNear);
    const double high = a * (1 + kNear);
    if (high < static_cast<double>(999.5f)) {
        const int decimals = usgsDecimals(low);
        if (decimals == usgsDecimals(high)) {
            const long long r = halfUp(low * kPow10[decimals]);
            if (r == halfUp(high * kPow10[decimals]))
                return putFixed(cell, scaled(static_cast<unsigned long long>(r), decimals, x < 0));
        }
    } else if (low >= static_cast<double>(999.5f) && high < 9999990.0) {
        const double sign = x < 0 ? -1.0 : 1.0;
        const double tens = std::floor(sign * low / 10.0 + 0.5);
        if (tens == std::floor(sign * high / 10.0 + 0.5))
            return putFixed(cell, Fixed{static_cast<unsigned long long>(std::fabs(tens)) * 10, 0, tens < 0});
    }
    float v = throughText(x);
    return putRoundedCell(cell, v);
}

void appendMaskCell(std::string& line, float x, int decimals)
{
    const std::size_t at = line.size();
    line.resize(at + kCellWidth);
    putMaskCell(line.data() + at, x, decimals);
}

void appendFlowCell(std::string& line, float x)
{
    const std::size_t at = line.size();
    line.resize(at + kCellWidth);
    putFlowCell(line.data() + at, x);
}

void appendShortestCell(std::string& line, float x)
{
    const std::size_t at = line.size();
    line.resize(at + kCellWidth);
    putShortestCell(line.data() + at, x);
}

std::string shortestText(float x)
{
    Fixed f;
    if (shortestFixed(x, f)) return fixedText(f);
    return strSingle(x);
}

}  // namespace corv
