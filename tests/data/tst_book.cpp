#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "book.h"
#include "connection.h"
#include "dberror.h"
#include "faultyvfs.h"
#include "generator.h"
#include "statement.h"
#include "testdb.h"
#include "testhelp.h"

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

int versionOf(const QString& path)
{
    Connection c;
    c.openUnchecked(path);
    Statement st(c, "PRAGMA user_version");
    st.step();
    return int(st.int64(0));
}

// Every row of every table and view the file had before (a view's rows carry its
// totals), as one hash per object.
QMap<QString, QByteArray> fingerprint(const QString& path, const QStringList& only = {})
{
    Connection c;
    c.openUnchecked(path);
    QStringList names;
    {
        Statement st(
            c,
            "SELECT name FROM sqlite_schema WHERE type IN ('table', 'view') AND name NOT LIKE 'sqlite%' "
            "ORDER BY name");
        while (st.step())
            names << st.text(0);
    }
    QMap<QString, QByteArray> out;
    for (const QString& name : names) {
        if (!only.isEmpty() && !only.contains(name))
            continue;
        QCryptographicHash h(QCryptographicHash::Sha1);
        // The name comes from the file's own schema.
        Statement st(c, QStringLiteral("SELECT * FROM \"%1\"").arg(name));
        int rows = 0;
        while (st.step()) {
            ++rows;
            for (int i = 0; i < st.columnCount(); ++i)
                h.addData(st.value(i).toString().toUtf8() + '\x1f');
        }
        out.insert(name, h.result().toHex() + ':' + QByteArray::number(rows));
    }
    return out;
}

// The version of the books this program makes, and a step beyond it as a later
// schema change would be: a new table and an index on an existing one.
constexpr int Now = Book::CurrentVersion;
constexpr int Next = Now + 1;
const std::vector<Book::UpgradeStep> ToNext = {
    {Now,
     [](Connection& c) {
         c.exec("CREATE TABLE s_step_two (x INTEGER)");
         c.exec("CREATE INDEX ix_step_two ON m_担当者 (担当者名)");
     }},
};

enum class BadFile { Empty, Text, Foreign, OtherAppId, Truncated, Newer, Damaged, Locked, ReadOnlyFolder };

}  // namespace

class TestBook : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void badFilesAreRefusedUntouched_data();
    void badFilesAreRefusedUntouched();
    void upgradeKeepsEveryRowAndTotal_data();
    void upgradeKeepsEveryRowAndTotal();
    void failingStepLeavesFileAsItWas();
    void failedWriteDuringUpgrade();
    void processKilledDuringUpgrade_data();
    void processKilledDuringUpgrade();
    void backupIsConsistentWhileAWriterIsBusy();
    void restoreChecksTheChosenFile();
    void dailyBackupKeepsSeven();
    void buildLaysTheFileOnlyWhereNoneIs();
    void newBookInAFolderStillToBeMade();

private:
    QTemporaryDir m_scratch;
    QString m_filled;  // a version-1 book filled with generated data
};

void TestBook::initTestCase()
{
    m_filled = m_scratch.filePath("filled.mdb");
    QVERIFY(QFile::copy(TestDb::builtDatabase(), m_filled));
    QFile::setPermissions(m_filled, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(m_filled.toUtf8().constData(), &db), SQLITE_OK);
    GeneratorOptions options;
    options.scale = 0.004;
    DataGenerator(db, options).run();
    sqlite3_close(db);
    QCOMPARE(versionOf(m_filled), Now);
}

void TestBook::badFilesAreRefusedUntouched_data()
{
    QTest::addColumn<BadFile>("bad");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("says");
    QTest::newRow("zero bytes") << BadFile::Empty << int(Book::State::Empty) << "空";
    QTest::newRow("text file") << BadFile::Text << int(Book::State::NotBook) << "ではありません";
    QTest::newRow("another program's database")
        << BadFile::Foreign << int(Book::State::NotBook) << "ではありません";
    QTest::newRow("another application id")
        << BadFile::OtherAppId << int(Book::State::NotBook) << "ではありません";
    QTest::newRow("truncated") << BadFile::Truncated << int(Book::State::Damaged) << "壊れています";
    QTest::newRow("newer version") << BadFile::Newer << int(Book::State::Newer) << "版 7";
    QTest::newRow("damaged page") << BadFile::Damaged << int(Book::State::Damaged) << "壊れています";
    QTest::newRow("locked") << BadFile::Locked << int(Book::State::Locked) << "使用中";
    QTest::newRow("read-only folder")
        << BadFile::ReadOnlyFolder << int(Book::State::ReadOnly) << "書き込めません";
}

