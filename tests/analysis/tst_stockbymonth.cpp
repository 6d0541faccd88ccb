// The stock kept by month never drifts from the lines: after every kind of
// change to lines and slip headers it equals the sums computed afresh from the
// lines, and a book of the previous version gets it, filled, on upgrade.
#include <QDate>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include "book.h"
#include "connection.h"
#include "dataset.h"
#include "dberror.h"
#include "generator.h"
#include "rng.h"
#include "statement.h"
#include "stockbooks.h"
#include "stocklistcomputation.h"
#include "testdb.h"
#include "testhelp.h"

namespace {

// Each item's received and issued quantity by month, from the lines; only the
// non-zero figures, as "item|month|in|out".
const char* const kFromLines = R"(
SELECT 商品コード || '|' || 年月 || '|' || SUM(入庫数) || '|' || SUM(出庫数)
FROM (SELECT d.商品コード AS 商品コード, substr(h.仕入年月日, 1, 7) AS 年月, IFNULL(d.数量, 0) AS 入庫数, 0 AS 出庫数
      FROM t_仕入 AS h JOIN t_仕入明細 AS d ON d.伝票番号 = h.伝票番号
      WHERE d.商品コード IS NOT NULL AND h.仕入年月日 IS NOT NULL
      UNION ALL
      SELECT d.商品コード, substr(h.売上年月日, 1, 7), 0, IFNULL(d.数量, 0)
      FROM t_売上 AS h JOIN t_売上明細 AS d ON d.伝票番号 = h.伝票番号
      WHERE d.商品コード IS NOT NULL AND h.売上年月日 IS NOT NULL)
GROUP BY 商品コード, 年月
HAVING SUM(入庫数) <> 0 OR SUM(出庫数) <> 0
ORDER BY 商品コード, 年月
)";

const char* const kKept = R"(
SELECT 商品コード || '|' || 年月 || '|' || 入庫数 || '|' || 出庫数
FROM t_在庫月計 WHERE 入庫数 <> 0 OR 出庫数 <> 0 ORDER BY 商品コード, 年月
)";

void run(Connection& c, const QString& sql, const QVariantList& params = {})
{
    Statement st(c, sql);
    for (int i = 0; i < params.size(); ++i)
        st.bind(i + 1, params[i]);
    st.run();
}

// Both sides' tables, so one random step can touch either.
struct Side {
    const char* header;
    const char* lines;
    const char* date;
};
const Side kSides[] = {{"t_仕入", "t_仕入明細", "仕入年月日"}, {"t_売上", "t_売上明細", "売上年月日"}};

// The stock list over a period that starts and ends inside a month, as texts.
QStringList stockList(Connection& c)
{
    StockListComputation list(c);
    list.build(QDate(2019, 5, 10), QDate(2019, 6, 20));
    QStringList rows;
    const Dataset& ds = list.dataset();
    for (int i = 0; i < ds.count(); ++i) {
        QStringList cells;
        for (const char* column : {"商品コード", "繰越数量", "期間入庫数", "期間出庫数", "在庫数"})
            cells << ds.fieldAt(i, column).asText();
        rows << cells.join(u'|');
    }
    return rows;
}

QVariant randomDate(Rng& rng)
{
    if (rng.percent(5))
        return QVariant();
    const QDate day = QDate(2024, 1, 1).addDays(rng.below(120));
    if (rng.percent(30))
        return day.toString("yyyy-MM-dd") + QStringLiteral(" 08:15:00");
    return day;
}

QVariant randomItem(Rng& rng)
{
    if (rng.percent(8))
        return QVariant();
    return QStringLiteral("I%1").arg(rng.below(4));
}

}  // namespace

class TestStockByMonth : public QObject {
    Q_OBJECT

private slots:
    void neverDriftsFromTheLines_data();
    void neverDriftsFromTheLines();
    void olderBookIsUpgradedAndFilled();
};

