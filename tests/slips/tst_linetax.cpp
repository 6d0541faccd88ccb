// Line tax: the tax per unit cut toward zero, the taxable class, the rate in
// force, the tax-included line total and the slip totals against what the
// report views compute from the stored lines, and amounts too large to store.
#include <QDate>
#include <QtTest>

#include <cstdint>
#include <limits>

#include "connection.h"
#include "dataset.h"
#include "dberror.h"
#include "linetax.h"
#include "money.h"
#include "rng.h"
#include "statement.h"
#include "testdb.h"

namespace {

Money m(const char* text)
{
    return Money::parse(QString::fromLatin1(text));
}

QVariant v(Money value)
{
    return QVariant::fromValue(value);
}

void run(Connection& c, const QString& sql, const QVariantList& params = {})
{
    Statement s(c, sql);
    for (int i = 0; i < params.size(); ++i)
        s.bind(i + 1, params[i]);
    s.run();
}

}  // namespace

class TestLineTax : public QObject {
    Q_OBJECT

private slots:
    void taxPerUnit_data();
    void taxPerUnit();
    void taxTooLarge();
    void lineTotal_data();
    void lineTotal();
    void slipTotals();
    void storedLimit_data();
    void storedLimit();
    void slipTotalTooLarge();
    void rateInForce_data();
    void rateInForce();
    void rateWithoutRows();
    void agreesWithViews_data();
    void agreesWithViews();
};

void TestLineTax::taxPerUnit_data()
{
    QTest::addColumn<QString>("taxClass");
    QTest::addColumn<Money>("price");
    QTest::addColumn<Money>("rate");
    QTest::addColumn<Money>("tax");

    const QString taxable = QStringLiteral("01");
    QTest::newRow("0.05, 61.7 cut") << taxable << m("1234") << m("0.05") << m("61");
    QTest::newRow("0.05, negative cut toward zero") << taxable << m("-1234") << m("0.05") << m("-61");
    QTest::newRow("0.05, exact") << taxable << m("1000") << m("0.05") << m("50");
    QTest::newRow("0.05, below one yen") << taxable << m("19") << m("0.05") << m("0");
    QTest::newRow("0.08, 79.92 cut") << taxable << m("999") << m("0.08") << m("79");
    QTest::newRow("0.08, negative") << taxable << m("-999") << m("0.08") << m("-79");
    QTest::newRow("0.08, fractional price") << taxable << m("1234.5678") << m("0.08") << m("98");
    QTest::newRow("0.10, 99.9 cut") << taxable << m("999") << m("0.10") << m("99");
    QTest::newRow("0.10, exactly 12") << taxable << m("120") << m("0.10") << m("12");
    QTest::newRow("0.10, negative fraction") << taxable << m("-0.5") << m("0.10") << m("0");
    QTest::newRow("0.10, negative fractional price") << taxable << m("-1234.5678") << m("0.10") << m("-123");
    // 100 × 0.57 is 56.999999999999993 in binary floating point.
    QTest::newRow("exact where floating point is not") << taxable << m("100") << m("0.57") << m("57");
    QTest::newRow("0.03 just over one yen") << taxable << m("33.3334") << m("0.03") << m("1");
    QTest::newRow("0.03 just under one yen") << taxable << m("33.3333") << m("0.03") << m("0");
    // 6666666666733333333 × 3 is 20000000000199999999 in 1e-8 yen: one below a
    // whole yen, which a 64-bit mantissa rounds up.
    QTest::newRow("exact beyond 64 bits")
        << taxable << Money::fromRaw(6666666666733333333LL) << m("0.0003") << m("200000000001");
    QTest::newRow("largest price") << taxable << Money::fromRaw(std::numeric_limits<std::int64_t>::max())
                                   << m("0.10") << m("92233720368547");
    QTest::newRow("no rate in force") << taxable << m("1234") << m("0") << m("0");
    QTest::newRow("class 02") << QStringLiteral("02") << m("1234") << m("0.10") << m("0");
    QTest::newRow("class 03, negative") << QStringLiteral("03") << m("-1234") << m("0.10") << m("0");
    QTest::newRow("empty class") << QString() << m("1234") << m("0.10") << m("0");
    QTest::newRow("\"1\" is not \"01\"") << QStringLiteral("1") << m("1234") << m("0.10") << m("0");
    QTest::newRow("\"01 \" is not \"01\"") << QStringLiteral("01 ") << m("1234") << m("0.10") << m("0");
}

void TestLineTax::taxPerUnit()
{
    QFETCH(QString, taxClass);
    QFETCH(Money, price);
    QFETCH(Money, rate);
    QFETCH(Money, tax);
    QCOMPARE(LineTax::taxPerUnit(taxClass, price, rate), tax);
}

