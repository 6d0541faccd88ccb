#include "stocklistcomputation.h"

#include <stdexcept>

#include "connection.h"
#include "dataset.h"
#include "datasetmodel.h"

namespace {

// Every item of the master, joined (keeping items without a match) to its
// received and issued quantities before the first day (F) and before the day
// after the last (T1). Each is read as the kept monthly figures of the months
// before the date's month plus the lines of that month dated before the date,
// so the quantities over the years before a period come from a few figures per
// item, never from every line. The period's quantities are the differences.
//   繰越数量   = in before F - out before F
//   期間入庫数 = in before T1 - in before F     (期間出庫数 likewise)
//   在庫数     = in before T1 - out before T1
// The line sums read the slip headers by date (CROSS JOIN keeps that order;
// the item-code index would read every line of every item).
const char* const kListQuery = R"(
SELECT m_商品.商品コード AS 商品コード,
       m_商品.商品名 AS 商品名,
       IFNULL(k.入庫前, 0) + IFNULL(p.入庫前, 0) - IFNULL(k.出庫前, 0) - IFNULL(s.出庫前, 0) AS 繰越数量,
       IFNULL(k.入庫迄, 0) + IFNULL(p.入庫迄, 0) - IFNULL(k.入庫前, 0) - IFNULL(p.入庫前, 0) AS 期間入庫数,
       IFNULL(k.出庫迄, 0) + IFNULL(s.出庫迄, 0) - IFNULL(k.出庫前, 0) - IFNULL(s.出庫前, 0) AS 期間出庫数,
       IFNULL(k.入庫迄, 0) + IFNULL(p.入庫迄, 0) - IFNULL(k.出庫迄, 0) - IFNULL(s.出庫迄, 0) AS 在庫数
FROM ((m_商品
LEFT JOIN (SELECT 商品コード,
                  SUM(CASE WHEN 年月 < :FromMonth THEN 入庫数 ELSE 0 END) AS 入庫前,
                  SUM(CASE WHEN 年月 < :FromMonth THEN 出庫数 ELSE 0 END) AS 出庫前,
                  SUM(入庫数) AS 入庫迄,
                  SUM(出庫数) AS 出庫迄
           FROM t_在庫月計
           WHERE 年月 < :ToMonth
           GROUP BY 商品コード) AS k
       ON m_商品.商品コード = k.商品コード)
LEFT JOIN (SELECT d.商品コード,
                  SUM(CASE WHEN h.仕入年月日 >= :FromMonthStart AND h.仕入年月日 < :From
                           THEN IFNULL(d.数量, 0) ELSE 0 END) AS 入庫前,
                  SUM(CASE WHEN h.仕入年月日 >= :ToMonthStart AND h.仕入年月日 < :To
                           THEN IFNULL(d.数量, 0) ELSE 0 END) AS 入庫迄
           FROM t_仕入 AS h CROSS JOIN t_仕入明細 AS d
           WHERE h.伝票番号 = d.伝票番号
           AND d.商品コード IS NOT NULL
           AND (h.仕入年月日 >= :FromMonthStart AND h.仕入年月日 < :From
                OR h.仕入年月日 >= :ToMonthStart AND h.仕入年月日 < :To)
           GROUP BY d.商品コード) AS p
       ON m_商品.商品コード = p.商品コード)
LEFT JOIN (SELECT d.商品コード,
                  SUM(CASE WHEN h.売上年月日 >= :FromMonthStart AND h.売上年月日 < :From
                           THEN IFNULL(d.数量, 0) ELSE 0 END) AS 出庫前,
                  SUM(CASE WHEN h.売上年月日 >= :ToMonthStart AND h.売上年月日 < :To
                           THEN IFNULL(d.数量, 0) ELSE 0 END) AS 出庫迄
           FROM t_売上 AS h CROSS JOIN t_売上明細 AS d
           WHERE h.伝票番号 = d.伝票番号
           AND d.商品コード IS NOT NULL
           AND (h.売上年月日 >= :FromMonthStart AND h.売上年月日 < :From
                OR h.売上年月日 >= :ToMonthStart AND h.売上年月日 < :To)
           GROUP BY d.商品コード) AS s
       ON m_商品.商品コード = s.商品コード
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
    const QDate next = period.to.addDays(1);
    const QDate fMonth(f.year(), f.month(), 1);
    const QDate nextMonth(next.year(), next.month(), 1);
    ds.setParam(QStringLiteral("From"), f);
    ds.setParam(QStringLiteral("To"), period.endBound());
    ds.setParam(QStringLiteral("FromMonthStart"), fMonth);
    ds.setParam(QStringLiteral("FromMonth"), fMonth.toString(QStringLiteral("yyyy-MM")));
    if (period.endsAtLastDay()) {
        // Every kept month counts, and no day is left after them.
        ds.setParam(QStringLiteral("ToMonthStart"), period.endBound());
        ds.setParam(QStringLiteral("ToMonth"), QStringLiteral("9999-13"));
    } else {
        ds.setParam(QStringLiteral("ToMonthStart"), nextMonth);
        ds.setParam(QStringLiteral("ToMonth"), nextMonth.toString(QStringLiteral("yyyy-MM")));
    }
    ds.open();
    // The query asks for no order; the list starts in item-code order until the
    // user sorts by a column title.
    ds.sortBy({{QStringLiteral("商品コード"), false}});
    ds.first();
    return period;
}

QList<ColumnSpec> StockListComputation::columns()
{
    constexpr auto left = Qt::AlignLeft | Qt::AlignVCenter;
    constexpr auto right = Qt::AlignRight | Qt::AlignVCenter;
    constexpr auto quantity = DisplayFormat::Quantity;
    return {
        {QStringLiteral("商品コード"), {}, 100, left},
        {QStringLiteral("商品名"), {}, 200, left},
        {QStringLiteral("繰越数量"), {}, 90, right, quantity},
        {QStringLiteral("期間入庫数"), {}, 90, right, quantity},
        {QStringLiteral("期間出庫数"), {}, 90, right, quantity},
        {QStringLiteral("在庫数"), {}, 90, right, quantity},
    };
}
