// The stock list and the item ledger computed on small books: the period's
// edges, items that never moved, lines without an item, the order of one day's
// movements, negative stock, amounts and signs, exchanged dates and an item
// code taken as a value.
#include <QDate>
#include <QtTest>

#include "connection.h"
#include "dataset.h"
#include "itemledgercomputation.h"
#include "stockbooks.h"
#include "stocklistcomputation.h"
#include "testdb.h"

namespace {

const QDate F(2024, 3, 1);
const QDate T(2024, 3, 31);

// One movement of item A: a purchase ("in") or a sale ("out") of a quantity on a date.
struct Move {
    bool in;
    QVariant date;
    const char* quantity;
};
using Moves = QList<Move>;

void write(StockBooks& b, const Moves& moves)
{
    int no = 0;
    for (const Move& m : moves) {
        const QList<ItemLine> lines{{QStringLiteral("A"), qty(m.quantity)}};
        if (m.in)
            b.purchase(++no, m.date, lines);
        else
            b.sale(++no, m.date, lines);
    }
}

// A list row as "carried|in|out|stock".
QString listRow(const Dataset& ds, int row)
{
    QStringList cells;
    for (const char* column : {"繰越数量", "期間入庫数", "期間出庫数", "在庫数"}) {
        const Field f = ds.fieldAt(row, column);
        cells << (f.isNull() ? QStringLiteral("null") : f.asMoney().toPlainText());
    }
    return cells.join(u'|');
}

// The ledger as "kind:slip:movement:stock" per row.
QStringList ledgerMoves(const Dataset& ds)
{
    QStringList rows;
    for (int i = 0; i < ds.count(); ++i)
        rows << QStringLiteral("%1:%2:%3:%4")
                    .arg(ds.fieldAt(i, "種別コード").asInt())
                    .arg(ds.fieldAt(i, "伝票番号").isNull() ? QStringLiteral("-")
                                                            : ds.fieldAt(i, "伝票番号").asText())
                    .arg(ds.fieldAt(i, "入出庫数").asMoney().toPlainText(),
                         ds.fieldAt(i, "在庫数").asMoney().toPlainText());
    return rows;
}

}  // namespace

Q_DECLARE_METATYPE(Moves)

class TestStockComputations : public QObject {
    Q_OBJECT

private slots:
    void stockOfOneItem_data();
    void stockOfOneItem();
    void listsEveryItemOfTheMaster();
    void exchangedDates();
    void codeIsAValue();
    void ledgerRows_data();
    void ledgerRows();
    void ledgerColumnsOfRows();
};

void TestStockComputations::stockOfOneItem_data()
{
    QTest::addColumn<Moves>("moves");
    QTest::addColumn<QString>("expected");  // carried|in|out|stock
    QTest::newRow("never moved") << Moves{} << "0|0|0|0";
    QTest::newRow("purchase on the To day") << Moves{{true, T, "5"}} << "0|5|0|5";
    QTest::newRow("purchase late on the To day") << Moves{{true, "2024-03-31 23:59:59", "5"}} << "0|5|0|5";
    QTest::newRow("purchase on the day after To") << Moves{{true, T.addDays(1), "5"}} << "0|0|0|0";
    QTest::newRow("purchase on the day before From") << Moves{{true, F.addDays(-1), "4"}} << "4|0|0|4";
    QTest::newRow("sale on the From day") << Moves{{false, F, "2"}} << "0|0|2|-2";
    QTest::newRow("bought in the period only")
        << Moves{{true, F.addDays(3), "10"}, {false, F.addDays(5), "3.5"}} << "0|10|3.5|6.5";
    QTest::newRow("carried and period") << Moves{{true, QDate(2023, 1, 1), "7"},
                                                 {false, QDate(2024, 2, 29), "2"},
                                                 {true, F, "1.2345"},
                                                 {false, T, "0.0001"},
                                                 {false, T.addDays(1), "100"}}
                                        << "5|1.2345|0.0001|6.2344";
    QTest::newRow("undated slip counts nowhere") << Moves{{true, QVariant(), "9"}} << "0|0|0|0";
}

void TestStockComputations::stockOfOneItem()
{
    QFETCH(Moves, moves);
    QFETCH(QString, expected);
    TestDb db;
    Connection c(db.path());
    StockBooks b(c);
    b.item("A");
    write(b, moves);

    StockListComputation list(c);
    const Period p = list.build(F, T);
    QVERIFY(!p.exchanged);
    QCOMPARE(list.dataset().count(), 1);
    QCOMPARE(listRow(list.dataset(), 0), expected);
    QCOMPARE(list.PeriodFromText(), QStringLiteral("2024/03/01"));
    QCOMPARE(list.PeriodToText(), QStringLiteral("2024/03/31"));

    // The ledger of the same item and period starts and ends on the same stock.
    ItemLedgerComputation ledger(c);
    ledger.build("A", F, T);
    const QStringList cells = expected.split(u'|');
    const Dataset& ds = ledger.dataset();
    QCOMPARE(ds.fieldAt(0, "在庫数").asMoney().toPlainText(), cells[0]);
    QCOMPARE(ds.fieldAt(ds.count() - 1, "在庫数").asMoney().toPlainText(), cells[3]);
}

