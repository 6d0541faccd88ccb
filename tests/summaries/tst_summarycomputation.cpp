// The summaries computed on small books: the edges of a month and a year,
// substitutes for empty and unknown codes, the total row, the two-row summary
// of a month, the day titles and the typed year; and on a generated book, the
// sums of every table against each other and against plain SQL.
#include <QtTest>

#include <sqlite3.h>

#include "connection.h"
#include "dataset.h"
#include "generator.h"
#include "statement.h"
#include "summarybooks.h"
#include "summarycomputation.h"
#include "testdb.h"

Q_DECLARE_METATYPE(QList<SummarySlip>)

namespace {

const QList<const SummaryGroup*> kGroups = {
    &SummaryGroup::salesByItem(),  &SummaryGroup::salesByCustomer(),  &SummaryGroup::salesByStaff(),
    &SummaryGroup::buyingByItem(), &SummaryGroup::buyingBySupplier(),
};

const SummaryGroup* groupNamed(const QString& name)
{
    if (name == QStringLiteral("kinds"))
        return &SummaryGroup::salesAndBuying();
    const bool sales = name.startsWith(QStringLiteral("sales "));
    for (const SummaryGroup* g : kGroups)
        if (g->caption == name.section(u' ', 1) && (g->slips == QStringLiteral("v_売上")) == sales)
            return g;
    return nullptr;
}

// A row as "番号|code|name|bucket:yen,…|合計:yen", the buckets that are not 0 only.
QString rowText(const Dataset& ds, int row, SummaryBucket bucket)
{
    QStringList parts;
    for (const QString& column : ds.columns()) {
        if (column == QStringLiteral("合計") || SummaryComputation::bucketColumns(bucket).contains(column))
            continue;
        parts << ds.fieldAt(row, column).asText();
    }
    QStringList amounts;
    for (const QString& column : SummaryComputation::bucketColumns(bucket)) {
        const Money m = ds.fieldAt(row, column).asMoney();
        if (m != Money())
            amounts << column + u':' + QString::number(m.yenHalfAway());
    }
    parts << amounts.join(u',');
    parts << QStringLiteral("合計:%1").arg(ds.fieldAt(row, QStringLiteral("合計")).asMoney().yenHalfAway());
    return parts.join(u'|');
}

QStringList tableText(const Dataset& ds, SummaryBucket bucket)
{
    QStringList rows;
    for (int r = 0; r < ds.count(); ++r)
        rows << rowText(ds, r, bucket);
    return rows;
}

Money plainSum(Connection& c, const QString& sql, const Period& p)
{
    Statement s(c, sql);
    s.bind(1, p.from);
    s.bind(2, p.dayAfterTo());
    Money sum;
    while (s.step())
        sum = sum + Money::fromRaw(s.int64(0));
    return sum;
}

}  // namespace

class TestSummaryComputation : public QObject {
    Q_OBJECT

private slots:
    void tables_data();
    void tables();
    void dayTitles_data();
    void dayTitles();
    void periods_data();
    void periods();
    void generatedSumsAgree();
};