void TestStockByMonth::neverDriftsFromTheLines_data()
{
    QTest::addColumn<quint64>("seed");
    QTest::newRow("seed 1") << quint64(1);
    QTest::newRow("seed 2") << quint64(2);
    QTest::newRow("seed 3") << quint64(3);
    QTest::newRow("seed 4") << quint64(4);
    QTest::newRow("seed 5") << quint64(5);
}

void TestStockByMonth::neverDriftsFromTheLines()
{
    QFETCH(quint64, seed);
    TestDb db;
    Connection c(db.path());
    for (int i = 0; i < 4; ++i)
        StockBooks(c).item(QStringLiteral("I%1").arg(i));
    Rng rng(seed);
    QStringList done;
    for (int step = 0; step < 400; ++step) {
        const Side& s = kSides[rng.below(2)];
        const QString h = QString::fromUtf8(s.header), l = QString::fromUtf8(s.lines),
                      d = QString::fromUtf8(s.date);
        const int no = int(rng.between(1, 12));
        const int line = int(rng.between(1, 3));
        const QVariant qtyValue = QVariant::fromValue(Money::fromRaw(rng.between(-20000, 90000)));
        QString what;
        // Refused writes (a duplicate key, a missing slip) change nothing; the
        // figures must hold either way.
        try {
            switch (rng.below(12)) {
                case 0:
                case 1:
                    what = "insert header";
                    run(c, QStringLiteral("INSERT INTO %1 (伝票番号, %2) VALUES (?, ?)").arg(h, d),
                        {no, randomDate(rng)});
                    break;
                case 2:
                case 3:
                    what = "insert line";
                    run(c,
                        QStringLiteral(
                            "INSERT INTO %1 (伝票番号, 明細番号, 商品コード, 数量) VALUES (?, ?, ?, ?)")
                            .arg(l),
                        {no, line, randomItem(rng), qtyValue});
                    break;
                case 4:
                    what = "change a line's item and quantity";
                    run(c,
                        QStringLiteral(
                            "UPDATE %1 SET 商品コード = ?, 数量 = ? WHERE 伝票番号 = ? AND 明細番号 = ?")
                            .arg(l),
                        {randomItem(rng), qtyValue, no, line});
                    break;
                case 5:
                    // Onto a line that is there already: refused, or with OR REPLACE it goes.
                    what = rng.percent(40) ? "move a line over another" : "move a line to another slip";
                    run(c,
                        QStringLiteral(
                            "UPDATE %1 %2 SET 伝票番号 = ?, 明細番号 = ? WHERE 伝票番号 = ? AND 明細番号 = ?")
                            .arg(what.endsWith("another") ? QStringLiteral("OR REPLACE") : QString(), l),
                        {int(rng.between(1, 12)), int(rng.between(1, 3)), no, line});
                    break;
                case 6:
                    what = "re-date a slip";
                    run(c, QStringLiteral("UPDATE %1 SET %2 = ? WHERE 伝票番号 = ?").arg(h, d),
                        {randomDate(rng), no});
                    break;
                case 7:
                    if (rng.percent(50)) {
                        what = "renumber a slip";
                        run(c, QStringLiteral("UPDATE %1 SET 伝票番号 = ? WHERE 伝票番号 = ?").arg(h),
                            {int(rng.between(13, 16)), no});
                    } else {
                        // A slip renumbered earlier (it has no lines) onto one that has.
                        what = "renumber a slip over another";
                        run(c,
                            QStringLiteral("UPDATE OR REPLACE %1 SET 伝票番号 = ? WHERE 伝票番号 = ?").arg(h),
                            {no, int(rng.between(13, 16))});
                    }
                    break;
                case 8:
                    what = "delete a slip with its lines";
                    run(c, QStringLiteral("DELETE FROM %1 WHERE 伝票番号 = ?").arg(h), {no});
                    break;
                case 9:
                    what = "delete a line";
                    run(c, QStringLiteral("DELETE FROM %1 WHERE 伝票番号 = ? AND 明細番号 = ?").arg(l),
                        {no, line});
                    break;
                case 10:
                    if (rng.percent(50)) {
                        what = "replace a line";
                        run(c,
                            QStringLiteral("INSERT OR REPLACE INTO %1 (伝票番号, 明細番号, 商品コード, 数量) "
                                           "VALUES (?, ?, ?, ?)")
                                .arg(l),
                            {no, line, randomItem(rng), qtyValue});
                    } else {
                        what = "replace a slip";
                        run(c,
                            QStringLiteral("INSERT OR REPLACE INTO %1 (伝票番号, %2) VALUES (?, ?)")
                                .arg(h, d),
                            {no, randomDate(rng)});
                    }
                    break;
                case 11:
                    // A line whose slip is not (yet) there: a book written without
                    // foreign keys; the slip written later takes it in.
                    what = "orphan line";
                    c.exec("PRAGMA foreign_keys = OFF");
                    try {
                        run(c,
                            QStringLiteral(
                                "INSERT INTO %1 (伝票番号, 明細番号, 商品コード, 数量) VALUES (?, ?, ?, ?)")
                                .arg(l),
                            {int(rng.between(1, 16)), line, randomItem(rng), qtyValue});
                    } catch (const DbError&) {
                        c.exec("PRAGMA foreign_keys = ON");
                        throw;
                    }
                    c.exec("PRAGMA foreign_keys = ON");
                    break;
            }
        } catch (const DbError&) {
            what += " (refused)";
        }
        done << what;
        const QStringList kept = rowsOf(c, kKept);
        const QStringList fresh = rowsOf(c, kFromLines);
        if (kept != fresh)
            QFAIL(qPrintable(QStringLiteral("drift after step %1 (%2)\nkept:  %3\nlines: %4")
                                 .arg(step)
                                 .arg(what, kept.join(u' '), fresh.join(u' '))));
    }
    // The walk wrote and moved real quantities.
    QVERIFY(!rowsOf(c, kKept).isEmpty());
    QVERIFY(done.contains("renumber a slip over another") && done.contains("replace a slip"));
}

