// The ledger rows of one partner and period: the carried-forward row, the
// period's edges, the order of slips and lines, the running balance, the detail
// filter and the partner code taken as a value, on both sides.
#include <QDate>
#include <QtTest>

#include <optional>
#include <stdexcept>

#include "books.h"
#include "connection.h"
#include "dataset.h"
#include "dberror.h"
#include "ledgercomputation.h"
#include "testdb.h"

namespace {

struct Side {
    const BookSide* books;
    const LedgerNames* names;
};

Side sideAt(int i)
{
    return i == 0 ? Side{&kCustomerSide, &LedgerNames::customer()}
                  : Side{&kSupplierSide, &LedgerNames::supplier()};
}

void addSideRows()
{
    QTest::addColumn<int>("side");
    QTest::newRow("customer") << 0;
    QTest::newRow("supplier") << 1;
}

// One visible ledger row, reduced to what the cases check.
struct Row {
    int kind;
    qint64 slip;
    qint64 line;
    QString dispDate;
    std::optional<Money> balance;
};

QList<Row> rowsOf(const Dataset& ds)
{
    QList<Row> rows;
    for (int i = 0; i < ds.count(); ++i) {
        const Field balance = ds.fieldAt(i, "残高");
        rows << Row{int(ds.fieldAt(i, "種別コード").asInt()), ds.fieldAt(i, "伝票番号").asInt(),
                    ds.fieldAt(i, "明細番号").asInt(), ds.fieldAt(i, "表示用年月日").asText(),
                    balance.isNull() ? std::nullopt : std::optional<Money>(balance.asMoney())};
    }
    return rows;
}

// The balances shown, in order: the carried-forward row and every row that carries one.
QList<Money> balancesOf(const Dataset& ds)
{
    QList<Money> out;
    for (const Row& r : rowsOf(ds))
        if (r.balance)
            out << *r.balance;
    return out;
}

const QDate F(2024, 3, 1);
const QDate T(2024, 3, 31);

}  // namespace

class TestLedgerComputation : public QObject {
    Q_OBJECT

private slots:
    void noSlips_data() { addSideRows(); }
    void noSlips();
    void onlyBeforePeriod_data() { addSideRows(); }
    void onlyBeforePeriod();
    void periodEdges_data() { addSideRows(); }
    void periodEdges();
    void sameDayCreditThenMoney_data();
    void sameDayCreditThenMoney();
    void cashSlipLeavesBalance_data() { addSideRows(); }
    void cashSlipLeavesBalance();
    void slipsAndLines_data() { addSideRows(); }
    void slipsAndLines();
    void detailsOffKeepsBalances_data() { addSideRows(); }
    void detailsOffKeepsBalances();
    void exchangedDates();
    void partnerCodeIsAValue_data();
    void partnerCodeIsAValue();
    void fractionalAmounts();
    void failureLeavesLedgerClosed();
};

void TestLedgerComputation::noSlips()
{
    QFETCH(int, side);
    const Side s = sideAt(side);
    TestDb db;
    Connection c(db.path());
    Books(c, *s.books).partner("P1");

    LedgerComputation ledger(c, *s.names);
    QVERIFY(!ledger.dataset().isOpen());
    ledger.build("P1", F, T);
    Dataset& ds = ledger.dataset();
    QCOMPARE(ds.count(), 1);
    QCOMPARE(ds.currentRow(), 0);
    QCOMPARE(ds.field("表示用年月日").asDate(), F);
    QCOMPARE(ds.field("年月日").asDate(), F);
    QCOMPARE(ds.field("種別コード").asInt(), -1);
    QCOMPARE(ds.field("種別").asText(), QStringLiteral("繰越残高"));
    QCOMPARE(ds.field("伝票番号").asInt(), -1);
    QCOMPARE(ds.field("明細番号").asInt(), -1);
    QVERIFY(!ds.field("区分コード").isNull());
    QCOMPARE(ds.field("区分コード").asText(), QString());
    for (const QString& column : {QStringLiteral("単価"), QStringLiteral("税額"), QStringLiteral("数量"),
                                  QStringLiteral("金額"), QStringLiteral("現金合計"), s.names->creditTotal,
                                  s.names->moneyAmount, s.names->moneyTotal, QStringLiteral("残高")}) {
        QVERIFY2(!ds.field(column).isNull(), qPrintable(column));
        QCOMPARE(ds.field(column).asMoney(), Money());
    }
    QCOMPARE(ds.columns().size(), 21);
    QCOMPARE(ds.columns().last(), QStringLiteral("残高"));
}