void TestSummaryComputation::tables_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<bool>("byMonth");
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QList<SummarySlip>>("slips");
    QTest::addColumn<QStringList>("expected");

    const QVariant none;
    const QString C1 = QStringLiteral("C1"), C2 = QStringLiteral("C2"), A = QStringLiteral("A");
    QTest::newRow("a non-leap February: the last day counts, the next month's first not")
        << "sales 顧客別" << false << "2023" << 2
        << QList<SummarySlip>{{true, "2023-01-31", C1, none, {{A, 100}}},
                              {true, "2023-02-01", C1, none, {{A, 200}}},
                              {true, "2023-02-28 23:59:59", C2, none, {{A, 300}}},
                              {true, "2023-03-01", C1, none, {{A, 400}}}}
        << QStringList{"1|C1|甲商店|1:200|合計:200", "1|C2|一般|28:300|合計:300",
                       "2|合計欄|合計|1:200,28:300|合計:500"};
    QTest::newRow("lines by item: empty, missing and unknown codes are その他, empty first")
        << "sales 商品別" << false << "2024" << 3
        << QList<SummarySlip>{{true, "2024-03-05", C1, none, {{A, 10, 3}, {none, 7}, {QString(""), 5}}},
                              {true,
                               "2024-03-31",
                               none,
                               none,
                               {{QStringLiteral("X"), 11}, {QStringLiteral("N"), 2}}}}
        << QStringList{"1||その他|5:12|合計:12", "1|A|品物A|5:30|合計:30", "1|N|その他|31:2|合計:2",
                       "1|X|その他|31:11|合計:11", "2|合計欄|合計|5:42,31:13|合計:55"};
    QTest::newRow("staff: slips without staff on one row 担当者なし")
        << "sales 担当者別" << false << "2024" << 3
        << QList<SummarySlip>{{true, "2024-03-02", C1, QStringLiteral("S1"), {{A, 100}, {A, 1}}},
                              {true, "2024-03-02", C1, none, {{A, 20}}},
                              {true, "2024-03-03", C1, QString(""), {{A, 30}}}}
        << QStringList{"1||担当者なし|2:20,3:30|合計:50", "1|S1|山田|2:101|合計:101",
                       "2|合計欄|合計|2:121,3:30|合計:151"};
    QTest::newRow("a month without sales: the total row of zeros")
        << "sales 顧客別" << false << "2024" << 4
        << QList<SummarySlip>{{true, "2024-03-31", C1, none, {{A, 100}}},
                              {false, "2024-04-10", C1, none, {{A, 100}}}}
        << QStringList{"2|合計欄|合計||合計:0"};
    QTest::newRow("a year: 31 December in 12月, 1 January of the next year not")
        << "buying 仕入先別" << true << "2024" << 0
        << QList<SummarySlip>{{false, "2023-12-31", C1, none, {{A, 1}}},
                              {false, "2024-01-01", C1, none, {{A, 10}}},
                              {false, "2024-12-31 23:59:59", none, none, {{A, 100}}},
                              {false, "2025-01-01", C1, none, {{A, 1000}}},
                              {true, "2024-06-01", C1, none, {{A, 5}}}}
        << QStringList{"1||一般|12月:100|合計:100", "1|C1|乙商事|1月:10|合計:10",
                       "2|合計欄|合計|1月:10,12月:100|合計:110"};
    QTest::newRow("purchase lines by item over a year")
        << "buying 商品別" << true << "2024" << 0
        << QList<SummarySlip>{{false, "2024-02-29", C1, none, {{A, 7, 2}, {none, 3}}},
                              {false, "2024-11-30", C1, none, {{A, 1}}}}
        << QStringList{"1||その他|2月:3|合計:3", "1|A|品物A|2月:14,11月:1|合計:15",
                       "2|合計欄|合計|2月:17,11月:1|合計:18"};
    QTest::newRow("the month: sales only make a single row")
        << "kinds" << false << "2024" << 3
        << QList<SummarySlip>{{true, "2024-03-01", C1, none, {{A, 100}}},
                              {true, "2024-03-31", none, none, {{A, 5}}},
                              {false, "2024-04-01", C1, none, {{A, 9}}}}
        << QStringList{"1|売上|1:100,31:5|合計:105"};
    QTest::newRow("the month: both rows") << "kinds" << false << "2024" << 3
                                          << QList<SummarySlip>{{true, "2024-03-01", C1, none, {{A, 100}}},
                                                                {false, "2024-03-02", C1, none, {{A, 9}}}}
                                          << QStringList{"1|売上|1:100|合計:100", "2|仕入|2:9|合計:9"};
    QTest::newRow("the month: no slips, no rows")
        << "kinds" << false << "2024" << 5 << QList<SummarySlip>{{true, "2024-04-30", C1, none, {{A, 100}}}}
        << QStringList{};
}

