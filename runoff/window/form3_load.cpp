// The hydrograph window's start-up lists and tables.
#include "runoff/window/form3_load.h"

#include "common/dates.h"
#include "common/numbers.h"

namespace corv {

namespace {

// Share of the day's loss recovery in each hour 0..23 (the sum is 0.999257327).
const char* const kHourlyRecovery =
    "0.010397326,0.005198663,0.003713331,0.002970665,0,0.001485332,0.00037133,0,0.00965466,"
    "0.027478648,0.048644634,0.070181953,0.088377274,0.10731526,0.11548459,0.122539918,"
    "0.107686595,0.093575938,0.083921277,0.059784627,0.030449313,0.008169328,0.001113999,"
    "0.000742666";
// Loss-recovery factor of each month, January to December.
const char* const kMonthlyRecovery = "0.09,0.1,0.19,0.19,0.25,0.29,0.24,0.21,0.17,0.14,0.08,0.05";

void fillFrom(VArray<float>& table, const char* list, long first)
{
    const QStringList items = QString::fromLatin1(list).split(',');
    for (int i = 0; i < items.size(); ++i)
        table(first + i) = static_cast<float>(Val(items[i].toStdString()));
}

}  // namespace

QStringList unitGraphMethods()
{
    return {"Rational Method",          "Triangle Unit Graph",   "Linear Reservoir", "SCS.DGF",
            "Urban.DGF",                "SWDesertCoPlateau.DGF", "PhoenixMtsAZ.DGF", "GreatPlains.DGF",
            "SierraCascadeCoastal.DGF", "RockMtTstorm.DGF",      "RockyMtGenStorm.DGF"};
}

QStringList rainfallArrangements()
{
    return {"Average", "None", "Peak at 2/3", "Peak at 1/3", "Peak Centered", "Storm File", "HDB Database"};
}

void fillRecoveryTables(VArray<float>& hourly, VArray<float>& monthly)
{
    hourly.redim(24);
    fillFrom(hourly, kHourlyRecovery, 0);
    monthly.redim(13);
    fillFrom(monthly, kMonthlyRecovery, 1);
}

PeriodLists periodLists(int year, int month, int day)
{
    PeriodLists p;
    for (int h = 0; h <= 24; ++h) p.hours << QStringLiteral("%1").arg(h, 2, 10, QChar('0'));
    for (int d = 1; d <= 31; ++d) p.days << QString::fromStdString(formatMask(d, "00"));
    const QString names = QStringLiteral("  JanFebMarAprMayJunJulAugSepOctNovDec");
    for (int m = 1; m <= 12; ++m) p.months << names.mid(3 * m - 1, 3);
    for (int y = year; y >= year - 30; --y) p.years << QString::number(y);
    p.units << QStringLiteral("Unit Values") << QStringLiteral("Hourly Values");

    const QString today = QString::fromStdString(formatDate(makeDate(year, month, day), "dd-mmm-yyyy"));
    p.dayText = today.mid(0, 2);
    p.monthText = today.mid(3, 3);
    p.yearText = today.mid(7, 4);
    return p;
}

}  // namespace corv