void TestLedgerComputation::onlyBeforePeriod()
{
    QFETCH(int, side);
    const Side s = sideAt(side);
    TestDb db;
    Connection c(db.path());
    Books b(c, *s.books);
    b.partner("P1");
    b.partner("P2");
    b.goods(1, QDate(2023, 5, 1), Books::Credit, "P1", yen(10000));
    b.goods(2, QDate(2024, 2, 29), Books::Credit, "P1", yen(2500));
    b.goods(3, QDate(2024, 2, 10), Books::Cash, "P1", yen(999));
    b.goods(4, QDate(2024, 2, 10), Books::Credit, "P2", yen(777));
    b.money(1, QDate(2024, 1, 15), "P1", {yen(3000), yen(500)});
    b.money(2, QDate(2024, 1, 15), "P2", {yen(50)});
    b.goods(5, QDate(2024, 4, 1), Books::Credit, "P1", yen(123));  // after the period

    LedgerComputation ledger(c, *s.names);
    ledger.build("P1", F, T);
    const QList<Row> rows = rowsOf(ledger.dataset());
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].kind, -1);
    QCOMPARE(rows[0].balance, std::optional<Money>(yen(10000 + 2500 - 3500)));
}

void TestLedgerComputation::periodEdges()
{
    QFETCH(int, side);
    const Side s = sideAt(side);
    TestDb db;
    Connection c(db.path());
    Books b(c, *s.books);
    b.partner("P1");
    b.goods(1, QDate(2024, 2, 29), Books::Credit, "P1", yen(1));
    b.goods(2, QStringLiteral("2024-02-29 23:59:59"), Books::Credit, "P1", yen(2));
    b.goods(3, QDate(2024, 3, 1), Books::Credit, "P1", yen(10));
    b.goods(4, QDate(2024, 3, 31), Books::Credit, "P1", yen(100));
    b.goods(5, QStringLiteral("2024-03-31 23:59:59"), Books::Credit, "P1", yen(1000));
    b.goods(6, QDate(2024, 4, 1), Books::Credit, "P1", yen(10000));
    b.money(1, QDate(2024, 2, 29), "P1", {yen(1)});
    b.money(2, QDate(2024, 3, 1), "P1", {yen(5)});
    b.money(3, QStringLiteral("2024-03-31 12:00:00"), "P1", {yen(50)});
    b.money(4, QDate(2024, 4, 1), "P1", {yen(500)});

    LedgerComputation ledger(c, *s.names);
    ledger.setShowDetails(false);
    ledger.build("P1", F, T);
    QList<QPair<int, qint64>> slips;
    for (const Row& r : rowsOf(ledger.dataset()))
        slips << QPair<int, qint64>{r.kind, r.slip};
    // The first day is in the period, not in the carried-forward balance; the
    // last day is in it at any time of day; the next day is not.
    const QList<QPair<int, qint64>> expected{{-1, -1}, {2, 3}, {3, 2}, {2, 4}, {3, 3}, {2, 5}};
    QCOMPARE(slips, expected);
    QCOMPARE(balancesOf(ledger.dataset()),
             (QList<Money>{yen(2), yen(12), yen(7), yen(107), yen(57), yen(1057)}));
}

