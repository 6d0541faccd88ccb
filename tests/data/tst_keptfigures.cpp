// The figures the book keeps (each slip's 伝票合計, the stock by item and month)
// equal what the rows give after every form of write the engine offers, whatever
// its conflict clause and with recursive triggers on or off; the check finds a
// figure altered by hand, names it and rebuilds it.
#include <QtTest>

#include "book.h"
#include "bookcheck.h"
#include "connection.h"
#include "dberror.h"
#include "statement.h"
#include "testdb.h"
#include "testhelp.h"

namespace {

// Stock from the lines against t_在庫月計, and every slip's 伝票合計 against the
// sum of its lines; the rows that disagree, as text.
const char* const kStockDrift = R"(
WITH fresh AS (
    SELECT 商品コード, 年月, SUM(入庫数) AS 入庫数, SUM(出庫数) AS 出庫数
    FROM (SELECT d.商品コード AS 商品コード, substr(h.仕入年月日, 1, 7) AS 年月, IFNULL(d.数量, 0) AS 入庫数, 0 AS 出庫数
          FROM t_仕入 AS h JOIN t_仕入明細 AS d ON d.伝票番号 = h.伝票番号
          WHERE d.商品コード IS NOT NULL AND h.仕入年月日 IS NOT NULL
          UNION ALL
          SELECT d.商品コード, substr(h.売上年月日, 1, 7), 0, IFNULL(d.数量, 0)
          FROM t_売上 AS h JOIN t_売上明細 AS d ON d.伝票番号 = h.伝票番号
          WHERE d.商品コード IS NOT NULL AND h.売上年月日 IS NOT NULL)
    GROUP BY 商品コード, 年月),
both AS (
    SELECT 商品コード, 年月, 入庫数 AS fi, 出庫数 AS fo, 0 AS ki, 0 AS ko FROM fresh
    UNION ALL
    SELECT 商品コード, 年月, 0, 0, 入庫数, 出庫数 FROM t_在庫月計)
SELECT 'stock ' || 商品コード || ' ' || 年月 || ' kept ' || SUM(ki) || '/' || SUM(ko)
       || ' lines ' || SUM(fi) || '/' || SUM(fo)
FROM both GROUP BY 商品コード, 年月
HAVING SUM(ki) <> SUM(fi) OR SUM(ko) <> SUM(fo)
)";

const char* const kTotalDrift = R"(
SELECT 'total ' || k || ' ' || 伝票番号 || ' kept ' || 伝票合計 || ' lines ' || fresh
FROM (SELECT 't_売上' AS k, h.伝票番号, h.伝票合計,
             (SELECT IFNULL(SUM(税込合計), 0) FROM v_売上明細 AS d WHERE d.伝票番号 = h.伝票番号) AS fresh
      FROM t_売上 AS h
      UNION ALL
      SELECT 't_仕入', h.伝票番号, h.伝票合計,
             (SELECT IFNULL(SUM(税込合計), 0) FROM v_仕入明細 AS d WHERE d.伝票番号 = h.伝票番号)
      FROM t_仕入 AS h
      UNION ALL
      SELECT 't_入金', h.伝票番号, h.伝票合計,
             (SELECT IFNULL(SUM(金額), 0) FROM t_入金明細 AS d WHERE d.伝票番号 = h.伝票番号)
      FROM t_入金 AS h)
WHERE 伝票合計 IS NOT fresh
)";

// Two dated slips with lines and one without, on both sides; one receipt.
void seed(Connection& c)
{
    for (const char* side : {"売上", "仕入"}) {
        c.exec(QStringLiteral(R"(
INSERT INTO t_%1 (伝票番号, %1年月日) VALUES (1, '2024-01-10'), (2, '2024-02-05'), (3, '2024-03-01');
INSERT INTO t_%1明細 (伝票番号, 明細番号, 商品コード, 単価, 税額, 数量) VALUES
    (1, 1, 'I0', 1005000, 100000, 50000),
    (1, 2, 'I1', 2000000, 200000, 30000),
    (2, 1, 'I0', 502500, 50000, 70000);
)")
                   .arg(QString::fromUtf8(side)));
    }
    c.exec(
        QStringLiteral("INSERT INTO t_入金 (伝票番号, 入金年月日) VALUES (1, '2024-01-20');"
                       "INSERT INTO t_入金明細 (伝票番号, 明細番号, 金額) VALUES (1, 1, 10000000), (1, 2, "
                       "20000000);"));
}

}  // namespace

