#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

// Dates and postal codes as the database holds them and as the user sees and
// types them.
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

// A date as the user types it: "20261120", "2026/11/20", "2026-11-20" or
// "11/20" (in the year of `today`), half- or full-width. An invalid QDate for a
// text that is no such date (also "2026/02/30").
QDate parseTypedDate(const QString& typed, const QDate& today);

// A postal code is kept as its number: "0600001" is stored as 600001.
inline constexpr qint64 MaxPostalCode = 9999999;
// Seven digits, the leading zeros kept: "0600001". Empty for null.
QString postalCodeText(const QVariant& stored);
// The number of a typed postal code: seven digits, with or without a hyphen
// after the third ("060-0001"), half- or full-width. Null for an empty text;
// throws std::invalid_argument with a message for the user otherwise.
QVariant parsePostalCode(const QString& typed);

}  // namespace Formats
