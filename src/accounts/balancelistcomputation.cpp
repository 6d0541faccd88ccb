#include "balancelistcomputation.h"

#include <stdexcept>

#include "connection.h"
#include "dataset.h"
#include "datasetmodel.h"

namespace {

// Every partner of the master, joined (keeping partners without a match) to
// five per-partner sums of slip totals: credit slips and money slips before the
// period, and credit, cash and money slips within it. The names in braces come
// from BalanceListNames, never from what a user typed.
const char* const kListQuery = R"(
SELECT {PartnerTable}.{Partner} AS {Partner},
       {PartnerTable}.{PartnerName} AS {PartnerName},
       IFNULL(tmp_{CarriedCredit}.{CarriedCredit}, 0) AS {CarriedCredit},
       IFNULL(tmp_{CarriedMoney}.{CarriedMoney}, 0) AS {CarriedMoney},
       IFNULL(tmp_{CarriedCredit}.{CarriedCredit}, 0)
         - IFNULL(tmp_{CarriedMoney}.{CarriedMoney}, 0) AS 繰越残高,
       IFNULL({PeriodCreditAlias}.{PeriodCredit}, 0) AS {PeriodCredit},
       IFNULL({PeriodCashAlias}.{PeriodCash}, 0) AS {PeriodCash},
       IFNULL({PeriodMoneyAlias}.{PeriodMoney}, 0) AS {PeriodMoney},
       IFNULL(tmp_{CarriedCredit}.{CarriedCredit}, 0)
         - IFNULL(tmp_{CarriedMoney}.{CarriedMoney}, 0)
         + IFNULL({PeriodCreditAlias}.{PeriodCredit}, 0)
         - IFNULL({PeriodMoneyAlias}.{PeriodMoney}, 0) AS 残高
FROM (((({PartnerTable}
LEFT JOIN (SELECT {Partner}, IFNULL(SUM(伝票合計), 0) AS {CarriedCredit}
           FROM {Slips}
           WHERE {Partner} IS NOT NULL
           AND {SlipKind} = '10'
           AND {SlipDate} < :{CarriedCreditParam}
           GROUP BY {Partner}) AS tmp_{CarriedCredit}
       ON {PartnerTable}.{Partner} = tmp_{CarriedCredit}.{Partner})
LEFT JOIN (SELECT {Partner}, IFNULL(SUM(伝票合計), 0) AS {CarriedMoney}
           FROM {Money}
           WHERE {Partner} IS NOT NULL
           AND {MoneyDate} < :{CarriedMoneyParam}
           GROUP BY {Partner}) AS tmp_{CarriedMoney}
       ON {PartnerTable}.{Partner} = tmp_{CarriedMoney}.{Partner})
LEFT JOIN (SELECT {Partner}, IFNULL(SUM(伝票合計), 0) AS {PeriodCredit}
           FROM {Slips}
           WHERE {Partner} IS NOT NULL
           AND {SlipKind} = '10'
           AND {SlipDate} >= :{Credit}DateFrom
           AND {SlipDate} <  :{Credit}DateTo
           GROUP BY {Partner}) AS {PeriodCreditAlias}
       ON {PartnerTable}.{Partner} = {PeriodCreditAlias}.{Partner})
LEFT JOIN (SELECT {Partner}, IFNULL(SUM(伝票合計), 0) AS {PeriodCash}
           FROM {Slips}
           WHERE {Partner} IS NOT NULL
           AND {SlipKind} = '20'
           AND {SlipDate} >= :{Cash}DateFrom
           AND {SlipDate} <  :{Cash}DateTo
           GROUP BY {Partner}) AS {PeriodCashAlias}
       ON {PartnerTable}.{Partner} = {PeriodCashAlias}.{Partner})
LEFT JOIN (SELECT {Partner}, IFNULL(SUM(伝票合計), 0) AS {PeriodMoney}
           FROM {Money}
           WHERE {Partner} IS NOT NULL
           AND {MoneyDate} >= :{Receive}DateFrom
           AND {MoneyDate} <  :{Receive}DateTo
           GROUP BY {Partner}) AS {PeriodMoneyAlias}
       ON {PartnerTable}.{Partner} = {PeriodMoneyAlias}.{Partner}
)";

}  // namespace

const BalanceListNames& BalanceListNames::receivable()
{
    static const BalanceListNames names{
        &PartnerSide::customer(),         QStringLiteral("繰越掛売合計"),     QStringLiteral("繰越入金合計"),
        QStringLiteral("期間掛売合計"),   QStringLiteral("期間現金売合計"),   QStringLiteral("期間入金合計"),
        QStringLiteral("tmp_掛売合計"),   QStringLiteral("tmp_現金売合計"),   QStringLiteral("tmp_入金合計"),
        QStringLiteral("SalesSumDateTo"), QStringLiteral("ReceiveSumDateTo"), QStringLiteral("CreditSales"),
        QStringLiteral("CashSales"),      QStringLiteral("Receive"),
    };
    return names;
}

