#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

// Dates as the database holds them and as the user sees them.
namespace Formats {

// "2005/04/01": every date shown on screen, in a grid or on paper.
QString displayDate(const QDate& date);
// "2005-04-01": how a date is stored and bound as a query parameter.
QString isoDate(const QDate& date);
// The day of a stored value: "2005-04-01" or "2005-04-01 13:45:00" (also with "/"
// as separator). An invalid QDate for anything else.
QDate parseDate(const QString& stored);
// The display text of a stored date value; empty for null or unreadable values.
QString displayStoredDate(const QVariant& stored);

}  // namespace Formats
