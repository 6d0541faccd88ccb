#include "itemledgercomputation.h"

#include <stdexcept>

#include "connection.h"
#include "dataset.h"
#include "datasetmodel.h"
#include "money.h"

namespace {

// Three branches: the carried-forward row (an aggregate without grouping, so it
// yields its one row even when the item never moved), the purchase lines and
// the sales lines of the period. The item is the one bound parameter :Code.
// A line without a quantity moves nothing.
const char* const kLedgerQuery = R"(
SELECT :DispDate AS 年月日,
       -1 AS 種別コード,
       '繰越在庫数' AS 種別,
       NULL AS 伝票番号,
       NULL AS 明細番号,
       NULL AS 相手先コード,
       NULL AS 相手先名,
       0 AS 単価,
       0 AS 税額,
       0 AS 数量,
       0 AS 金額,
       0 AS 入出庫数,
       (SELECT IFNULL(SUM(v_仕入明細.数量), 0)
        FROM v_仕入, v_仕入明細
        WHERE v_仕入.伝票番号 = v_仕入明細.伝票番号
        AND v_仕入.仕入年月日 < :BuyingSumDateTo
        AND v_仕入明細.商品コード = :Code) - IFNULL(SUM(v_売上明細.数量), 0) AS 在庫数
FROM v_売上, v_売上明細
WHERE v_売上.伝票番号 = v_売上明細.伝票番号
AND v_売上.売上年月日 < :SalesSumDateTo
AND v_売上明細.商品コード = :Code
UNION ALL
SELECT v_仕入.仕入年月日,
       1,
       '仕入',
       v_仕入明細.伝票番号,
       v_仕入明細.明細番号,
       v_仕入.仕入先コード,
       v_仕入.仕入先名,
       v_仕入明細.単価,
       v_仕入明細.税額,
       v_仕入明細.数量,
       -v_仕入明細.税込合計,
       IFNULL(v_仕入明細.数量, 0),
       NULL
FROM v_仕入, v_仕入明細
WHERE v_仕入.伝票番号 = v_仕入明細.伝票番号
AND v_仕入.仕入年月日 >= :BuyingDateFrom
AND v_仕入.仕入年月日 <  :BuyingDateTo
AND v_仕入明細.商品コード = :Code
UNION ALL
SELECT v_売上.売上年月日,
       2,
       '売上',
       v_売上明細.伝票番号,
       v_売上明細.明細番号,
       v_売上.顧客コード,
       v_売上.顧客名,
       v_売上明細.単価,
       v_売上明細.税額,
       v_売上明細.数量,
       v_売上明細.税込合計,
       -IFNULL(v_売上明細.数量, 0),
       NULL
FROM v_売上, v_売上明細
WHERE v_売上.伝票番号 = v_売上明細.伝票番号
AND v_売上.売上年月日 >= :SalesDateFrom
AND v_売上.売上年月日 <  :SalesDateTo
AND v_売上明細.商品コード = :Code
ORDER BY 年月日, 種別コード, 伝票番号, 明細番号
)";

const QString kStock = QStringLiteral("在庫数");
const QString kMovement = QStringLiteral("入出庫数");

}  // namespace

QString ItemLedgerComputation::queryText()
{
    return QString::fromUtf8(kLedgerQuery).trimmed();
}

ItemLedgerComputation::ItemLedgerComputation(Connection& connection)
    : m_dataset(std::make_unique<Dataset>(connection))
{
}

ItemLedgerComputation::~ItemLedgerComputation() = default;

Period ItemLedgerComputation::build(const QString& itemCode, const QDate& from, const QDate& to)
{
    if (!from.isValid() || !to.isValid())
        throw std::invalid_argument("期間の日付が正しくありません。");
    const Period period = Period::ordered(from, to);

    Dataset& ds = *m_dataset;
    ds.close();
    ds.setSql(queryText());
    m_periodFromText = period.fromText();
    m_periodToText = period.toText();
    m_itemCode = itemCode;

    const QDate f = period.from;
    const QVariant next = period.endBound();
    ds.setParam(QStringLiteral("Code"), itemCode);
    ds.setParam(QStringLiteral("DispDate"), f);
    ds.setParam(QStringLiteral("BuyingSumDateTo"), f);
    ds.setParam(QStringLiteral("SalesSumDateTo"), f);
    ds.setParam(QStringLiteral("BuyingDateFrom"), f);
    ds.setParam(QStringLiteral("BuyingDateTo"), next);
    ds.setParam(QStringLiteral("SalesDateFrom"), f);
    ds.setParam(QStringLiteral("SalesDateTo"), next);
    ds.open();
    try {
        writeRunningStock();
    } catch (...) {
        ds.close();
        throw;
    }
    ds.first();
    return period;
}

// The carried-forward row holds the stock before the period; every later row
// holds the stock after its own movement. Exact to the ten-thousandth; a stock
// below zero is kept as it is.
void ItemLedgerComputation::writeRunningStock()
{
    Dataset& ds = *m_dataset;
    ds.first();
    if (ds.eof())
        return;
    Money stock = ds.field(kStock).asMoney();
    for (ds.next(); !ds.eof(); ds.next()) {
        stock += ds.field(kMovement).asMoney();
        ds.edit();
        ds.setValue(kStock, QVariant::fromValue(stock));
        ds.post();
    }
}

QList<ColumnSpec> ItemLedgerComputation::columns()
{
    constexpr auto left = Qt::AlignLeft | Qt::AlignVCenter;
    constexpr auto right = Qt::AlignRight | Qt::AlignVCenter;
    return {
        {QStringLiteral("年月日"), {}, 70, left, DisplayFormat::Date},
        {QStringLiteral("種別"), {}, 70, left},
        {QStringLiteral("伝票番号"), {}, 60, right, DisplayFormat::Integer},
        // The counterpart's code is in the rows but never shown.
        {QStringLiteral("相手先コード"), {}, 80, left, DisplayFormat::Text, false},
        {QStringLiteral("相手先名"), {}, 150, left},
        {QStringLiteral("単価"), {}, 70, right, DisplayFormat::Money},
        {QStringLiteral("税額"), {}, 60, right, DisplayFormat::Money},
        {QStringLiteral("数量"), {}, 60, right, DisplayFormat::Quantity},
        {QStringLiteral("金額"), {}, 80, right, DisplayFormat::Money},
        {QStringLiteral("入出庫数"), {}, 70, right, DisplayFormat::Quantity},
        {QStringLiteral("在庫数"), {}, 70, right, DisplayFormat::Quantity},
    };
}
