#include "linetax.h"

#include <limits>

#include "connection.h"
#include "dataset.h"
#include "statement.h"

namespace LineTax {

namespace {

using i128 = __int128;

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
// The line tables refuse a product (単価 + 税額) × 数量, in units of 1e-8 yen,
// beyond this bound (the table's CHECK), so the views' rounding stays in 64 bits.
constexpr i128 kStoredProductLimit = 9223372036854770000LL;

QString lineTooLargeText()
{
    return QStringLiteral(
        "明細の金額が大きすぎます。(単価 + 税額) × 数量 が扱える範囲を超えています。"
        "単価または数量を見直してください。");
}

}  // namespace

Money rateInForce(Connection& connection, const QDate& date)
{
    Statement st(connection, RateQuery);
    st.bind(RateDateParam, date);
    if (!st.step())
        return Money();
    for (int c = 0; c < st.columnCount(); ++c) {
        if (st.columnName(c) == QStringLiteral("消費税率"))
            return st.isNull(c) ? Money() : Money::fromRaw(st.int64(c));
    }
    return Money();
}

Money rateOf(const Dataset& taxDataSet)
{
    if (!taxDataSet.isOpen() || taxDataSet.isEmpty())
        return Money();
    return taxDataSet.fieldAt(0, QStringLiteral("消費税率")).asMoney();
}

Money taxPerUnit(const QString& taxClass, Money unitPrice, Money rate)
{
    if (taxClass != TaxableClass)
        return Money();
    // Both factors are ten-thousandths: the exact product is in units of 1e-8 yen,
    // and integer division cuts it toward zero to whole yen.
    const i128 yen = i128(unitPrice.raw()) * rate.raw() / (i128(Money::Scale) * Money::Scale);
    if (yen > kInt64Max / Money::Scale || yen < kInt64Min / Money::Scale)
        throw LineAmountError(QStringLiteral("消費税額が大きすぎます。単価または税率を見直してください。"));
    return Money::fromYen(std::int64_t(yen));
}

void checkLine(Money unitPrice, Money tax, Money quantity)
{
    const i128 sum = i128(unitPrice.raw()) + tax.raw();
    if (sum > kInt64Max || sum < kInt64Min)
        throw LineAmountError(lineTooLargeText());
    const i128 product = sum * quantity.raw();
    if (product > kStoredProductLimit || product < -kStoredProductLimit)
        throw LineAmountError(lineTooLargeText());
}

Money lineTotal(Money unitPrice, Money tax, Money quantity)
{
    checkLine(unitPrice, tax, quantity);
    // The exact product in units of 1e-8 yen, to whole yen halves away from zero.
    constexpr i128 OneYen = i128(Money::Scale) * Money::Scale;
    const i128 product = (i128(unitPrice.raw()) + tax.raw()) * quantity.raw();
    i128 yen = product / OneYen;
    const i128 rest = product % OneYen;
    if (rest * 2 >= OneYen)
        ++yen;
    else if (rest * 2 <= -OneYen)
        --yen;
    return Money::fromYen(std::int64_t(yen));
}

void SlipTotals::addLine(Money unitPrice, Money tax, Money quantity)
{
    const Money total = lineTotal(unitPrice, tax, quantity);
    try {
        const Money beforeTax = m_beforeTax + unitPrice * quantity;
        const Money taxSum = m_tax + tax * quantity;
        const Money withTax = m_withTax + total;
        m_beforeTax = beforeTax;
        m_tax = taxSum;
        m_withTax = withTax;
    } catch (const MoneyOverflow&) {
        throw LineAmountError(
            QStringLiteral("伝票の合計金額が大きすぎます。明細の単価または数量を見直してください。"));
    }
}

SlipTotals SlipTotals::of(Cursor lines)
{
    SlipTotals totals;
    for (lines.first(); !lines.eof(); lines.next())
        totals.addLine(lines.field(QStringLiteral("単価")).asMoney(),
                       lines.field(QStringLiteral("税額")).asMoney(),
                       lines.field(QStringLiteral("数量")).asMoney());
    return totals;
}

}  // namespace LineTax
