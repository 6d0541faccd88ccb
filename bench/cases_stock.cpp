#include "cases_stock.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "cases_reports.h"
#include "connection.h"
#include "datacases.h"
#include "dataset.h"
#include "harness.h"
#include "itemledgercomputation.h"
#include "itemstocklistrptform.h"
#include "money.h"
#include "plaindb.h"
#include "reportpainter.h"
#include "statement.h"
#include "stocklistcomputation.h"

namespace {

// A weight per item code, so that a quantity put under the wrong item changes
// the checksum.
std::uint64_t codeWeight(const std::string& code)
{
    std::uint64_t w = 1;
    for (const char ch : code)
        w = w * 131 + std::uint8_t(ch);
    return w;
}

// What both ways of a stock list add up: each item's four quantities, weighted
// by the item and by the column.
std::uint64_t stockRowSum(const std::string& code, std::int64_t carried, std::int64_t in, std::int64_t out,
                          std::int64_t stock)
{
    return codeWeight(code) * (std::uint64_t(carried) + 3 * std::uint64_t(in) + 5 * std::uint64_t(out) +
                               7 * std::uint64_t(stock));
}

// -- stock list ------------------------------------------------------------------------

// The fastest plain SQL over the lines for the same numbers: per side, one
// pass over every line dated before the day after the period, read in slip
// order (headers by number, then their lines by key), split at the first day
// and summed by item in C++; then the items of the master.
struct PlainStockList {
    sqlite3_stmt* items;
    sqlite3_stmt* buying;
    sqlite3_stmt* sales;

    explicit PlainStockList(PlainDb& db)
        : items(db.prepare("SELECT 商品コード FROM m_商品")),
          buying(db.prepare("SELECT d.商品コード, h.仕入年月日 < ?1, d.数量"
                            " FROM t_仕入 AS h JOIN t_仕入明細 AS d ON d.伝票番号 = h.伝票番号"
                            " WHERE h.仕入年月日 < ?2 AND d.商品コード IS NOT NULL AND d.数量 IS NOT NULL")),
          sales(db.prepare("SELECT d.商品コード, h.売上年月日 < ?1, d.数量"
                           " FROM t_売上 AS h JOIN t_売上明細 AS d ON d.伝票番号 = h.伝票番号"
                           " WHERE h.売上年月日 < ?2 AND d.商品コード IS NOT NULL AND d.数量 IS NOT NULL"))
    {
    }