void TestLedgerComputation::sameDayCreditThenMoney_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<qint64>("carried");
    QTest::addColumn<qint64>("credit");
    QTest::addColumn<qint64>("money");
    QTest::addColumn<qint64>("afterCredit");
    QTest::addColumn<qint64>("afterMoney");
    QTest::newRow("customer") << 0 << qint64(5000) << qint64(10000) << qint64(3000) << qint64(15000)
                              << qint64(12000);
    QTest::newRow("supplier") << 1 << qint64(1000) << qint64(20000) << qint64(5000) << qint64(21000)
                              << qint64(16000);
}

void TestLedgerComputation::sameDayCreditThenMoney()
{
    QFETCH(int, side);
    QFETCH(qint64, carried);
    QFETCH(qint64, credit);
    QFETCH(qint64, money);
    QFETCH(qint64, afterCredit);
    QFETCH(qint64, afterMoney);
    const Side s = sideAt(side);
    TestDb db;
    Connection c(db.path());
    Books b(c, *s.books);
    b.partner("P1");
    b.goods(1, QDate(2024, 2, 1), Books::Credit, "P1", yen(carried));
    // The money slip has the lower number; on one day credit slips still come first.
    b.money(7, QDate(2024, 3, 15), "P1", {yen(money)});
    b.goods(90, QDate(2024, 3, 15), Books::Credit, "P1", yen(credit));

    LedgerComputation ledger(c, *s.names);
    ledger.build("P1", F, T);
    Dataset& ds = ledger.dataset();
    QList<Row> slipRows;
    for (const Row& r : rowsOf(ds))
        if (r.line == -1)
            slipRows << r;
    QCOMPARE(slipRows.size(), 3);
    QCOMPARE(slipRows[0].balance, std::optional<Money>(yen(carried)));
    QCOMPARE(slipRows[1].kind, 2);
    QCOMPARE(slipRows[1].slip, 90);
    QCOMPARE(slipRows[1].balance, std::optional<Money>(yen(afterCredit)));
    QCOMPARE(slipRows[2].kind, 3);
    QCOMPARE(slipRows[2].slip, 7);
    QCOMPARE(slipRows[2].balance, std::optional<Money>(yen(afterMoney)));

    // The kind labels of the side.
    QVERIFY(ds.findFirst([](const RowRef& r) { return r.field("伝票番号").asInt() == 90; }));
    QCOMPARE(ds.field("種別").asText(), side == 0 ? QStringLiteral("掛売") : QStringLiteral("掛仕"));
    QCOMPARE(ds.field(s.names->creditTotal).asMoney(), yen(credit));
    QVERIFY(ds.findFirst([](const RowRef& r) {
        return r.field("伝票番号").asInt() == 7 && r.field("明細番号").asInt() == -1;
    }));
    QCOMPARE(ds.field("種別").asText(), s.names->moneyLabel);
    QCOMPARE(ds.field(s.names->moneyTotal).asMoney(), yen(money));
}

void TestLedgerComputation::cashSlipLeavesBalance()
{
    QFETCH(int, side);
    const Side s = sideAt(side);
    TestDb db;
    Connection c(db.path());
    Books b(c, *s.books);
    b.partner("P1");
    b.goods(1, QDate(2024, 1, 5), Books::Credit, "P1", yen(400));
    b.goods(2, QDate(2024, 1, 6), Books::Cash, "P1", yen(9999));  // before: in no balance
    b.goods(3, QDate(2024, 3, 10), Books::Cash, "P1",
            {GoodsLine{yen(3000), yen(0), yen(2)}, GoodsLine{yen(2000), yen(0), yen(1)}});
    b.goods(4, QDate(2024, 3, 10), Books::Credit, "P1", yen(600));

    LedgerComputation ledger(c, *s.names);
    ledger.build("P1", F, T);
    Dataset& ds = ledger.dataset();
    const QList<Row> rows = rowsOf(ds);
    QCOMPARE(rows.size(), 6);  // carried, cash slip + 2 lines, credit slip + 1 line
    QCOMPARE(rows[0].balance, std::optional<Money>(yen(400)));
    QCOMPARE(rows[1].kind, 1);
    QVERIFY(!rows[1].balance);
    QVERIFY(!rows[2].balance);
    QVERIFY(!rows[3].balance);
    QCOMPARE(rows[4].kind, 2);
    QCOMPARE(rows[4].balance, std::optional<Money>(yen(1000)));
    QVERIFY(!rows[5].balance);
    ds.moveTo(1);
    QCOMPARE(ds.field("現金合計").asMoney(), yen(8000));
    QCOMPARE(ds.field("種別").asText(), QStringLiteral("現金"));
    QVERIFY(ds.field(s.names->creditTotal).isNull());
    QVERIFY(ds.field(s.names->moneyTotal).isNull());
}

