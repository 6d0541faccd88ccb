#include "formats.h"

#include <QRegularExpression>

namespace Formats {

QString displayDate(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}

QString isoDate(const QDate& date)
{
    return date.toString(Qt::ISODate);
}

QDate parseDate(const QString& stored)
{
    // The day, then nothing or a time of day: "2024-02-29junk" is not a date.
    static const QRegularExpression shape(
        QStringLiteral("^(\\d{4})([-/])(\\d{2})\\2(\\d{2})( \\d{2}:\\d{2}(:\\d{2}(\\.\\d{1,3})?)?)?$"));
    const QRegularExpressionMatch m = shape.match(stored);
    if (!m.hasMatch())
        return {};
    return QDate(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
}

QString displayStoredDate(const QVariant& stored)
{
    if (!stored.isValid() || stored.isNull())
        return {};
    if (stored.typeId() == QMetaType::QDate)
        return displayDate(stored.toDate());
    return displayDate(parseDate(stored.toString()));
}

}  // namespace Formats
