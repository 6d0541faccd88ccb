// The bill computation: the billing period of a month and closing day, who is
// billed and for how much, and the credit-sale lines of each bill.
#include <QDate>
#include <QtTest>

#include "billcomputation.h"
#include "books.h"
#include "connection.h"
#include "dataset.h"
#include "testdb.h"

namespace {

const QString kCode = QStringLiteral("顧客コード");

// The customers of one book, each built for one case (March 2004 unless said):
//   A20   closing day 20: 3,000 before the period, 16,000 in it (a slip of two
//         lines at 13:45 on the closing day), 7,000 the day after, a cash sale
//   NEW   month end: a first credit sale of 30,000
//   PAID  month end: 100,000 owed, 40,000 sold, 100,000 received in April
//   ZERO  month end: paid in full
//   ADV   month end: paid in advance
//   CASH  month end: cash sales only
//   D30   closing day 30: sales on January 30 and 31 and February 15
//   NODAY no closing day
//   HALF  month end: ¥2.5 owed;  HALF0: ¥0.5 owed (shows as ¥1, so billed)
void writeBook(Connection& c)
{
    Books b(c, kCustomerSide);
    const QList<QPair<QString, QVariant>> customers{
        {"A20", 20},  {"NEW", 32}, {"PAID", 32},          {"ZERO", 32}, {"ADV", 32},
        {"CASH", 32}, {"D30", 30}, {"NODAY", QVariant()}, {"HALF", 32}, {"HALF0", 32},
    };
    for (const auto& [code, day] : customers) {
        b.partner(code, QStringLiteral("顧客 ") + code);
        Statement s(c, QStringLiteral("UPDATE m_顧客 SET 締日 = ? WHERE 顧客コード = ?"));
        s.bind(1, day);
        s.bind(2, code);
        s.run();
    }
    const QString credit = Books::Credit;
    const QString cash = Books::Cash;
    // Slip numbers run against the dates, so slip order is not date order.
    b.goods(90, QDate(2004, 3, 20), credit, "A20", yen(3000));
    b.goods(91, QDate(2004, 2, 20), credit, "A20", yen(3000));
    b.goods(92, "2004-03-20 13:45:00", credit, "A20",
            {GoodsLine{yen(1000), yen(100), yen(2), "I1", "一"},
             GoodsLine{yen(1800), Money(), yen(5), "I2", "二"}});
    b.goods(93, QDate(2004, 2, 21), credit, "A20", yen(1800));
    b.goods(94, QDate(2004, 3, 21), credit, "A20", yen(7000));
    b.goods(95, QDate(2004, 3, 1), cash, "A20", yen(9999));
    b.goods(10, QDate(2004, 3, 15), credit, "NEW", yen(30000));
    b.goods(20, QDate(2004, 2, 10), credit, "PAID", yen(100000));
    b.goods(21, QDate(2004, 3, 5), credit, "PAID", yen(40000));
    b.money(20, QDate(2004, 4, 5), "PAID", {yen(100000)});
    b.goods(30, QDate(2004, 2, 10), credit, "ZERO", yen(5000));
    b.money(30, QDate(2004, 3, 10), "ZERO", {yen(5000)});
    b.money(40, QDate(2004, 2, 1), "ADV", {yen(8000)});
    b.goods(40, QDate(2004, 3, 3), credit, "ADV", yen(3000));
    b.goods(50, QDate(2004, 3, 10), cash, "CASH", yen(20000));
    b.goods(60, QDate(2004, 1, 30), credit, "D30", yen(1000));
    b.goods(61, QDate(2004, 1, 31), credit, "D30", yen(6000));
    b.goods(62, QDate(2004, 2, 15), credit, "D30", yen(2000));
    b.goods(70, QDate(2004, 3, 10), credit, "NODAY", yen(5000));
    // Goods lines are whole yen; the half yen comes from a receipt.
    b.goods(80, QDate(2004, 3, 10), credit, "HALF", yen("3"));
    b.money(80, QDate(2004, 3, 10), "HALF", {yen("0.5")});
    b.goods(81, QDate(2004, 2, 10), credit, "HALF0", yen("1"));
    b.money(81, QDate(2004, 2, 10), "HALF0", {yen("0.5")});
}

// "code:前月迄売掛残高/今月以降入金額/繰越残高/今月掛売合計/今月請求額/mark" per row.
QStringList listed(const Dataset& ds)
{
    QStringList rows;
    for (int i = 0; i < ds.count(); ++i) {
        QStringList amounts;
        for (const char* column :
             {"前月迄売掛残高", "今月以降入金額", "繰越残高", "今月掛売合計", "今月請求額"})
            amounts << ds.fieldAt(i, QString::fromUtf8(column)).asMoney().toPlainText();
        rows << ds.fieldAt(i, kCode).asText() + u':' + amounts.join(u'/') + u'/' +
                    QString::number(ds.fieldAt(i, QStringLiteral("請求書印刷")).asInt());
    }
    return rows;
}

// "slip-line date" per line row.
QStringList lineKeys(const Dataset& ds)
{
    QStringList rows;
    for (int i = 0; i < ds.count(); ++i)
        rows << QStringLiteral("%1-%2 %3")
                    .arg(ds.fieldAt(i, QStringLiteral("伝票番号")).asInt())
                    .arg(ds.fieldAt(i, QStringLiteral("明細番号")).asInt())
                    .arg(ds.fieldAt(i, QStringLiteral("売上年月日")).asDate().toString(Qt::ISODate));
    return rows;
}

bool moveToCode(Dataset& ds, const QString& code)
{
    return ds.findFirst([&](const RowRef& row) { return row.field(kCode).asText() == code; });
}

}  // namespace