void TestSummaryComputation::tables()
{
    QFETCH(QString, group);
    QFETCH(bool, byMonth);
    QFETCH(QString, year);
    QFETCH(int, month);
    QFETCH(QList<SummarySlip>, slips);
    QFETCH(QStringList, expected);

    TestDb db;
    Connection c(db.path());
    SummaryBooks books(c);
    books.master(QStringLiteral("m_商品"), QStringLiteral("A"), QStringLiteral("品物A"));
    books.master(QStringLiteral("m_商品"), QStringLiteral("N"), QString(""));
    books.master(QStringLiteral("m_顧客"), QStringLiteral("C1"), QStringLiteral("甲商店"));
    books.master(QStringLiteral("m_仕入先"), QStringLiteral("C1"), QStringLiteral("乙商事"));
    books.master(QStringLiteral("m_担当者"), QStringLiteral("S1"), QStringLiteral("山田"));
    for (const SummarySlip& s : slips)
        books.slip(s);

    const SummaryGroup* g = groupNamed(group);
    QVERIFY(g);
    const SummaryBucket bucket = byMonth ? SummaryBucket::Month : SummaryBucket::Day;
    SummaryComputation summary(c, *g, bucket);
    summary.build(SummaryComputation::periodOf(year, month));
    QCOMPARE(tableText(summary.dataset(), bucket), expected);
    // Every bucket column is there, a day the month lacks with 0.
    for (const QString& column : SummaryComputation::bucketColumns(bucket))
        QVERIFY2(summary.dataset().hasField(column), qPrintable(column));
}

void TestSummaryComputation::dayTitles_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("tone");

    const int plain = int(BucketTitle::Tone::Plain), saturday = int(BucketTitle::Tone::Saturday),
              sunday = int(BucketTitle::Tone::Sunday), missing = int(BucketTitle::Tone::Missing);
    QTest::newRow("a month starting on a Saturday") << 2024 << 6 << 1 << "1 (土)" << saturday;
    QTest::newRow("its Sunday") << 2024 << 6 << 2 << "2 (日)" << sunday;
    QTest::newRow("non-leap 29 February") << 2023 << 2 << 29 << "29" << missing;
    QTest::newRow("non-leap 31 February") << 2023 << 2 << 31 << "31" << missing;
    QTest::newRow("leap 29 February") << 2024 << 2 << 29 << "29 (木)" << plain;
}

void TestSummaryComputation::dayTitles()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, text);
    QFETCH(int, tone);
    const std::vector<BucketTitle> titles = SummaryComputation::dayTitles(year, month);
    QCOMPARE(int(titles.size()), 31);
    QCOMPARE(titles[day - 1].text, text);
    QCOMPARE(int(titles[day - 1].tone), tone);
}

void TestSummaryComputation::periods_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");  // invalid: refused

    QTest::newRow("leap February") << "2024" << 2 << QDate(2024, 2, 1) << QDate(2024, 2, 29);
    QTest::newRow("a year") << "2024" << 0 << QDate(2024, 1, 1) << QDate(2024, 12, 31);
    QTest::newRow("full-width digits") << "２０２４" << 0 << QDate(2024, 1, 1) << QDate(2024, 12, 31);
    QTest::newRow("the last month a book can end")
        << "9999" << 11 << QDate(9999, 11, 1) << QDate(9999, 11, 30);
    QTest::newRow("no year") << "" << 1 << QDate() << QDate();
    QTest::newRow("not a number") << "20a4" << 1 << QDate() << QDate();
    QTest::newRow("a month whose next day has no four-digit year") << "9999" << 12 << QDate() << QDate();
}

