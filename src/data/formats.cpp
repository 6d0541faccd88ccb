#include "formats.h"

#include <QRegularExpression>

#include <stdexcept>

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

QDate parseTypedDate(const QString& typed, const QDate& today)
{
    const QString text = typed.normalized(QString::NormalizationForm_KC).trimmed();
    static const QRegularExpression compact(QStringLiteral("^([0-9]{4})([0-9]{2})([0-9]{2})$"));
    static const QRegularExpression separated(
        QStringLiteral("^([0-9]{4})([/-])([0-9]{1,2})\\2([0-9]{1,2})$"));
    static const QRegularExpression monthDay(QStringLiteral("^([0-9]{1,2})[/-]([0-9]{1,2})$"));
    if (const auto m = compact.match(text); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (const auto m = separated.match(text); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    if (const auto m = monthDay.match(text); m.hasMatch())
        return QDate(today.year(), m.captured(1).toInt(), m.captured(2).toInt());
    return {};
}

QString postalCodeText(const QVariant& stored)
{
    if (!stored.isValid() || stored.isNull())
        return {};
    bool ok = false;
    const qlonglong code = stored.toLongLong(&ok);
    if (!ok || code < 0 || code > MaxPostalCode)
        return stored.toString();
    return QStringLiteral("%1").arg(code, 7, 10, QLatin1Char('0'));
}

QVariant parsePostalCode(const QString& typed)
{
    // Full-width digits and hyphen become half-width; the long vowel mark and
    // the minus sign are typed for a hyphen too.
    QString text = typed.normalized(QString::NormalizationForm_KC).trimmed();
    text.replace(u'ー', u'-').replace(u'−', u'-').replace(u'‐', u'-');
    if (text.isEmpty())
        return {};
    static const QRegularExpression shape(QStringLiteral("^([0-9]{3})-?([0-9]{4})$"));
    const auto m = shape.match(text);
    if (!m.hasMatch())
        throw std::invalid_argument(
            QStringLiteral("郵便番号は7桁の数字で入力してください (例: 060-0001): 「%1」")
                .arg(typed)
                .toStdString());
    return qlonglong((m.captured(1) + m.captured(2)).toLongLong());
}

}  // namespace Formats