class TestBillComputation : public QObject {
    Q_OBJECT

private slots:
    void period_data();
    void period();
    void refusedInput_data();
    void refusedInput();
    void billed_data();
    void billed();
    void lines_data();
    void lines();
};

void TestBillComputation::period_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::newRow("20th, March") << 2004 << 3 << 20 << QDate(2004, 2, 21) << QDate(2004, 3, 20);
    QTest::newRow("month end, leap February") << 2004 << 2 << 32 << QDate(2004, 2, 1) << QDate(2004, 2, 29);
    QTest::newRow("month end, February") << 2005 << 2 << 32 << QDate(2005, 2, 1) << QDate(2005, 2, 28);
    QTest::newRow("30th, March after leap February")
        << 2004 << 3 << 30 << QDate(2004, 3, 1) << QDate(2004, 3, 30);
    QTest::newRow("30th, April") << 2004 << 4 << 30 << QDate(2004, 3, 31) << QDate(2004, 4, 30);
    QTest::newRow("30th, January") << 2004 << 1 << 30 << QDate(2003, 12, 31) << QDate(2004, 1, 30);
    QTest::newRow("30th, February: the whole month")
        << 2004 << 2 << 30 << QDate(2004, 2, 1) << QDate(2004, 2, 29);
    QTest::newRow("31st, April: the whole month")
        << 2004 << 4 << 31 << QDate(2004, 4, 1) << QDate(2004, 4, 30);
    QTest::newRow("31st, March") << 2004 << 3 << 31 << QDate(2004, 3, 1) << QDate(2004, 3, 31);
    QTest::newRow("29th, February 2005: the whole month")
        << 2005 << 2 << 29 << QDate(2005, 2, 1) << QDate(2005, 2, 28);
    QTest::newRow("29th, leap February") << 2004 << 2 << 29 << QDate(2004, 1, 30) << QDate(2004, 2, 29);
    QTest::newRow("1st, January: over the year end")
        << 2004 << 1 << 1 << QDate(2003, 12, 2) << QDate(2004, 1, 1);
    QTest::newRow("month end, December") << 2004 << 12 << 32 << QDate(2004, 12, 1) << QDate(2004, 12, 31);
    QTest::newRow("last year there is") << 9999 << 12 << 32 << QDate(9999, 12, 1) << QDate(9999, 12, 31);
}

void TestBillComputation::period()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    const BillPeriod p = BillComputation::period(year, month, day);
    QCOMPARE(p.start, first);
    QCOMPARE(p.last(), last);
    QCOMPARE(p.end, last.addDays(1));
}