void TestStockByMonth::olderBookIsUpgradedAndFilled()
{
    // A filled book as this program makes it, and the same book as the
    // previous version had it: without the stock by month.
    QTemporaryDir dir;
    const QString path = dir.filePath("BaseDB.mdb");
    QVERIFY(QFile::copy(TestDb::builtDatabase(), path));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    {
        sqlite3* raw = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &raw), SQLITE_OK);
        GeneratorOptions options;
        options.scale = 0.003;
        DataGenerator(raw, options).run();
        sqlite3_close(raw);
    }
    QStringList keptFresh, schemaFresh, listFresh;
    const char* const schemaSql =
        "SELECT type || ' ' || name || ' ' || sql FROM sqlite_master WHERE sql LIKE '%t_在庫月計%' ORDER BY "
        "name";
    {
        Connection c(path);
        keptFresh = rowsOf(c, kKept);
        schemaFresh = rowsOf(c, schemaSql);
        QCOMPARE(keptFresh, rowsOf(c, kFromLines));
        QCOMPARE(schemaFresh.size(), 25);  // the two tables, the view and the 22 triggers
        listFresh = stockList(c);
        dropStockByMonth(c);
        c.exec("PRAGMA user_version = 1");
    }
    QCOMPARE(Book::inspect(path).kind, Book::State::Older);
    QCOMPARE(Book::upgrade(path), 1);
    Connection c(path);
    QCOMPARE(rowsOf(c, schemaSql), schemaFresh);
    QCOMPARE(rowsOf(c, kKept), keptFresh);
    QVERIFY(keptFresh.size() > 100);

    // The stock list reads the same numbers as on the book made fresh.
    QCOMPARE(stockList(c), listFresh);
    QVERIFY(listFresh.size() > 10);
}

QTEST_GUILESS_MAIN(TestStockByMonth)
#include "tst_stockbymonth.moc"
