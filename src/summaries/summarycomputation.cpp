#include "summarycomputation.h"

#include <stdexcept>

#include "billcomputation.h"
#include "connection.h"
#include "dataset.h"
#include "datasetmodel.h"

namespace {

SummaryGroup makeGroup(const char* caption, const char* code, const char* name, const char* master,
                       const char* substitute, const char* slips, const char* date, const char* lines,
                       const char* prefix)
{
    SummaryGroup g;
    g.caption = QString::fromUtf8(caption);
    g.codeColumn = QString::fromUtf8(code);
    g.nameColumn = QString::fromUtf8(name);
    g.master = QString::fromUtf8(master);
    g.substitute = QString::fromUtf8(substitute);
    g.slips = QString::fromUtf8(slips);
    g.dateColumn = QString::fromUtf8(date);
    g.lines = QString::fromUtf8(lines);
    g.paramPrefix = QString::fromUtf8(prefix);
    return g;
}

// The bucket of a stored date ("yyyy-mm-dd", perhaps with a time of day).
QString bucketOf(const QString& dateExpr, SummaryBucket bucket)
{
    return QStringLiteral("CAST(substr(%1, %2, 2) AS INTEGER)")
        .arg(dateExpr, bucket == SummaryBucket::Day ? QStringLiteral("9") : QStringLiteral("6"));
}

// The spread of a grouped amount over the bucket columns and the period's total:
// `IFNULL(SUM(a.amount) FILTER (WHERE a.bucket = 1), 0) AS "1", …`, then the
// total (a filter per column costs less than a CASE per column and row).
QString spread(SummaryBucket bucket)
{
    QStringList parts;
    const QStringList columns = SummaryComputation::bucketColumns(bucket);
    for (int i = 0; i < columns.size(); ++i)
        parts << QStringLiteral("IFNULL(SUM(a.amount) FILTER (WHERE a.bucket = %1), 0) AS \"%2\"")
                     .arg(i + 1)
                     .arg(columns[i]);
    parts << QStringLiteral("IFNULL(SUM(a.amount), 0) AS 合計");
    return parts.join(QStringLiteral(",\n       "));
}

// Per group and bucket over the period: the amounts, the group's code with
// every empty code (none or '') as ''.
QString amountsQuery(const SummaryGroup& g, SummaryBucket bucket)
{
    const QString from = g.paramPrefix + QStringLiteral("DateFrom");
    const QString to = g.paramPrefix + QStringLiteral("DateTo");
    if (g.lines.isEmpty()) {
        const QString code = g.codeColumn.isEmpty() ? QStringLiteral("''")
                                                    : QStringLiteral("IFNULL(h.%1, '')").arg(g.codeColumn);
        return QStringLiteral(
                   "SELECT %1 AS code, %2 AS bucket, SUM(h.伝票合計) AS amount\n"
                   "  FROM %3 AS h\n"
                   "  WHERE h.%4 >= :%5 AND h.%4 < :%6\n"
                   "  GROUP BY 1, 2")
            .arg(code, bucketOf(QStringLiteral("h.") + g.dateColumn, bucket), g.slips, g.dateColumn, from,
                 to);
    }
    return QStringLiteral(
               "SELECT IFNULL(d.%1, '') AS code, %2 AS bucket, SUM(d.税込合計) AS amount\n"
               "  FROM %3 AS h JOIN %4 AS d ON d.伝票番号 = h.伝票番号\n"
               "  WHERE h.%5 >= :%6 AND h.%5 < :%7\n"
               "  GROUP BY 1, 2")
        .arg(g.codeColumn, bucketOf(QStringLiteral("h.") + g.dateColumn, bucket), g.slips, g.lines,
             g.dateColumn, from, to);
}

// The group rows (番号 1) with their names, then the total row (番号 2) summed
// from them: one row even when the period has no movement. The dataset puts
// the rows in order (cheaper than sorting the wide rows in SQL).
QString groupQuery(const SummaryGroup& g, SummaryBucket bucket)
{
    QStringList totals;
    for (const QString& column : SummaryComputation::bucketColumns(bucket))
        totals << QStringLiteral("IFNULL(SUM(\"%1\"), 0)").arg(column);
    totals << QStringLiteral("IFNULL(SUM(合計), 0)");
    return QStringLiteral(
               "WITH a AS (%1),\n"
               "grouped AS MATERIALIZED (\n"
               "SELECT 1 AS 番号, a.code AS %2,\n"
               "       CASE WHEN a.code = '' OR m.%3 IS NULL OR m.%3 = '' THEN '%4' ELSE m.%3 END AS %3,\n"
               "       %5\n"
               "FROM a LEFT JOIN %6 AS m ON m.%2 = a.code\n"
               "GROUP BY a.code)\n"
               "SELECT * FROM grouped\n"
               "UNION ALL\n"
               "SELECT 2, '合計欄', '合計', %7 FROM grouped")
        .arg(amountsQuery(g, bucket), g.codeColumn, g.nameColumn, g.substitute, spread(bucket), g.master,
             totals.join(QStringLiteral(", ")));
}

// One fixed row per side, none for a side without slips in the period.
QString kindsQuery(SummaryBucket bucket)
{
    SummaryGroup sales = SummaryGroup::salesAndBuying();
    sales.paramPrefix = QStringLiteral("Sales");
    SummaryGroup buying = sales;
    buying.slips = QStringLiteral("v_仕入");
    buying.dateColumn = QStringLiteral("仕入年月日");
    buying.paramPrefix = QStringLiteral("Buying");
    const auto branch = [bucket](const SummaryGroup& g, int no, const QString& label) {
        return QStringLiteral("SELECT %1 AS 番号, '%2' AS 種別,\n       %3\nFROM (%4) AS a\nGROUP BY a.code")
            .arg(no)
            .arg(label, spread(bucket), amountsQuery(g, bucket));
    };
    return branch(sales, 1, QStringLiteral("売上")) + QStringLiteral("\nUNION ALL\n") +
           branch(buying, 2, QStringLiteral("仕入")) + QStringLiteral("\nORDER BY 1");
}

}  // namespace

