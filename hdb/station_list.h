// GetHDBlist: the stations of the hydrologic database that hold rainfall or flow, as
// the entries of the period window's station list.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace corv {

class Dialogs;

// The station query: rainfall stations (data type 10) or flow stations (1 or 30),
// ordered by station name.
QString stationQuery(bool rainchk);

// Reads the stations: "id data-type unit station" for each (a null field gives an
// empty text between its blanks), then one empty item. Nothing when there is nothing
// to show: no station of the kind ("Table rsite not found???") or a database failure
// (its description), each told in a message; the caller then keeps its list.
std::optional<QStringList> GetHDBlist(bool rainchk, const QString& myDB, Dialogs& dialogs);

}  // namespace corv