void TestSummaryComputation::periods()
{
    QFETCH(QString, year);
    QFETCH(int, month);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    if (!to.isValid()) {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, SummaryComputation::periodOf(year, month));
        return;
    }
    const Period p = SummaryComputation::periodOf(year, month);
    QCOMPARE(p.from, from);
    QCOMPARE(p.to, to);
}

void TestSummaryComputation::generatedSumsAgree()
{
    TestDb db;
    {
        sqlite3* raw = nullptr;
        QCOMPARE(sqlite3_open(db.path().toUtf8().constData(), &raw), SQLITE_OK);
        GeneratorOptions options;
        options.scale = 0.01;
        DataGenerator(raw, options).run();
        sqlite3_close(raw);
    }
    Connection c(db.path());
    const QString lines = QStringLiteral(
        "SELECT d.税込合計 FROM %1 AS h JOIN %2 AS d ON d.伝票番号 = h.伝票番号"
        " WHERE h.%3 >= ? AND h.%3 < ?");
    const QString slips = QStringLiteral("SELECT h.伝票合計 FROM %1 AS h WHERE h.%2 >= ? AND h.%2 < ?");
    const QList<Period> periods = {SummaryComputation::periodOf(QStringLiteral("2024"), 3),
                                   SummaryComputation::periodOf(QStringLiteral("2024"))};
    for (const SummaryGroup* g : kGroups) {
        for (const SummaryBucket bucket : {SummaryBucket::Day, SummaryBucket::Month}) {
            const Period& p = periods[bucket == SummaryBucket::Day ? 0 : 1];
            SummaryComputation summary(c, *g, bucket);
            summary.build(p);
            const Dataset& ds = summary.dataset();
            QVERIFY2(ds.count() > 3, qPrintable(g->caption));
            const QStringList buckets = SummaryComputation::bucketColumns(bucket);
            std::vector<Money> columnSums(buckets.size() + 1);
            const int total = ds.count() - 1;
            for (int r = 0; r < ds.count(); ++r) {
                Money rowSum;
                for (int b = 0; b < buckets.size(); ++b) {
                    const Money m = ds.fieldAt(r, buckets[b]).asMoney();
                    rowSum = rowSum + m;
                    if (r != total)
                        columnSums[b] = columnSums[b] + m;
                }
                QCOMPARE(ds.fieldAt(r, QStringLiteral("合計")).asMoney(), rowSum);
                if (r != total)
                    columnSums.back() = columnSums.back() + rowSum;
            }
            QCOMPARE(ds.fieldAt(total, QStringLiteral("番号")).asInt(), 2);
            for (int b = 0; b < buckets.size(); ++b)
                QCOMPARE(ds.fieldAt(total, buckets[b]).asMoney(), columnSums[b]);
            const Money plain = g->lines.isEmpty()
                                    ? plainSum(c, slips.arg(g->slips, g->dateColumn), p)
                                    : plainSum(c, lines.arg(g->slips, g->lines, g->dateColumn), p);
            QCOMPARE(ds.fieldAt(total, QStringLiteral("合計")).asMoney(), plain);
            QVERIFY(plain != Money());
        }
    }
    // The two rows of the month against the slip totals of each side.
    SummaryComputation kinds(c, SummaryGroup::salesAndBuying(), SummaryBucket::Day);
    kinds.build(periods[0]);
    QCOMPARE(kinds.dataset().count(), 2);
    QCOMPARE(kinds.dataset().fieldAt(0, QStringLiteral("合計")).asMoney(),
             plainSum(c, slips.arg(QStringLiteral("v_売上"), QStringLiteral("売上年月日")), periods[0]));
    QCOMPARE(kinds.dataset().fieldAt(1, QStringLiteral("合計")).asMoney(),
             plainSum(c, slips.arg(QStringLiteral("v_仕入"), QStringLiteral("仕入年月日")), periods[0]));
}

QTEST_GUILESS_MAIN(TestSummaryComputation)
#include "tst_summarycomputation.moc"