void TestLineTax::taxTooLarge()
{
    // A rate typed as a percentage (10 instead of 0.10) on the largest price.
    const Money price = Money::fromRaw(std::numeric_limits<std::int64_t>::max());
    QVERIFY_THROWS_EXCEPTION(LineAmountError, LineTax::taxPerUnit("01", price, m("10")));
    QCOMPARE(LineTax::taxPerUnit("02", price, m("10")), Money());
}

void TestLineTax::lineTotal_data()
{
    QTest::addColumn<Money>("price");
    QTest::addColumn<Money>("tax");
    QTest::addColumn<Money>("quantity");
    QTest::addColumn<Money>("total");

    // Rounded once, at the line, to a whole yen, halves away from zero.
    QTest::newRow("999 + 79 at 3") << m("999") << m("79") << m("3") << m("3234");
    QTest::newRow("quantity 2.5: half a yen up") << m("100") << m("5") << m("2.5") << m("263");
    QTest::newRow("negative price") << m("-1234") << m("-61") << m("2") << m("-2590");
    QTest::newRow("negative quantity") << m("1234") << m("61") << m("-2") << m("-2590");
    QTest::newRow("a return of 2.5: half a yen down") << m("100.2") << m("0") << m("-2.5") << m("-251");
    QTest::newRow("fraction under a half") << m("1234.5678") << m("98") << m("0.3333") << m("444");
    QTest::newRow("1.5 to 2") << m("1.5") << m("0") << m("1") << m("2");
    QTest::newRow("2.5 to 3, not to the even 2") << m("2.5") << m("0") << m("1") << m("3");
    QTest::newRow("a return of -2.5 to -3") << m("2.5") << m("0") << m("-1") << m("-3");
    QTest::newRow("just under a half") << m("0.9999") << m("0") << m("0.5") << m("0");
    QTest::newRow("just under a negative half") << m("0.9999") << m("0") << m("-0.5") << m("0");
    QTest::newRow("a ten-thousandth of a yen") << m("0.0001") << m("0") << m("0.5") << m("0");
    QTest::newRow("empty values count 0") << m("0") << m("0") << m("3") << m("0");
}

void TestLineTax::lineTotal()
{
    QFETCH(Money, price);
    QFETCH(Money, tax);
    QFETCH(Money, quantity);
    QFETCH(Money, total);
    QCOMPARE(LineTax::lineTotal(price, tax, quantity), total);

    // The view computes the same from the stored line.
    TestDb db;
    Connection c(db.path());
    run(c, "INSERT INTO t_売上 (伝票番号) VALUES (1)");
    run(c, "INSERT INTO t_売上明細 (伝票番号, 明細番号, 単価, 税額, 数量) VALUES (1, 1, ?, ?, ?)",
        {v(price), v(tax), v(quantity)});
    Statement s(c, "SELECT 税込合計 FROM v_売上明細");
    QVERIFY(s.step());
    QCOMPARE(Money::fromRaw(s.int64(0)), total);
}

void TestLineTax::slipTotals()
{
    LineTax::SlipTotals totals;
    totals.addLine(m("100"), m("5"), m("2.5"));
    QCOMPARE(totals.beforeTax(), m("250"));
    QCOMPARE(totals.tax(), m("12.5"));
    QCOMPARE(totals.withTax(), m("263"));  // the line's whole yen, as 伝票合計 adds it
    totals.addLine(m("999"), m("79"), m("3"));
    totals.addLine(m("-1000"), m("0"), m("1"));
    QCOMPARE(totals.beforeTax(), m("2247"));
    QCOMPARE(totals.tax(), m("249.5"));
    QCOMPARE(totals.withTax(), m("2497"));

    // Over a second cursor: an empty price or quantity counts 0, and the
    // dataset's own cursor does not move.
    TestDb db;
    Connection c(db.path());
    run(c, "INSERT INTO t_売上 (伝票番号) VALUES (1)");
    run(c,
        "INSERT INTO t_売上明細 (伝票番号, 明細番号, 単価, 税額, 数量) VALUES"
        " (1, 1, 1000000, 50000, 25000), (1, 2, NULL, NULL, 30000), (1, 3, 1200000, 0, NULL)");
    Dataset lines(c, "SELECT * FROM t_売上明細 ORDER BY 明細番号");
    lines.open();
    lines.moveTo(1);
    const LineTax::SlipTotals fromCursor = LineTax::SlipTotals::of(lines.clone());
    QCOMPARE(lines.currentRow(), 1);
    QCOMPARE(fromCursor.beforeTax(), m("250"));
    QCOMPARE(fromCursor.tax(), m("12.5"));
    QCOMPARE(fromCursor.withTax(), m("263"));
}