const SummaryGroup& SummaryGroup::salesByItem()
{
    static const SummaryGroup g = makeGroup("商品別", "商品コード", "商品名", "m_商品", "その他", "v_売上",
                                            "売上年月日", "v_売上明細", "Sales");
    return g;
}

const SummaryGroup& SummaryGroup::salesByCustomer()
{
    static const SummaryGroup g =
        makeGroup("顧客別", "顧客コード", "顧客名", "m_顧客", "一般", "v_売上", "売上年月日", "", "Sales");
    return g;
}

const SummaryGroup& SummaryGroup::salesByStaff()
{
    static const SummaryGroup g = makeGroup("担当者別", "担当者コード", "担当者名", "m_担当者", "担当者なし",
                                            "v_売上", "売上年月日", "", "Sales");
    return g;
}

const SummaryGroup& SummaryGroup::buyingByItem()
{
    static const SummaryGroup g = makeGroup("商品別", "商品コード", "商品名", "m_商品", "その他", "v_仕入",
                                            "仕入年月日", "v_仕入明細", "Buying");
    return g;
}

const SummaryGroup& SummaryGroup::buyingBySupplier()
{
    static const SummaryGroup g = makeGroup("仕入先別", "仕入先コード", "仕入先名", "m_仕入先", "一般",
                                            "v_仕入", "仕入年月日", "", "Buying");
    return g;
}

const SummaryGroup& SummaryGroup::salesAndBuying()
{
    static const SummaryGroup g = [] {
        SummaryGroup k = makeGroup("", "", "種別", "", "", "v_売上", "売上年月日", "", "Sales");
        k.kinds = true;
        return k;
    }();
    return g;
}

