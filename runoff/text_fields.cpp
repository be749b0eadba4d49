// Lines, fields and numbers of the program's text files (see text_fields.h).
#include "runoff/text_fields.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <string>

#include "common/numbers.h"
#include "common/read_file.h"
#include "common/runtime_error.h"

namespace corv {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray readDataFile(const QString& path, qint64 maxBytes, const std::string& file, const char* tooLargeFor)
{
    FileRead read = readRegularFile(path, maxBytes);
    switch (read.status) {
    case FileRead::Status::Ok: break;
    case FileRead::Status::Missing: throw RuntimeError(err::kFileNotFound, "File not found: " + path.toStdString());
    case FileRead::Status::NotRegular: throw RuntimeError(err::kPathFileAccess, file + " is not a regular file.");
    case FileRead::Status::Unreadable: throw RuntimeError(err::kPermissionDenied, file + " cannot be read.");
    case FileRead::Status::TooLarge:
        throw RuntimeError(err::kOutOfMemory, file + " is too large for " + tooLargeFor + ".");
    }
    return std::move(read.bytes);
}

bool Lines::next(std::string_view& line)
{
    if (rest_.empty()) return false;
    std::size_t end = rest_.find('\n');
    if (end == std::string_view::npos) end = rest_.size();
    line = rest_.substr(0, end);
    // Some tools end lines in CR CR LF: every CR before the LF (or the text's end) ends the line.
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    rest_.remove_prefix(std::min(end + 1, rest_.size()));
    ++number_;
    return true;
}

long countLines(std::string_view all)
{
    if (all.empty()) return 0;
    return static_cast<long>(std::count(all.begin(), all.end(), '\n')) + (all.back() == '\n' ? 0 : 1);
}

void refuseBareReturn(std::string_view line, const std::string& file, long lineNumber)
{
    if (line.find('\r') == std::string_view::npos) return;
    throw RuntimeError(err::kInvalidFileFormat, file + " has a bare carriage return inside line " +
                                                    std::to_string(lineNumber) + ": its lines must end in CR LF or LF.");
}

bool Fields::next(std::string_view& field)
{
    if (done_) return false;
    const std::size_t end = rest_.find(sep_);
    if (end == std::string_view::npos) {
        field = rest_;
        done_ = true;
    } else {
        field = rest_.substr(0, end);
        rest_.remove_prefix(end + 1);
    }
    return true;
}

std::vector<std::string_view> splitFields(std::string_view line, char sep, std::size_t maxFields)
{
    std::vector<std::string_view> fields;
    Fields all(line, sep);
    for (std::string_view f; fields.size() < maxFields && all.next(f);) fields.push_back(f);
    return fields;
}

bool fieldAt(std::string_view line, char sep, std::size_t k, std::string_view& field)
{
    Fields all(line, sep);
    for (std::size_t i = 0; i <= k; ++i)
        if (!all.next(field)) return false;
    return true;
}

void checkNumberField(std::string_view field, const std::string& file, long lineNumber)
{
    if (field.size() <= kMaxNumberField) return;
    throw RuntimeError(err::kTypeMismatch, file + " has a field of " + std::to_string(field.size()) +
                                               " characters on line " + std::to_string(lineNumber) + " (\"" +
                                               shownLine(field) + "\"), far longer than any number (at most " +
                                               std::to_string(kMaxNumberField) + " characters).");
}

bool startsWithNumber(std::string_view t)
{
    std::size_t i = 0;
    auto skip = [&] {
        while (i < t.size() && isBlank(t[i])) ++i;
    };
    skip();
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        ++i;
        skip();
    }
    if (i >= t.size()) return false;
    if (t[i] >= '0' && t[i] <= '9') return true;
    if (t[i] != '.') return false;
    ++i;
    skip();
    return i < t.size() && t[i] >= '0' && t[i] <= '9';
}

double fieldValue(std::string_view t)
{
    while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
    while (!t.empty() && isBlank(t.back())) t.remove_suffix(1);
    if (!t.empty() && t.front() != '+') {
        double v = 0;
        const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
        if (r.ec == std::errc() && r.ptr == t.data() + t.size()) return v;
    }
    return Val(t);
}

namespace {

// A plain decimal of at most 15 digits, as a report's cells hold them: its digits and
// the power of ten are exact doubles, so the one division rounds as a full conversion
// does, and a long file costs no general parse a cell.
bool plainDecimal(std::string_view t, double& value)
{
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const bool negative = !t.empty() && t[0] == '-';
    const std::size_t first = negative ? 1 : 0;
    // Fifteen digits at most, leading zeros counted: longer ones take the general rule.
    if (t.size() <= first || t.size() - first > 16) return false;
    std::uint64_t digits = 0;
    std::size_t point = std::string_view::npos;
    for (std::size_t i = first; i < t.size(); ++i) {
        const unsigned d = static_cast<unsigned char>(t[i]) - static_cast<unsigned>('0');
        if (d <= 9) digits = digits * 10 + d;
        else if (t[i] == '.' && point == std::string_view::npos) point = i;
        else return false;
    }
    const std::size_t count = t.size() - first - (point == std::string_view::npos ? 0 : 1);
    if (count == 0 || count > 15) return false;
    const double v =
        static_cast<double>(digits) / kPow10[point == std::string_view::npos ? 0 : t.size() - 1 - point];
    value = negative ? -v : v;
    return true;
}

}  // namespace

bool strictNumber(std::string_view t, double& value)
{
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    if (plainDecimal(t, value)) return true;
    // Other decimals directly; the rest by the general rule.
    if (!t.empty() && (t.front() == '-' || t.front() == '.' || (t.front() >= '0' && t.front() <= '9'))) {
        const auto r = std::from_chars(t.data(), t.data() + t.size(), value);
        if (r.ec == std::errc() && r.ptr == t.data() + t.size() && std::isfinite(value)) return true;
    }
    try {
        value = toOneNumber(t);
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

double halfLastDigit(std::string_view t)
{
    while (!t.empty() && isBlank(t.back())) t.remove_suffix(1);
    const std::size_t point = t.find('.');
    if (point == std::string_view::npos || t.find_first_of("eEdD") != std::string_view::npos) return 0;
    return 0.5 * std::pow(10.0, -static_cast<double>(t.size() - point - 1));
}

float fileSingle(double value, std::string_view field, const std::string& file, long lineNumber)
{
    try {
        return toSingle(value);
    } catch (const RuntimeError&) {
        throw RuntimeError(err::kOverflow, file + " has the number \"" + shownLine(field) + "\" on line " +
                                               std::to_string(lineNumber) +
                                               ", beyond the range of numbers the program computes with.");
    }
}

std::string shownLine(std::string_view line)
{
    std::string t(line.substr(0, 40));
    if (line.size() > 40) t += "...";
    return t;
}

}  // namespace corv
