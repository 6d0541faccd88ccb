#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <unistd.h>
#include <cstdlib>

#include "connection.h"
#include "dberror.h"
#include "money.h"
#include "statement.h"
#include "testdb.h"
#include "testhelp.h"

namespace {

}  // namespace

class TestConnection : public QObject {
    Q_OBJECT
private slots:
    void connectionStringIsBesideTheExecutable();
    void openSetsEveryProperty();
    void badFilesFailAtOpen();
    void readOnlyFileFailsAtOpen();
    void writerLockedPastTimeout();
    void transactionScopes();
    void transactionHooks();
    void parametersAreNeverSpliced();
    void statementErrorsCarryEngineMessage();
};

void TestConnection::connectionStringIsBesideTheExecutable()
{
    const QString old = QDir::currentPath();
    QDir::setCurrent(QDir::tempPath());
    QCOMPARE(BuildConnectionString(), QDir(QCoreApplication::applicationDirPath()).filePath("BaseDB.mdb"));
    QDir::setCurrent(old);
    {
        TestDb db;
        QCOMPARE(BuildConnectionString(), db.path());
        Connection c(BuildConnectionString());
        QVERIFY(c.isOpen());
    }
    QCOMPARE(BuildConnectionString(), QDir(QCoreApplication::applicationDirPath()).filePath("BaseDB.mdb"));

    // --database: another file, relative to where the program was started.
    QDir::setCurrent(QDir::tempPath());
    chooseDatabaseFile("books/other.mdb");
    QDir::setCurrent(old);
    QCOMPARE(BuildConnectionString(), QDir(QDir::tempPath()).filePath("books/other.mdb"));
    chooseDatabaseFile(QString());
    QCOMPARE(BuildConnectionString(), QDir(QCoreApplication::applicationDirPath()).filePath("BaseDB.mdb"));
}

void TestConnection::openSetsEveryProperty()
{
    TestDb db;
    Connection c(db.path());
    QCOMPARE(scalar(c, "PRAGMA journal_mode").toString(), QStringLiteral("wal"));
    QCOMPARE(scalar(c, "PRAGMA synchronous").toInt(), 2);  // FULL
    QCOMPARE(scalar(c, "PRAGMA foreign_keys").toInt(), 1);
    QCOMPARE(scalar(c, "PRAGMA busy_timeout").toInt(), Connection::DefaultBusyTimeoutMs);
    c.close();
    c.close();
    QVERIFY(!c.isOpen());
    QVERIFY(errorOf([&] { c.handle(); }).contains("接続されていません"));
}

