// Day-number dates and their text forms (see dates.h).
#include "common/dates.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <regex>

#include "common/runtime_error.h"

namespace corv {

namespace {
constexpr std::array<const char*, 12> kMonthShort = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kMonthLong = {"January", "February", "March",     "April",
                                                    "May",     "June",     "July",      "August",
                                                    "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kDayShort = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

const std::chrono::sys_days kEpoch = std::chrono::sys_days{std::chrono::year{1899} / 12 / 30};

std::string two(int v)
{
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}
}  // namespace

DateParts splitDate(double dayNumber)
{
    // Day numbers run from 1 Jan 100 to the last moment of 31 Dec 9999; beyond them
    // (a step of 1e20 hours added to a date, a NaN) no whole day or calendar date fits.
    constexpr double kFirstDay = -657434.0, kPastLastDay = 2958466.0;
    if (!(dayNumber >= kFirstDay && dayNumber < kPastLastDay)) err::raise(err::kOverflow);
    double whole = std::floor(dayNumber);
    long secs = std::lround((dayNumber - whole) * 86400.0);
    if (secs >= 86400) {
        whole += 1;
        secs -= 86400;
    }
    const auto days = kEpoch + std::chrono::days{static_cast<long>(whole)};
    const std::chrono::year_month_day ymd{days};
    DateParts p;
    p.year = static_cast<int>(ymd.year());
    p.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    p.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>((secs / 60) % 60);
    p.second = static_cast<int>(secs % 60);
    return p;
}

double makeDate(int year, int month, int day, int hour, int minute, int second)
{
    const std::chrono::year_month_day ymd{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                          std::chrono::day{static_cast<unsigned>(day)}};
    if (!ymd.ok()) err::raise(err::kTypeMismatch);
    const double d = static_cast<double>((std::chrono::sys_days{ymd} - kEpoch).count());
    return d + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

std::string formatDate(double dayNumber, std::string_view f)
{
    const DateParts p = splitDate(dayNumber);
    std::string out;
    bool afterHour = false;
    std::size_t i = 0;
    while (i < f.size()) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(f[i])));
        std::size_t run = 1;
        while (i + run < f.size() && std::tolower(static_cast<unsigned char>(f[i + run])) == c) ++run;
        switch (c) {
        case 'd':
            if (run == 1) out += std::to_string(p.day);
            else if (run == 2) out += two(p.day);
            else {
                const auto wd = std::chrono::weekday{std::chrono::sys_days{std::chrono::year{p.year} /
                                                                            p.month / p.day}};
                out += kDayShort[wd.c_encoding()];
            }
            break;
        case 'm':
            if (afterHour && run <= 2) out += run == 1 ? std::to_string(p.minute) : two(p.minute);
            else if (run == 1) out += std::to_string(p.month);
            else if (run == 2) out += two(p.month);
            else if (run == 3) out += kMonthShort[static_cast<std::size_t>(p.month - 1)];
            else out += kMonthLong[static_cast<std::size_t>(p.month - 1)];
            afterHour = false;
            break;
        case 'y':
            if (run >= 3) out += std::to_string(p.year);
            else out += two(p.year % 100);
            break;
        case 'h':
            out += run == 1 ? std::to_string(p.hour) : two(p.hour);
            afterHour = true;
            i += run;
            continue;
        case 'n':
            out += run == 1 ? std::to_string(p.minute) : two(p.minute);
            break;
        case 's':
            out += run == 1 ? std::to_string(p.second) : two(p.second);
            break;
        default:
            out.append(f.substr(i, run));
            // A separator between the hour and the minutes keeps "mm" meaning minutes.
            i += run;
            continue;
        }
        afterHour = false;
        i += run;
    }
    return out;
}

double parseDate(std::string_view textView)
{
    const std::string text(textView);
    std::smatch m;
    static const std::regex us(R"(^\s*(\d{1,2})/(\d{1,2})/(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)");
    static const std::regex iso(R"(^\s*(\d{4})-(\d{1,2})-(\d{1,2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)");
    static const std::regex named(R"(^\s*(\d{1,2})-([A-Za-z]{3})-(\d{4})\s*$)");
    auto num = [&](int k) { return m[k].matched ? std::stoi(m[k].str()) : 0; };
    if (std::regex_match(text, m, us)) return makeDate(num(3), num(1), num(2), num(4), num(5), num(6));
    if (std::regex_match(text, m, iso)) return makeDate(num(1), num(2), num(3), num(4), num(5), num(6));
    if (std::regex_match(text, m, named)) {
        for (std::size_t k = 0; k < kMonthShort.size(); ++k) {
            std::string a = m[2].str();
            std::string b = kMonthShort[k];
            bool same = a.size() == b.size();
            for (std::size_t j = 0; same && j < a.size(); ++j)
                same = std::tolower(static_cast<unsigned char>(a[j])) == std::tolower(static_cast<unsigned char>(b[j]));
            if (same) return makeDate(num(3), static_cast<int>(k) + 1, num(1));
        }
    }
    err::raise(err::kTypeMismatch);
}

}  // namespace corv
