// The period of a retrieval (see period.h).
#include "hdb/period.h"

#include "common/dates.h"
#include "common/numbers.h"

namespace corv {

PresetPeriod presetPeriod(int index, const QDate& today)
{
    switch (index) {
    case 0: return {today, today};
    case 1: return {today.addDays(-1), today};
    case 2: return {today.addDays(-6), today};
    case 3: return {today.addDays(-29), today};
    case 4: return {today.addDays(1 - today.day()), today};
    case 5: return {QDate(today.year(), 1, 1), today};
    default: return {QDate(today.year() - 1, 1, 1), QDate(today.year() - 1, 12, 31)};
    }
}

DateTexts dateTexts(const QDate& date)
{
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return {QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0')),
            QString::fromLatin1(months[date.month() - 1]), QString::number(date.year()).rightJustified(4, '0')};
}

double periodDate(const QString& dayMonthYear, const QString& hour)
{
    return parseDate(dayMonthYear.toStdString()) + Val(hour.toStdString()) / 24;
}

}  // namespace corv
