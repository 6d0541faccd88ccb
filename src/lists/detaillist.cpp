#include "detaillist.h"

#include <stdexcept>

#include "connection.h"
#include "dataset.h"
#include "datasetmodel.h"

namespace {

// {P} is the stem of the parameter names; every branch takes the period
// through its own pair, the first day included and the day after the last
// excluded. The names in braces are the program's own, never user input.

// A slip row for every slip of the period (also one without lines), then its
// lines by line number; slips by date, then by number.
const char* const kBySlip = R"(
SELECT {SlipDate} AS 表示用年月日,
       {SlipDate} AS {SlipDate},
       {SlipKind} AS 区分コード,
       区分名 AS 区分,
       伝票番号 AS 表示用伝票番号,
       伝票番号 AS 伝票番号,
       -1 AS 明細番号,
       {Partner} AS {Partner},
       {PartnerName} AS {PartnerName},
       '' AS 商品コード,
       '' AS 商品名,
       '' AS 商品分類コード,
       '' AS 分類名,
       0 AS 単価,
       0 AS 税額,
       0 AS 数量,
       0 AS 金額,
       伝票合計 AS 伝票合計
FROM {Slips}
WHERE {SlipDate} >= :{P}DateFrom
AND {SlipDate} <  :{P}DateTo
UNION ALL
SELECT NULL, h.{SlipDate}, NULL, NULL, NULL, d.伝票番号, d.明細番号, NULL, NULL,
       d.商品コード, d.商品名, d.商品分類コード, d.分類名, d.単価, d.税額, d.数量, d.税込合計, NULL
FROM {Slips} AS h
JOIN {Lines} AS d ON h.伝票番号 = d.伝票番号
WHERE h.{SlipDate} >= :{P}DateFrom2
AND h.{SlipDate} <  :{P}DateTo2
ORDER BY {SlipDate}, 伝票番号, 明細番号
)";

// An item row per item code of the period's lines (no code: one group first),
// named from the item master or "その他", carrying the sum of the lines; then
// its lines by date, slip number and line number.
const char* const kByItem = R"(
SELECT s.商品コード AS 表示用商品コード,
       s.商品コード AS 商品コード,
       COALESCE(NULLIF(m_商品.商品名, ''), 'その他') AS 商品名,
       NULL AS 伝票番号,
       -1 AS 明細番号,
       NULL AS {SlipDate},
       0 AS 単価,
       0 AS 税額,
       0 AS 数量,
       0 AS 金額,
       s.合計 AS 表示用合計,
       s.合計 AS 合計
FROM (SELECT NULLIF(d.商品コード, '') AS 商品コード, SUM(d.税込合計) AS 合計
      FROM {Lines} AS d, {Slips} AS h
      WHERE h.伝票番号 = d.伝票番号
      AND h.{SlipDate} >= :{P}DateFrom
      AND h.{SlipDate} <  :{P}DateTo
      GROUP BY NULLIF(d.商品コード, '')) AS s
LEFT JOIN m_商品 ON s.商品コード = m_商品.商品コード
UNION ALL
SELECT '', NULLIF(d.商品コード, ''), '', d.伝票番号, d.明細番号, h.{SlipDate}, d.単価, d.税額, d.数量, d.税込合計,
       NULL, NULL
FROM {Slips} AS h
JOIN {Lines} AS d ON h.伝票番号 = d.伝票番号
WHERE h.{SlipDate} >= :{P}DateFrom2
AND h.{SlipDate} <  :{P}DateTo2
ORDER BY 商品コード, {SlipDate}, 伝票番号, 明細番号
)";

// A customer row per customer (no code: first) carrying the sum of its slip
// totals, named "一般客" where the slips carry no name; then its slips by date
// and number, each slip row followed by its lines.
const char* const kByCustomer = R"(
SELECT c.{Partner} AS 表示用{Partner},
       c.{Partner} AS {Partner},
       COALESCE(NULLIF(c.{PartnerName}, ''), '一般客') AS {PartnerName},
       NULL AS 表示用伝票番号,
       NULL AS 伝票番号,
       NULL AS 表示用{SlipDate},
       NULL AS {SlipDate},
       -2 AS 明細番号,
       '' AS 商品名,
       0 AS 単価,
       0 AS 税額,
       0 AS 数量,
       0 AS 金額,
       0 AS 伝票合計,
       c.合計 AS 表示用合計,
       c.合計 AS {Label}毎合計
FROM (SELECT NULLIF({Partner}, '') AS {Partner}, {PartnerName}, SUM(伝票合計) AS 合計
      FROM {Slips}
      WHERE {SlipDate} >= :{P}DateFrom
      AND {SlipDate} <  :{P}DateTo
      GROUP BY NULLIF({Partner}, ''), {PartnerName}) AS c
UNION ALL
SELECT NULL, NULLIF({Partner}, ''), NULL, 伝票番号, 伝票番号, {SlipDate}, {SlipDate}, -1, NULL, NULL, NULL, NULL, NULL,
       伝票合計, NULL, NULL
