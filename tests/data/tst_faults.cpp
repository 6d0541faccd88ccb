#include <QTest>

#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "connection.h"
#include "dataset.h"
#include "dberror.h"
#include "faultyvfs.h"
#include "statement.h"
#include "testdb.h"

namespace {

// The whole save of a sales slip: header written at once, lines in one batch,
// all inside one transaction.
struct SlipSave {
    explicit SlipSave(Connection& c)
        : header(c, "SELECT * FROM t_売上 WHERE 伝票番号 = :SlipNo"),
          detail(c, "SELECT * FROM t_売上明細 WHERE 伝票番号 = :SlipNo ORDER BY 明細番号")
    {
        header.setWriteTarget("t_売上", {"伝票番号"}, Dataset::WriteMode::Immediate, {"伝票合計"});
        detail.setWriteTarget("t_売上明細", {"伝票番号", "明細番号"}, Dataset::WriteMode::Cached);
        header.setParam("SlipNo", 7);
        detail.setParam("SlipNo", 7);
        header.open();
        detail.open();
        header.append();
        header.setValue("伝票番号", 7);
        header.setValue("売上年月日", QDate(2024, 5, 1));
        header.setValue("売上区分コード", "10");
        for (int i = 1; i <= 40; ++i) {
            detail.append();
            detail.setValue("伝票番号", 7);
            detail.setValue("明細番号", i);
            detail.setValue("商品名", QStringLiteral("品物 %1 ").arg(i) + QString(40, u'x'));
            detail.setValue("単価", QVariant::fromValue(Money::fromYen(100 * i)));
            detail.setValue("数量", QVariant::fromValue(Money::fromYen(1)));
        }
        detail.post();
    }
    void save(Connection& c)
    {
        Transaction t(c);
        header.post();
        detail.applyUpdates();
        t.commit();
    }
    Dataset header, detail;
};

// "absent", "complete", or what is wrong.
QString slipState(const QString& path)
{
    Connection c(path);
    Statement check(c, "PRAGMA integrity_check");
    check.step();
    if (check.text(0) != "ok")
        return "integrity: " + check.text(0);
    Statement st(c,
                 "SELECT (SELECT count(*) FROM t_売上 WHERE 伝票番号 = 7),"
                 " (SELECT count(*) FROM t_売上明細 WHERE 伝票番号 = 7)");
    st.step();
    const qint64 headers = st.int64(0), lines = st.int64(1);
    if (headers == 0 && lines == 0)
        return "absent";
    if (headers == 1 && lines == 40)
        return "complete";
    return QStringLiteral("partial: %1 header, %2 lines").arg(headers).arg(lines);
}

}  // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void failedWriteLeavesSlipWholeOrAbsent_data();
    void failedWriteLeavesSlipWholeOrAbsent();
    void processKilledDuringSave_data();
    void processKilledDuringSave();

private:
    int m_writesPerSave = 0;
};

void TestFaults::initTestCase()
{
    FaultyVfs::install();
    TestDb db;
    Connection c(db.path());
    SlipSave s(c);
    FaultyVfs::disarm();
    s.save(c);
    m_writesPerSave = FaultyVfs::writesSeen();
    QVERIFY(m_writesPerSave > 2);
}

void TestFaults::cleanupTestCase()
{
    FaultyVfs::uninstall();
}

void TestFaults::failedWriteLeavesSlipWholeOrAbsent_data()
{
    QTest::addColumn<int>("failAt");
    QTest::addColumn<int>("errorCode");
    for (int n = 1; n <= m_writesPerSave; ++n) {
        QTest::addRow("disk full at write %d", n) << n << SQLITE_FULL;
        QTest::addRow("I/O error at write %d", n) << n << SQLITE_IOERR;
    }
}

void TestFaults::failedWriteLeavesSlipWholeOrAbsent()
{
    QFETCH(int, failAt);
    QFETCH(int, errorCode);
    TestDb db;
    {
        Connection c(db.path());
        SlipSave s(c);
        FaultyVfs::failFromWrite(failAt, errorCode);
        QString error;
        try {
            s.save(c);
        } catch (const DbError& e) {
            error = e.message();
        }
        FaultyVfs::disarm();
        QVERIFY2(!error.isEmpty(), "a failed write is reported, never taken for success");
        QCOMPARE(slipState(db.path()), QStringLiteral("absent"));
        // The window keeps what was typed: the same save goes through once the disk is back.
        QVERIFY(s.header.hasPendingUpdates());
        QVERIFY(s.detail.hasPendingUpdates());
        s.save(c);
    }
    QCOMPARE(slipState(db.path()), QStringLiteral("complete"));
}

void TestFaults::processKilledDuringSave_data()
{
    QTest::addColumn<bool>("commitFirst");
    QTest::addColumn<QString>("expected");
    QTest::newRow("killed before commit") << false << "absent";
    QTest::newRow("killed after commit") << true << "complete";
}

void TestFaults::processKilledDuringSave()
{
    QFETCH(bool, commitFirst);
    QFETCH(QString, expected);
    TestDb db;
    const QString path = db.path();
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        Connection c(path);
        SlipSave s(c);
        Transaction t(c);
        s.header.post();
        s.detail.applyUpdates();
        if (commitFirst)
            t.commit();
        ::kill(::getpid(), SIGKILL);
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(slipState(path), expected);
}

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