    std::int64_t run(const QDate& from, const QDate& dayAfter)
    {
        struct Sums {
            std::int64_t inBefore = 0, inPeriod = 0, outBefore = 0, outPeriod = 0;
        };
        std::unordered_map<std::string, Sums> sums;
        const auto side = [&](sqlite3_stmt* stmt, bool in) {
            bindText(stmt, 1, from.toString(Qt::ISODate));
            bindText(stmt, 2, dayAfter.toString(Qt::ISODate));
            eachRow(stmt, [&] {
                Sums& s = sums[columnText(stmt, 0)];
                const bool before = sqlite3_column_int(stmt, 1) != 0;
                const std::int64_t q = sqlite3_column_int64(stmt, 2);
                (in ? (before ? s.inBefore : s.inPeriod) : (before ? s.outBefore : s.outPeriod)) += q;
            });
        };
        side(buying, true);
        side(sales, false);
        std::uint64_t sum = 0;
        eachRow(items, [&] {
            const std::string code = columnText(items, 0);
            const auto found = sums.find(code);
            const Sums s = found == sums.end() ? Sums{} : found->second;
            const std::int64_t carried = s.inBefore - s.outBefore;
            sum += stockRowSum(code, carried, s.inPeriod, s.outPeriod, carried + s.inPeriod - s.outPeriod);
        });
        return std::int64_t(sum);
    }
};

std::int64_t listSum(const Dataset& ds)
{
    std::uint64_t sum = 0;
    for (int r = 0; r < ds.count(); ++r)
        sum += stockRowSum(
            ds.fieldAt(r, "商品コード").asText().toStdString(), ds.fieldAt(r, "繰越数量").asMoney().raw(),
            ds.fieldAt(r, "期間入庫数").asMoney().raw(), ds.fieldAt(r, "期間出庫数").asMoney().raw(),
            ds.fieldAt(r, "在庫数").asMoney().raw());
    return std::int64_t(sum);
}

void addStockListCase(BenchSuite& suite, const BenchContext& ctx, const std::string& label, const QDate& from,
                      const QDate& to)
{
    struct Window {
        Connection connection;
        std::unique_ptr<StockListComputation> list;
    };
    auto window = std::make_shared<Window>();
    window->connection.open(ctx.path);
    window->list = std::make_unique<StockListComputation>(window->connection);
    auto raw = std::make_shared<PlainDb>(ctx.path);
    auto plain = std::make_shared<PlainStockList>(*raw);
    requirePlan(plain->buying, {"USING PRIMARY KEY"});
    requirePlan(plain->sales, {"USING PRIMARY KEY"});
    suite.add({
        "stock list, all items, " + label,
        [window, from, to] {
            window->list->build(from, to);
            return listSum(window->list->dataset());
        },
        [raw, plain, from, to] { return plain->run(from, to.addDays(1)); },
        "plain SQL over the lines",
    });
}

// The same list against the same query run as plain SQL: what the dataset layer
// adds to reading the kept figures.
void addStockListOwnQueryCase(BenchSuite& suite, const BenchContext& ctx)
{
    const QDate from = ctx.month;
    const QDate next = ctx.month.addMonths(1);
    struct Window {
        Connection connection;
        std::unique_ptr<StockListComputation> list;
    };
    auto window = std::make_shared<Window>();
    window->connection.open(ctx.path);
    window->list = std::make_unique<StockListComputation>(window->connection);
    auto raw = std::make_shared<PlainDb>(ctx.path);
    sqlite3_stmt* query = raw->prepare(StockListComputation::queryText().toUtf8().constData());
    requirePlan(query, {"SCAN t_在庫月計", "USING COVERING INDEX ix_t_仕入_仕入年月日",
                        "USING COVERING INDEX ix_t_売上_売上年月日"});
    const auto bind = [query](const char* name, const QString& value) {
        bindText(query, sqlite3_bind_parameter_index(query, name), value);
    };
    // One month: both partial months are empty, the kept figures carry it all.
    bind(":From", from.toString(Qt::ISODate));
    bind(":To", next.toString(Qt::ISODate));
    bind(":FromMonthStart", from.toString(Qt::ISODate));
    bind(":ToMonthStart", next.toString(Qt::ISODate));
    bind(":FromMonth", from.toString("yyyy-MM"));
    bind(":ToMonth", next.toString("yyyy-MM"));
    suite.add({
        "stock list, all items, one month, against its own query",
        [window, from, next] {
            window->list->build(from, next.addDays(-1));
            return listSum(window->list->dataset());
        },
        [raw, query] {
            std::uint64_t sum = 0;
            eachRow(query, [&] {
                sum += stockRowSum(columnText(query, 0), sqlite3_column_int64(query, 2),
                                   sqlite3_column_int64(query, 3), sqlite3_column_int64(query, 4),
                                   sqlite3_column_int64(query, 5));
            });
            return std::int64_t(sum);
        },
        "the same query in plain SQL",
    });
}

// -- item ledger -----------------------------------------------------------------------

QString busiestItem(Connection& c, const QDate& from, const QDate& dayAfter)
{
    Statement s(c,
                "SELECT d.商品コード FROM t_売上 AS h JOIN t_売上明細 AS d ON d.伝票番号 = h.伝票番号"
                " WHERE h.売上年月日 >= ? AND h.売上年月日 < ? AND d.商品コード IS NOT NULL"
                " GROUP BY d.商品コード ORDER BY count(*) DESC, d.商品コード LIMIT 1");
    s.bind(1, from);
    s.bind(2, dayAfter);
    if (!s.step())
        throw std::runtime_error("the database has no sales lines in the year; run corvinta-gen first");
    const QString code = s.text(0);
    s.reset();
    return code;
}

// What both ways of a ledger add up: every row's movement and amount, and each
// running stock weighted by its place, so that a row out of order changes it.
struct LedgerSum {
    std::uint64_t sum = 0, index = 0;
    void row(std::int64_t movement, std::int64_t amount, std::int64_t stock)
    {
        ++index;
        sum += std::uint64_t(movement) + 3 * std::uint64_t(amount) + index * std::uint64_t(stock);
    }
};

const char* const kLineTotal =
    "CASE WHEN (IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) >= 0"
    " THEN ((IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) + 5000) / 10000"
    " ELSE ((IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) - 5000) / 10000 END";

void addItemLedgerCase(BenchSuite& suite, const BenchContext& ctx)
{
    const QDate to = ctx.month.addMonths(1).addDays(-1);
    const QDate from = ctx.month.addMonths(-11);
    struct Window {
        Connection connection;
        std::unique_ptr<ItemLedgerComputation> ledger;
        QString code;
    };
    auto window = std::make_shared<Window>();
    window->connection.open(ctx.path);
    window->ledger = std::make_unique<ItemLedgerComputation>(window->connection);
    window->code = busiestItem(window->connection, from, to.addDays(1));

    // The item's lines by the item index, their headers by number; the stock
    // before the period as two sums, the rows in the ledger's order.
    auto raw = std::make_shared<PlainDb>(ctx.path);
    sqlite3_stmt* carried = raw->prepare(
        "SELECT (SELECT IFNULL(SUM(d.数量), 0) FROM t_仕入明細 AS d JOIN t_仕入 AS h ON h.伝票番号 = "
        "d.伝票番号"
        "        WHERE d.商品コード = ?1 AND h.仕入年月日 < ?2)"
        "     - (SELECT IFNULL(SUM(d.数量), 0) FROM t_売上明細 AS d JOIN t_売上 AS h ON h.伝票番号 = "
        "d.伝票番号"
        "        WHERE d.商品コード = ?1 AND h.売上年月日 < ?2)");
    const std::string rowsSql =
        std::string(
            "SELECT h.仕入年月日 AS 年月日, 1 AS k, d.伝票番号 AS n, d.明細番号 AS l, IFNULL(d.数量, 0), "
            "-(") +
        kLineTotal +
        ") FROM t_仕入明細 AS d JOIN t_仕入 AS h ON h.伝票番号 = d.伝票番号"
        " WHERE d.商品コード = ?1 AND h.仕入年月日 >= ?2 AND h.仕入年月日 < ?3"
        " UNION ALL SELECT h.売上年月日, 2, d.伝票番号, d.明細番号, -IFNULL(d.数量, 0), " +
        kLineTotal +
        " FROM t_売上明細 AS d JOIN t_売上 AS h ON h.伝票番号 = d.伝票番号"
        " WHERE d.商品コード = ?1 AND h.売上年月日 >= ?2 AND h.売上年月日 < ?3"
        " ORDER BY 年月日, k, n, l";
    sqlite3_stmt* rows = raw->prepare(rowsSql.c_str());
    requirePlan(carried, {"ix_t_仕入明細_商品コード", "ix_t_売上明細_商品コード"});
    requirePlan(rows, {"ix_t_仕入明細_商品コード", "ix_t_売上明細_商品コード"});

    suite.add({
        "item ledger, busiest item, one year",
        [window, from, to] {
            window->ledger->build(window->code, from, to);
            const Dataset& ds = window->ledger->dataset();
            LedgerSum sum;
            for (int r = 0; r < ds.count(); ++r)
                sum.row(ds.fieldAt(r, "入出庫数").asMoney().raw(), ds.fieldAt(r, "金額").asMoney().raw(),
                        ds.fieldAt(r, "在庫数").asMoney().raw());
            return std::int64_t(sum.sum);
        },
        [raw, carried, rows, window, from, to] {
            const QString f = from.toString(Qt::ISODate);
            bindText(carried, 1, window->code);
            bindText(carried, 2, f);
            std::int64_t stock = 0;
            eachRow(carried, [&] { stock = sqlite3_column_int64(carried, 0); });
            LedgerSum sum;
            sum.row(0, 0, stock);
            bindText(rows, 1, window->code);
            bindText(rows, 2, f);
            bindText(rows, 3, to.addDays(1).toString(Qt::ISODate));
            eachRow(rows, [&] {
                const std::int64_t movement = sqlite3_column_int64(rows, 4);
                stock += movement;
                sum.row(movement, sqlite3_column_int64(rows, 5), stock);
            });
            return std::int64_t(sum.sum);
        },
    });
}

// -- the stock list printed --------------------------------------------------------------

void addStockListPdf(BenchSuite& suite, const BenchContext& ctx)
{
    struct Window {
        Connection connection;
        std::unique_ptr<StockListComputation> list;
        std::unique_ptr<TItemStockListRptForm> report;
    };
    auto window = std::make_shared<Window>();
    window->connection.open(ctx.path);
    window->list = std::make_unique<StockListComputation>(window->connection);
    window->list->build(ctx.month, ctx.month.addMonths(1).addDays(-1));
    window->report = std::make_unique<TItemStockListRptForm>(window->list->dataset());
    window->report->QRLabelDateFrom.setCaption(window->list->PeriodFromText());
    window->report->QRLabelDateTo.setCaption(window->list->PeriodToText());
    window->report->setPrintDate(ctx.month.addMonths(1));
    const QString path = QDir(QDir::tempPath()).filePath("corvinta-bench-stocklist.pdf");
    suite.add({
        "stock list PDF, " + std::to_string(window->list->dataset().count()) + " items",
        [window, path] { return writeReportPdf(*window->report, path); },
        {},
    });
}

}  // namespace

void addStockCases(BenchSuite& suite, const BenchContext& context)
{
    const QDate first = context.month;
    addStockListCase(suite, context, "one month", first, first.addMonths(1).addDays(-1));
    addStockListCase(suite, context, "15th to 14th", first.addDays(14), first.addMonths(1).addDays(13));
    addStockListOwnQueryCase(suite, context);
    addItemLedgerCase(suite, context);
    addStockListPdf(suite, context);
}