FROM {Slips}
WHERE {SlipDate} >= :{P}DateFrom2
AND {SlipDate} <  :{P}DateTo2
UNION ALL
SELECT NULL, NULLIF(h.{Partner}, ''), NULL, NULL, d.伝票番号, NULL, h.{SlipDate}, d.明細番号, d.商品名, d.単価, d.税額,
       d.数量, d.税込合計, NULL, NULL, NULL
FROM {Slips} AS h
JOIN {Lines} AS d ON h.伝票番号 = d.伝票番号
WHERE h.{SlipDate} >= :{P}DateFrom3
AND h.{SlipDate} <  :{P}DateTo3
ORDER BY {Partner}, {SlipDate}, 伝票番号, 明細番号
)";

int branchesOf(DetailList::Arrangement arrangement)
{
    return arrangement == DetailList::Arrangement::ByCustomer ? 3 : 2;
}

}  // namespace

QString DetailList::queryText(const PartnerSide& side, Arrangement arrangement)
{
    const char* text = arrangement == Arrangement::BySlip   ? kBySlip
                       : arrangement == Arrangement::ByItem ? kByItem
                                                            : kByCustomer;
    return side.fillNames(QString::fromUtf8(text).trimmed(),
                          {{"{P}", paramStem(side)}, {"{Label}", side.label}});
}

DetailList::DetailList(Connection& connection, const PartnerSide& side, Arrangement arrangement)
    : m_side(side),
      m_arrangement(arrangement),
      m_dataset(std::make_unique<Dataset>(connection)),
      m_sql(queryText(side, arrangement))
{
    // A year's list holds hundreds of thousands of rows, never edited.
    m_dataset->setReadOnlyRows(true);
}

DetailList::~DetailList() = default;

void DetailList::build(const Period& period)
{
    if (!period.from.isValid() || !period.to.isValid() || period.to < period.from)
        throw std::invalid_argument("期間の日付が正しくありません。");
    Dataset& ds = *m_dataset;
    ds.close();
    ds.setSql(m_sql);
    const QString stem = paramStem(m_side);
    for (int branch = 1; branch <= branchesOf(m_arrangement); ++branch) {
        const QString suffix = branch == 1 ? QString() : QString::number(branch);
        ds.setParam(stem + QStringLiteral("DateFrom") + suffix, period.from);
        ds.setParam(stem + QStringLiteral("DateTo") + suffix, period.endBound());
    }
    ds.open();
}

int DetailList::slipNoAt(int row) const
{
    return int(m_dataset->fieldAt(row, QStringLiteral("伝票番号")).asInt());
}

int DetailList::lineNoAt(int row) const
{
    return int(m_dataset->fieldAt(row, QStringLiteral("明細番号")).asInt());
}

QList<ColumnSpec> DetailList::columns(const PartnerSide& side, DetailList::Arrangement arrangement)
{
    constexpr auto L = Qt::AlignLeft | Qt::AlignVCenter;
    constexpr auto R = Qt::AlignRight | Qt::AlignVCenter;
    constexpr auto T = DisplayFormat::Text, D = DisplayFormat::Date, I = DisplayFormat::Integer,
                   M = DisplayFormat::Money, Q = DisplayFormat::Quantity;
    const QList<ColumnSpec> amounts{{"単価", "単価", 80, R, M},
                                    {"税額", "税額", 64, R, M},
                                    {"数量", "数量", 72, R, Q},
                                    {"金額", "金額", 88, R, M}};
    QList<ColumnSpec> columns;
    switch (arrangement) {
        case DetailList::Arrangement::BySlip:
            columns = {{"表示用年月日", side.goodsDateColumn, 80, L, D},
                       {"表示用伝票番号", "伝票番号", 64, R, I},
                       {side.nameColumn, side.nameColumn, 150, L, T},
                       {"区分", "区分", 48, L, T},
                       {"商品名", "商品名", 170, L, T},
                       {"分類名", "分類名", 90, L, T}};
            columns += amounts;
            columns += ColumnSpec{"伝票合計", "伝票合計", 92, R, M};
            break;
        case DetailList::Arrangement::ByItem:
            columns = {{"表示用商品コード", "商品コード", 100, L, T},
                       {"商品名", "商品名", 170, L, T},
                       {side.goodsDateColumn, side.goodsDateColumn, 80, L, D},
                       {"伝票番号", "伝票番号", 64, R, I}};
            columns += amounts;
            columns += ColumnSpec{"表示用合計", "商品別合計", 96, R, M};
            break;
        case DetailList::Arrangement::ByCustomer:
            columns = {{"表示用" + side.codeColumn, side.codeColumn, 100, L, T},
                       {side.nameColumn, side.nameColumn, 150, L, T},
                       {"表示用" + side.goodsDateColumn, side.goodsDateColumn, 80, L, D},
                       {"表示用伝票番号", "伝票番号", 64, R, I},
                       {"商品名", "商品名", 170, L, T}};
            columns += amounts;
            columns += ColumnSpec{"伝票合計", "伝票合計", 92, R, M};
            columns += ColumnSpec{"表示用合計", side.label + "別合計", 96, R, M};
            break;
    }
    for (ColumnSpec& c : columns)
        c.readOnly = true;
    return columns;
}
