#include "stocklistcomputation.h"

#include <stdexcept>

#include "connection.h"
#include "dataset.h"

namespace {

// Every item of the master, joined (keeping items without a match) to four
// per-item sums of line quantities: sales and purchases before the period,
// purchases and sales within it.
const char* const kListQuery = R"(
SELECT m_商品.商品コード AS 商品コード,
       m_商品.商品名 AS 商品名,
       IFNULL(tmp_繰越仕入数量.繰越仕入数量, 0) - IFNULL(tmp_繰越売上数量.繰越売上数量, 0) AS 繰越数量,
       IFNULL(tmp_期間入庫数.期間入庫数, 0) AS 期間入庫数,
       IFNULL(tmp_期間出庫数.期間出庫数, 0) AS 期間出庫数,
       IFNULL(tmp_繰越仕入数量.繰越仕入数量, 0) - IFNULL(tmp_繰越売上数量.繰越売上数量, 0)
         + IFNULL(tmp_期間入庫数.期間入庫数, 0) - IFNULL(tmp_期間出庫数.期間出庫数, 0) AS 在庫数
FROM (((m_商品
LEFT JOIN (SELECT v_売上明細.商品コード, IFNULL(SUM(v_売上明細.数量), 0) AS 繰越売上数量
           FROM v_売上, v_売上明細
           WHERE v_売上.伝票番号 = v_売上明細.伝票番号
           AND v_売上明細.商品コード IS NOT NULL
           AND v_売上.売上年月日 < :SalesSumDateTo
           GROUP BY v_売上明細.商品コード) AS tmp_繰越売上数量
       ON m_商品.商品コード = tmp_繰越売上数量.商品コード)
LEFT JOIN (SELECT v_仕入明細.商品コード, IFNULL(SUM(v_仕入明細.数量), 0) AS 繰越仕入数量
           FROM v_仕入, v_仕入明細
           WHERE v_仕入.伝票番号 = v_仕入明細.伝票番号
           AND v_仕入明細.商品コード IS NOT NULL
           AND v_仕入.仕入年月日 < :BuyingSumDateTo
           GROUP BY v_仕入明細.商品コード) AS tmp_繰越仕入数量
       ON m_商品.商品コード = tmp_繰越仕入数量.商品コード)
LEFT JOIN (SELECT v_仕入明細.商品コード, IFNULL(SUM(v_仕入明細.数量), 0) AS 期間入庫数
           FROM v_仕入, v_仕入明細
           WHERE v_仕入.伝票番号 = v_仕入明細.伝票番号
           AND v_仕入明細.商品コード IS NOT NULL
           AND v_仕入.仕入年月日 >= :BuyingDateFrom
           AND v_仕入.仕入年月日 <  :BuyingDateTo
           GROUP BY v_仕入明細.商品コード) AS tmp_期間入庫数
       ON m_商品.商品コード = tmp_期間入庫数.商品コード)
LEFT JOIN (SELECT v_売上明細.商品コード, IFNULL(SUM(v_売上明細.数量), 0) AS 期間出庫数
           FROM v_売上, v_売上明細
           WHERE v_売上.伝票番号 = v_売上明細.伝票番号
           AND v_売上明細.商品コード IS NOT NULL
           AND v_売上.売上年月日 >= :SalesDateFrom
           AND v_売上.売上年月日 <  :SalesDateTo
           GROUP BY v_売上明細.商品コード) AS tmp_期間出庫数
       ON m_商品.商品コード = tmp_期間出庫数.商品コード
)";

}  // namespace

QString StockListComputation::queryText()
{
    return QString::fromUtf8(kListQuery).trimmed();
}

StockListComputation::StockListComputation(Connection& connection)
    : m_dataset(std::make_unique<Dataset>(connection))
{
}

StockListComputation::~StockListComputation() = default;

Period StockListComputation::build(const QDate& from, const QDate& to)
{
    if (!from.isValid() || !to.isValid())
        throw std::invalid_argument("期間の日付が正しくありません。");
    const Period period = Period::ordered(from, to);

    Dataset& ds = *m_dataset;
    ds.close();
    ds.setSql(queryText());
    m_periodFromText = period.fromText();
    m_periodToText = period.toText();

    const QDate f = period.from;
    const QDate next = period.dayAfterTo();
    ds.setParam(QStringLiteral("SalesSumDateTo"), f);
    ds.setParam(QStringLiteral("BuyingSumDateTo"), f);
    ds.setParam(QStringLiteral("BuyingDateFrom"), f);
    ds.setParam(QStringLiteral("BuyingDateTo"), next);
    ds.setParam(QStringLiteral("SalesDateFrom"), f);
    ds.setParam(QStringLiteral("SalesDateTo"), next);
    ds.open();
    // The query asks for no order; the list starts in item-code order until the
    // user sorts by a column title.
    ds.sortBy({{QStringLiteral("商品コード"), false}});
    ds.first();
    return period;
}