class TestKeptFigures : public QObject {
    Q_OBJECT

private slots:
    void figuresFollowEveryWriteForm_data();
    void figuresFollowEveryWriteForm();
    void checkNamesAndRebuildsAlteredFigures();
    void upgradeRemakesTriggersAndRebuilds();
};

void TestKeptFigures::figuresFollowEveryWriteForm_data()
{
    QTest::addColumn<QString>("sql");  // %H header, %L lines, %D date column
    QTest::addColumn<bool>("recursive");
    QTest::addColumn<bool>("foreignKeys");
    struct Form {
        const char* name;
        const char* sql;
        bool recursive = false;
        bool foreignKeys = true;
    };
    const Form forms[] = {
        // Lines.
        {"insert a line",
         "INSERT INTO %L (伝票番号, 明細番号, 商品コード, 単価, 数量) VALUES (1, 3, 'I1', 1000000, 20000)"},
        {"insert over a line (refused)",
         "INSERT INTO %L (伝票番号, 明細番号, 商品コード, 数量) VALUES (1, 1, 'I1', 90000)"},
        {"insert or ignore over a line",
         "INSERT OR IGNORE INTO %L (伝票番号, 明細番号, 商品コード, 数量) VALUES (1, 1, 'I1', 90000)"},
        {"insert or fail over a line",
         "INSERT OR FAIL INTO %L (伝票番号, 明細番号, 商品コード, 数量) VALUES (1, 1, 'I1', 90000)"},
        {"insert or replace over a line",
         "INSERT OR REPLACE INTO %L (伝票番号, 明細番号, 商品コード, 数量) VALUES (1, 1, 'I1', 90000)"},
        {"replace over a line, recursive triggers",
         "REPLACE INTO %L (伝票番号, 明細番号, 商品コード, 数量) VALUES (1, 1, 'I1', 90000)", true},
        {"upsert nothing over a line",
         "INSERT INTO %L (伝票番号, 明細番号, 商品コード, 数量) VALUES (1, 1, 'I1', 90000) ON CONFLICT DO "
         "NOTHING"},
        {"upsert a line's quantity",
         "INSERT INTO %L (伝票番号, 明細番号, 商品コード, 数量) VALUES (1, 1, 'I1', 90000) "
         "ON CONFLICT (伝票番号, 明細番号) DO UPDATE SET 数量 = excluded.数量"},
        {"upsert a line's item",
         "INSERT INTO %L (伝票番号, 明細番号, 商品コード, 数量) VALUES (1, 1, 'I1', 90000) "
         "ON CONFLICT (伝票番号, 明細番号) DO UPDATE SET 商品コード = excluded.商品コード"},
        {"change a line", "UPDATE %L SET 数量 = 110000, 単価 = 33333 WHERE 伝票番号 = 1 AND 明細番号 = 1"},
        {"move a line to another slip",
         "UPDATE %L SET 伝票番号 = 2, 明細番号 = 2 WHERE 伝票番号 = 1 AND 明細番号 = 1"},
        {"update or ignore a line onto another",
         "UPDATE OR IGNORE %L SET 伝票番号 = 2, 明細番号 = 1 WHERE 伝票番号 = 1 AND 明細番号 = 1"},
        {"update or fail a line onto another",
         "UPDATE OR FAIL %L SET 伝票番号 = 2, 明細番号 = 1 WHERE 伝票番号 = 1 AND 明細番号 = 1"},
        {"update or replace a line onto another",
         "UPDATE OR REPLACE %L SET 伝票番号 = 2, 明細番号 = 1 WHERE 伝票番号 = 1 AND 明細番号 = 1"},
        {"update or replace a line onto another, recursive triggers",
         "UPDATE OR REPLACE %L SET 伝票番号 = 2, 明細番号 = 1 WHERE 伝票番号 = 1 AND 明細番号 = 1", true},
        {"renumber a line over another",
         "UPDATE OR REPLACE %L SET 明細番号 = 2 WHERE 伝票番号 = 1 AND 明細番号 = 1"},
        {"delete a line", "DELETE FROM %L WHERE 伝票番号 = 1 AND 明細番号 = 2"},
        // Headers.
        {"insert a slip", "INSERT INTO %H (伝票番号, %D) VALUES (4, '2024-04-01')"},
        {"insert or ignore over a slip", "INSERT OR IGNORE INTO %H (伝票番号, %D) VALUES (1, '2024-05-01')"},
        {"insert or replace over a slip",
         "INSERT OR REPLACE INTO %H (伝票番号, %D) VALUES (1, '2024-05-01')"},
        {"insert or replace over a slip, recursive triggers",
         "INSERT OR REPLACE INTO %H (伝票番号, %D) VALUES (1, '2024-05-01')", true},
        {"replace a slip without foreign keys",
         "INSERT OR REPLACE INTO %H (伝票番号, %D) VALUES (1, '2024-05-01')", false, false},
        {"upsert nothing over a slip",
         "INSERT INTO %H (伝票番号, %D) VALUES (1, '2024-05-01') ON CONFLICT DO NOTHING"},
        {"upsert a slip's date",
         "INSERT INTO %H (伝票番号, %D) VALUES (1, '2024-05-01') ON CONFLICT (伝票番号) DO UPDATE SET %D = "
         "excluded.%D"},
        {"re-date a slip", "UPDATE %H SET %D = '2024-06-01' WHERE 伝票番号 = 1"},
        {"update or ignore a slip's number onto another",
         "UPDATE OR IGNORE %H SET 伝票番号 = 1 WHERE 伝票番号 = 3"},
        {"update or fail a slip's number onto another",
         "UPDATE OR FAIL %H SET 伝票番号 = 1 WHERE 伝票番号 = 3"},
        {"update or replace a slip's number onto another",
         "UPDATE OR REPLACE %H SET 伝票番号 = 1 WHERE 伝票番号 = 3"},
        {"update or replace a slip's number onto another, recursive triggers",
         "UPDATE OR REPLACE %H SET 伝票番号 = 1 WHERE 伝票番号 = 3", true},
        {"delete a slip", "DELETE FROM %H WHERE 伝票番号 = 1"},
        {"delete a slip, recursive triggers", "DELETE FROM %H WHERE 伝票番号 = 1", true},
        // The total written by something other than the program.
        {"insert a slip with a total",
         "INSERT INTO %H (伝票番号, %D, 伝票合計) VALUES (4, '2024-04-01', 990000)"},
        {"write a slip's total", "UPDATE %H SET 伝票合計 = 10000 WHERE 伝票番号 = 1"},
        {"write a slip's total, recursive triggers", "UPDATE %H SET 伝票合計 = 10000 WHERE 伝票番号 = 1",
         true},
        {"upsert a slip's total",
         "INSERT INTO %H (伝票番号, %D) VALUES (1, '2024-05-01') ON CONFLICT (伝票番号) DO UPDATE SET "
         "伝票合計 = 7"},
        // Money slips (the same on either side's run).
        {"replace a receipt line",
         "INSERT OR REPLACE INTO t_入金明細 (伝票番号, 明細番号, 金額) VALUES (1, 1, 50000000)"},
        {"ignore a receipt line",
         "INSERT OR IGNORE INTO t_入金明細 (伝票番号, 明細番号, 金額) VALUES (1, 1, 50000000)"},
        {"write a receipt's total", "UPDATE t_入金 SET 伝票合計 = 1 WHERE 伝票番号 = 1"},
    };
    for (const char* side : {"売上", "仕入"})
        for (const Form& f : forms) {
            QString sql = QString::fromUtf8(f.sql);
            sql.replace(QStringLiteral("%H"), QStringLiteral("t_%1").arg(QString::fromUtf8(side)))
                .replace(QStringLiteral("%L"), QStringLiteral("t_%1明細").arg(QString::fromUtf8(side)))
                .replace(QStringLiteral("%D"), QStringLiteral("%1年月日").arg(QString::fromUtf8(side)));
            QTest::addRow("%s: %s", side, f.name) << sql << f.recursive << f.foreignKeys;
        }
}