void TestLedgerComputation::slipsAndLines()
{
    QFETCH(int, side);
    const Side s = sideAt(side);
    TestDb db;
    Connection c(db.path());
    c.exec("INSERT INTO m_商品分類 (商品分類コード, 分類名) VALUES ('C1', '文具')");
    Books b(c, *s.books);
    b.partner("P1");
    b.money(3, QDate(2024, 3, 5), "P1", {yen(700), yen(300)});
    b.goods(12, QDate(2024, 3, 5), Books::Credit, "P1",
            {GoodsLine{yen(100), yen(10), Money::parse(u"2.5"), "A-1", "鉛筆"},
             GoodsLine{yen(50), yen(5), yen(1), "A-2", "消しゴム"}});
    b.goods(11, QDate(2024, 3, 5), Books::Credit, "P1", yen(1));
    b.goods(13, QDate(2024, 3, 5), Books::Cash, "P1", yen(2));
    b.goods(14, QDate(2024, 3, 4), Books::Cash, "P1", yen(4));

    LedgerComputation ledger(c, *s.names);
    ledger.build("P1", F, T);
    Dataset& ds = ledger.dataset();
    QList<QList<qint64>> order;
    for (const Row& r : rowsOf(ds))
        order << QList<qint64>{r.kind, r.slip, r.line};
    // By date, then cash, credit, money, then slip number; each slip before its lines.
    const QList<QList<qint64>> expected{{-1, -1, -1}, {1, 14, -1}, {1, 14, 1},  {1, 13, -1}, {1, 13, 1},
                                        {2, 11, -1},  {2, 11, 1},  {2, 12, -1}, {2, 12, 1},  {2, 12, 2},
                                        {3, 3, -1},   {3, 3, 1},   {3, 3, 2}};
    QCOMPARE(order, expected);

    ds.moveTo(8);  // slip 12, line 1
    QVERIFY(ds.field("表示用年月日").isNull());
    QCOMPARE(ds.field("年月日").asDate(), QDate(2024, 3, 5));
    QVERIFY(ds.field("種別").isNull());
    QCOMPARE(ds.field("商品コード").asText(), QStringLiteral("A-1"));
    QCOMPARE(ds.field("商品名").asText(), QStringLiteral("鉛筆"));
    QCOMPARE(ds.field("分類コード").asText(), QStringLiteral("C1"));
    QCOMPARE(ds.field("分類名").asText(), QStringLiteral("文具"));
    QCOMPARE(ds.field("単価").asMoney(), yen(100));
    QCOMPARE(ds.field("税額").asMoney(), yen(10));
    QCOMPARE(ds.field("数量").asMoney(), Money::parse(u"2.5"));
    QCOMPARE(ds.field("金額").asMoney(), yen(275));
    QVERIFY(ds.field("区分コード").isNull());
    QVERIFY(ds.field(s.names->creditTotal).isNull());
    ds.moveTo(7);  // slip 12's row
    QCOMPARE(ds.field(s.names->creditTotal).asMoney(), yen(275 + 55));

    ds.moveTo(12);  // money slip 3, line 2
    QCOMPARE(ds.field("区分コード").asText(), QStringLiteral("20"));
    QCOMPARE(ds.field("区分").asText(), QStringLiteral("振込"));
    QCOMPARE(ds.field(s.names->moneyAmount).asMoney(), yen(300));
    QCOMPARE(ds.field("金額").asMoney(), Money());
    QVERIFY(ds.field(s.names->moneyTotal).isNull());
    QVERIFY(ds.field("商品名").isNull());
    QCOMPARE(balancesOf(ds), (QList<Money>{yen(0), yen(1), yen(331), yen(-669)}));
}