void TestBook::badFilesAreRefusedUntouched()
{
    QFETCH(BadFile, bad);
    QFETCH(int, kind);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString path = dir.filePath("BaseDB.mdb");
    auto copyOf = [&](const QString& from) {
        QFile::copy(from, path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    };
    sqlite3* holder = nullptr;
    const QByteArray folder = QFile::encodeName(dir.path());
    bool immutable = false;
    switch (bad) {
        case BadFile::Empty:
            QFile(path).open(QIODevice::WriteOnly);
            break;
        case BadFile::Text: {
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(QByteArray("得意先一覧\n").repeated(500));
            break;
        }
        case BadFile::Foreign:
            rawExec(
                path,
                "CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT); INSERT INTO notes VALUES (1, 'x')");
            break;
        case BadFile::OtherAppId:
            copyOf(TestDb::builtDatabase());
            rawExec(path, "PRAGMA application_id = 12345");
            break;
        case BadFile::Truncated:
            copyOf(m_filled);
            QFile(path).resize(QFileInfo(path).size() / 2);
            break;
        case BadFile::Newer:
            copyOf(TestDb::builtDatabase());
            rawExec(path, "PRAGMA user_version = 7");
            break;
        case BadFile::Damaged: {
            copyOf(m_filled);
            QFile f(path);
            f.open(QIODevice::ReadWrite);
            f.seek(f.size() / 2 / 4096 * 4096);
            f.write(QByteArray(4096 * 8, '\xab'));
            break;
        }
        case BadFile::ReadOnlyFolder:
            copyOf(TestDb::builtDatabase());
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            // root writes into any folder whatever its mode; into an immutable one it cannot.
            if (::access(folder.constData(), W_OK) == 0) {
                immutable = std::system(("chattr +i '" + folder + "' 2>/dev/null").constData()) == 0;
                if (!immutable)
                    QSKIP("no way to make a folder read-only for this user here");
            }
            break;
        case BadFile::Locked:
            copyOf(TestDb::builtDatabase());
            sqlite3_open(path.toUtf8().constData(), &holder);
            QCOMPARE(
                sqlite3_exec(holder, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; DELETE FROM m_単位",
                             nullptr, nullptr, nullptr),
                SQLITE_OK);
            break;
    }
    const QByteArray before = bytesOf(path);

    const Book::State state = Book::inspect(path, Book::Depth::Full, Book::CurrentVersion, 200);
    QCOMPARE(int(state.kind), kind);
    const QString message = Book::problemMessage(path, state);
    QVERIFY2(message.contains(path) && message.contains(says), qPrintable(message));
    if (bad != BadFile::Damaged) {  // a window's open does not read every page
        QString refused;
        try {
            Connection c(path);
        } catch (const DbError& e) {
            refused = e.message();
        }
        QVERIFY2(refused.contains(path), qPrintable(refused));
    }
    if (holder)
        sqlite3_close(holder);
    if (immutable)
        std::system(("chattr -i '" + folder + "'").constData());
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY2(bytesOf(path) == before, "nothing is written to a refused file");
}

void TestBook::upgradeKeepsEveryRowAndTotal_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("target");
    QTest::newRow("a book without a version") << 0 << Book::CurrentVersion;
    QTest::newRow("the current version to the next") << Now << Next;
}

void TestBook::upgradeKeepsEveryRowAndTotal()
{
    QFETCH(int, from);
    QFETCH(int, target);
    QTemporaryDir dir;
    const QString path = dir.filePath("BaseDB.mdb");
    QVERIFY(QFile::copy(m_filled, path));
    if (from == 0) {
        // A book made before versions had the tables of version 1: no stock by month.
        Connection c(path);
        dropStockByMonth(c);
        c.close();
        rawExec(path, "PRAGMA application_id = 0; PRAGMA user_version = 0");
    }
    const auto before = fingerprint(path);
    QVERIFY(before.size() > 20);

    std::vector<Book::UpgradeStep> steps = Book::upgradeSteps();
    steps.insert(steps.end(), ToNext.begin(), ToNext.end());
    QCOMPARE(Book::inspect(path, Book::Depth::Quick, target).kind, Book::State::Older);
    QCOMPARE(Book::upgrade(path, steps, target), from);
    QCOMPARE(versionOf(path), target);
    QCOMPARE(Book::inspect(path, Book::Depth::Full, target).kind, Book::State::Ok);
    QCOMPARE(fingerprint(path, before.keys()), before);
    // The copy beside it is the book as it was.
    QCOMPARE(fingerprint(path + QStringLiteral(".v%1.bak").arg(from)), before);
    QCOMPARE(Book::upgrade(path, steps, target), -1);  // done once
    if (target == Book::CurrentVersion)
        Connection(path).close();  // the program now opens it
}

