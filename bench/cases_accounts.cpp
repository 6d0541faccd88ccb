#include "cases_accounts.h"

#include <QHash>
#include <QModelIndex>

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "balancelistcomputation.h"
#include "connection.h"
#include "datacases.h"
#include "dataset.h"
#include "datasetmodel.h"
#include "harness.h"
#include "ledgercomputation.h"
#include "money.h"
#include "statement.h"

namespace {

// A plain connection for the baselines with its statements prepared once.
class PlainDb {
public:
    explicit PlainDb(const QString& path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            const std::string msg = sqlite3_errmsg(m_db);
            sqlite3_close(m_db);
            throw std::runtime_error("cannot open " + path.toStdString() + ": " + msg);
        }
    }
    ~PlainDb()
    {
        m_statements.clear();
        sqlite3_close(m_db);
    }
    PlainDb(const PlainDb&) = delete;
    PlainDb& operator=(const PlainDb&) = delete;

    sqlite3_stmt* prepare(const QString& sql)
    {
        sqlite3_stmt* stmt = nullptr;
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v3(m_db, utf8.constData(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
            SQLITE_OK)
            throw std::runtime_error(std::string(sqlite3_errmsg(m_db)) + ": " + utf8.toStdString());
        m_statements.emplace_back(stmt, &sqlite3_finalize);
        return stmt;
    }

private:
    sqlite3* m_db = nullptr;
    std::vector<std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>> m_statements;
};

void bindText(sqlite3_stmt* stmt, int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QString columnText(sqlite3_stmt* stmt, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                             sqlite3_column_bytes(stmt, column));
}

// Steps to the end, calling `row` for each row, and resets.
template <typename F>
void eachRow(sqlite3_stmt* stmt, F row)
{
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        row();
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(sqlite3_db_handle(stmt)));
    sqlite3_reset(stmt);
}

// A weight per partner code, so that a sum put under the wrong partner changes
// the checksum.
std::uint64_t codeWeight(const QString& code)
{
    std::uint64_t w = 1;
    for (const QChar ch : code)
        w = w * 31 + ch.unicode();
    return w;
}

// The line total of the views, (単価 + 税額) × 数量 rounded to ten-thousandths.
const char* const kLineTotal =
    "CASE WHEN (IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) >= 0"
    " THEN ((IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) + 5000) / 10000"
    " ELSE ((IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) - 5000) / 10000 END";

// The tables of one side, for the plain SQL.
struct SideTables {
    QString partnerTable, partner, goods, goodsLines, goodsDate, goodsKind, money, moneyLines, moneyDate;
};
const SideTables kCustomerTables{"m_顧客",         "顧客コード", "t_売上",     "t_売上明細", "売上年月日",
                                 "売上区分コード", "t_入金",     "t_入金明細", "入金年月日"};
const SideTables kSupplierTables{"m_仕入先",       "仕入先コード", "t_仕入",     "t_仕入明細", "仕入年月日",
                                 "仕入区分コード", "t_支払",       "t_支払明細", "支払年月日"};

QString sideSql(QString sql, const SideTables& t)
{
    sql.replace("{PartnerTable}", t.partnerTable)
        .replace("{Partner}", t.partner)
        .replace("{GoodsLines}", t.goodsLines)
        .replace("{Goods}", t.goods)
        .replace("{GoodsDate}", t.goodsDate)
        .replace("{GoodsKind}", t.goodsKind)
        .replace("{MoneyLines}", t.moneyLines)
        .replace("{MoneyDate}", t.moneyDate)
        .replace("{Money}", t.money)
        .replace("{LineTotal}", QString::fromUtf8(kLineTotal));
    return sql;
}

QString busiestPartner(const QString& path, const SideTables& t)
{
    Connection c(path);
    Statement s(c, sideSql("SELECT {Partner} FROM {Goods} WHERE {Partner} IS NOT NULL"
                           " GROUP BY {Partner} ORDER BY count(*) DESC, {Partner} LIMIT 1",
                           t));
    if (!s.step())
        throw std::runtime_error("the database has no slips with a partner; run corvinta-gen first");
    return s.text(0);
}

// -- ledger -------------------------------------------------------------------------