void TestLedgerComputation::detailsOffKeepsBalances()
{
    QFETCH(int, side);
    const Side s = sideAt(side);
    TestDb db;
    Connection c(db.path());
    Books b(c, *s.books);
    b.partner("P1");
    b.goods(1, QDate(2024, 2, 1), Books::Credit, "P1", yen(500));
    b.goods(2, QDate(2024, 3, 2), Books::Credit, "P1",
            {GoodsLine{yen(100), yen(10), yen(3)}, GoodsLine{yen(7), yen(0), yen(1)}});
    b.goods(3, QDate(2024, 3, 3), Books::Cash, "P1", yen(40));
    b.money(1, QDate(2024, 3, 4), "P1", {yen(100), yen(20)});

    LedgerComputation ledger(c, *s.names);
    ledger.build("P1", F, T);
    Dataset& ds = ledger.dataset();
    QCOMPARE(ds.count(), 9);
    const QList<Money> balances = balancesOf(ds);
    QCOMPARE(balances, (QList<Money>{yen(500), yen(837), yen(717)}));

    ledger.setShowDetails(false);
    QCOMPARE(ds.count(), 4);
    for (const Row& r : rowsOf(ds))
        QCOMPARE(r.line, -1);
    QCOMPARE(balancesOf(ds), balances);

    // The setting holds for the next build, and undoing it brings the lines back.
    ledger.build("P1", F, T);
    QCOMPARE(ds.count(), 4);
    QCOMPARE(balancesOf(ds), balances);
    ledger.setShowDetails(true);
    QCOMPARE(ds.count(), 9);
    QCOMPARE(balancesOf(ds), balances);

    // Turned off before any build, too.
    LedgerComputation second(c, *s.names);
    second.setShowDetails(false);
    QVERIFY(!second.showDetails());
    second.build("P1", F, T);
    QCOMPARE(second.dataset().count(), 4);
    QCOMPARE(balancesOf(second.dataset()), balances);
}

void TestLedgerComputation::exchangedDates()
{
    TestDb db;
    Connection c(db.path());
    Books b(c, kCustomerSide);
    b.partner("P1");
    b.goods(1, QDate(2024, 2, 29), Books::Credit, "P1", yen(10));
    b.goods(2, QDate(2024, 3, 31), Books::Credit, "P1", yen(20));

    LedgerComputation ledger(c, LedgerNames::customer());
    QCOMPARE(ledger.PeriodFromText(), QString());
    const Period period = ledger.build("P1", T, F);
    QVERIFY(period.exchanged);
    QCOMPARE(period.from, F);
    QCOMPARE(period.to, T);
    QCOMPARE(ledger.PeriodFromText(), QStringLiteral("2024/03/01"));
    QCOMPARE(ledger.PeriodToText(), QStringLiteral("2024/03/31"));
    QCOMPARE(ledger.partnerCode(), QStringLiteral("P1"));
    QCOMPARE(balancesOf(ledger.dataset()), (QList<Money>{yen(10), yen(30)}));

    const Period ordered = ledger.build("P1", QDate(2024, 3, 31), QDate(2024, 3, 31));
    QVERIFY(!ordered.exchanged);
    QCOMPARE(ledger.PeriodFromText(), QStringLiteral("2024/03/31"));
    QCOMPARE(balancesOf(ledger.dataset()), (QList<Money>{yen(10), yen(30)}));
}

