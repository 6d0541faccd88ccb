#include "summarycomputation.h"

#include <stdexcept>
#include <string>
#include <unordered_map>

#include "billcomputation.h"
#include "connection.h"
#include "dataset.h"
#include "datasetmodel.h"
#include "statement.h"

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

// One row per slip (slip totals) or per line (line totals, tax included) of
// the period: the group's code (none as ''), its name in the master (NULL when
// there is none), the bucket and the amount.
QString movementsQuery(const SummaryGroup& g, SummaryBucket bucket)
{
    const QString from = g.paramPrefix + QStringLiteral("DateFrom");
    const QString to = g.paramPrefix + QStringLiteral("DateTo");
    const QString when = bucketOf(QStringLiteral("h.") + g.dateColumn, bucket);
    const QString period = QStringLiteral("WHERE h.%1 >= :%2 AND h.%1 < :%3").arg(g.dateColumn, from, to);
    if (g.codeColumn.isEmpty())
        return QStringLiteral("SELECT '', NULL, %1, h.伝票合計 FROM %2 AS h %3").arg(when, g.slips, period);
    const QString owner = g.lines.isEmpty() ? QStringLiteral("h") : QStringLiteral("d");
    const QString lines = g.lines.isEmpty()
                              ? QString()
                              : QStringLiteral(" JOIN %1 AS d ON d.伝票番号 = h.伝票番号").arg(g.lines);
    return QStringLiteral(
               "SELECT IFNULL(%1.%2, ''), m.%3, %4, %5\n"
               "FROM %6 AS h%7\n"
               "LEFT JOIN %8 AS m ON m.%2 = %1.%2\n"
               "%9")
        .arg(owner, g.codeColumn, g.nameColumn, when,
             g.lines.isEmpty() ? QStringLiteral("h.伝票合計") : QStringLiteral("d.税込合計"), g.slips, lines,
             g.master, period);
}

// One side of the two-row summary of a month: its slip totals per bucket.
SummaryGroup kindsSide(bool buying)
{
    SummaryGroup side = SummaryGroup::salesAndBuying();
    side.paramPrefix = buying ? QStringLiteral("Buying") : QStringLiteral("Sales");
    if (buying) {
        side.slips = QStringLiteral("v_仕入");
        side.dateColumn = QStringLiteral("仕入年月日");
    }
    return side;
}

// The amounts of one row: a value per bucket, then the row's total.
using Amounts = std::vector<qint64>;

void add(Amounts& to, const Amounts& from)
{
    for (std::size_t i = 0; i < to.size(); ++i)
        to[i] += from[i];
}

void appendAmounts(std::vector<QVariant>& row, const Amounts& amounts)
{
    for (const qint64 amount : amounts)
        row.emplace_back(qlonglong(amount));
}

// Runs `sql` (rows of code, name, bucket, amount) over the period and spreads
// each code's amounts over `buckets` columns and the total: calls
// `onRow(code, name, amounts)` once per code, in the order the codes first
// appear. An empty code, or one the master lacks or leaves unnamed, is named
// `substitute`. (Grouping here costs far less than sorting the rows in SQL.)
template <typename OnRow>
void spreadRows(Connection& connection, const QString& sql, const QString& prefix, const Period& period,
                std::size_t buckets, const QString& substitute, OnRow onRow)
{
    struct Row {
        QString code, name;
        Amounts amounts;
    };
    std::vector<Row> rows;
    std::unordered_map<std::string, std::size_t> byCode;
    Statement st(connection, sql);
    st.bind(prefix + QStringLiteral("DateFrom"), period.from);
    st.bind(prefix + QStringLiteral("DateTo"), period.endBound());
    while (st.step()) {
        const std::string code(st.utf8Text(0).value_or(std::string_view{}));
        auto [at, fresh] = byCode.try_emplace(code, rows.size());
        if (fresh) {
            QString name = st.text(1);
            if (code.empty() || name.isEmpty())
                name = substitute;
            rows.push_back({st.text(0), name, Amounts(buckets + 1, 0)});
        }
        Amounts& amounts = rows[at->second].amounts;
        const qint64 bucket = st.int64(2);
        const qint64 amount = st.int64(3);
        if (bucket >= 1 && std::size_t(bucket) <= buckets)
            amounts[std::size_t(bucket - 1)] += amount;
        amounts[buckets] += amount;
    }
    for (const Row& row : rows)
        onRow(row.code, row.name, row.amounts);
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
    if (!group.kinds)
        return movementsQuery(group, bucket);
    return movementsQuery(kindsSide(false), bucket) + QStringLiteral(";\n") +
           movementsQuery(kindsSide(true), bucket);
}

SummaryComputation::SummaryComputation(Connection& connection, const SummaryGroup& group,
                                       SummaryBucket bucket)
    : m_group(group),
      m_bucket(bucket),
      m_connection(connection),
      m_dataset(std::make_unique<Dataset>(connection)),
      m_sql(queryText(group, bucket))
{
}

SummaryComputation::~SummaryComputation() = default;

void SummaryComputation::build(const Period& period)
{
    // SQL reads the period's slips or lines; grouping and spreading them over
    // the columns here costs far less than grouping and pivoting in SQL.
    Dataset& ds = *m_dataset;
    ds.close();
    const QStringList buckets = bucketColumns(m_bucket);
    const std::size_t n = std::size_t(buckets.size());
    std::vector<std::vector<QVariant>> rows;
    QStringList columns{QStringLiteral("番号")};
    if (m_group.kinds) {
        columns << m_group.nameColumn << buckets << QStringLiteral("合計");
        for (const bool buying : {false, true}) {
            const SummaryGroup side = kindsSide(buying);
            spreadRows(m_connection, movementsQuery(side, m_bucket), side.paramPrefix, period, n, {},
                       [&](const QString&, const QString&, const Amounts& amounts) {
                           std::vector<QVariant> row{qlonglong(buying ? 2 : 1), buying
                                                                                    ? QStringLiteral("仕入")
                                                                                    : QStringLiteral("売上")};
                           appendAmounts(row, amounts);
                           rows.push_back(std::move(row));
                       });
        }
    } else {
        columns << m_group.codeColumn << m_group.nameColumn << buckets << QStringLiteral("合計");
        Amounts total(n + 1, 0);
        spreadRows(m_connection, m_sql, m_group.paramPrefix, period, n, m_group.substitute,
                   [&](const QString& code, const QString& name, const Amounts& amounts) {
                       std::vector<QVariant> row{qlonglong(1), code, name};
                       appendAmounts(row, amounts);
                       rows.push_back(std::move(row));
                       add(total, amounts);
                   });
        // The total row, also when the period has no movement.
        std::vector<QVariant> row{qlonglong(2), QStringLiteral("合計欄"), QStringLiteral("合計")};
        appendAmounts(row, total);
        rows.push_back(std::move(row));
    }
    ds.openRows(columns, std::move(rows));
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