void TestKeptFigures::figuresFollowEveryWriteForm()
{
    QFETCH(QString, sql);
    QFETCH(bool, recursive);
    QFETCH(bool, foreignKeys);
    TestDb db;
    Connection c(db.path());
    seed(c);
    QVERIFY(rowsOf(c, kStockDrift).isEmpty());
    QVERIFY(rowsOf(c, kTotalDrift).isEmpty());
    c.exec(QStringLiteral("PRAGMA recursive_triggers = %1").arg(recursive ? "ON" : "OFF"));
    c.exec(QStringLiteral("PRAGMA foreign_keys = %1").arg(foreignKeys ? "ON" : "OFF"));
    // A refused write (a duplicate key with OR FAIL or no clause) must leave the figures right too.
    try {
        c.exec(sql);
    } catch (const DbError&) {
    }
    const QStringList drift = rowsOf(c, kStockDrift) + rowsOf(c, kTotalDrift);
    if (!drift.isEmpty())
        QFAIL(qPrintable(drift.join(u'\n')));
}

void TestKeptFigures::checkNamesAndRebuildsAlteredFigures()
{
    TestDb db;
    Connection c(db.path());
    seed(c);
    QVERIFY(BookCheck::checkAndRebuild(c).clean());

    // A stock figure and a slip total altered behind the triggers' back (the
    // header's own trigger would put a written total right at once).
    c.exec(QStringLiteral(
        "UPDATE t_在庫月計 SET 出庫数 = 出庫数 + 10000 WHERE 商品コード = 'I0' AND 年月 = '2024-02';"
        "INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数) VALUES ('I9', '2023-12', 5);"
        "DROP TRIGGER tr_t_仕入_合計_update;"
        "UPDATE t_仕入 SET 伝票合計 = 1 WHERE 伝票番号 = 2;"));
    const BookCheck::Result found = BookCheck::checkAndRebuild(c);
    QCOMPARE(found.findings.size(), size_t(3));
    const QString text = found.lines().join(u'\n');
    QVERIFY2(text.contains(QStringLiteral("仕入伝票 2 の伝票合計")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("商品 I0 2024-02")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("商品 I9 2023-12")), qPrintable(text));
    QVERIFY(rowsOf(c, kStockDrift).isEmpty());
    QVERIFY(rowsOf(c, kTotalDrift).isEmpty());
    QVERIFY(BookCheck::checkAndRebuild(c).clean());
}