// What both ways add up: every row counted, the line and money-line amounts, the
// cash totals, and each shown balance weighted by its place among the balances,
// so that a balance out of order changes the sum.
struct LedgerSum {
    std::uint64_t sum = 0;
    std::uint64_t balanceIndex = 0;
    void row() { sum += 1; }
    void amount(Money m) { sum += std::uint64_t(m.raw()); }
    void balance(Money m) { sum += std::uint64_t(m.raw()) * ++balanceIndex; }
};

QList<ColumnSpec> ledgerColumns(const LedgerNames& n)
{
    const auto money = DisplayFormat::Money;
    QList<ColumnSpec> columns{
        {"表示用年月日", "年月日", 65, Qt::AlignLeft, DisplayFormat::Date},
        {"種別", "種別", 53},
        {"区分", "区分", 34},
        {"商品名", "商品名", 50},
        {"分類名", "分類名", 44},
        {"単価", "単価", 49, Qt::AlignRight, money},
        {"税額", "税額", 39, Qt::AlignRight, money},
        {"数量", "数量", 46, Qt::AlignRight, DisplayFormat::Quantity},
        {"金額", "金額", 52, Qt::AlignRight, money},
        {"現金合計", "現金合計", 61, Qt::AlignRight, money},
        {n.creditTotal, n.creditTotal, 64, Qt::AlignRight, money},
        {n.moneyAmount, n.moneyAmount, 57, Qt::AlignRight, money},
        {n.moneyTotal, n.moneyTotal, 60, Qt::AlignRight, money},
        {"残高", "残高", 62, Qt::AlignRight, money},
    };
    return columns;
}