void TestLineTax::storedLimit_data()
{
    QTest::addColumn<Money>("price");
    QTest::addColumn<Money>("tax");
    QTest::addColumn<Money>("quantity");
    QTest::addColumn<bool>("refused");

    // The tables refuse (単価 + 税額) × 数量 beyond ±9,223,372,036,854,770,000 in
    // units of 1e-8 yen; the line tax refuses exactly the same lines.
    QTest::newRow("at the bound") << Money::fromRaw(922337203685477) << m("0") << m("1") << false;
    QTest::newRow("one step beyond") << Money::fromRaw(922337203685478) << m("0") << m("1") << true;
    QTest::newRow("negative at the bound") << Money::fromRaw(-922337203685477) << m("0") << m("1") << false;
    QTest::newRow("negative beyond") << Money::fromRaw(-922337203685478) << m("0") << m("1") << true;
    QTest::newRow("tax takes it over")
        << Money::fromRaw(922337203685477) << Money::fromRaw(1) << m("1") << true;
    QTest::newRow("a million at a million") << m("1000000") << m("0") << m("1000000") << true;
    QTest::newRow("price plus tax beyond 64 bits")
        << Money::fromRaw(std::numeric_limits<std::int64_t>::max()) << m("1") << m("0") << true;
    QTest::newRow("fractional quantity") << m("92233720") << m("0") << m("1000.5") << true;
    QTest::newRow("ordinary") << m("9800") << m("980") << m("12.5") << false;
}

void TestLineTax::storedLimit()
{
    QFETCH(Money, price);
    QFETCH(Money, tax);
    QFETCH(Money, quantity);
    QFETCH(bool, refused);

    bool threw = false;
    try {
        LineTax::lineTotal(price, tax, quantity);
    } catch (const LineAmountError& e) {
        threw = true;
        QVERIFY(e.message().contains(QStringLiteral("大きすぎます")));
    }
    QCOMPARE(threw, refused);
    LineTax::SlipTotals totals;
    bool totalsThrew = false;
    try {
        totals.addLine(price, tax, quantity);
    } catch (const LineAmountError&) {
        totalsThrew = true;
    }
    QCOMPARE(totalsThrew, refused);

    TestDb db;
    Connection c(db.path());
    run(c, "INSERT INTO t_仕入 (伝票番号) VALUES (1)");
    bool dbRefused = false;
    try {
        run(c, "INSERT INTO t_仕入明細 (伝票番号, 明細番号, 単価, 税額, 数量) VALUES (1, 1, ?, ?, ?)",
            {v(price), v(tax), v(quantity)});
    } catch (const DbError&) {
        dbRefused = true;
    }
    QCOMPARE(dbRefused, refused);
}

void TestLineTax::slipTotalTooLarge()
{
    // Each line fits; their sum does not. The totals keep the last sum that fit.
    const Money price = Money::fromRaw(922337203685477);
    LineTax::SlipTotals totals;
    int added = 0;
    try {
        for (; added < 20000; ++added)
            totals.addLine(price, Money(), m("1"));
        QFAIL("a slip total beyond the money range was accepted");
    } catch (const LineAmountError& e) {
        QVERIFY(e.message().contains(QStringLiteral("伝票の合計金額")));
    }
    // Each line is ¥92,233,720,368.5477, ¥92,233,720,369 in whole yen: the
    // 10,000th of those no longer fits.
    QCOMPARE(added, 9999);
    QCOMPARE(totals.withTax(), Money::fromYen(92233720369) * std::int64_t(9999));
}

void TestLineTax::rateInForce_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<Money>("rate");
    // The fixed rows: 0.03 from 1989-04-01, 0.05 from 1997-04-01, 0.08 from
    // 2014-04-01, 0.10 from 2019-10-01.
    QTest::newRow("before every row") << QDate(1989, 3, 31) << m("0");
    QTest::newRow("first day of 0.03") << QDate(1989, 4, 1) << m("0.03");
    QTest::newRow("last day of 0.03") << QDate(1997, 3, 31) << m("0.03");
    QTest::newRow("first day of 0.05") << QDate(1997, 4, 1) << m("0.05");
    QTest::newRow("first day of 0.08") << QDate(2014, 4, 1) << m("0.08");
    QTest::newRow("day before 0.10") << QDate(2019, 9, 30) << m("0.08");
    QTest::newRow("first day of 0.10") << QDate(2019, 10, 1) << m("0.10");
    QTest::newRow("long after") << QDate(2040, 1, 1) << m("0.10");
}

void TestLineTax::rateInForce()
{
    QFETCH(QDate, date);
    QFETCH(Money, rate);
    TestDb db;
    Connection c(db.path());
    QCOMPARE(LineTax::rateInForce(c, date), rate);

    // The slip windows' TaxDataSet reads the same row.
    Dataset tax(c, LineTax::RateQuery);
    tax.setParam(LineTax::RateDateParam, date);
    tax.open();
    QCOMPARE(LineTax::rateOf(tax), rate);
    QCOMPARE(tax.count(), rate.isZero() ? 0 : 1);
}

