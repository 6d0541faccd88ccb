#include "money.h"

#include <QChar>

#include <algorithm>
#include <limits>

namespace {

using i128 = __int128;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

std::int64_t narrow(i128 value)
{
    if (value > kMax || value < kMin)
        throw MoneyOverflow();
    return std::int64_t(value);
}

// value / divisor rounded to the nearest whole, halves away from zero.
i128 divideHalfAway(i128 value, i128 divisor)
{
    i128 q = value / divisor;
    const i128 r = value % divisor;
    if ((r < 0 ? -r : r) * 2 >= divisor)
        q += value < 0 ? -1 : 1;
    return q;
}

QString grouped(unsigned long long magnitude)
{
    QString digits = QString::number(magnitude);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u',');
    return digits;
}

unsigned long long magnitudeOf(i128 value)
{
    return (unsigned long long)(value < 0 ? -value : value);
}

// "-" + prefix + "1,234" + fraction; the sign stands before the yen sign.
QString signedText(i128 whole, bool negative, const QString& prefix, const QString& fraction)
{
    QString text = prefix + grouped(magnitudeOf(whole)) + fraction;
    return negative ? u'-' + text : text;
}

}  // namespace

Money Money::fromYen(std::int64_t yen)
{
    return Money(narrow(i128(yen) * Scale));
}

Money Money::parse(QStringView input)
{
    // Full-width digits, signs, the full-width yen sign and the ideographic space
    // fold to their ASCII forms; the minus sign U+2212 is what a Japanese input
    // method often types. Nothing else folds: circled or other "digits" are text.
    QString text;
    text.reserve(input.size());
    for (const QChar c : input) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            text += QChar(char16_t(u - 0xFEE0));
        else if (u == 0xFFE5)
            text += QChar(0x00A5);
        else if (u == 0x3000)
            text += u' ';
        else if (u == 0x2212)
            text += u'-';
        else
            text += c;
    }
    text = text.trimmed();
    const QString shown = input.toString();
    bool negative = false;
    qsizetype i = 0;
    auto skipYen = [&] {
        while (i < text.size() && (text[i] == QChar(0x00A5) || text[i] == u'\\' || text[i] == u' '))
            ++i;
    };
    skipYen();
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    skipYen();
    if (i == text.size()) {
        if (text.isEmpty())
            return Money();
        throw std::invalid_argument(QStringLiteral("数値ではありません: 「%1」").arg(shown).toStdString());
    }

    i128 whole = 0;
    int fractionDigits = 0;
    std::int64_t fraction = 0;
    bool anyDigit = false;
    bool inFraction = false;
    // Thousands separators only between groups of three digits: the digits since
    // the last separator (or since the start when there is none yet).
    int groupDigits = 0;
    bool grouped = false;
    auto notANumber = [&] {
        return std::invalid_argument(QStringLiteral("数値ではありません: 「%1」").arg(shown).toStdString());
    };
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            anyDigit = true;
            if (inFraction) {
                // Zeros past the fourth decimal change nothing.
                if (++fractionDigits > 4) {
                    if (c != u'0')
                        throw std::invalid_argument(
                            QStringLiteral("小数は4桁までです: 「%1」").arg(shown).toStdString());
                    continue;
                }
                fraction = fraction * 10 + c.digitValue();
            } else {
                ++groupDigits;
                whole = whole * 10 + c.digitValue();
                if (whole > i128(kMax))
                    throw std::invalid_argument(
                        QStringLiteral("数値が大きすぎます: 「%1」").arg(shown).toStdString());
            }
        } else if (c == u',' && !inFraction) {
            if (groupDigits == 0 || groupDigits > 3 || (grouped && groupDigits != 3))
                throw notANumber();
            grouped = true;
            groupDigits = 0;
        } else if (c == u'.' && !inFraction) {
            if (grouped && groupDigits != 3)
                throw notANumber();
            inFraction = true;
        } else {
            throw notANumber();
        }
    }
    if (!inFraction && grouped && groupDigits != 3)
        throw notANumber();
    if (!anyDigit)
        throw notANumber();
    fractionDigits = std::min(fractionDigits, 4);
    while (fractionDigits++ < 4)
        fraction *= 10;
    const i128 raw = whole * Scale + fraction;
    if (raw > i128(kMax))
        throw std::invalid_argument(QStringLiteral("数値が大きすぎます: 「%1」").arg(shown).toStdString());
    return Money(std::int64_t(negative ? -raw : raw));
}

Money Money::operator+(Money other) const
{
    std::int64_t out;
    if (__builtin_add_overflow(m_raw, other.m_raw, &out))
        throw MoneyOverflow();
    return Money(out);
}

Money Money::operator-(Money other) const
{
    std::int64_t out;
    if (__builtin_sub_overflow(m_raw, other.m_raw, &out))
        throw MoneyOverflow();
    return Money(out);
}

Money Money::operator-() const
{
    if (m_raw == kMin)
        throw MoneyOverflow();
    return Money(-m_raw);
}

Money Money::operator*(Money other) const
{
    return Money(narrow(divideHalfAway(i128(m_raw) * other.m_raw, Scale)));
}

Money Money::operator*(std::int64_t factor) const
{
    return Money(narrow(i128(m_raw) * factor));
}

std::int64_t Money::yenHalfAway() const
{
    return std::int64_t(divideHalfAway(m_raw, Scale));
}

QString Money::toMoneyText() const
{
    const i128 yen = divideHalfAway(m_raw, Scale);
    return signedText(yen, yen < 0, QStringLiteral("¥"), QString());
}

QString Money::toPriceText() const
{
    const i128 cents = divideHalfAway(m_raw, 100);
    const unsigned long long frac = magnitudeOf(cents % 100);
    QString fraction;
    if (frac % 10 != 0)
        fraction = QStringLiteral(".%1").arg(frac, 2, 10, QChar(u'0'));
    else if (frac != 0)
        fraction = QStringLiteral(".%1").arg(frac / 10);
    return signedText(cents / 100, cents < 0, QStringLiteral("¥"), fraction);
}

QString Money::toQuantityText() const
{
    const i128 cents = divideHalfAway(m_raw, 100);
    const unsigned long long frac = magnitudeOf(cents % 100);
    return signedText(cents / 100, cents < 0, QString(), QStringLiteral(".%1").arg(frac, 2, 10, QChar(u'0')));
}

QString Money::toPlainText() const
{
    const i128 raw = m_raw;
    QString text = QString::number(magnitudeOf(raw / Scale));
    unsigned long long frac = magnitudeOf(raw % Scale);
    if (frac != 0) {
        QString digits = QStringLiteral("%1").arg(frac, 4, 10, QChar(u'0'));
        while (digits.endsWith(u'0'))
            digits.chop(1);
        text += u'.' + digits;
    }
    return raw < 0 ? u'-' + text : text;
}
