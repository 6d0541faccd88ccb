#include "formats.h"

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
    if (stored.size() < 10)
        return {};
    QString day = stored.left(10);
    day.replace(u'/', u'-');
    return QDate::fromString(day, Qt::ISODate);
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
