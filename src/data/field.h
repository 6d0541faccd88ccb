#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVariant>

#include <cstdint>

#include "money.h"

// How a value is shown on screen and on paper.
enum class DisplayFormat {
    Text,      // as stored
    Integer,   // plain whole number: slip numbers, codes held as numbers
    Money,     // "¥1,234"
    Balance,   // "¥1,234" as Money (halves away from zero): balances and billed amounts
    Price,     // "¥1,234.5": item prices, up to two decimals
    Quantity,  // "1,234.00"
    Date,      // "2005/04/01"
};

// One value of a row, as the engine stores it, with typed readers. A null reads
// as the empty text, 0, zero money or an invalid date.
class Field {
public:
    Field() = default;
    explicit Field(QVariant value) : m_value(std::move(value)) {}

    bool isNull() const { return !m_value.isValid() || m_value.isNull(); }
    const QVariant& value() const { return m_value; }
    QString asText() const;
    std::int64_t asInt() const;
    Money asMoney() const;
    QDate asDate() const;
    QByteArray asBytes() const;
    QString display(DisplayFormat format) const;

private:
    QVariant m_value;
};
