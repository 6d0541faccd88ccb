#include "cases_accounts.h"

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
#include "partnerside.h"
#include "plaindb.h"
#include "statement.h"

namespace {

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

// The plain SQL reads the side's tables, not its views.
using SideTables = PartnerSide;
const SideTables& kCustomerTables = PartnerSide::customer();
const SideTables& kSupplierTables = PartnerSide::supplier();

QString sideSql(QString sql, const SideTables& t)
{
    sql.replace("{PartnerTable}", t.table)
        .replace("{Partner}", t.codeColumn)
        .replace("{GoodsLines}", t.goodsLineTable)
        .replace("{Goods}", t.goodsTable)
        .replace("{GoodsDate}", t.goodsDateColumn)
        .replace("{GoodsKind}", t.goodsClassColumn)
        .replace("{MoneyLines}", t.moneyLineTable)
        .replace("{MoneyDate}", t.moneyDateColumn)
        .replace("{Money}", t.moneyTable)
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

    // Every slip total is the header's 伝票合計, read with the partner, date and
    // class from the partner index alone; only the lines the ledger shows are
    // read from the line tables, by their key. The running balance is added up
    // in C++.
    auto plain = std::make_shared<PlainDb>(ctx.path);
    sqlite3_stmt* carried =
        plain->prepare(sideSql("SELECT (SELECT IFNULL(SUM(伝票合計), 0) FROM {Goods}"
                               "        WHERE {Partner} = ?1 AND {GoodsDate} < ?2 AND {GoodsKind} = '10')"
                               "     - (SELECT IFNULL(SUM(伝票合計), 0) FROM {Money}"
                               "        WHERE {Partner} = ?1 AND {MoneyDate} < ?2)",
                               tables));
    sqlite3_stmt* goods = plain->prepare(
        sideSql("SELECT h.伝票番号, h.{GoodsDate}, h.{GoodsKind}, h.伝票合計, d.明細番号, {LineTotal}"
                " FROM {Goods} AS h LEFT JOIN {GoodsLines} AS d ON d.伝票番号 = h.伝票番号"
                " WHERE h.{Partner} = ?1 AND h.{GoodsDate} >= ?2 AND h.{GoodsDate} < ?3"
                " AND h.{GoodsKind} IN ('10', '20')",
                tables));
    sqlite3_stmt* money =
        plain->prepare(sideSql("SELECT h.伝票番号, h.{MoneyDate}, h.伝票合計, d.明細番号, d.金額"
                               " FROM {Money} AS h LEFT JOIN {MoneyLines} AS d ON d.伝票番号 = h.伝票番号"
                               " WHERE h.{Partner} = ?1 AND h.{MoneyDate} >= ?2 AND h.{MoneyDate} < ?3",
                               tables));
    const std::string goodsIndex =
        sideSql("USING COVERING INDEX ix_{Goods}_{Partner}_{GoodsDate}", tables).toStdString();
    const std::string moneyIndex =
        sideSql("USING COVERING INDEX ix_{Money}_{Partner}_{MoneyDate}", tables).toStdString();
    requirePlan(carried, {goodsIndex, moneyIndex});
    requirePlan(goods, {goodsIndex, "USING PRIMARY KEY"});
    requirePlan(money, {moneyIndex, "USING PRIMARY KEY"});

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

            // Slips with their totals, in ledger order: date, kind, number. A
            // slip's lines come right after it, so a new number starts a new slip.
            struct Slip {
                QByteArray date;
                int kind;
                qint64 no;
                Money total;
            };
            std::vector<Slip> slips;
            auto readSlips = [&](sqlite3_stmt* st, int fixedKind, int totalColumn) {
                qint64 last = 0;
                bool any = false;
                eachRow(st, [&] {
                    const qint64 no = sqlite3_column_int64(st, 0);
                    if (!any || no != last) {
                        const int kind = fixedKind                                      ? fixedKind
                                         : columnQString(st, 2) == QStringLiteral("10") ? 2
                                                                                        : 1;
                        slips.push_back(
                            {QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))), kind, no,
                             Money::fromRaw(sqlite3_column_int64(st, totalColumn))});
                        sum.row();
                        any = true;
                        last = no;
                    }
                    if (sqlite3_column_type(st, totalColumn + 1) != SQLITE_NULL) {
                        sum.row();
                        sum.amount(Money::fromRaw(sqlite3_column_int64(st, totalColumn + 2)));
                    }
                });
            };
            bindText(goods, 1, code);
            bindText(goods, 2, f);
            bindText(goods, 3, next);
            readSlips(goods, 0, 3);
            bindText(money, 1, code);
            bindText(money, 2, f);
            bindText(money, 3, next);
            readSlips(money, 3, 2);
            std::sort(slips.begin(), slips.end(), [](const Slip& a, const Slip& b) {
                if (a.date != b.date)
                    return a.date < b.date;
                if (a.kind != b.kind)
                    return a.kind < b.kind;
                return a.no < b.no;
            });
            sum.balance(Money::fromYen(balance.yenHalfAway()));
            for (const Slip& s : slips) {
                if (s.kind == 1) {
                    sum.amount(s.total);
                    continue;
                }
                balance += s.kind == 2 ? s.total : -s.total;
                sum.balance(Money::fromYen(balance.yenHalfAway()));
            }
            return std::int64_t(sum.sum);
        },
        "plain SQL on the tables, balance in C++",
    });
}

