#include "ledgercomputation.h"

#include <stdexcept>

#include "connection.h"
#include "dataset.h"
#include "datasetmodel.h"

namespace {

// The seven branches: carried forward, cash slips, cash lines, credit slips,
// credit lines, money slips, money lines. The first branch names the columns.
// Every partner condition is the one bound parameter :PartnerCode; the names
// in braces come from LedgerNames, never from what a user typed.
const char* const kLedgerQuery = R"(
SELECT :DispDate AS 表示用年月日,
       :DispDate2 AS 年月日,
       -1 AS 種別コード,
       '繰越残高' AS 種別,
       '' AS 区分コード,
       '' AS 区分,
       -1 AS 伝票番号,
       -1 AS 明細番号,
       '' AS 商品コード,
       '' AS 商品名,
       '' AS 分類コード,
       '' AS 分類名,
       0 AS 単価,
       0 AS 税額,
       0 AS 数量,
       0 AS 金額,
       0 AS 現金合計,
       0 AS {CreditTotal},
       0 AS {MoneyAmount},
       0 AS {MoneyTotal},
       (SELECT IFNULL(SUM(伝票合計), 0)
        FROM {Slips}
        WHERE {SlipKind} = '10'
        AND {SlipDate} < :{CreditSum}
        AND {Partner} = :PartnerCode) - IFNULL(SUM(伝票合計), 0) AS 残高
FROM {Money}
WHERE {MoneyDate} < :SumDateTo
AND {Partner} = :PartnerCode
UNION
SELECT {SlipDate} AS 表示用年月日,
       {SlipDate} AS 年月日,
       1 AS 種別コード,
       {KindName} AS 種別,
       NULL AS 区分コード,
       NULL AS 区分,
       伝票番号 AS 伝票番号,
       -1 AS 明細番号,
       NULL AS 商品コード,
       NULL AS 商品名,
       NULL AS 分類コード,
       NULL AS 分類名,
       0 AS 単価,
       0 AS 税額,
       0 AS 数量,
       0 AS 金額,
       伝票合計 AS 現金合計,
       NULL AS {CreditTotal},
       NULL AS {MoneyAmount},
       NULL AS {MoneyTotal},
       NULL AS 残高
FROM {Slips}
WHERE {SlipKind} = '20'
AND {SlipDate} >= :{Cash}DateFrom
AND {SlipDate} <  :{Cash}DateTo
AND {Partner} = :PartnerCode
UNION
SELECT NULL AS 表示用年月日,
       {Slips}.{SlipDate} AS 年月日,
       1 AS 種別コード,
       NULL AS 種別,
       NULL AS 区分コード,
       NULL AS 区分,
       {Lines}.伝票番号 AS 伝票番号,
       {Lines}.明細番号 AS 明細番号,
       {Lines}.商品コード AS 商品コード,
       {Lines}.商品名 AS 商品名,
       {Lines}.商品分類コード AS 分類コード,
       {Lines}.分類名 AS 分類名,
       {Lines}.単価 AS 単価,
       {Lines}.税額 AS 税額,
       {Lines}.数量 AS 数量,
       {Lines}.税込合計 AS 金額,
       NULL AS 現金合計,
       NULL AS {CreditTotal},
       NULL AS {MoneyAmount},
       NULL AS {MoneyTotal},
       NULL AS 残高
FROM {Slips}, {Lines}
WHERE {Slips}.伝票番号 = {Lines}.伝票番号
AND {Slips}.{SlipKind} = '20'
AND {Slips}.{SlipDate} >= :{Cash}DateFrom2
AND {Slips}.{SlipDate} <  :{Cash}DateTo2
AND {Slips}.{Partner} = :PartnerCode
UNION
SELECT {SlipDate} AS 表示用年月日,
       {SlipDate} AS 年月日,
       2 AS 種別コード,
       {KindName} AS 種別,
       NULL AS 区分コード,
       NULL AS 区分,
       伝票番号 AS 伝票番号,
       -1 AS 明細番号,
       NULL AS 商品コード,
       NULL AS 商品名,
       NULL AS 分類コード,
       NULL AS 分類名,
       0 AS 単価,
       0 AS 税額,
       0 AS 数量,
       0 AS 金額,
       NULL AS 現金合計,
       伝票合計 AS {CreditTotal},
       NULL AS {MoneyAmount},
       NULL AS {MoneyTotal},
       NULL AS 残高
FROM {Slips}
WHERE {SlipKind} = '10'
AND {SlipDate} >= :{Credit}DateFrom
AND {SlipDate} <  :{Credit}DateTo
AND {Partner} = :PartnerCode
UNION
SELECT NULL AS 表示用年月日,
       {Slips}.{SlipDate} AS 年月日,
       2 AS 種別コード,
       NULL AS 種別,
       NULL AS 区分コード,
       NULL AS 区分,
       {Lines}.伝票番号 AS 伝票番号,
       {Lines}.明細番号 AS 明細番号,
       {Lines}.商品コード AS 商品コード,
       {Lines}.商品名 AS 商品名,
       {Lines}.商品分類コード AS 分類コード,
       {Lines}.分類名 AS 分類名,
       {Lines}.単価 AS 単価,
       {Lines}.税額 AS 税額,
       {Lines}.数量 AS 数量,
       {Lines}.税込合計 AS 金額,
       NULL AS 現金合計,
       NULL AS {CreditTotal},
       NULL AS {MoneyAmount},
       NULL AS {MoneyTotal},
       NULL AS 残高
FROM {Slips}, {Lines}
WHERE {Slips}.伝票番号 = {Lines}.伝票番号
AND {Slips}.{SlipKind} = '10'
AND {Slips}.{SlipDate} >= :{Credit}DateFrom2
AND {Slips}.{SlipDate} <  :{Credit}DateTo2
AND {Slips}.{Partner} = :PartnerCode
UNION
SELECT {MoneyDate} AS 表示用年月日,
       {MoneyDate} AS 年月日,
       3 AS 種別コード,
       '{MoneyLabel}' AS 種別,
       NULL AS 区分コード,
       NULL AS 区分,
       伝票番号 AS 伝票番号,
       -1 AS 明細番号,
       NULL AS 商品コード,
       NULL AS 商品名,
       NULL AS 分類コード,
       NULL AS 分類名,
       0 AS 単価,
       0 AS 税額,
       0 AS 数量,
       0 AS 金額,
       NULL AS 現金合計,
       NULL AS {CreditTotal},
       NULL AS {MoneyAmount},
       伝票合計 AS {MoneyTotal},
       NULL AS 残高
FROM {Money}
WHERE 1 = 1
AND {Money}.{MoneyDate} >= :{Receive}DateFrom
AND {Money}.{MoneyDate} <  :{Receive}DateTo
AND {Money}.{Partner} = :PartnerCode
UNION
SELECT NULL AS 表示用年月日,
       {Money}.{MoneyDate} AS 年月日,
       3 AS 種別コード,
       NULL AS 種別,
       {MoneyLines}.区分コード AS 区分コード,
       {MoneyLines}.区分名 AS 区分,
       {MoneyLines}.伝票番号 AS 伝票番号,
       {MoneyLines}.明細番号 AS 明細番号,
       NULL AS 商品コード,
       NULL AS 商品名,
       NULL AS 分類コード,
       NULL AS 分類名,
       0 AS 単価,
       0 AS 税額,
       0 AS 数量,
       0 AS 金額,
       NULL AS 現金合計,
       NULL AS {CreditTotal},
       {MoneyLines}.金額 AS {MoneyAmount},
       NULL AS {MoneyTotal},
       NULL AS 残高
FROM {Money}, {MoneyLines}
WHERE {Money}.伝票番号 = {MoneyLines}.伝票番号
AND {Money}.{MoneyDate} >= :{Receive}DateFrom2
AND {Money}.{MoneyDate} <  :{Receive}DateTo2
AND {Money}.{Partner} = :PartnerCode
ORDER BY 年月日, 種別コード, 伝票番号, 明細番号
)";