void TestLineTax::rateWithoutRows()
{
    TestDb db;
    Connection c(db.path());
    run(c, "DELETE FROM m_税率");
    QCOMPARE(LineTax::rateInForce(c, QDate(2024, 1, 1)), Money());
    run(c, "INSERT INTO m_税率 (適用年月日, 消費税率) VALUES ('2020-01-01', NULL)");
    QCOMPARE(LineTax::rateInForce(c, QDate(2024, 1, 1)), Money());
    Dataset closed(c, LineTax::RateQuery);
    QCOMPARE(LineTax::rateOf(closed), Money());
}

void TestLineTax::agreesWithViews_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("view");
    QTest::newRow("sales") << QStringLiteral("売上") << QStringLiteral("v_売上");
    QTest::newRow("purchases") << QStringLiteral("仕入") << QStringLiteral("v_仕入");
}

void TestLineTax::agreesWithViews()
{
    QFETCH(QString, table);
    QFETCH(QString, view);
    TestDb db;
    Connection c(db.path());

    // Many lines of every shape: taxable or not under each rate, negative and
    // fractional prices, fractional and negative quantities, empty values.
    constexpr int kSlips = 300;
    Rng rng(0x4c696e6554617800ULL + std::uint64_t(table.size()));
    const Money rates[] = {m("0.05"), m("0.08"), m("0.10"), m("0")};
    QHash<int, Money> expectedSlipTotal;
    QHash<QPair<int, int>, Money> expectedLineTotal;
    {
        Transaction tx(c);
        Statement header(c, QStringLiteral("INSERT INTO t_%1 (伝票番号) VALUES (?)").arg(table));
        Statement line(c,
                       QStringLiteral("INSERT INTO t_%1明細 (伝票番号, 明細番号, 税区分コード, 単価, 税額, "
                                      "数量) VALUES (?, ?, ?, ?, ?, ?)")
                           .arg(table));
        for (int no = 1; no <= kSlips; ++no) {
            header.bind(1, no);
            header.run();
            header.reset();
            LineTax::SlipTotals totals;
            const int lines = int(rng.between(1, 8));
            for (int n = 1; n <= lines; ++n) {
                const QString taxClass = rng.between(0, 3) == 0 ? QStringLiteral("02") : QStringLiteral("01");
                // Prices up to ¥2,000,000 with up to four decimals, a tenth negative.
                std::int64_t priceRaw = rng.between(0, 20000000000LL);
                if (rng.between(0, 3) == 0)
                    priceRaw -= priceRaw % 10000;  // whole yen
                if (rng.between(0, 9) == 0)
                    priceRaw = -priceRaw;
                std::int64_t qtyRaw = rng.between(1, 5000) * (rng.between(0, 2) == 0 ? 1 : 100);
                if (rng.between(0, 19) == 0)
                    qtyRaw = -qtyRaw;
                const bool empty = rng.between(0, 29) == 0;
                const Money price = empty ? Money() : Money::fromRaw(priceRaw);
                const Money qty = Money::fromRaw(qtyRaw);
                const Money tax = LineTax::taxPerUnit(taxClass, price, rates[rng.between(0, 3)]);
                expectedLineTotal.insert({no, n}, LineTax::lineTotal(price, tax, qty));
                totals.addLine(price, tax, qty);
                line.bind(1, no);
                line.bind(2, n);
                line.bind(3, taxClass);
                line.bind(4, empty ? QVariant() : v(price));
                line.bind(5, v(tax));
                line.bind(6, v(qty));
                line.run();
                line.reset();
            }
            expectedSlipTotal.insert(no, totals.withTax());
        }
        tx.commit();
    }

    Statement lines(c, QStringLiteral("SELECT 伝票番号, 明細番号, 税込合計 FROM %1明細").arg(view));
    int seen = 0;
    while (lines.step()) {
        const QPair<int, int> key{int(lines.int64(0)), int(lines.int64(1))};
        QCOMPARE(Money::fromRaw(lines.int64(2)), expectedLineTotal.value(key));
        ++seen;
    }
    QCOMPARE(seen, expectedLineTotal.size());
    // The slip's 税込合計 is the view's 伝票合計: the tax per unit is whole yen,
    // so rounding the tax-included product once equals rounding its two parts.
    Statement slips(c, QStringLiteral("SELECT 伝票番号, 伝票合計 FROM %1").arg(view));
    seen = 0;
    while (slips.step()) {
        QCOMPARE(Money::fromRaw(slips.int64(1)), expectedSlipTotal.value(int(slips.int64(0))));
        ++seen;
    }
    QCOMPARE(seen, kSlips);
}

QTEST_GUILESS_MAIN(TestLineTax)
#include "tst_linetax.moc"
