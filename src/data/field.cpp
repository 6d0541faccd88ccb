#include "field.h"

#include "dberror.h"
#include "formats.h"

QString Field::asText() const
{
    return isNull() ? QString() : m_value.toString();
}

std::int64_t Field::asInt() const
{
    if (isNull())
        return 0;
    if (m_value.typeId() == QMetaType::LongLong)
        return m_value.toLongLong();
    bool ok = false;
    const qlonglong v = m_value.toString().trimmed().toLongLong(&ok);
    if (!ok)
        throw DbError(QStringLiteral("整数ではありません: %1").arg(m_value.toString()));
    return v;
}

Money Field::asMoney() const
{
    if (isNull())
        return Money();
    if (m_value.typeId() == QMetaType::LongLong)
        return Money::fromRaw(m_value.toLongLong());
    if (m_value.metaType() == QMetaType::fromType<Money>())
        return m_value.value<Money>();
    // Money is stored as whole ten-thousandths; anything else is damage, not a
    // value to guess at.
    throw DbError(QStringLiteral("金額の形式が正しくありません: %1").arg(m_value.toString()));
}

QDate Field::asDate() const
{
    if (isNull())
        return {};
    if (m_value.typeId() == QMetaType::QDate)
        return m_value.toDate();
    return Formats::parseDate(m_value.toString());
}

QByteArray Field::asBytes() const
{
    return isNull() ? QByteArray() : m_value.toByteArray();
}

QString Field::display(DisplayFormat format) const
{
    if (isNull())
        return {};
    switch (format) {
        case DisplayFormat::Text:
        case DisplayFormat::Integer:
            return asText();
        case DisplayFormat::Money:
            return asMoney().toMoneyText();
        case DisplayFormat::Balance:
            return asMoney().toMoneyText();
        case DisplayFormat::Price:
            return asMoney().toPriceText();
        case DisplayFormat::Quantity:
            return asMoney().toQuantityText();
        case DisplayFormat::Date:
            return Formats::displayDate(asDate());
    }
    return asText();
}