void addLedgerCase(BenchSuite& suite, const BenchContext& ctx, const LedgerNames& names,
                   const SideTables& tables, const std::string& label)
{
    const QString code = busiestPartner(ctx.path, tables);
    const QDate from = ctx.month;
    const QDate to = ctx.month.addMonths(1).addDays(-1);

    struct Window {
        Connection connection;
        std::unique_ptr<LedgerComputation> ledger;
        std::unique_ptr<DatasetModel> model;
    };
    auto window = std::make_shared<Window>();
    window->connection.open(ctx.path);
    window->ledger = std::make_unique<LedgerComputation>(window->connection, names);
    window->model = std::make_unique<DatasetModel>(window->ledger->dataset(), ledgerColumns(names));

    auto plain = std::make_shared<PlainDb>(ctx.path);
    sqlite3_stmt* carried = plain->prepare(
        sideSql("SELECT (SELECT IFNULL(SUM({LineTotal}), 0) FROM {Goods} AS h JOIN {GoodsLines} AS d"
                "        ON d.伝票番号 = h.伝票番号"
                "        WHERE h.{Partner} = ?1 AND h.{GoodsKind} = '10' AND h.{GoodsDate} < ?2)"
                "     - (SELECT IFNULL(SUM(d.金額), 0) FROM {Money} AS h JOIN {MoneyLines} AS d"
                "        ON d.伝票番号 = h.伝票番号"
                "        WHERE h.{Partner} = ?1 AND h.{MoneyDate} < ?2)",
                tables));
    sqlite3_stmt* goods =
        plain->prepare(sideSql("SELECT h.伝票番号, h.{GoodsDate}, h.{GoodsKind}, d.明細番号, {LineTotal}"
                               " FROM {Goods} AS h LEFT JOIN {GoodsLines} AS d ON d.伝票番号 = h.伝票番号"
                               " WHERE h.{Partner} = ?1 AND h.{GoodsDate} >= ?2 AND h.{GoodsDate} < ?3"
                               " AND h.{GoodsKind} IN ('10', '20')",
                               tables));
    sqlite3_stmt* money =
        plain->prepare(sideSql("SELECT h.伝票番号, h.{MoneyDate}, d.明細番号, d.金額"
                               " FROM {Money} AS h LEFT JOIN {MoneyLines} AS d ON d.伝票番号 = h.伝票番号"
                               " WHERE h.{Partner} = ?1 AND h.{MoneyDate} >= ?2 AND h.{MoneyDate} < ?3",
                               tables));

    suite.add({
        "ledger, busiest " + label + ", one month, details and balances",
        [window, code, from, to] {
            LedgerComputation& ledger = *window->ledger;
            ledger.build(code, from, to);
            // What the grid reads: every shown cell of every row.
            DatasetModel& model = *window->model;
            std::uint64_t cells = 0;
            for (int r = 0; r < model.rowCount(); ++r)
                for (int c = 0; c < model.columnCount(); ++c)
                    cells += model.data(model.index(r, c)).toString().size();
            (void)cells;

            const Dataset& ds = ledger.dataset();
            const LedgerNames& n = ledger.names();
            LedgerSum sum;
            for (int r = 0; r < ds.count(); ++r) {
                const RowRef row = ds.rowRef(r);
                sum.row();
                sum.amount(row.field("金額").asMoney());
                sum.amount(row.field(n.moneyAmount).asMoney());
                sum.amount(row.field("現金合計").asMoney());
                const Field balance = row.field("残高");
                if (!balance.isNull())
                    sum.balance(balance.asMoney());
            }
            return std::int64_t(sum.sum);
        },
        [plain, carried, goods, money, code, from, to] {
            const QString f = from.toString(Qt::ISODate);
            const QString next = to.addDays(1).toString(Qt::ISODate);
            LedgerSum sum;
            Money balance;
            bindText(carried, 1, code);
            bindText(carried, 2, f);
            eachRow(carried, [&] { balance = Money::fromRaw(sqlite3_column_int64(carried, 0)); });
            sum.row();

            // Slips with their totals, in ledger order: date, kind, number.
            struct Slip {
                QByteArray date;
                int kind;
                qint64 no;
                Money total;
            };
            std::vector<Slip> slips;
            QHash<QPair<int, qint64>, size_t> at;
            auto slipOf = [&](int kind, qint64 no, sqlite3_stmt* st, int dateColumn) -> Slip& {
                const auto key = qMakePair(kind, no);
                auto it = at.find(key);
                if (it == at.end()) {
                    it = at.insert(key, slips.size());
                    slips.push_back(
                        {QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(st, dateColumn))), kind,
                         no, Money()});
                    sum.row();
                }
                return slips[*it];
            };
            bindText(goods, 1, code);
            bindText(goods, 2, f);
            bindText(goods, 3, next);
            eachRow(goods, [&] {
                const bool credit = columnText(goods, 2) == QStringLiteral("10");
                Slip& s = slipOf(credit ? 2 : 1, sqlite3_column_int64(goods, 0), goods, 1);
                if (sqlite3_column_type(goods, 3) != SQLITE_NULL) {
                    const Money line = Money::fromRaw(sqlite3_column_int64(goods, 4));
                    s.total += line;
                    sum.row();
                    sum.amount(line);
                }
            });
            bindText(money, 1, code);
            bindText(money, 2, f);
            bindText(money, 3, next);
            eachRow(money, [&] {
                Slip& s = slipOf(3, sqlite3_column_int64(money, 0), money, 1);
                if (sqlite3_column_type(money, 2) != SQLITE_NULL) {
                    const Money line = Money::fromRaw(sqlite3_column_int64(money, 3));
                    s.total += line;
                    sum.row();
                    sum.amount(line);
                }
            });
            std::sort(slips.begin(), slips.end(), [](const Slip& a, const Slip& b) {
                if (a.date != b.date)
                    return a.date < b.date;
                if (a.kind != b.kind)
                    return a.kind < b.kind;
                return a.no < b.no;
            });
            sum.balance(Money::fromYen(balance.yenHalfEven()));
            for (const Slip& s : slips) {
                if (s.kind == 1) {
                    sum.amount(s.total);
                    continue;
                }
                balance += s.kind == 2 ? s.total : -s.total;
                sum.balance(Money::fromYen(balance.yenHalfEven()));
            }
            return std::int64_t(sum.sum);
        },
        "plain SQL on the tables, balance in C++",
    });
}

// -- balance lists ------------------------------------------------------------------

struct ListRow {
    Money carriedCredit, carriedMoney, credit, cash, money;
};

std::uint64_t listRowSum(const QString& code, Money carried, Money credit, Money cash, Money money,
                         Money balance)
{
    const std::uint64_t v = std::uint64_t(carried.raw()) + 3 * std::uint64_t(credit.raw()) +
                            5 * std::uint64_t(cash.raw()) + 7 * std::uint64_t(money.raw()) +
                            11 * std::uint64_t(balance.raw());
    return 1 + codeWeight(code) * v;
}