void TestStockComputations::listsEveryItemOfTheMaster()
{
    TestDb db;
    Connection c(db.path());
    StockBooks b(c);
    StockListComputation list(c);
    list.build(F, T);
    QVERIFY(list.dataset().isOpen());
    QCOMPARE(list.dataset().count(), 0);  // an empty master gives an empty list

    for (const char* code : {"C", "A", "B"})
        b.item(code, QStringLiteral("品%1").arg(code));
    // A line without an item code and one naming an item not in the master
    // count nowhere; the slip's other line counts.
    b.purchase(1, F,
               {{QVariant(), qty("50")}, {QStringLiteral("Z"), qty("60")}, {QStringLiteral("B"), qty("2")}});
    b.sale(2, F, {{QVariant(), qty("7")}, {QStringLiteral("Z"), qty("8")}});
    list.build(F, T);
    const Dataset& ds = list.dataset();
    QCOMPARE(ds.count(), 3);
    QCOMPARE(ds.columns(),
             (QStringList{"商品コード", "商品名", "繰越数量", "期間入庫数", "期間出庫数", "在庫数"}));
    QStringList codes;
    for (int i = 0; i < ds.count(); ++i)
        codes << ds.fieldAt(i, "商品コード").asText();
    QCOMPARE(codes, (QStringList{"A", "B", "C"}));
    QCOMPARE(ds.fieldAt(0, "商品名").asText(), QStringLiteral("品A"));
    QCOMPARE(listRow(ds, 0), QStringLiteral("0|0|0|0"));
    QCOMPARE(listRow(ds, 1), QStringLiteral("0|2|0|2"));
    QCOMPARE(listRow(ds, 2), QStringLiteral("0|0|0|0"));
}

void TestStockComputations::exchangedDates()
{
    TestDb db;
    Connection c(db.path());
    StockBooks b(c);
    b.item("A");
    write(b, {{true, F.addDays(-1), "4"}, {true, F, "3"}, {false, T, "1"}, {true, T.addDays(1), "9"}});

    StockListComputation list(c);
    const Period p = list.build(T, F);
    QVERIFY(p.exchanged);
    QCOMPARE(p.from, F);
    QCOMPARE(p.to, T);
    QCOMPARE(listRow(list.dataset(), 0), QStringLiteral("4|3|1|6"));
    QCOMPARE(list.PeriodFromText(), QStringLiteral("2024/03/01"));

    ItemLedgerComputation ledger(c);
    const Period q = ledger.build("A", T, F);
    QVERIFY(q.exchanged);
    QCOMPARE(q.from, F);
    QCOMPARE(ledgerMoves(ledger.dataset()), (QStringList{"-1:-:0:4", "1:2:3:7", "2:3:-1:6"}));
    QCOMPARE(ledger.PeriodToText(), QStringLiteral("2024/03/31"));
}

void TestStockComputations::codeIsAValue()
{
    TestDb db;
    Connection c(db.path());
    StockBooks b(c);
    const QString quoted = QStringLiteral("x' OR '1'='1");
    b.item(quoted, QStringLiteral("引用符"));
    b.item("A");
    b.purchase(1, F, {{quoted, qty("2")}, {QStringLiteral("A"), qty("5")}});

    StockListComputation list(c);
    list.build(F, T);
    QCOMPARE(list.dataset().count(), 2);
    QCOMPARE(list.dataset().fieldAt(1, "商品コード").asText(), quoted);
    QCOMPARE(listRow(list.dataset(), 1), QStringLiteral("0|2|0|2"));

    ItemLedgerComputation ledger(c);
    ledger.build(quoted, F, T);
    QCOMPARE(ledgerMoves(ledger.dataset()), (QStringList{"-1:-:0:0", "1:1:2:2"}));
    QCOMPARE(ledger.itemCode(), quoted);
}

void TestStockComputations::ledgerRows_data()
{
    QTest::addColumn<Moves>("moves");
    QTest::addColumn<QStringList>("expected");  // kind:slip:movement:stock
    QTest::newRow("no movement") << Moves{} << QStringList{"-1:-:0:0"};
    QTest::newRow("only before the period")
        << Moves{{true, QDate(2020, 1, 1), "10"}, {false, F.addDays(-1), "3.25"}}
        << QStringList{"-1:-:0:6.75"};
    // The sale has the lower slip number, yet the purchase of the day comes first.
    QTest::newRow("sale and purchase on one day")
        << Moves{{false, QDate(2024, 3, 10), "4"}, {true, QDate(2024, 3, 10), "4"}}
        << QStringList{"-1:-:0:0", "1:2:4:4", "2:1:-4:0"};
    QTest::newRow("stock below zero")
        << Moves{{true, F.addDays(-1), "2"}, {false, F.addDays(1), "3"}, {true, F.addDays(2), "0.5"}}
        << QStringList{"-1:-:0:2", "2:2:-3:-1", "1:3:0.5:-0.5"};
    QTest::newRow("edges of the period") << Moves{{true, F.addDays(-1), "1"},
                                                  {true, F, "2"},
                                                  {false, "2024-03-31 23:59:59", "0.0001"},
                                                  {true, T.addDays(1), "8"}}
                                         << QStringList{"-1:-:0:1", "1:2:2:3", "2:3:-0.0001:2.9999"};
}

