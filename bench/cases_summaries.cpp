#include "cases_summaries.h"

#include <sqlite3.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <QDir>

#include "cases_reports.h"
#include "connection.h"
#include "datacases.h"
#include "dataset.h"
#include "harness.h"
#include "plaindb.h"
#include "report.h"
#include "summarycomputation.h"
#include "summaryprint.h"

namespace {

std::uint64_t codeWeight(const std::string& code)
{
    std::uint64_t w = 1;
    for (const char ch : code)
        w = w * 131 + std::uint8_t(ch);
    return w;
}

// What both ways of a summary table add up: each row's amounts weighted by its
// code and by the column (the period's total last); the total row under its
// own code.
using Amounts = std::vector<std::int64_t>;  // one per bucket, then the total

std::uint64_t rowSum(const std::string& code, const Amounts& amounts)
{
    std::uint64_t sum = 0;
    for (std::size_t b = 0; b < amounts.size(); ++b)
        sum += (b + 1) * std::uint64_t(amounts[b]);
    return codeWeight(code) * sum;
}

std::int64_t tableSum(const Dataset& ds, const QString& codeColumn, SummaryBucket bucket)
{
    const QStringList buckets = SummaryComputation::bucketColumns(bucket);
    std::uint64_t sum = 0;
    for (int r = 0; r < ds.count(); ++r) {
        Amounts amounts;
        for (const QString& b : buckets)
            amounts.push_back(ds.fieldAt(r, b).asMoney().raw());
        amounts.push_back(ds.fieldAt(r, QStringLiteral("合計")).asMoney().raw());
        sum += rowSum(ds.fieldAt(r, codeColumn).asText().toStdString(), amounts);
    }
    return std::int64_t(sum);
}

// The three tables of the sales summary from two plain queries: the slips of
// the period (customer, staff, bucket, total) and its lines (item, bucket,
// tax-included total rounded as the views round it), spread in C++.
struct PlainSalesSummary {
    sqlite3_stmt* slips;
    sqlite3_stmt* lines;
    int bucketStart;  // 9: the day of a stored date, 6: its month
    std::size_t buckets;

    PlainSalesSummary(PlainDb& db, SummaryBucket bucket)
        : slips(db.prepare("SELECT IFNULL(顧客コード, ''), IFNULL(担当者コード, ''),"
                           " CAST(substr(売上年月日, ?3, 2) AS INTEGER), 伝票合計"
                           " FROM t_売上 WHERE 売上年月日 >= ?1 AND 売上年月日 < ?2")),
          lines(db.prepare("SELECT IFNULL(d.商品コード, ''), CAST(substr(h.売上年月日, ?3, 2) AS INTEGER),"
                           " (IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0)"
                           " FROM t_売上 AS h JOIN t_売上明細 AS d ON d.伝票番号 = h.伝票番号"
                           " WHERE h.売上年月日 >= ?1 AND h.売上年月日 < ?2")),
          bucketStart(bucket == SummaryBucket::Day ? 9 : 6),
          buckets(bucket == SummaryBucket::Day ? 31 : 12)
    {
    }

