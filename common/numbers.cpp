// The program's number rules (see numbers.h).
#include "common/numbers.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/runtime_error.h"

namespace corv {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Reads the longest leading number of text; returns the number of characters used (0
// when there is none). One pass: the number read so far is a prefix of buf, so only its
// length is remembered, which keeps a run of millions of digits linear.
std::size_t scanNumber(std::string_view text, double& out)
{
    std::string buf;
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto skip = [&] {
        while (i < n && isBlank(text[i])) ++i;
    };
    skip();
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        buf += text[i++];
        skip();
    }
    bool digits = false;
    bool point = false;
    std::size_t lastGood = 0;  // characters of text used
    std::size_t goodLength = 0;  // characters of buf that read as a number
    while (i < n) {
        char c = text[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            buf += c;
            digits = true;
            ++i;
            lastGood = i;
            goodLength = buf.size();
        } else if (c == '.' && !point) {
            buf += c;
            point = true;
            ++i;
            if (digits) {
                lastGood = i;
                goodLength = buf.size();
            }
        } else if (isBlank(c)) {
            ++i;
        } else {
            break;
        }
    }
    if (!digits) {
        out = 0;
        return 0;
    }
    buf.resize(goodLength);
    // Exponent: E or D, optional sign, at least one digit.
    std::size_t j = lastGood;
    while (j < n && isBlank(text[j])) ++j;
    if (j < n && (text[j] == 'e' || text[j] == 'E' || text[j] == 'd' || text[j] == 'D')) {
        std::size_t k = j + 1;
        buf += 'e';
        while (k < n && isBlank(text[k])) ++k;
        if (k < n && (text[k] == '-' || text[k] == '+')) buf += text[k++];
        bool exDigits = false;
        while (k < n && (std::isdigit(static_cast<unsigned char>(text[k])) || isBlank(text[k]))) {
            if (!isBlank(text[k])) {
                buf += text[k];
                exDigits = true;
            }
            ++k;
        }
        if (exDigits) lastGood = k;
        else buf.resize(goodLength);
    }
    out = std::strtod(buf.c_str(), nullptr);
    return lastGood;
}

// Rounds a digit string at position keep (digits kept), half up on the magnitude.
void roundDigits(DecimalDigits& d, int keep)
{
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    if (static_cast<int>(d.digits.size()) <= keep) return;
    bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            d.exp10 += 1;
        } else {
            d.digits[static_cast<std::size_t>(i)] += 1;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.exp10 = 0;
}

std::string generalText(double value, int significant, bool printForm)
{
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-1.#INF" : "1.#INF";
    DecimalDigits d = toDecimal(value, significant);
    std::string body;
    if (d.digits.empty()) {
        body = "0";
    } else {
        const int e = d.exp10 - 1;  // scientific exponent
        if (e < -4 || e >= significant) {
            body = d.digits.substr(0, 1);
            if (d.digits.size() > 1) body += "." + d.digits.substr(1);
            char ex[16];
            std::snprintf(ex, sizeof ex, "E%c%02d", e < 0 ? '-' : '+', std::abs(e));
            body += ex;
        } else if (d.exp10 <= 0) {
            body = (printForm ? "." : "0.") + std::string(static_cast<std::size_t>(-d.exp10), '0') + d.digits;
        } else if (static_cast<int>(d.digits.size()) <= d.exp10) {
            body = d.digits + std::string(static_cast<std::size_t>(d.exp10) - d.digits.size(), '0');
        } else {
            body = d.digits.substr(0, static_cast<std::size_t>(d.exp10)) + "." +
                   d.digits.substr(static_cast<std::size_t>(d.exp10));
        }
    }
    const bool neg = d.negative && !d.digits.empty();
    if (printForm) return (neg ? "-" : " ") + body + " ";
    return (neg ? "-" : "") + body;
}

}  // namespace

DecimalDigits toDecimal(double value, int significantDigits)
{
    DecimalDigits d;
    if (value == 0 || !std::isfinite(value)) return d;
    d.negative = value < 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", significantDigits - 1, std::fabs(value));
    // buf: d.ddddde[+-]xx
    std::string s(buf);
    const auto epos = s.find('e');
    const int e = std::atoi(s.c_str() + epos + 1);
    for (std::size_t i = 0; i < epos; ++i)
        if (std::isdigit(static_cast<unsigned char>(s[i]))) d.digits += s[i];
    d.exp10 = e + 1;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.exp10 = 0;
    return d;
}

double Val(std::string_view text)
{
    double v = 0;
    scanNumber(text, v);
    return v;
}

double toNumberStrict(std::string_view text)
{
    double v = 0;
    std::size_t used = scanNumber(text, v);
    if (used == 0) err::raise(err::kTypeMismatch);
    for (std::size_t i = used; i < text.size(); ++i)
        if (!isBlank(text[i])) err::raise(err::kTypeMismatch);
    return v;
}

