// Dates as day numbers with a fraction for the time of day (day 0 is 30 Dec 1899),
// and their text forms.
#pragma once

#include <string>
#include <string_view>

namespace corv {

struct DateParts {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};

// "Overflow" outside 1 Jan 100 .. 31 Dec 9999 (and for NaN).
DateParts splitDate(double dayNumber);
double makeDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// Named formats made of d, dd, ddd, m, mm, mmm, mmmm, yy, yyyy, h, hh, n, nn, s, ss
// ("m"/"mm" right after an hour means minutes); other characters are copied.
// Examples: " dd hh:mm", "dd-mmm-yyyy", "mm/dd/yyyy hh:00".
std::string formatDate(double dayNumber, std::string_view format);

// Reads "m/d/yyyy", "m/d/yyyy h:mm[:ss]", "yyyy-mm-dd[ hh:mm[:ss]]" or "d-mmm-yyyy";
// "Type mismatch" for anything else.
double parseDate(std::string_view text);

}  // namespace corv
