// The balance list: one row per partner of the master with five sums and two
// balances, the period's edges, cash slips outside every balance, and slips
// without a partner in the master.
#include <QDate>
#include <QtTest>

#include "balancelistcomputation.h"
#include "books.h"
#include "connection.h"
#include "dataset.h"
#include "testdb.h"

namespace {

struct Side {
    const BookSide* books;
    const BalanceListNames* names;
};

Side sideAt(int i)
{
    return i == 0 ? Side{&kCustomerSide, &BalanceListNames::receivable()}
                  : Side{&kSupplierSide, &BalanceListNames::payable()};
}

void addSideRows()
{
    QTest::addColumn<int>("side");
    QTest::newRow("receivable") << 0;
    QTest::newRow("payable") << 1;
}

// The money columns of the list row of `code`, in column order.
QList<Money> amountsOf(const Dataset& ds, const QString& code)
{
    for (int i = 0; i < ds.count(); ++i) {
        if (ds.fieldAt(i, ds.columns()[0]).asText() != code)
            continue;
        QList<Money> out;
        for (int col = 2; col < ds.columns().size(); ++col) {
            const Field f = ds.fieldAt(i, ds.columns()[col]);
            if (f.isNull())
                qFatal("a money column is empty");
            out << f.asMoney();
        }
        return out;
    }
    return {};
}

// 繰越(credit), 繰越(money), 繰越残高, 期間(credit), 期間(cash), 期間(money), 残高
QList<Money> expect(qint64 carriedCredit, qint64 carriedMoney, qint64 credit, qint64 cash, qint64 money)
{
    return {yen(carriedCredit),
            yen(carriedMoney),
            yen(carriedCredit - carriedMoney),
            yen(credit),
            yen(cash),
            yen(money),
            yen(carriedCredit - carriedMoney + credit - money)};
}

const QDate F(2024, 3, 1);
const QDate T(2024, 3, 31);

}  // namespace

class TestBalanceListComputation : public QObject {
    Q_OBJECT

private slots:
    void columns_data() { addSideRows(); }
    void columns();
    void sums_data() { addSideRows(); }
    void sums();
    void periodEdges_data() { addSideRows(); }
    void periodEdges();
    void exchangedDatesAndOrder();
};

void TestBalanceListComputation::columns()
{
    QFETCH(int, side);
    const Side s = sideAt(side);
    TestDb db;
    Connection c(db.path());
    BalanceListComputation list(c, *s.names);
    QVERIFY(!list.dataset().isOpen());
    list.build(F, T);
    QVERIFY(list.dataset().isOpen());
    QCOMPARE(list.dataset().count(), 0);  // an empty master: open and empty

    const BalanceListNames& n = *s.names;
    QCOMPARE(list.dataset().columns(),
             (QStringList{n.side->codeColumn, n.side->nameColumn, n.carriedCredit, n.carriedMoney,
                          QStringLiteral("繰越残高"), n.periodCredit, n.periodCash, n.periodMoney,
                          QStringLiteral("残高")}));
    QCOMPARE(n.side->codeColumn, s.books->codeColumn);
}

void TestBalanceListComputation::sums()
{
    QFETCH(int, side);
    const Side s = sideAt(side);
    TestDb db;
    Connection c(db.path());
    Books b(c, *s.books);
    b.partner("NONE", "動きなし");
    b.partner("OLD", "前期のみ");
    b.partner("MIX", "混在");
    b.goods(1, QDate(2023, 1, 10), Books::Credit, "OLD", yen(50000));
    // 70,000 of credit and 20,000 paid before; 10,000 of credit and 30,000 paid within.
    b.goods(2, QDate(2023, 6, 1), Books::Credit, "MIX", yen(30000));
    b.goods(3, QDate(2024, 2, 1), Books::Credit, "MIX",
            {GoodsLine{yen(10000), yen(1000), yen(2)}, GoodsLine{yen(18000), yen(0), yen(1)}});
    b.money(1, QDate(2023, 7, 1), "MIX", {yen(15000), yen(5000)});
    b.goods(4, QDate(2024, 3, 10), Books::Credit, "MIX", yen(10000));
    b.money(2, QDate(2024, 3, 20), "MIX", {yen(30000)});
    b.goods(5, QDate(2024, 3, 11), Books::Cash, "MIX", yen(8000));
    b.goods(6, QDate(2023, 3, 11), Books::Cash, "MIX", yen(900));

    BalanceListComputation list(c, *s.names);
    list.build(F, T);
    Dataset& ds = list.dataset();
    QCOMPARE(ds.count(), 3);
    QCOMPARE(amountsOf(ds, "NONE"), expect(0, 0, 0, 0, 0));
    QCOMPARE(amountsOf(ds, "OLD"), expect(50000, 0, 0, 0, 0));
    QCOMPARE(amountsOf(ds, "MIX"), expect(70000, 20000, 10000, 8000, 30000));
    // The 合計 row: every money column summed over the three partners.
    QList<Money> totals;
    for (const auto& [column, sum] : list.totals())
        totals << sum;
    QCOMPARE(totals, expect(120000, 20000, 10000, 8000, 30000));
    QCOMPARE(list.totals().back().first, QStringLiteral("残高"));
    const QString codeColumn = s.names->side->codeColumn;
    QVERIFY(ds.findFirst([&codeColumn](const RowRef& r) { return r.field(codeColumn).asText() == "OLD"; }));
    QCOMPARE(ds.field(s.names->side->nameColumn).asText(), QStringLiteral("前期のみ"));
}