double toOneNumber(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    for (const char c : text)
        if (isBlank(c)) err::raise(err::kTypeMismatch);
    return toNumberStrict(text);
}

std::int16_t toInt16(double value)
{
    if (!std::isfinite(value)) err::raise(err::kOverflow);
    const double r = std::nearbyint(value);  // default rounding mode: halves to even
    if (r < -32768.0 || r > 32767.0) err::raise(err::kOverflow);
    return static_cast<std::int16_t>(r);
}

std::int32_t toInt32(double value)
{
    if (!std::isfinite(value)) err::raise(err::kOverflow);
    const double r = std::nearbyint(value);
    if (r < -2147483648.0 || r > 2147483647.0) err::raise(err::kOverflow);
    return static_cast<std::int32_t>(r);
}

std::int16_t add16(std::int16_t a, long b)
{
    const long r = static_cast<long>(a) + b;
    if (r < -32768 || r > 32767) err::raise(err::kOverflow);
    return static_cast<std::int16_t>(r);
}

double intFloor(double value) { return std::floor(value); }

float toSingle(double value)
{
    if (std::isnan(value)) err::raise(err::kOverflow);
    if (std::fabs(value) > static_cast<double>(FLT_MAX)) {
        // A value that rounds to the largest single is still a single.
        const float f = static_cast<float>(value);
        if (std::isinf(f)) err::raise(err::kOverflow);
        return f;
    }
    return static_cast<float>(value);
}

double divide(double a, double b)
{
    if (b == 0) err::raise(a == 0 || std::isnan(a) ? err::kOverflow : err::kDivisionByZero);
    const double r = a / b;
    if (!std::isfinite(r) && std::isfinite(a)) err::raise(err::kOverflow);
    return r;
}

float singleQuotient(float a, float b)
{
    if (b == 0) divide(a, b);  // raises the division error
    const float r = a / b;
    if (!std::isfinite(r) && std::isfinite(a)) err::raise(err::kOverflow);
    return r;
}

std::int16_t stepCount(float a, float b) { return toInt16(singleQuotient(a, b)); }

std::string strSingle(float value) { return generalText(value, 7, false); }
std::string strDouble(double value) { return generalText(value, 15, false); }
std::string printSingle(float value) { return generalText(value, 7, true); }
std::string printDouble(double value) { return generalText(value, 15, true); }

std::string formatMask(double value, std::string_view mask)
{
    // Split the mask into its integer and fraction placeholders.
    const auto point = mask.find('.');
    const std::string_view intMask = mask.substr(0, point);
    const std::string_view fracMask = point == std::string_view::npos ? std::string_view{} : mask.substr(point + 1);
    int minInt = 0;
    for (char c : intMask)
        if (c == '0') ++minInt;
    int decimals = 0;
    int minFrac = 0;
    for (char c : fracMask) {
        if (c == '0' || c == '#') ++decimals;
        if (c == '0') minFrac = decimals;
    }

    // 15 significant digits first (so 1.005 reads as the half it is written as),
    // then half away from zero at the mask's decimals.
    DecimalDigits d = toDecimal(value, 15);
    roundDigits(d, d.exp10 + decimals);

    std::string intDigits;
    std::string fracDigits;
    if (!d.digits.empty()) {
        if (d.exp10 > 0) {
            const auto e = static_cast<std::size_t>(d.exp10);
            intDigits = d.digits.substr(0, std::min(e, d.digits.size()));
            if (d.digits.size() < e) intDigits += std::string(e - d.digits.size(), '0');
            if (d.digits.size() > e) fracDigits = d.digits.substr(e);
        } else {
            fracDigits = std::string(static_cast<std::size_t>(-d.exp10), '0') + d.digits;
        }
    }
    while (static_cast<int>(intDigits.size()) < minInt) intDigits.insert(intDigits.begin(), '0');
    while (static_cast<int>(fracDigits.size()) < decimals) fracDigits += '0';
    // Trailing "#" decimals show only significant digits.
    while (static_cast<int>(fracDigits.size()) > minFrac && !fracDigits.empty() && fracDigits.back() == '0')
        fracDigits.pop_back();

    // Literal characters of the mask (other than placeholders) are kept in place
    // before the digits; the masks in use have none, so they simply lead the number.
    std::string prefix;
    for (char c : intMask)
        if (c != '0' && c != '#') prefix += c;

    std::string out = prefix;
    // A negative value keeps its sign also when it rounds to zero (-0.004 by "0.00"
    // is "-0.00"); zero itself, negative zero included, has none.
    if (d.negative) out.insert(out.begin(), '-');
    out += intDigits;
    if (point != std::string_view::npos) {
        out += '.';
        out += fracDigits;
    }
    return out;
}

}  // namespace corv