void addListCase(BenchSuite& suite, const BenchContext& ctx, const BalanceListNames& names,
                 const SideTables& tables, const std::string& label)
{
    const QDate from = ctx.month;
    const QDate to = ctx.month.addMonths(1).addDays(-1);

    struct Window {
        Connection connection;
        std::unique_ptr<BalanceListComputation> list;
    };
    auto window = std::make_shared<Window>();
    window->connection.open(ctx.path);
    window->list = std::make_unique<BalanceListComputation>(window->connection, names);

    // One pass over the slips up to the end of the period, summed per partner
    // and bucket straight from the lines, then put beside the master in C++.
    // The headers are read in slip order (not through the partner or date
    // index), so the lines are read in key order: the fastest plan for a pass
    // over nearly every line.
    auto plain = std::make_shared<PlainDb>(ctx.path);
    sqlite3_stmt* partners = plain->prepare(sideSql("SELECT {Partner} FROM {PartnerTable}", tables));
    sqlite3_stmt* goods = plain->prepare(
        sideSql("SELECT h.{Partner}, h.{GoodsDate} >= ?1, h.{GoodsKind}, SUM({LineTotal})"
                " FROM {Goods} AS h NOT INDEXED JOIN {GoodsLines} AS d ON d.伝票番号 = h.伝票番号"
                " WHERE h.{Partner} IS NOT NULL AND h.{GoodsDate} < ?2"
                " AND (h.{GoodsKind} = '10' OR h.{GoodsKind} = '20' AND h.{GoodsDate} >= ?1)"
                " GROUP BY 1, 2, 3",
                tables));
    sqlite3_stmt* money = plain->prepare(
        sideSql("SELECT h.{Partner}, h.{MoneyDate} >= ?1, SUM(d.金額)"
                " FROM {Money} AS h NOT INDEXED JOIN {MoneyLines} AS d ON d.伝票番号 = h.伝票番号"
                " WHERE h.{Partner} IS NOT NULL AND h.{MoneyDate} < ?2"
                " GROUP BY 1, 2",
                tables));

    suite.add({
        label + " balance list, one month, all partners",
        [window, from, to] {
            BalanceListComputation& list = *window->list;
            list.build(from, to);
            const Dataset& ds = list.dataset();
            const BalanceListNames& n = list.names();
            std::uint64_t sum = 0;
            for (int r = 0; r < ds.count(); ++r) {
                const RowRef row = ds.rowRef(r);
                sum += listRowSum(row.field(n.partnerColumn).asText(), row.field("繰越残高").asMoney(),
                                  row.field(n.periodCredit).asMoney(), row.field(n.periodCash).asMoney(),
                                  row.field(n.periodMoney).asMoney(), row.field("残高").asMoney());
            }
            return std::int64_t(sum);
        },
        [plain, partners, goods, money, from, to] {
            const QString f = from.toString(Qt::ISODate);
            const QString next = to.addDays(1).toString(Qt::ISODate);
            QHash<QString, ListRow> rows;
            bindText(goods, 1, f);
            bindText(goods, 2, next);
            eachRow(goods, [&] {
                ListRow& r = rows[columnText(goods, 0)];
                const Money total = Money::fromRaw(sqlite3_column_int64(goods, 3));
                const bool inPeriod = sqlite3_column_int(goods, 1) != 0;
                const bool credit = columnText(goods, 2) == QStringLiteral("10");
                (credit ? (inPeriod ? r.credit : r.carriedCredit) : r.cash) += total;
            });
            bindText(money, 1, f);
            bindText(money, 2, next);
            eachRow(money, [&] {
                ListRow& r = rows[columnText(money, 0)];
                const Money total = Money::fromRaw(sqlite3_column_int64(money, 2));
                (sqlite3_column_int(money, 1) != 0 ? r.money : r.carriedMoney) += total;
            });
            std::uint64_t sum = 0;
            eachRow(partners, [&] {
                const QString code = columnText(partners, 0);
                const ListRow r = rows.value(code);
                const Money carried = r.carriedCredit - r.carriedMoney;
                sum += listRowSum(code, carried, r.credit, r.cash, r.money, carried + r.credit - r.money);
            });
            return std::int64_t(sum);
        },
        "plain SQL on the tables, one pass",
    });
}

}  // namespace

void addAccountsCases(BenchSuite& suite, const BenchContext& context)
{
    addLedgerCase(suite, context, LedgerNames::customer(), kCustomerTables, "customer");
    addLedgerCase(suite, context, LedgerNames::supplier(), kSupplierTables, "supplier");
    addListCase(suite, context, BalanceListNames::receivable(), kCustomerTables, "receivable");
    addListCase(suite, context, BalanceListNames::payable(), kSupplierTables, "payable");
}