    void bind(sqlite3_stmt* stmt, const std::string& from, const std::string& to) const
    {
        sqlite3_bind_text(stmt, 1, from.c_str(), int(from.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, to.c_str(), int(to.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(stmt, 3, bucketStart);
    }

    std::uint64_t spread(std::map<std::string, Amounts>& table) const
    {
        Amounts total(buckets + 1);
        std::uint64_t sum = 0;
        for (auto& [code, amounts] : table) {
            for (std::size_t b = 0; b < buckets; ++b) {
                amounts[buckets] += amounts[b];
                total[b] += amounts[b];
            }
            total[buckets] += amounts[buckets];
            sum += rowSum(code, amounts);
        }
        return sum + rowSum("合計欄", total);
    }

    std::int64_t run(const Period& period)
    {
        const std::string from = period.from.toString(Qt::ISODate).toStdString();
        const std::string to = period.dayAfterTo().toString(Qt::ISODate).toStdString();
        std::map<std::string, Amounts> items, customers, staff;
        const auto row = [this](std::map<std::string, Amounts>& table, const std::string& code) -> Amounts& {
            Amounts& a = table[code];
            if (a.empty())
                a.resize(buckets + 1);
            return a;
        };
        bind(slips, from, to);
        while (sqlite3_step(slips) == SQLITE_ROW) {
            const int b = sqlite3_column_int(slips, 2) - 1;
            const std::int64_t amount = sqlite3_column_int64(slips, 3);
            row(customers, columnText(slips, 0))[std::size_t(b)] += amount;
            row(staff, columnText(slips, 1))[std::size_t(b)] += amount;
        }
        sqlite3_reset(slips);
        bind(lines, from, to);
        while (sqlite3_step(lines) == SQLITE_ROW) {
            const std::int64_t product = sqlite3_column_int64(lines, 2);
            const std::int64_t amount = product >= 0 ? (product + 5000) / 10000 : (product - 5000) / 10000;
            row(items, columnText(lines, 0))[std::size_t(sqlite3_column_int(lines, 1) - 1)] += amount;
        }
        sqlite3_reset(lines);
        return std::int64_t(spread(items) + spread(customers) + spread(staff));
    }
};

void addSalesSummaryCase(BenchSuite& suite, const BenchContext& ctx, const std::string& name,
                         SummaryBucket bucket, const Period& period)
{
    struct Window {
        Connection connection;
        std::vector<std::unique_ptr<SummaryComputation>> tabs;
    };
    auto window = std::make_shared<Window>();
    window->connection.open(ctx.path);
    for (const SummaryGroup* g :
         {&SummaryGroup::salesByItem(), &SummaryGroup::salesByCustomer(), &SummaryGroup::salesByStaff()})
        window->tabs.push_back(std::make_unique<SummaryComputation>(window->connection, *g, bucket));
    auto raw = std::make_shared<PlainDb>(ctx.path);
    auto plain = std::make_shared<PlainSalesSummary>(*raw, bucket);
    requirePlan(plain->slips, {"ix_t_売上_売上年月日"});
    requirePlan(plain->lines, {"ix_t_売上_売上年月日", "PRIMARY KEY"});
    suite.add({
        name,
        [window, bucket, period] {
            std::uint64_t sum = 0;
            for (const auto& tab : window->tabs) {
                tab->build(period);
                sum += std::uint64_t(tableSum(tab->dataset(), tab->group().codeColumn, bucket));
            }
            return std::int64_t(sum);
        },
        [raw, plain, period] { return plain->run(period); },
        "plain SQL over the slips and lines",
    });
}

// The print of the monthly sales summary's item tab: all its rows over the
// days' page widths, laid out and written to a PDF file in the temporary folder.
void addSummaryPdf(BenchSuite& suite, const BenchContext& ctx, const Period& period)
{
    struct Print {
        Connection connection;
        std::unique_ptr<SummaryComputation> summary;
        std::unique_ptr<Report> report;
    };
    auto print = std::make_shared<Print>();
    print->connection.open(ctx.path);
    print->summary = std::make_unique<SummaryComputation>(print->connection, SummaryGroup::salesByItem(),
                                                          SummaryBucket::Day);
    print->summary->build(period);
    print->report = summaryReport(QStringLiteral("月間売上集計表"), *print->summary, period);
    print->report->setPrintDate(period.to);
    const QString path = QDir(QDir::tempPath()).filePath("corvinta-bench-monthsalessummary.pdf");
    suite.add({
        "monthly sales summary by item, PDF (" + std::to_string(print->summary->dataset().count()) + " rows)",
        [print, path] { return writeReportPdf(*print->report, path); },
        {},
    });
}

}  // namespace

void addSummaryCases(BenchSuite& suite, const BenchContext& context)
{
    const QDate month = context.month;
    addSalesSummaryCase(suite, context, "monthly sales summary, three tabs", SummaryBucket::Day,
                        Period{month, month.addMonths(1).addDays(-1)});
    const QDate year(month.year(), 1, 1);
    addSalesSummaryCase(suite, context, "yearly sales summary, three tabs", SummaryBucket::Month,
                        Period{year, year.addYears(1).addDays(-1)});
    addSummaryPdf(suite, context, Period{month, month.addMonths(1).addDays(-1)});
}