QStringList SummaryComputation::bucketColumns(SummaryBucket bucket)
{
    QStringList columns;
    if (bucket == SummaryBucket::Day)
        for (int d = 1; d <= 31; ++d)
            columns << QString::number(d);
    else
        for (int m = 1; m <= 12; ++m)
            columns << QStringLiteral("%1月").arg(m);
    return columns;
}

std::vector<BucketTitle> SummaryComputation::dayTitles(int year, int month)
{
    static const char16_t* const weekdays[] = {u" (月)", u" (火)", u" (水)", u" (木)",
                                               u" (金)", u" (土)", u" (日)"};
    std::vector<BucketTitle> titles;
    for (int d = 1; d <= 31; ++d) {
        const QDate date(year, month, d);
        BucketTitle title{QString::number(d), BucketTitle::Tone::Missing};
        if (date.isValid()) {
            const int weekday = date.dayOfWeek();  // 1 Monday … 7 Sunday
            title.text += QString::fromUtf16(weekdays[weekday - 1]);
            title.tone = weekday == 6   ? BucketTitle::Tone::Saturday
                         : weekday == 7 ? BucketTitle::Tone::Sunday
                                        : BucketTitle::Tone::Plain;
        }
        titles.push_back(title);
    }
    return titles;
}

Period SummaryComputation::periodOf(const QString& yearText, int month)
{
    const int year = BillComputation::yearFromText(yearText);
    if (month < 0 || month > 12)
        throw std::invalid_argument(QStringLiteral("月「%1」は正しくありません。").arg(month).toStdString());
    const QDate from(year, month == 0 ? 1 : month, 1);
    const QDate next = month == 0 ? from.addYears(1) : from.addMonths(1);
    // The day after the period is bound too; it must be a date the book can hold.
    if (!from.isValid() || !next.isValid() || next.year() > BillComputation::MaxYear)
        throw std::invalid_argument(QStringLiteral("%1年%2は集計できません。")
                                        .arg(year)
                                        .arg(month ? QStringLiteral("%1月").arg(month) : QString())
                                        .toStdString());
    return Period{from, next.addDays(-1)};
}

QString SummaryComputation::queryText(const SummaryGroup& group, SummaryBucket bucket)
{
    return group.kinds ? kindsQuery(bucket) : groupQuery(group, bucket);
}

SummaryComputation::SummaryComputation(Connection& connection, const SummaryGroup& group,
                                       SummaryBucket bucket)
    : m_group(group),
      m_bucket(bucket),
      m_dataset(std::make_unique<Dataset>(connection)),
      m_sql(queryText(group, bucket))
{
}

SummaryComputation::~SummaryComputation() = default;

void SummaryComputation::build(const Period& period)
{
    Dataset& ds = *m_dataset;
    ds.close();
    ds.setSql(m_sql);
    const QStringList prefixes = m_group.kinds
                                     ? QStringList{QStringLiteral("Sales"), QStringLiteral("Buying")}
                                     : QStringList{m_group.paramPrefix};
    for (const QString& prefix : prefixes) {
        ds.setParam(prefix + QStringLiteral("DateFrom"), period.from);
        ds.setParam(prefix + QStringLiteral("DateTo"), period.dayAfterTo());
    }
    ds.open();
    // Group rows in code order, an empty code first, then the total row.
    if (!m_group.kinds)
        ds.sortBy({{QStringLiteral("番号")}, {m_group.codeColumn}});
    ds.first();
}

QList<ColumnSpec> SummaryComputation::columns(const SummaryGroup& g, SummaryBucket bucket)
{
    constexpr auto left = Qt::AlignLeft | Qt::AlignVCenter;
    constexpr auto right = Qt::AlignRight | Qt::AlignVCenter;
    QList<ColumnSpec> columns;
    if (!g.kinds)
        columns.append({g.codeColumn, {}, 90, left});
    columns.append({g.nameColumn, {}, g.kinds ? 60 : 160, left});
    for (const QString& column : bucketColumns(bucket))
        columns.append({column, {}, 80, right, DisplayFormat::Money});
    columns.append({QStringLiteral("合計"), {}, 90, right, DisplayFormat::Money});
    return columns;
}