void TestStockComputations::ledgerRows()
{
    QFETCH(Moves, moves);
    QFETCH(QStringList, expected);
    TestDb db;
    Connection c(db.path());
    StockBooks b(c);
    b.item("A");
    b.item("B");
    write(b, moves);
    // Another item's movement in the period is not in A's ledger.
    b.purchase(99, F, {{QStringLiteral("B"), qty("1000")}});

    ItemLedgerComputation ledger(c);
    QVERIFY(!ledger.dataset().isOpen());
    ledger.build("A", F, T);
    QCOMPARE(ledgerMoves(ledger.dataset()), expected);
    QCOMPARE(ledger.dataset().currentRow(), 0);
    QCOMPARE(ledger.dataset().fieldAt(0, "年月日").asDate(), F);
    QCOMPARE(ledger.dataset().fieldAt(0, "種別").asText(), QStringLiteral("繰越在庫数"));
}

void TestStockComputations::ledgerColumnsOfRows()
{
    TestDb db;
    Connection c(db.path());
    StockBooks b(c);
    b.item("A");
    b.customer("K1", "北商店");
    b.supplier("S1", "南物産");
    // Price 1,000 and tax 100 per unit: a purchase of 3 is ¥3,300, shown negative.
    b.purchase(5, F, {{QStringLiteral("A"), qty("3"), Money::fromYen(1000), Money::fromYen(100)}}, "S1");
    // A return on a sales slip: negative quantity and tax keep their signs.
    b.sale(6, F.addDays(1),
           {{QStringLiteral("A"), qty("1.5"), Money::fromYen(200), Money::fromYen(20)},
            {QStringLiteral("A"), qty("-1"), Money::fromYen(200), Money::fromYen(-20)}},
           "K1");

    ItemLedgerComputation ledger(c);
    ledger.build("A", F, T);
    const Dataset& ds = ledger.dataset();
    QCOMPARE(ds.columns(),
             (QStringList{"年月日", "種別コード", "種別", "伝票番号", "明細番号", "相手先コード", "相手先名",
                          "単価", "税額", "数量", "金額", "入出庫数", "在庫数"}));
    QCOMPARE(ds.count(), 4);
    // The carried-forward row: no slip, no counterpart, zero amounts.
    for (const char* column : {"伝票番号", "明細番号", "相手先コード", "相手先名"})
        QVERIFY2(ds.fieldAt(0, column).isNull(), column);
    for (const char* column : {"単価", "税額", "数量", "金額", "入出庫数"})
        QCOMPARE(ds.fieldAt(0, column).asMoney(), Money());

    QCOMPARE(ds.fieldAt(1, "種別").asText(), QStringLiteral("仕入"));
    QCOMPARE(ds.fieldAt(1, "相手先コード").asText(), QStringLiteral("S1"));
    QCOMPARE(ds.fieldAt(1, "相手先名").asText(), QStringLiteral("南物産"));
    QCOMPARE(ds.fieldAt(1, "明細番号").asInt(), 1);
    QCOMPARE(ds.fieldAt(1, "単価").asMoney(), Money::fromYen(1000));
    QCOMPARE(ds.fieldAt(1, "税額").asMoney(), Money::fromYen(100));
    QCOMPARE(ds.fieldAt(1, "金額").asMoney(), Money::fromYen(-3300));

    QCOMPARE(ds.fieldAt(2, "種別").asText(), QStringLiteral("売上"));
    QCOMPARE(ds.fieldAt(2, "相手先名").asText(), QStringLiteral("北商店"));
    QCOMPARE(ds.fieldAt(2, "金額").asMoney(), Money::fromYen(330));
    QCOMPARE(ds.fieldAt(3, "明細番号").asInt(), 2);
    QCOMPARE(ds.fieldAt(3, "税額").asMoney(), Money::fromYen(-20));
    QCOMPARE(ds.fieldAt(3, "数量").asMoney(), qty("-1"));
    QCOMPARE(ds.fieldAt(3, "金額").asMoney(), Money::fromYen(-180));
    QCOMPARE(ds.fieldAt(3, "入出庫数").asMoney(), qty("1"));
    QCOMPARE(ds.fieldAt(3, "在庫数").asMoney(), qty("2.5"));
}

QTEST_GUILESS_MAIN(TestStockComputations)
#include "tst_stockcomputations.moc"
