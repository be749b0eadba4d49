// The station list (see station_list.h).
#include "hdb/station_list.h"

#include <QSqlRecord>
#include <QVariant>

#include "common/dialogs.h"
#include "common/guard.h"
#include "common/numbers.h"
#include "hdb/connection.h"

namespace corv {

QString stationQuery(bool rainchk)
{
    const QString head = QStringLiteral("Select datatype_site_id, datatype_name, unit_name, site_name from rsite where ");
    return head + (rainchk ? QStringLiteral("datatype_id=10") : QStringLiteral("datatype_id=1 or datatype_id=30")) +
           QStringLiteral(" order by site_name;");
}

std::optional<QStringList> GetHDBlist(bool rainchk, const QString& myDB, Dialogs& dialogs)
{
    std::optional<QStringList> result;
    guarded(dialogs, [&] {
        HdbConnection connection(myDB);
        QSqlQuery q = connection.select(stationQuery(rainchk));
        // The whole answer is read before the list changes: a failure part way leaves
        // the list as it was, as does one that finds no station.
        QStringList items;
        std::int16_t count = 0;
        while (q.next()) {
            count = add16(count, 1);
            QStringList fields;
            for (int k = 0; k < 4; ++k) fields << q.value(k).toString();
            items << fields.join(QLatin1Char(' '));
        }
        if (items.isEmpty()) {
            dialogs.msgBox(QStringLiteral("Table rsite not found???"));
            return;
        }
        items << QString();
        result = std::move(items);
    });
    return result;
}

}  // namespace corv
