// The period of a retrieval: the period window's presets and the start and end
// date-times its day, month, year and hour lists name.
#pragma once

#include <QDate>
#include <QString>

namespace corv {

struct PresetPeriod {
    QDate start;
    QDate end;
};

// Preset index 0..6: "Current day", "Yesterday and today", "Last 7 days", "Last 30
// days", "Month to date", "Year to date", "Previous year".
PresetPeriod presetPeriod(int index, const QDate& today);

// The list texts of a date: day "05", month "Dec", year "2026".
struct DateTexts {
    QString day, month, year;
};
DateTexts dateTexts(const QDate& date);

// A day-month-year text ("05-Dec-2026") plus the hour list's number of hours ("24"
// is midnight ending that day), as a day number. A text that names no date is
// "Type mismatch".
double periodDate(const QString& dayMonthYear, const QString& hour);

}  // namespace corv
