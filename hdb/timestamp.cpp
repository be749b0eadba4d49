// Timestamps in text (see timestamp.h).
#include "hdb/timestamp.h"

#include <chrono>

#include "common/dates.h"

namespace corv {

namespace {

// Reads min..max digits at pos into value.
bool digits(std::string_view t, std::size_t& pos, std::size_t min, std::size_t max, int& value)
{
    std::size_t n = 0;
    value = 0;
    while (pos < t.size() && n < max && t[pos] >= '0' && t[pos] <= '9') {
        value = value * 10 + (t[pos] - '0');
        ++pos;
        ++n;
    }
    return n >= min;
}

bool take(std::string_view t, std::size_t& pos, char c)
{
    if (pos >= t.size() || t[pos] != c) return false;
    ++pos;
    return true;
}

}  // namespace

std::optional<double> parseTimestamp(std::string_view t)
{
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    std::size_t pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!digits(t, pos, 4, 4, year) || !take(t, pos, '-') || !digits(t, pos, 1, 2, month) || !take(t, pos, '-') ||
        !digits(t, pos, 1, 2, day))
        return std::nullopt;
    double fraction = 0;
    if (pos < t.size()) {
        if (!take(t, pos, ' ') && !take(t, pos, 'T')) return std::nullopt;
        if (!digits(t, pos, 1, 2, hour) || !take(t, pos, ':') || !digits(t, pos, 2, 2, minute)) return std::nullopt;
        if (take(t, pos, ':')) {
            if (!digits(t, pos, 2, 2, second)) return std::nullopt;
            if (take(t, pos, '.')) {
                double scale = 0.1;
                const std::size_t first = pos;
                for (; pos < t.size() && t[pos] >= '0' && t[pos] <= '9'; ++pos, scale /= 10)
                    fraction += (t[pos] - '0') * scale;
                if (pos == first) return std::nullopt;
            }
        }
        if (pos != t.size() || hour > 23 || minute > 59 || second > 59) return std::nullopt;
    }
    const std::chrono::year_month_day ymd{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                          std::chrono::day{static_cast<unsigned>(day)}};
    if (!ymd.ok()) return std::nullopt;
    return makeDate(year, month, day, hour, minute, second) + fraction / 86400.0;
}

}  // namespace corv