void TestLedgerComputation::partnerCodeIsAValue_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<qint64>("amount");
    QTest::newRow("quote") << QStringLiteral("A'1") << qint64(1);
    QTest::newRow("quoted condition") << QStringLiteral("A' OR '1'='1") << qint64(2);
    QTest::newRow("percent") << QStringLiteral("A%") << qint64(4);
    QTest::newRow("underscore") << QStringLiteral("A_") << qint64(8);
    QTest::newRow("plain") << QStringLiteral("AB") << qint64(16);
    QTest::newRow("unknown code") << QStringLiteral("ZZ") << qint64(0);
}

void TestLedgerComputation::partnerCodeIsAValue()
{
    QFETCH(QString, code);
    QFETCH(qint64, amount);
    TestDb db;
    Connection c(db.path());
    for (int side = 0; side < 2; ++side) {
        const Side s = sideAt(side);
        Books b(c, *s.books);
        int no = 0;
        for (const auto& [partner, value] :
             {std::pair<const char*, int>{"A'1", 1}, {"A' OR '1'='1", 2}, {"A%", 4}, {"A_", 8}, {"AB", 16}}) {
            b.partner(partner);
            b.goods(++no, QDate(2024, 2, 1), Books::Credit, partner, yen(value));
            b.goods(++no, QDate(2024, 3, 2), Books::Credit, partner, yen(value * 100));
        }
        LedgerComputation ledger(c, *s.names);
        ledger.build(code, F, T);
        const QList<Money> balances = balancesOf(ledger.dataset());
        if (amount == 0) {
            QCOMPARE(balances, QList<Money>{yen(0)});
        } else {
            QCOMPARE(balances, (QList<Money>{yen(amount), yen(amount * 101)}));
        }
    }
}

void TestLedgerComputation::fractionalAmounts()
{
    TestDb db;
    Connection c(db.path());
    Books b(c, kCustomerSide);
    b.partner("P1");
    // A goods line is whole yen (1.25 is ¥1); receipts keep their fractions.
    b.goods(1, QDate(2024, 2, 1), Books::Credit, "P1", Money::parse(u"3"));
    b.money(1, QDate(2024, 2, 2), "P1", {Money::parse(u"0.5")});
    b.money(2, QDate(2024, 3, 1), "P1", {Money::parse(u"1")});
    b.money(3, QDate(2024, 3, 2), "P1", {Money::parse(u"1.75")});
    b.goods(2, QDate(2024, 3, 3), Books::Credit, "P1", Money::parse(u"1.25"));
    b.money(4, QDate(2024, 3, 4), "P1", {Money::parse(u"-1")});

    LedgerComputation ledger(c, LedgerNames::customer());
    ledger.build("P1", F, T);
    // Each shown balance is the exact balance (2.5, 1.5, -0.25, 0.75, 1.75) in
    // whole yen, halves away from zero; the carried-forward row too.
    QCOMPARE(balancesOf(ledger.dataset()), (QList<Money>{yen(3), yen(2), yen(0), yen(1), yen(2)}));
}

void TestLedgerComputation::failureLeavesLedgerClosed()
{
    TestDb db;
    Connection c(db.path());
    Books(c, kCustomerSide).partner("P1");
    LedgerComputation ledger(c, LedgerNames::customer());
    ledger.build("P1", F, T);
    QVERIFY(ledger.dataset().isOpen());

    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, ledger.build("P1", QDate(), T));
    c.exec("DROP VIEW v_入金明細");
    QVERIFY_THROWS_EXCEPTION(DbError, ledger.build("P1", F, T));
    QVERIFY(!ledger.dataset().isOpen());
}

QTEST_GUILESS_MAIN(TestLedgerComputation)
#include "tst_ledgercomputation.moc"