void TestBook::failingStepLeavesFileAsItWas()
{
    TestDb db;
    const QByteArray before = bytesOf(db.path());
    const std::vector<Book::UpgradeStep> failing = {
        {Now,
         [](Connection& c) {
             c.exec("CREATE TABLE s_half (x)");
             c.exec("DELETE FROM m_税区分");
             throw DbError("the step fails half-way");
         }},
    };
    QString error;
    try {
        Book::upgrade(db.path(), failing, Next);
    } catch (const DbError& e) {
        error = e.message();
    }
    QVERIFY2(error.contains("元のまま") && error.contains("half-way"), qPrintable(error));
    QVERIFY(bytesOf(db.path()) == before);
    QCOMPARE(Book::inspect(db.path()).kind, Book::State::Ok);
}

void TestBook::failedWriteDuringUpgrade()
{
    // How many writes an upgrade makes, the copy beside the file included.
    FaultyVfs::install();
    int writes = 0;
    {
        TestDb db;
        FaultyVfs::disarm();
        Book::upgrade(db.path(), ToNext, Next);
        writes = FaultyVfs::writesSeen();
    }
    QVERIFY(writes > 3);
    for (int n = 1; n <= writes; ++n) {
        for (int code : {SQLITE_FULL, SQLITE_IOERR}) {
            TestDb db;
            const QByteArray before = bytesOf(db.path());
            const auto rows = fingerprint(db.path());
            FaultyVfs::failFromWrite(n, code);
            bool failed = false;
            try {
                Book::upgrade(db.path(), ToNext, Next);
            } catch (const DbError&) {
                failed = true;
            }
            FaultyVfs::disarm();
            if (failed)
                QVERIFY2(bytesOf(db.path()) == before, qPrintable(QStringLiteral("write %1").arg(n)));
            else
                QCOMPARE(versionOf(db.path()), Next);
            // Old or new, never a mix; the next start finishes the work.
            Book::upgrade(db.path(), ToNext, Next);
            QCOMPARE(versionOf(db.path()), Next);
            QCOMPARE(fingerprint(db.path(), rows.keys()), rows);
        }
    }
    FaultyVfs::uninstall();
}

void TestBook::processKilledDuringUpgrade_data()
{
    QTest::addColumn<bool>("commitFirst");
    QTest::addColumn<int>("expected");
    QTest::newRow("killed before commit") << false << Now;
    QTest::newRow("killed after commit") << true << Next;
}

void TestBook::processKilledDuringUpgrade()
{
    QFETCH(bool, commitFirst);
    QFETCH(int, expected);
    TestDb db;
    const QString path = db.path();
    const auto rows = fingerprint(path);
    // The process stops inside the step (before the commit) or right after the upgrade.
    const std::vector<Book::UpgradeStep> killedInStep = {{Now, [](Connection& c) {
                                                              c.exec("CREATE TABLE s_step_two (x INTEGER)");
                                                              ::kill(::getpid(), SIGKILL);
                                                          }}};
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        Book::upgrade(path, commitFirst ? ToNext : killedInStep, Next);
        ::kill(::getpid(), SIGKILL);
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(versionOf(path), expected);
    QCOMPARE(Book::inspect(path, Book::Depth::Full, Next).kind,
             expected == Next ? Book::State::Ok : Book::State::Older);
    Book::upgrade(path, ToNext, Next);
    QCOMPARE(versionOf(path), Next);
    QCOMPARE(fingerprint(path, rows.keys()), rows);
}

void TestBook::backupIsConsistentWhileAWriterIsBusy()
{
    TestDb db;
    Connection writer(db.path());
    writer.exec("INSERT INTO m_担当者 (担当者コード, 担当者名) VALUES ('01', 'committed')");
    Transaction open(writer);
    writer.exec("INSERT INTO m_担当者 (担当者コード, 担当者名) VALUES ('02', 'not yet')");
    writer.exec("DELETE FROM m_税区分");
    const QString copy = db.dir() + "/copy.mdb";
    Book::copyBook(db.path(), copy);
    open.rollback();
    QCOMPARE(Book::inspect(copy, Book::Depth::Integrity).kind, Book::State::Ok);
    Connection c(copy);
    Statement st(c, "SELECT group_concat(担当者名), (SELECT count(*) FROM m_税区分) FROM m_担当者");
    st.step();
    QCOMPARE(st.text(0), QStringLiteral("committed"));
    QVERIFY(st.int64(1) > 0);
}