const QString kBalance = QStringLiteral("残高");
const QString kLineNo = QStringLiteral("明細番号");
const QString kDispDate = QStringLiteral("表示用年月日");
const QString kKindCode = QStringLiteral("種別コード");

// The rows that carry a balance: the carried-forward row, the credit slips and
// the money slips (every row with a display date, except cash slips).
bool isBalanceRow(const RowRef& row)
{
    return !row.field(kDispDate).isNull() && row.field(kKindCode).asInt() != 1;
}

bool isSlipRow(const RowRef& row)
{
    return row.field(kLineNo).asInt() == -1;
}

}  // namespace

const LedgerNames& LedgerNames::customer()
{
    static const LedgerNames names{
        &PartnerSide::customer(),
        QStringLiteral("区分名"),
        QStringLiteral("入金"),
        QStringLiteral("掛売合計"),
        QStringLiteral("入金額"),
        QStringLiteral("入金合計"),
        QStringLiteral("CreditSalesSumDateTo"),
        QStringLiteral("CashSales"),
        QStringLiteral("CreditSales"),
        QStringLiteral("Receive"),
    };
    return names;
}

const LedgerNames& LedgerNames::supplier()
{
    static const LedgerNames names{
        &PartnerSide::supplier(),
        QStringLiteral("区分"),
        QStringLiteral("支払"),
        QStringLiteral("掛仕合計"),
        QStringLiteral("支払額"),
        QStringLiteral("支払合計"),
        QStringLiteral("CreditBuyingSumDateTo"),
        QStringLiteral("CashBuying"),
        QStringLiteral("CreditBuying"),
        QStringLiteral("Pay"),
    };
    return names;
}

QString LedgerComputation::queryText(const LedgerNames& n)
{
    return n.side->fillNames(QString::fromUtf8(kLedgerQuery).trimmed(), {
                                                                            {"{KindName}", n.kindNameColumn},
                                                                            {"{MoneyLabel}", n.moneyLabel},
                                                                            {"{MoneyAmount}", n.moneyAmount},
                                                                            {"{MoneyTotal}", n.moneyTotal},
                                                                            {"{CreditTotal}", n.creditTotal},
                                                                            {"{CreditSum}", n.creditSumParam},
                                                                            {"{Credit}", n.creditParam},
                                                                            {"{Cash}", n.cashParam},
                                                                            {"{Receive}", n.moneyParam},
                                                                        });
}