void TestBalanceListComputation::periodEdges()
{
    QFETCH(int, side);
    const Side s = sideAt(side);
    TestDb db;
    Connection c(db.path());
    Books b(c, *s.books);
    b.partner("P1");
    b.partner("GONE");
    b.money(1, QDate(2024, 2, 29), "P1", {yen(1)});
    b.money(2, QStringLiteral("2024-02-29 23:59:59"), "P1", {yen(2)});
    b.money(3, QDate(2024, 3, 1), "P1", {yen(10)});
    b.money(4, QStringLiteral("2024-03-31 23:59:59"), "P1", {yen(100)});
    b.money(5, QDate(2024, 4, 1), "P1", {yen(1000)});
    b.goods(1, QDate(2024, 2, 29), Books::Credit, "P1", yen(10000));
    b.goods(2, QDate(2024, 3, 1), Books::Cash, "P1", yen(20000));
    b.goods(3, QStringLiteral("2024-03-31 08:00:00"), Books::Credit, "P1", yen(40000));
    b.goods(4, QDate(2024, 4, 1), Books::Cash, "P1", yen(80000));
    // Slips without a partner, and of a partner no longer in the master, are in no row.
    b.goods(5, QDate(2024, 3, 5), Books::Cash, QVariant(), yen(7));
    b.goods(6, QDate(2024, 3, 5), Books::Credit, "GONE", yen(7));
    b.money(6, QDate(2024, 3, 5), "GONE", {yen(7)});
    c.exec(QStringLiteral("DELETE FROM %1 WHERE %2 = 'GONE'").arg(s.books->table, s.books->codeColumn));

    BalanceListComputation list(c, *s.names);
    list.build(F, T);
    QCOMPARE(list.dataset().count(), 1);
    QCOMPARE(amountsOf(list.dataset(), "P1"), expect(10000, 3, 40000, 20000, 110));
}

void TestBalanceListComputation::exchangedDatesAndOrder()
{
    TestDb db;
    Connection c(db.path());
    Books b(c, kCustomerSide);
    for (const char* code : {"C", "A", "B"})
        b.partner(code);
    b.goods(1, QDate(2024, 3, 3), Books::Credit, "C", yen(300));
    b.goods(2, QDate(2024, 3, 3), Books::Credit, "A", yen(2000));
    b.goods(3, QDate(2024, 3, 3), Books::Credit, "B", yen(90));

    BalanceListComputation list(c, BalanceListNames::receivable());
    const Period period = list.build(T, F);
    QVERIFY(period.exchanged);
    QCOMPARE(list.PeriodFromText(), QStringLiteral("2024/03/01"));
    QCOMPARE(list.PeriodToText(), QStringLiteral("2024/03/31"));
    Dataset& ds = list.dataset();
    auto codes = [&ds] {
        QStringList out;
        for (int i = 0; i < ds.count(); ++i)
            out << ds.fieldAt(i, "顧客コード").asText();
        return out;
    };
    QCOMPARE(codes(), (QStringList{"A", "B", "C"}));
    QCOMPARE(amountsOf(ds, "B"), expect(0, 0, 90, 0, 0));
    // What a header click does: the held rows are reordered, by amount (not as text).
    ds.sortBy({{"残高", true}});
    QCOMPARE(codes(), (QStringList{"A", "C", "B"}));
    ds.sortBy({{"残高", false}});
    QCOMPARE(codes(), (QStringList{"B", "C", "A"}));
}

QTEST_GUILESS_MAIN(TestBalanceListComputation)
#include "tst_balancelistcomputation.moc"
