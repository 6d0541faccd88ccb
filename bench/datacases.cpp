#include "datacases.h"

#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "connection.h"
#include "dataset.h"
#include "harness.h"
#include "plaindb.h"
#include "statement.h"

namespace {

void finish(sqlite3_stmt* stmt, int rc)
{
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(sqlite3_db_handle(stmt)));
    sqlite3_reset(stmt);
}

// A weight per customer code, so that a sum put under the wrong customer
// changes the checksum.
std::int64_t codeWeight(const QString& code)
{
    std::int64_t w = 1;
    for (const QChar ch : code)
        w += ch.unicode();
    return w;
}

void addOpenConnection(BenchSuite& suite, const BenchContext& ctx)
{
    suite.add({
        "open connection",
        [path = ctx.path] {
            Connection c(path);  // opens, probes, sets the pragmas; closes when it goes
            return std::int64_t(c.isOpen());
        },
        [path = ctx.path.toUtf8()] {
            sqlite3* db = nullptr;
            if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
                throw std::runtime_error("cannot open");
            sqlite3_stmt* probe = nullptr;
            sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_schema", -1, &probe, nullptr);
            const int rc = sqlite3_step(probe);
            sqlite3_finalize(probe);
            sqlite3_close(db);
            return std::int64_t(rc == SQLITE_ROW);
        },
        "sqlite3 open, probe, close",
    });
}

void addReadSlip(BenchSuite& suite, const BenchContext& ctx)
{
    // The slip window's two datasets, opened on the slip as OpenSlip does.
    struct Window {
        Connection connection;
        std::unique_ptr<Dataset> header, detail;
    };
    auto window = std::make_shared<Window>();
    window->connection.open(ctx.path);
    window->header =
        std::make_unique<Dataset>(window->connection, "select * from t_売上 where 伝票番号 = :SlipNo");
    window->detail = std::make_unique<Dataset>(
        window->connection, "select * from  t_売上明細 where 伝票番号 = :SlipNo order by 明細番号");

    auto raw = std::make_shared<PlainDb>(ctx.path);
    sqlite3_stmt* header = raw->prepare(
        "SELECT 伝票番号, 売上年月日, 売上区分コード, 顧客コード, 担当者コード"
        " FROM t_売上 WHERE 伝票番号 = ?");
    sqlite3_stmt* lines = raw->prepare(
        "SELECT 明細番号, 商品コード, 商品名, 単位, 商品分類コード, 税区分コード, 単価, 税額, 数量"
        " FROM t_売上明細 WHERE 伝票番号 = ? ORDER BY 明細番号");

    suite.add({
        "read sales slip with lines",
        [window, no = ctx.slipNo] {
            for (Dataset* ds : {window->header.get(), window->detail.get()}) {
                ds->close();
                ds->setParam("SlipNo", no);
                ds->open();
            }
            std::int64_t sum = window->header->field("伝票番号").asInt();
            sum += window->header->field("売上年月日").asText().size() +
                   window->header->field("顧客コード").asText().size();
            Dataset& d = *window->detail;
            for (d.first(); !d.eof(); d.next())
                sum += d.field("明細番号").asInt() + d.field("単価").asMoney().raw() +
                       d.field("税額").asMoney().raw() + d.field("数量").asMoney().raw() +
                       d.field("商品名").asText().size();
            return sum;
        },
        [raw, header, lines, no = ctx.slipNo] {
            std::int64_t sum = 0;
            sqlite3_bind_int64(header, 1, no);
            int rc;
            while ((rc = sqlite3_step(header)) == SQLITE_ROW) {
                sum += sqlite3_column_int64(header, 0) + columnQString(header, 1).size() +
                       columnQString(header, 3).size();
            }
            finish(header, rc);
            sqlite3_bind_int64(lines, 1, no);
            while ((rc = sqlite3_step(lines)) == SQLITE_ROW)
                sum += sqlite3_column_int64(lines, 0) + sqlite3_column_int64(lines, 6) +
                       sqlite3_column_int64(lines, 7) + sqlite3_column_int64(lines, 8) +
                       columnQString(lines, 2).size();
            finish(lines, rc);
            return sum;
        },
        "sqlite3, prepared once",
    });
}