void TestKeptFigures::upgradeRemakesTriggersAndRebuilds()
{
    const char* const schemaSql =
        "SELECT type || ' ' || name || ' ' || sql FROM sqlite_master "
        "WHERE type IN ('trigger', 'view') ORDER BY name";
    TestDb db;
    QStringList fresh;
    {
        Connection c(db.path());
        seed(c);
        fresh = rowsOf(c, schemaSql);
        // A book of version 2 as far as the kept figures go: a trigger less, a
        // total and a month's stock off.
        c.exec(QStringLiteral(
            "DROP TRIGGER tr_t_売上_合計_update; DROP TRIGGER tr_t_仕入明細_在庫_before_insert;"
            "UPDATE t_売上 SET 伝票合計 = 5 WHERE 伝票番号 = 1;"
            "UPDATE t_在庫月計 SET 入庫数 = 0 WHERE 商品コード = 'I1';"
            "PRAGMA user_version = 2"));
        QVERIFY(!rowsOf(c, kStockDrift).isEmpty());
        QVERIFY(!rowsOf(c, kTotalDrift).isEmpty());
    }
    QCOMPARE(Book::upgrade(db.path()), 2);
    Connection c(db.path());
    QCOMPARE(rowsOf(c, schemaSql), fresh);
    QVERIFY(rowsOf(c, kStockDrift).isEmpty());
    QVERIFY(rowsOf(c, kTotalDrift).isEmpty());
}

QTEST_GUILESS_MAIN(TestKeptFigures)
#include "tst_keptfigures.moc"