void TestBillComputation::refusedInput_data()
{
    QTest::addColumn<QString>("yearText");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("message");  // a part of it; empty when accepted
    QTest::newRow("plain year") << "2004" << 3 << 32 << "";
    QTest::newRow("full-width year") << "２００４" << 3 << 32 << "";
    QTest::newRow("empty year") << "" << 3 << 32 << "年「」";
    QTest::newRow("not a number") << "20O4" << 3 << 32 << "年「20O4」";
    QTest::newRow("before 1900") << "1899" << 3 << 32 << "1900から9999";
    QTest::newRow("year 0") << "0" << 3 << 32 << "1900から9999";
    QTest::newRow("five digits") << "20040" << 3 << 32 << "年「20040」";
    QTest::newRow("negative") << "-2004" << 3 << 32 << "年「-2004」";
    QTest::newRow("month 13") << "2004" << 13 << 32 << "月は";
    QTest::newRow("day 0") << "2004" << 3 << 0 << "締日";
    QTest::newRow("day 33") << "2004" << 3 << 33 << "締日";
}

void TestBillComputation::refusedInput()
{
    QFETCH(QString, yearText);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, message);
    TestDb db;
    Connection c(db.path());
    writeBook(c);
    BillComputation bills(c);
    bills.build(2004, 3, 32);
    const QString error = errorOf([&] { bills.build(BillComputation::yearFromText(yearText), month, day); });
    if (message.isEmpty()) {
        QCOMPARE(error, QString());
        QVERIFY(bills.list().isOpen());
        return;
    }
    QVERIFY2(error.contains(message), qPrintable(error));
    // A build refused leaves nothing of the one before it.
    if (!error.startsWith(u'年')) {
        QVERIFY(!bills.list().isOpen());
        QVERIFY(!bills.lines().isOpen());
    }
}

void TestBillComputation::billed_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("20th, March: only that closing day")
        << 3 << 20 << QStringList{"A20:3000/0/3000/16000/19000/-1"};
    QTest::newRow("month end, March")
        << 3 << 32
        << QStringList{"HALF:0/0.5/-0.5/3/2.5/-1", "HALF0:0.5/0/0.5/0/0.5/-1", "NEW:0/0/0/30000/30000/-1",
                       "PAID:100000/100000/0/40000/40000/-1"};
    QTest::newRow("30th, January: January 31 not in it") << 1 << 30 << QStringList{"D30:0/0/0/1000/1000/-1"};
    QTest::newRow("30th, February: January 31 carried")
        << 2 << 30 << QStringList{"D30:7000/0/7000/2000/9000/-1"};
    QTest::newRow("15th, March: nobody closes then") << 3 << 15 << QStringList{};
    QTest::newRow("month end, April: receipts from the first day on")
        << 4 << 32
        << QStringList{"HALF:2.5/0/2.5/0/2.5/-1", "HALF0:0.5/0/0.5/0/0.5/-1", "NEW:30000/0/30000/0/30000/-1",
                       "PAID:140000/100000/40000/0/40000/-1"};
}

void TestBillComputation::billed()
{
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QStringList, rows);
    TestDb db;
    Connection c(db.path());
    writeBook(c);
    BillComputation bills(c);
    bills.build(2004, month, day);
    QCOMPARE(listed(bills.list()), rows);
}

void TestBillComputation::lines_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("20th, March: slip order, the closing day's time included, no cash")
        << 3 << 20 << "A20"
        << QStringList{"90-1 2004-03-20", "92-1 2004-03-20", "92-2 2004-03-20", "93-1 2004-02-21"};
    QTest::newRow("30th, January") << 1 << 30 << "D30" << QStringList{"60-1 2004-01-30"};
    QTest::newRow("30th, February: January 31 in no period's lines")
        << 2 << 30 << "D30" << QStringList{"62-1 2004-02-15"};
    QTest::newRow("month end, March: paid after the period")
        << 3 << 32 << "PAID" << QStringList{"21-1 2004-03-05"};
}

void TestBillComputation::lines()
{
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, code);
    QFETCH(QStringList, lines);
    TestDb db;
    Connection c(db.path());
    writeBook(c);
    BillComputation bills(c);
    bills.build(2004, month, day);
    QVERIFY(moveToCode(bills.list(), code));
    QCOMPARE(lineKeys(bills.lines()), lines);
    // The lines add up to the credit sales billed.
    Money sum;
    for (int i = 0; i < bills.lines().count(); ++i)
        sum += bills.lines().fieldAt(i, QStringLiteral("金額")).asMoney();
    QCOMPARE(sum, bills.list().field(QStringLiteral("今月掛売合計")).asMoney());
}

QTEST_GUILESS_MAIN(TestBillComputation)
#include "tst_billcomputation.moc"