// The credit-sale part of a receivable list: per customer, one month, or
// everything before it (the carried-forward balance).
void addCreditSalesPerCustomer(BenchSuite& suite, const BenchContext& ctx, bool carriedForward)
{
    const QDate from = carriedForward ? QDate(1900, 1, 1) : ctx.month;
    const QDate to = carriedForward ? ctx.month : ctx.month.addMonths(1);  // the day after the period

    auto conn = std::make_shared<Connection>(ctx.path);
    auto ds = std::make_shared<Dataset>(*conn,
                                        "SELECT 顧客コード, IFNULL(SUM(伝票合計), 0) AS 掛売合計 FROM v_売上"
                                        " WHERE 顧客コード IS NOT NULL AND 売上区分コード = '10'"
                                        " AND 売上年月日 >= :From AND 売上年月日 < :To"
                                        " GROUP BY 顧客コード");

    // The same numbers straight from the headers, whose 伝票合計 the triggers
    // keep. For one month the date index finds the month's slips, and each is
    // read from the table by rowid: a few thousand look-ups beat the partner
    // index, which would have to be searched once per customer. For everything
    // before the month the partner index carries customer, date, class and
    // total: one pass over it reads nothing else and yields the customers in
    // order, so the grouping needs no sort. Left to itself the planner takes
    // the date index there too and reads nearly every header by rowid.
    auto raw = std::make_shared<PlainDb>(ctx.path);
    const std::string sql =
        std::string("SELECT 顧客コード, SUM(伝票合計) FROM t_売上 ") +
        (carriedForward ? "INDEXED BY ix_t_売上_顧客コード_売上年月日" : "INDEXED BY ix_t_売上_売上年月日") +
        " WHERE 顧客コード IS NOT NULL AND 売上区分コード = '10'"
        " AND 売上年月日 >= ? AND 売上年月日 < ?"
        " GROUP BY 顧客コード";
    sqlite3_stmt* plain = raw->prepare(sql.c_str());
    if (carriedForward)
        requirePlan(plain, {"USING COVERING INDEX ix_t_売上_顧客コード_売上年月日"}, {"TEMP B-TREE"});
    else
        requirePlan(plain, {"USING INDEX ix_t_売上_売上年月日"});

    suite.add({
        carriedForward ? "credit sales per customer before a month, v_売上"
                       : "credit sales per customer, one month, v_売上",
        [conn, ds, from, to] {
            ds->close();
            ds->setParam("From", from);
            ds->setParam("To", to);
            ds->open();
            std::int64_t sum = 0;
            for (ds->first(); !ds->eof(); ds->next())
                sum += ds->field("掛売合計").asMoney().raw() * codeWeight(ds->field("顧客コード").asText());
            return sum;
        },
        [raw, plain, from, to] {
            std::int64_t sum = 0;
            int rc;
            bindText(plain, 1, from.toString(Qt::ISODate));
            bindText(plain, 2, to.toString(Qt::ISODate));
            while ((rc = sqlite3_step(plain)) == SQLITE_ROW)
                sum += sqlite3_column_int64(plain, 1) * codeWeight(columnQString(plain, 0));
            finish(plain, rc);
            return sum;
        },
        "plain SQL over the tables",
    });
}

}  // namespace

BenchContext BenchContext::choose(const QString& path)
{
    BenchContext ctx;
    ctx.path = path;
    Connection c(path);
    Statement s(c,
                "SELECT h.伝票番号 FROM t_売上 AS h"
                " WHERE h.伝票番号 >= (SELECT MAX(伝票番号) / 2 FROM t_売上)"
                " AND (SELECT count(*) FROM t_売上明細 AS d WHERE d.伝票番号 = h.伝票番号) >= 5"
                " ORDER BY h.伝票番号 LIMIT 1");
    if (!s.step())
        throw std::runtime_error("the database has no sales slip with five lines; run corvinta-gen first");
    ctx.slipNo = s.int64(0);
    s.reset();
    ctx.month = QDate(2024, 3, 1);
    return ctx;
}

void addDataCases(BenchSuite& suite, const BenchContext& context)
{
    addOpenConnection(suite, context);
    addReadSlip(suite, context);
    addCreditSalesPerCustomer(suite, context, false);
    addCreditSalesPerCustomer(suite, context, true);
}
