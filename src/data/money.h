#pragma once

#include <QMetaType>
#include <QString>
#include <QStringView>

#include <compare>
#include <cstdint>
#include <stdexcept>

// An amount of money, a quantity or a rate: a whole count of ten-thousandths held
// in 64 bits. Sums are exact; a product is rounded to four decimals, halves away
// from zero, the same rule the database views apply. Any result that does not fit
// throws MoneyOverflow rather than wrapping or drifting into floating point.
class MoneyOverflow : public std::overflow_error {
public:
    MoneyOverflow() : std::overflow_error("金額が大きすぎます。") {}
};

class Money {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromRaw(std::int64_t tenThousandths) { return Money(tenThousandths); }
    static Money fromYen(std::int64_t yen);
    // Parses user input: digits with optional sign, thousands separators, a yen
    // sign and up to four decimals; full-width digits are accepted. Throws
    // std::invalid_argument with a message fit for the user when the text is not
    // a number, has more than four decimals, or does not fit. Empty text is 0.
    static Money parse(QStringView text);

    constexpr std::int64_t raw() const { return m_raw; }
    constexpr bool isZero() const { return m_raw == 0; }
    constexpr bool isNegative() const { return m_raw < 0; }

    Money operator+(Money other) const;
    Money operator-(Money other) const;
    Money operator-() const;
    Money& operator+=(Money other) { return *this = *this + other; }
    Money& operator-=(Money other) { return *this = *this - other; }
    // Product of two fixed-point values, rounded to four decimals half away from zero.
    Money operator*(Money other) const;
    Money operator*(std::int64_t factor) const;
    constexpr auto operator<=>(const Money&) const = default;

    // Whole yen, halves away from zero (四捨五入): the one rule of every amount
    // shown, printed or exported, balances and bills included.
    std::int64_t yenHalfAway() const;
    // Toward zero to whole yen (the tax per unit).
    std::int64_t yenTruncated() const { return m_raw / Scale; }

    // "¥1,234" (money), "¥1,234.5" (item price: up to two decimals), "1,234.00"
    // (quantity), "1234.5" (plain, for editing; as many decimals as needed).
    QString toMoneyText() const;
    QString toPriceText() const;
    QString toQuantityText() const;
    QString toPlainText() const;

private:
    constexpr explicit Money(std::int64_t raw) : m_raw(raw) {}
    std::int64_t m_raw = 0;
};

Q_DECLARE_METATYPE(Money)
