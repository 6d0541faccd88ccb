// On a generated book, for every item and several periods, the stock list's
// carried-forward and closing stock equal the first and last running stock of
// the item's ledger.
#include <QDate>
#include <QtTest>

#include "connection.h"
#include "dataset.h"
#include "itemledgercomputation.h"
#include "rng.h"
#include "stockbooks.h"
#include "stocklistcomputation.h"
#include "testdb.h"

namespace {

constexpr int Items = 25;

QString itemCode(std::int64_t i)
{
    return QStringLiteral("I%1").arg(i, 3, 10, QLatin1Char('0'));
}

// Two years of purchases and sales: skewed toward a few busy items, dates with
// and without a time of day, a few lines without an item or with an unknown
// one, quantities to four decimals and now and then a return (negative).
void generate(Connection& c, std::uint64_t seed)
{
    Rng rng(seed);
    StockBooks b(c);
    Transaction t(c);
    for (int i = 0; i < Items; ++i)
        b.item(itemCode(i));
    const QDate start(2023, 1, 1);
    for (int no = 1; no <= 600; ++no) {
        const QDate day = start.addDays(rng.below(730));
        const QVariant date =
            rng.percent(20) ? QVariant(day.toString("yyyy-MM-dd") + " 17:30:00") : QVariant(day);
        QList<ItemLine> lines;
        const int count = int(rng.between(1, 4));
        for (int l = 0; l < count; ++l) {
            QVariant item = itemCode(rng.skewed(Items));
            if (rng.percent(3))
                item = QVariant();
            else if (rng.percent(2))
                item = QStringLiteral("UNKNOWN");
            std::int64_t raw = rng.between(1, 500000);
            if (rng.percent(5))
                raw = -raw;
            lines << ItemLine{item, Money::fromRaw(raw)};
        }
        if (rng.percent(45))
            b.purchase(no, date, lines);
        else
            b.sale(no, date, lines);
    }
    t.commit();
}

}  // namespace

class TestStockAgreement : public QObject {
    Q_OBJECT

private slots:
    void listAgreesWithLedgers_data();
    void listAgreesWithLedgers();
};

void TestStockAgreement::listAgreesWithLedgers_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::newRow("one month") << QDate(2024, 3, 1) << QDate(2024, 3, 31);
    QTest::newRow("one day") << QDate(2023, 7, 14) << QDate(2023, 7, 14);
    QTest::newRow("across a year end") << QDate(2023, 11, 20) << QDate(2024, 2, 10);
    QTest::newRow("exchanged") << QDate(2024, 12, 31) << QDate(2024, 6, 1);
    QTest::newRow("before any slip") << QDate(2022, 1, 1) << QDate(2022, 12, 31);
    QTest::newRow("everything") << QDate(2022, 1, 1) << QDate(2025, 12, 31);
}

void TestStockAgreement::listAgreesWithLedgers()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    TestDb db;
    Connection c(db.path());
    generate(c, 20240301);

    StockListComputation list(c);
    list.build(from, to);
    const Dataset& rows = list.dataset();
    QCOMPARE(rows.count(), Items);
    ItemLedgerComputation ledger(c);
    int moved = 0;
    for (int i = 0; i < rows.count(); ++i) {
        const QString code = rows.fieldAt(i, "商品コード").asText();
        ledger.build(code, from, to);
        const Dataset& ds = ledger.dataset();
        QVERIFY(ds.count() >= 1);
        QCOMPARE(ds.fieldAt(0, "在庫数").asMoney(), rows.fieldAt(i, "繰越数量").asMoney());
        QCOMPARE(ds.fieldAt(ds.count() - 1, "在庫数").asMoney(), rows.fieldAt(i, "在庫数").asMoney());
        // The movements between them are the period's receipts and issues.
        Money in, out;
        for (int r = 1; r < ds.count(); ++r) {
            const Money m = ds.fieldAt(r, "入出庫数").asMoney();
            (ds.fieldAt(r, "種別コード").asInt() == 1 ? in : out) += m;
        }
        QCOMPARE(in, rows.fieldAt(i, "期間入庫数").asMoney());
        QCOMPARE(-out, rows.fieldAt(i, "期間出庫数").asMoney());
        moved += ds.count() - 1;
    }
    if (from.year() == 2023 || from.year() == 2024)
        QVERIFY(moved > 0);  // the period holds movements, so the check has teeth
}

QTEST_GUILESS_MAIN(TestStockAgreement)
#include "tst_stockagreement.moc"