void TestConnection::badFilesFailAtOpen()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("BaseDB.mdb");
    const QString err = errorOf([&] { Connection c(missing); });
    QVERIFY2(err.contains("見つかりません") && err.contains(missing), qPrintable(err));
    QVERIFY2(!QFile::exists(missing), "opening never creates a database");

    QFile text(dir.filePath("text.mdb"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    const QByteArray words = QByteArray("This is not a database, only words.\n").repeated(200);
    text.write(words);
    text.close();
    const QString notDb = errorOf([&] { Connection c(text.fileName()); });
    QVERIFY2(notDb.contains("file is not a database"), qPrintable(notDb));
    QCOMPARE(QFile(text.fileName()).size(), qint64(words.size()));

    const QString folder = errorOf([&] { Connection c(dir.path()); });
    QVERIFY2(!folder.isEmpty(), "a folder is not a database file");
}

void TestConnection::readOnlyFileFailsAtOpen()
{
    TestDb db;
    QFile::setPermissions(db.path(), QFileDevice::ReadOwner);
    const QByteArray path = db.path().toLocal8Bit();
    // root writes any file whatever its mode; an immutable file it cannot.
    const bool immutable = ::access(path.constData(), W_OK) == 0;
    if (immutable && std::system(("chattr +i '" + path + "' 2>/dev/null").constData()) != 0)
        QSKIP("no way to make a file read-only for this user here");
    const QString err = errorOf([&] { Connection c(db.path()); });
    if (immutable)
        std::system(("chattr -i '" + path + "'").constData());
    QVERIFY2(err.contains("readonly") || err.contains("書き込めません"), qPrintable(err));
    QVERIFY2(err.contains(db.path()), qPrintable(err));
}

void TestConnection::writerLockedPastTimeout()
{
    TestDb db;
    Connection other(db.path());
    Transaction held(other);
    Statement(other, "INSERT INTO m_担当者 (担当者コード, 担当者名) VALUES ('01', 'held')").run();

    Connection c(db.path());
    c.setBusyTimeout(100);
    try {
        Transaction t(c);
        QFAIL("a second writer got the lock");
    } catch (const DbError& e) {
        QCOMPARE(e.engineCode(), SQLITE_BUSY);
        QVERIFY2(e.message().contains("database is locked"), qPrintable(e.message()));
    }
    QVERIFY(!c.inTransaction());
    // Readers are not blocked by the writer and see only committed rows.
    QCOMPARE(scalar(c, "SELECT count(*) FROM m_担当者").toInt(), 0);
    held.rollback();
    Transaction t(c);
    t.commit();
}

void TestConnection::transactionScopes()
{
    TestDb db;
    Connection c(db.path());
    auto staff = [&] { return scalar(c, "SELECT count(*) FROM m_担当者").toInt(); };
    auto add = [&](const QString& code) {
        Statement st(c, "INSERT INTO m_担当者 (担当者コード) VALUES (:c)");
        st.bind(":c", code);
        st.run();
    };
    {
        Transaction t(c);
        add("01");
    }  // no commit: rolled back
    QCOMPARE(staff(), 0);
    {
        Transaction outer(c);
        add("01");
        {
            Transaction inner(c);
            QCOMPARE(c.transactionDepth(), 2);
            add("02");
        }  // the savepoint alone is undone
        {
            Transaction inner(c);
            add("03");
            inner.commit();
        }
        outer.commit();
    }
    QCOMPARE(staff(), 2);
    QCOMPARE(scalar(c, "SELECT group_concat(担当者コード) FROM m_担当者").toString(),
             QStringLiteral("01,03"));
    Connection other(db.path());
    QCOMPARE(scalar(other, "SELECT count(*) FROM m_担当者").toInt(), 2);

    // A failing statement inside leaves the transaction to be rolled back whole.
    try {
        Transaction t(c);
        add("04");
        add("01");  // duplicate key
        t.commit();
        QFAIL("duplicate accepted");
    } catch (const DbError& e) {
        QCOMPARE(e.engineCode(), SQLITE_CONSTRAINT);
    }
    QCOMPARE(staff(), 2);
    QVERIFY(!c.inTransaction());
}

void TestConnection::transactionHooks()
{
    TestDb db;
    Connection c(db.path());
    QStringList log;
    c.onTransactionEnd([&](bool ok) { log << QStringLiteral("none:%1").arg(ok); });
    {
        Transaction outer(c);
        c.onTransactionEnd([&](bool ok) { log << QStringLiteral("outer:%1").arg(ok); });
        {
            Transaction inner(c);
            c.onTransactionEnd([&](bool ok) { log << QStringLiteral("rolled:%1").arg(ok); });
        }
        {
            Transaction inner(c);
            c.onTransactionEnd([&](bool ok) { log << QStringLiteral("released:%1").arg(ok); });
            inner.commit();
        }
        QCOMPARE(log, QStringList({"none:1", "rolled:0"}));
        outer.commit();
    }
    QCOMPARE(log, QStringList({"none:1", "rolled:0", "released:1", "outer:1"}));
    log.clear();
    {
        Transaction t(c);
        c.onTransactionEnd([&](bool ok) { log << QStringLiteral("closed:%1").arg(ok); });
        c.close();  // an abandoned transaction counts as rolled back
        QCOMPARE(log, QStringList({"closed:0"}));
    }
}

void TestConnection::parametersAreNeverSpliced()
{
    TestDb db;
    Connection c(db.path());
    const QStringList codes = {"O'Brien", "50%", "A_1", "A11", "x';DROP--"};
    for (const QString& code : codes) {
        Statement st(c, "INSERT INTO m_顧客 (顧客コード, 顧客名) VALUES (:Code, :Name)");
        st.bind(":Code", code);
        st.bind("Name", QStringLiteral("名前 ") + code);
        st.run();
    }
    for (const QString& code : codes) {
        QCOMPARE(scalar(c, "SELECT 顧客名 FROM m_顧客 WHERE 顧客コード = ?", {code}).toString(),
                 QStringLiteral("名前 ") + code);
    }
    QCOMPARE(scalar(c, "SELECT count(*) FROM m_顧客").toInt(), codes.size());
    // Values go in typed: Money as ten-thousandths, dates as ISO text, null as NULL.
    Statement st(c, "SELECT :m, :d, typeof(:n), :t");
    st.bind(":m", QVariant::fromValue(Money::parse(u"1,234.5")));
    st.bind(":d", QDate(2024, 2, 29));
    st.bind(":n", QVariant());
    st.bind(":t", QDateTime(QDate(2024, 2, 29), QTime(13, 5, 9)));
    QVERIFY(st.step());
    QCOMPARE(st.value(0), QVariant(qlonglong(12345000)));
    QCOMPARE(st.value(1).toString(), QStringLiteral("2024-02-29"));
    QCOMPARE(st.value(2).toString(), QStringLiteral("null"));
    QCOMPARE(st.value(3).toString(), QStringLiteral("2024-02-29 13:05:09"));
    QVERIFY(errorOf([&] { st.bind(":missing", 1); }).contains(":missing"));
}

void TestConnection::statementErrorsCarryEngineMessage()
{
    TestDb db;
    Connection c(db.path());
    const QString bad = errorOf([&] { Statement st(c, "SELEC 1"); });
    QVERIFY2(bad.contains("syntax error"), qPrintable(bad));
    const QString table = errorOf([&] { Statement st(c, "SELECT * FROM no_such_table"); });
    QVERIFY2(table.contains("no such table"), qPrintable(table));
    const QString tooLong = errorOf([&] {
        Statement st(c, "INSERT INTO m_担当者 (担当者コード) VALUES ('123')");
        st.run();
    });
    QVERIFY2(tooLong.contains("CHECK constraint failed"), qPrintable(tooLong));
    // An unfinished read does not keep a transaction open after the statement goes.
    {
        Statement st(c, "SELECT * FROM m_税率");
        QVERIFY(st.step());
    }
    Connection other(db.path());
    other.setBusyTimeout(100);
    Transaction t(other);
    Statement(other, "INSERT INTO m_担当者 (担当者コード) VALUES ('01')").run();
    t.commit();
    QCOMPARE(scalar(c, "SELECT count(*) FROM m_担当者").toInt(), 1);
}

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