void TestBook::restoreChecksTheChosenFile()
{
    TestDb db;
    db.exec("INSERT INTO m_担当者 (担当者コード, 担当者名) VALUES ('01', 'today')");
    const QByteArray current = bytesOf(db.path());
    const QString text = db.dir() + "/notes.mdb", newer = db.dir() + "/newer.mdb";
    QFile f(text);
    f.open(QIODevice::WriteOnly);
    f.write("not a book");
    f.close();
    QVERIFY(QFile::copy(TestDb::builtDatabase(), newer));
    rawExec(newer, "PRAGMA user_version = 9");
    for (const QString& chosen : {text, newer}) {
        QString error;
        try {
            Book::restore(db.path(), chosen);
        } catch (const DbError& e) {
            error = e.message();
        }
        QVERIFY2(error.contains("復元できません") && error.contains(chosen), qPrintable(error));
        QVERIFY(bytesOf(db.path()) == current);
    }

    // A good backup replaces the book; the book as it was is kept aside.
    const QString backup = db.dir() + "/yesterday.mdb";
    QVERIFY(QFile::copy(TestDb::builtDatabase(), backup));
    const QString aside = Book::restore(db.path(), backup);
    Connection c(db.path());
    Statement st(c, "SELECT count(*) FROM m_担当者");
    st.step();
    QCOMPARE(st.int64(0), qint64(0));
    Connection kept(aside);
    Statement k(kept, "SELECT 担当者名 FROM m_担当者");
    QVERIFY(k.step());
    QCOMPARE(k.text(0), QStringLiteral("today"));
}

void TestBook::dailyBackupKeepsSeven()
{
    TestDb db;
    const QDate first(2026, 3, 1);
    for (int day = 0; day < 10; ++day) {
        QVERIFY(!Book::makeDailyBackup(db.path(), first.addDays(day)).isEmpty());
        QVERIFY2(Book::makeDailyBackup(db.path(), first.addDays(day)).isEmpty(), "at most one a day");
    }
    const QStringList kept = Book::dailyBackups(db.path());
    QCOMPARE(kept.size(), 7);
    QCOMPARE(QFileInfo(kept.first()).fileName(), QStringLiteral("BaseDB.mdb.20260304.bak"));
    QCOMPARE(Book::newestDailyBackup(db.path()), QDir(db.dir()).filePath("backup/BaseDB.mdb.20260310.bak"));
    QCOMPARE(Book::inspect(kept.last(), Book::Depth::Integrity).kind, Book::State::Ok);
    // The message about a bad book names the newest backup.
    QFile(db.path()).resize(0);
    const QString message = Book::problemMessage(db.path(), Book::inspect(db.path()));
    QVERIFY2(message.contains("BaseDB.mdb.20260310.bak"), qPrintable(message));
}

void TestBook::buildLaysTheFileOnlyWhereNoneIs()
{
    QTemporaryDir dir;
    const QString target = dir.filePath("BaseDB.mdb");
    auto lay = [&] {
        return QProcess::execute(
            QStringLiteral(CORVINTA_CMAKE),
            {"-DFROM=" + TestDb::builtDatabase(), "-DTO=" + target, "-P", QStringLiteral(CORVINTA_LAYDB)});
    };
    QCOMPARE(lay(), 0);
    QVERIFY(bytesOf(target) == bytesOf(TestDb::builtDatabase()));
    const QByteArray users = "the user's book, whatever it holds";
    QFile f(target);
    f.open(QIODevice::WriteOnly);
    f.write(users);
    f.close();
    QCOMPARE(lay(), 0);
    QCOMPARE(bytesOf(target), users);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"BaseDB.mdb"});
}

QTEST_GUILESS_MAIN(TestBook)
void TestBook::newBookInAFolderStillToBeMade()
{
    QTemporaryDir home;
    const QString book = home.filePath(".local/share/Corvinta/BaseDB.mdb");
    // Without the installed empty book nothing is made.
    QVERIFY(!errorOf([&] { Book::createBook(book, home.filePath("none.mdb")); }).isEmpty());
    QVERIFY(!QFileInfo::exists(book));
    Book::createBook(book, TestDb::builtDatabase());
    QCOMPARE(Book::inspect(book, Book::Depth::Full).kind, Book::State::Ok);
    QVERIFY(QFileInfo(book).isWritable());
}

#include "tst_book.moc"