const BalanceListNames& BalanceListNames::payable()
{
    static const BalanceListNames names{
        &PartnerSide::supplier(),         QStringLiteral("繰越掛仕合計"),
        QStringLiteral("繰越支払合計"),   QStringLiteral("期間掛仕合計"),
        QStringLiteral("期間現金仕合計"), QStringLiteral("期間支払合計"),
        QStringLiteral("tmp_掛仕合計"),   QStringLiteral("tmp_現金仕合計"),
        QStringLiteral("tmp_支払合計"),   QStringLiteral("BuyingSumDateTo"),
        QStringLiteral("PaySumDateTo"),   QStringLiteral("CreditBuying"),
        QStringLiteral("CashBuying"),     QStringLiteral("Pay"),
    };
    return names;
}

QString BalanceListComputation::queryText(const BalanceListNames& n)
{
    return n.side->fillNames(QString::fromUtf8(kListQuery).trimmed(),
                             {
                                 {"{CarriedCreditParam}", n.carriedCreditParam},
                                 {"{CarriedMoneyParam}", n.carriedMoneyParam},
                                 {"{CarriedCredit}", n.carriedCredit},
                                 {"{CarriedMoney}", n.carriedMoney},
                                 {"{PeriodCreditAlias}", n.periodCreditAlias},
                                 {"{PeriodCashAlias}", n.periodCashAlias},
                                 {"{PeriodMoneyAlias}", n.periodMoneyAlias},
                                 {"{PeriodCredit}", n.periodCredit},
                                 {"{PeriodCash}", n.periodCash},
                                 {"{PeriodMoney}", n.periodMoney},
                                 {"{Credit}", n.creditParam},
                                 {"{Cash}", n.cashParam},
                                 {"{Receive}", n.moneyParam},
                             });
}

BalanceListComputation::BalanceListComputation(Connection& connection, const BalanceListNames& names)
    : m_names(names), m_dataset(std::make_unique<Dataset>(connection)), m_sql(queryText(names))
{
}

BalanceListComputation::~BalanceListComputation() = default;

std::vector<std::pair<QString, Money>> BalanceListComputation::totals() const
{
    const BalanceListNames& n = m_names;
    std::vector<std::pair<QString, Money>> sums;
    if (!m_dataset->isOpen())
        return sums;
    for (const QString& column : {n.carriedCredit, n.carriedMoney, QStringLiteral("繰越残高"), n.periodCredit,
                                  n.periodCash, n.periodMoney, QStringLiteral("残高")}) {
        Money sum;
        for (int row = 0; row < m_dataset->count(); ++row)
            sum = sum + m_dataset->fieldAt(row, column).asMoney();
        sums.emplace_back(column, sum);
    }
    return sums;
}

Period BalanceListComputation::build(const QDate& from, const QDate& to)
{
    if (!from.isValid() || !to.isValid())
        throw std::invalid_argument("期間の日付が正しくありません。");
    const Period period = Period::ordered(from, to);

    Dataset& ds = *m_dataset;
    ds.close();
    ds.setSql(m_sql);
    m_periodFromText = period.fromText();
    m_periodToText = period.toText();

    const BalanceListNames& n = m_names;
    const QDate f = period.from;
    const QVariant next = period.endBound();
    ds.setParam(n.carriedCreditParam, f);
    ds.setParam(n.carriedMoneyParam, f);
    for (const QString& prefix : {n.creditParam, n.cashParam, n.moneyParam}) {
        ds.setParam(prefix + QStringLiteral("DateFrom"), f);
        ds.setParam(prefix + QStringLiteral("DateTo"), next);
    }
    ds.open();
    // The query asks for no order; the list starts in code order until the user
    // sorts by a column title.
    ds.sortBy({{n.side->codeColumn, false}});
    ds.first();
    return period;
}

QList<ColumnSpec> BalanceListComputation::columns(const BalanceListNames& n, int cashWidth)
{
    constexpr auto left = Qt::AlignLeft | Qt::AlignVCenter;
    constexpr auto right = Qt::AlignRight | Qt::AlignVCenter;
    constexpr auto money = DisplayFormat::Money;
    constexpr auto balance = DisplayFormat::Balance;  // rounded as the ledger rounds them
    return {
        {n.side->codeColumn, {}, ColumnSpec{}.width, left},
        {n.side->nameColumn, {}, 160, left},
        {QStringLiteral("繰越残高"), {}, 92, right, balance},
        {n.periodCash, {}, cashWidth, right, money},
        {n.periodCredit, {}, 92, right, money},
        {n.periodMoney, {}, 93, right, money},
        {QStringLiteral("残高"), {}, 105, right, balance},
    };
}