// -- balance lists ------------------------------------------------------------------

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

    // Per partner of the master, five sums of the headers' 伝票合計, each a
    // range of the partner index, which carries date, class and total: the
    // carried-forward sums read the partner's slips before the period, the
    // period sums only its month, and no slip after the period, without a
    // partner, or of a partner no longer in the master is read at all.
    auto plain = std::make_shared<PlainDb>(ctx.path);
    sqlite3_stmt* list = plain->prepare(sideSql(
        "SELECT p.{Partner},"
        " (SELECT SUM(伝票合計) FROM {Goods} AS h"
        "  WHERE h.{Partner} = p.{Partner} AND h.{GoodsDate} < ?1 AND h.{GoodsKind} = '10'),"
        " (SELECT SUM(伝票合計) FROM {Money} AS h WHERE h.{Partner} = p.{Partner} AND h.{MoneyDate} < ?1),"
        " (SELECT SUM(伝票合計) FROM {Goods} AS h WHERE h.{Partner} = p.{Partner}"
        "  AND h.{GoodsDate} >= ?1 AND h.{GoodsDate} < ?2 AND h.{GoodsKind} = '10'),"
        " (SELECT SUM(伝票合計) FROM {Goods} AS h WHERE h.{Partner} = p.{Partner}"
        "  AND h.{GoodsDate} >= ?1 AND h.{GoodsDate} < ?2 AND h.{GoodsKind} = '20'),"
        " (SELECT SUM(伝票合計) FROM {Money} AS h WHERE h.{Partner} = p.{Partner}"
        "  AND h.{MoneyDate} >= ?1 AND h.{MoneyDate} < ?2)"
        " FROM {PartnerTable} AS p",
        tables));
    requirePlan(list,
                {sideSql("USING COVERING INDEX ix_{Goods}_{Partner}_{GoodsDate}", tables).toStdString(),
                 sideSql("USING COVERING INDEX ix_{Money}_{Partner}_{MoneyDate}", tables).toStdString()},
                {"SCAN h", "TEMP B-TREE"});

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
                sum += listRowSum(row.field(n.side->codeColumn).asText(), row.field("繰越残高").asMoney(),
                                  row.field(n.periodCredit).asMoney(), row.field(n.periodCash).asMoney(),
                                  row.field(n.periodMoney).asMoney(), row.field("残高").asMoney());
            }
            return std::int64_t(sum);
        },
        [plain, list, from, to] {
            bindText(list, 1, from.toString(Qt::ISODate));
            bindText(list, 2, to.addDays(1).toString(Qt::ISODate));
            std::uint64_t sum = 0;
            eachRow(list, [&] {
                // A sum over no slip is NULL, which reads as 0.
                auto amount = [&](int column) { return Money::fromRaw(sqlite3_column_int64(list, column)); };
                const Money carried = amount(1) - amount(2);
                sum += listRowSum(columnQString(list, 0), carried, amount(3), amount(4), amount(5),
                                  carried + amount(3) - amount(5));
            });
            return std::int64_t(sum);
        },
        "plain SQL on the tables, per partner",
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