LedgerComputation::LedgerComputation(Connection& connection, const LedgerNames& names)
    : m_names(names), m_dataset(std::make_unique<Dataset>(connection)), m_sql(queryText(names))
{
    applyDetailFilter();
}

LedgerComputation::~LedgerComputation() = default;

Period LedgerComputation::build(const QString& partnerCode, const QDate& from, const QDate& to)
{
    if (!from.isValid() || !to.isValid())
        throw std::invalid_argument("期間の日付が正しくありません。");
    const Period period = Period::ordered(from, to);

    Dataset& ds = *m_dataset;
    ds.close();
    ds.setSql(m_sql);
    m_periodFromText = period.fromText();
    m_periodToText = period.toText();
    m_partnerCode = partnerCode;

    const QDate f = period.from;
    const QVariant next = period.endBound();
    const LedgerNames& n = m_names;
    ds.setParam(QStringLiteral("PartnerCode"), partnerCode);
    ds.setParam(QStringLiteral("DispDate"), f);
    ds.setParam(QStringLiteral("DispDate2"), f);
    ds.setParam(n.creditSumParam, f);
    ds.setParam(QStringLiteral("SumDateTo"), f);
    for (const QString& prefix : {n.cashParam, n.creditParam, n.moneyParam}) {
        ds.setParam(prefix + QStringLiteral("DateFrom"), f);
        ds.setParam(prefix + QStringLiteral("DateFrom2"), f);
        ds.setParam(prefix + QStringLiteral("DateTo"), next);
        ds.setParam(prefix + QStringLiteral("DateTo2"), next);
    }
    ds.open();
    try {
        writeRunningBalance();
    } catch (...) {
        ds.close();
        throw;
    }
    ds.first();
    return period;
}

// The balance follows the ledger's order over the rows that carry one. It is
// kept exactly and shown in whole yen, halves away from zero, on every such row
// (the carried-forward row included), so a shown balance is always the exact
// balance rounded once: the last one equals the balance list's 残高 rounded the
// same way, however many fractional amounts came before it.
void LedgerComputation::writeRunningBalance()
{
    Dataset& ds = *m_dataset;
    const QString& creditTotal = m_names.creditTotal;
    const QString& moneyTotal = m_names.moneyTotal;

    ds.setFilter(isBalanceRow);
    ds.setFiltered(true);
    Money balance;
    for (ds.first(); !ds.eof(); ds.next()) {
        const Field carried = ds.field(kBalance);
        if (!carried.isNull())
            balance += carried.asMoney();
        const Field credit = ds.field(creditTotal);
        if (!credit.isNull())
            balance += credit.asMoney();
        const Field money = ds.field(moneyTotal);
        if (!money.isNull())
            balance -= money.asMoney();
        ds.edit();
        ds.setValue(kBalance, QVariant::fromValue(Money::fromYen(balance.yenHalfAway())));
        ds.post();
    }
    applyDetailFilter();
}

void LedgerComputation::setShowDetails(bool show)
{
    m_showDetails = show;
    applyDetailFilter();
}

void LedgerComputation::applyDetailFilter()
{
    m_dataset->setFilter(m_showDetails ? RowPredicate() : RowPredicate(isSlipRow));
    m_dataset->setFiltered(true);
}

QList<ColumnSpec> LedgerComputation::columns(const LedgerNames& n, const QString& balanceTitle,
                                             int balanceWidth, int quantityWidth)
{
    constexpr auto left = Qt::AlignLeft | Qt::AlignVCenter;
    constexpr auto right = Qt::AlignRight | Qt::AlignVCenter;
    const int defaultWidth = ColumnSpec{}.width;
    return {
        {QStringLiteral("表示用年月日"), QStringLiteral("年月日"), 65, left, DisplayFormat::Date},
        {QStringLiteral("種別"), {}, 53, left},
        {QStringLiteral("区分"), {}, 34, left},
        // The item code is in the rows but never shown.
        {QStringLiteral("商品コード"), {}, 64, left, DisplayFormat::Text, false},
        {QStringLiteral("商品名"), {}, 50, left},
        {QStringLiteral("分類名"), {}, 44, left},
        {QStringLiteral("単価"), {}, 49, right, DisplayFormat::Money},
        {QStringLiteral("税額"), {}, 39, right, DisplayFormat::Money},
        {QStringLiteral("数量"), {}, quantityWidth, right, DisplayFormat::Quantity},
        {QStringLiteral("金額"), {}, 52, right, DisplayFormat::Money},
        {QStringLiteral("現金合計"), {}, 61, right, DisplayFormat::Money},
        {n.creditTotal, {}, defaultWidth, right, DisplayFormat::Money},
        {n.moneyAmount, {}, 57, right, DisplayFormat::Money},
        {n.moneyTotal, {}, 60, right, DisplayFormat::Money},
        {QStringLiteral("残高"), balanceTitle, balanceWidth, right, DisplayFormat::Money},
    };
}
