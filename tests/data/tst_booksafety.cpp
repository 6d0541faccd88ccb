#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "book.h"
#include "connection.h"
#include "dberror.h"
#include "faultyvfs.h"
#include "statement.h"
#include "testdb.h"
#include "testhelp.h"

// What must never happen to a book whatever else is running: locks dropped,
// a restore under another program, a book refused for a journal the engine
// can put back, backups of one book taken for another's, files left behind.
namespace {

// The POSIX locks this process holds on the file, as the kernel lists them.
int locksHeldOn(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    QFile locks("/proc/locks");
    if (!locks.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray inode = ':' + QByteArray::number(qulonglong(st.st_ino)) + ' ';
    const QByteArray pid = ' ' + QByteArray::number(::getpid()) + ' ';
    int n = 0;
    for (const QByteArray& line : locks.readAll().split('\n'))
        if (line.contains("POSIX") && line.contains(pid) && line.contains(inode))
            ++n;
    return n;
}

qint64 scalar(Connection& c, const char* sql)
{
    Statement st(c, sql);
    st.step();
    return st.int64(0);
}

QStringList namesOfStaff(const QString& path)
{
    Connection c(path);
    Statement st(c, "SELECT 担当者名 FROM m_担当者 ORDER BY 担当者コード");
    QStringList names;
    while (st.step())
        names << st.text(0);
    return names;
}

void addStaff(Connection& c, const QString& code, const QString& name)
{
    Statement st(c, "INSERT INTO m_担当者 (担当者コード, 担当者名) VALUES (:c, :n)");
    st.bind("c", code);
    st.bind("n", name);
    st.step();
}

// A child process that runs `work` and ends; its exit status is 0 when `work`
// returned true. `ready` is written once when the child has done its first part.
struct Child {
    pid_t pid = -1;
    int pipeRead = -1;
    template <class F>
    explicit Child(F work)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            const bool ok = work(fds[1]);
            ::_exit(ok ? 0 : 1);
        }
        ::close(fds[1]);
        pipeRead = fds[0];
    }
    // Waits for the child's "ready" byte.
    bool ready()
    {
        char c = 0;
        return ::read(pipeRead, &c, 1) == 1;
    }
    int finish()
    {
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::close(pipeRead);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// A writer in rollback-journal mode killed with pages of its transaction
// (every staff row deleted, a large table made) already in the file: the
// journal that can put them back is left "hot".
void killWriterMidSave(const QString& path)
{
    Child writer([&](int) {
        sqlite3* h = nullptr;
        sqlite3_open(path.toUtf8().constData(), &h);
        sqlite3_exec(h,
                     "PRAGMA cache_size=2; BEGIN; DELETE FROM m_担当者; CREATE TABLE junk(x);"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                     "INSERT INTO junk SELECT randomblob(2000) FROM n",
                     nullptr, nullptr, nullptr);
        ::kill(::getpid(), SIGKILL);
        return false;
    });
    (void)writer.finish();
}

void signalReady(int fd)
{
    const char c = 'r';
    (void)!::write(fd, &c, 1);
}

}  // namespace

class TestBookSafety : public QObject {
    Q_OBJECT
private slots:
    void secondConnectionKeepsTheProcessLocks();
    void anotherProcessClosingLeavesOurSavesInTheBook();
    void restoreRefusedWhileAnotherProgramHasTheBook();
    void restoreIntoTheTargetOfALink();
    void saveRefusedWhenTheBookWasReplaced();
    void hotJournalIsRolledBackNotRefused();
    void fullDiskIsNotCalledDamage();
    void backupsBelongToTheirOwnBook();
    void refusedWalFileLeavesNoSideFiles_data();
    void refusedWalFileLeavesNoSideFiles();
    void leftoverCopiesOfDeadProcessesAreRemoved();
    void upgradeCopiesTheBookUnderTheWriteLock();
};

void TestBookSafety::secondConnectionKeepsTheProcessLocks()
{
    TestDb db;
    Connection window(db.path());
    scalar(window, "SELECT count(*) FROM m_担当者");
    const int held = locksHeldOn(db.path());
    QVERIFY2(held > 0, "a WAL connection holds its shared lock on the book");
    {
        Connection lookUp(db.path());  // a look-up dialog opens and closes its own
        scalar(lookUp, "SELECT count(*) FROM m_顧客");
    }
    QCOMPARE(locksHeldOn(db.path()), held);
    Book::inspect(db.path(), Book::Depth::Full);
    QCOMPARE(locksHeldOn(db.path()), held);
}

void TestBookSafety::anotherProcessClosingLeavesOurSavesInTheBook()
{
    TestDb db;
    Connection window(db.path());
    scalar(window, "SELECT count(*) FROM m_担当者");
    {
        Connection lookUp(db.path());
    }
    // Another copy of the program saves and closes: it must not take itself
    // for the book's last user (checkpoint, delete the WAL) while this one is open.
    Child other([&](int) {
        Connection c(db.path());
        addStaff(c, "02", "other");
        return true;
    });
    QCOMPARE(other.finish(), 0);
    QVERIFY(locksHeldOn(db.path()) > 0);
    addStaff(window, "01", "ours");
    QCOMPARE(namesOfStaff(db.path()), (QStringList{"ours", "other"}));
}

void TestBookSafety::restoreRefusedWhileAnotherProgramHasTheBook()
{
    TestDb db;
    db.exec("INSERT INTO m_担当者 (担当者コード, 担当者名) VALUES ('01', 'today')");
    const QString backup = db.dir() + "/yesterday.mdb";
    QVERIFY(QFile::copy(TestDb::builtDatabase(), backup));
    int toChild[2];
    QVERIFY(::pipe(toChild) == 0);
    Child other([&](int ready) {
        ::close(toChild[1]);
        Connection c(db.path());
        scalar(c, "SELECT count(*) FROM m_担当者");
        signalReady(ready);
        char go = 0;
        if (::read(toChild[0], &go, 1) != 1)
            return false;
        addStaff(c, "02", "saved after");  // a save of the other copy, reported as done
        return true;
    });
    ::close(toChild[0]);
    // However the checks below end, the other copy is let go and waited for.
    auto letGo = qScopeGuard([&] {
        (void)!::write(toChild[1], "g", 1);
        ::close(toChild[1]);
        other.finish();
    });
    QVERIFY(other.ready());
    const QString error = errorOf([&] { Book::restore(db.path(), backup); });
    QVERIFY2(error.contains("他のプログラムがこの帳簿を開いています"), qPrintable(error));
    QCOMPARE(QDir(db.dir()).entryList({"*.before-restore-*", "*.restoring*"}, QDir::Files), QStringList());
    letGo.dismiss();
    (void)!::write(toChild[1], "g", 1);
    ::close(toChild[1]);
    QCOMPARE(other.finish(), 0);
    QCOMPARE(namesOfStaff(db.path()), (QStringList{"today", "saved after"}));

    // With nobody else on the book it goes through.
    const QString aside = Book::restore(db.path(), backup);
    QCOMPARE(namesOfStaff(db.path()), QStringList());
    QCOMPARE(namesOfStaff(aside), (QStringList{"today", "saved after"}));
}

void TestBookSafety::restoreIntoTheTargetOfALink()
{
    TestDb db;
    db.exec("INSERT INTO m_担当者 (担当者コード, 担当者名) VALUES ('01', 'today')");
    const QString link = db.dir() + "/link.mdb";
    QVERIFY(QFile::link(db.path(), link));
    const QString backup = db.dir() + "/yesterday.mdb";
    QVERIFY(QFile::copy(TestDb::builtDatabase(), backup));
    const QString aside = Book::restore(link, backup);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(namesOfStaff(db.path()), QStringList());
    QCOMPARE(namesOfStaff(aside), QStringList{"today"});
}

void TestBookSafety::saveRefusedWhenTheBookWasReplaced()
{
    TestDb db;
    Connection window(db.path());
    scalar(window, "SELECT count(*) FROM m_担当者");
    const QString other = db.dir() + "/other.mdb";
    QVERIFY(QFile::copy(TestDb::builtDatabase(), other));
    QCOMPARE(::rename(QFile::encodeName(other).constData(), QFile::encodeName(db.path()).constData()), 0);
    const QString error = errorOf([&] {
        Transaction t(window);
        addStaff(window, "01", "lost");
        t.commit();
    });
    QVERIFY2(error.contains("置き換えられました") && error.contains("保存されていません"), qPrintable(error));
}

void TestBookSafety::hotJournalIsRolledBackNotRefused()
{
    TestDb db;
    db.exec("INSERT INTO m_担当者 (担当者コード, 担当者名) VALUES ('01', 'kept')");
    rawExec(db.path(), "PRAGMA journal_mode=DELETE");
    killWriterMidSave(db.path());
    QVERIFY(QFileInfo(db.path() + "-journal").size() > 0);

    const Book::State state = Book::inspect(db.path(), Book::Depth::Full);
    QCOMPARE(state.kind, Book::State::Ok);
    QCOMPARE(namesOfStaff(db.path()), QStringList{"kept"});
    QVERIFY(!QFileInfo::exists(db.path() + "-journal"));
}

void TestBookSafety::fullDiskIsNotCalledDamage()
{
    TestDb db;
    rawExec(db.path(), "PRAGMA journal_mode=DELETE");
    killWriterMidSave(db.path());
    // Putting the journal's pages back needs room the disk no longer has.
    FaultyVfs::install();
    FaultyVfs::failFromWrite(1, SQLITE_FULL);
    const Book::State state = Book::inspect(db.path(), Book::Depth::Full);
    FaultyVfs::disarm();
    FaultyVfs::uninstall();
    QCOMPARE(state.kind, Book::State::DiskFull);
    const QString message = Book::problemMessage(db.path(), state);
    QVERIFY2(message.contains("いっぱい") && !message.contains("壊れています") && !message.contains("復元"),
             qPrintable(message));
    // With room again, the same book opens with nothing lost.
    QCOMPARE(Book::inspect(db.path(), Book::Depth::Full).kind, Book::State::Ok);
}

void TestBookSafety::backupsBelongToTheirOwnBook()
{
    QTemporaryDir dir;
    const QString mdb = dir.filePath("shop.mdb"), plain = dir.filePath("shop.db");
    QVERIFY(QFile::copy(TestDb::builtDatabase(), mdb) && QFile::copy(TestDb::builtDatabase(), plain));
    QFile::setPermissions(mdb, QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(plain, QFile::ReadOwner | QFile::WriteOwner);
    QDir(dir.path()).mkdir("backup");
    // Files of the user's that look like backups: never listed, never rotated.
    const QStringList users = {"backup/shop.mdb.20200101.bak", "backup/shop.mdb.99999999.bak",
                               "backup/shop-20200101.mdb", "backup/shop-99999999.mdb"};
    for (const QString& name : users)
        QVERIFY(QFile::copy(TestDb::builtDatabase(), dir.filePath(name)));

    const QDate first(2026, 3, 1);
    for (int day = 0; day < 9; ++day)
        QVERIFY(!Book::makeDailyBackup(mdb, first.addDays(day)).isEmpty());
    QVERIFY2(!Book::makeDailyBackup(plain, first.addDays(8)).isEmpty(), "the second book gets its own");

    const QStringList kept = Book::dailyBackups(mdb);
    QCOMPARE(kept.size(), 7);
    QCOMPARE(QFileInfo(kept.first()).fileName(), QStringLiteral("shop.mdb.20260303.bak"));
    QCOMPARE(Book::newestDailyBackup(mdb), dir.filePath("backup/shop.mdb.20260309.bak"));
    QCOMPARE(Book::dailyBackups(plain), QStringList{dir.filePath("backup/shop.db.20260309.bak")});
    for (const QString& name : users)
        QVERIFY2(QFileInfo::exists(dir.filePath(name)), qPrintable(name));
    QFile(plain).resize(0);
    const QString message = Book::problemMessage(plain, Book::inspect(plain));
    QVERIFY2(message.contains("shop.db.20260309.bak") && !message.contains("shop.mdb."), qPrintable(message));
}

void TestBookSafety::refusedWalFileLeavesNoSideFiles_data()
{
    QTest::addColumn<QString>("marks");
    QTest::addColumn<int>("kind");
    QTest::newRow("another program's") << "" << int(Book::State::NotBook);
    QTest::newRow("another application id") << "PRAGMA application_id = 77;" << int(Book::State::NotBook);
    QTest::newRow("a newer book") << "PRAGMA application_id = 1129729620; PRAGMA user_version = 50;"
                                  << int(Book::State::Newer);
}

void TestBookSafety::refusedWalFileLeavesNoSideFiles()
{
    QFETCH(QString, marks);
    QFETCH(int, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath("BaseDB.mdb");
    rawExec(path, ("PRAGMA journal_mode=WAL; CREATE TABLE notes (body TEXT); " + marks).toUtf8().constData());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"BaseDB.mdb"});
    QCOMPARE(int(Book::inspect(path, Book::Depth::Full).kind), kind);
    QVERIFY(!errorOf([&] { Connection c(path); }).isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"BaseDB.mdb"});
}

void TestBookSafety::leftoverCopiesOfDeadProcessesAreRemoved()
{
    TestDb db;
    Child gone([](int) { return true; });
    const QString dead = QString::number(gone.pid);
    QCOMPARE(gone.finish(), 0);
    const QString live = QString::number(::getpid());
    QDir(db.dir()).mkdir("backup");
    const QStringList leftovers = {"BaseDB.mdb.v1.bak.partial-" + dead,
                                   "backup/BaseDB.mdb.20260101.bak.partial-" + dead,
                                   "backup/BaseDB.mdb.20260101.bak.partial-" + dead + "-journal"};
    const QStringList kept = {"BaseDB.mdb.v1.bak.partial-" + live, "other.mdb.v1.bak.partial-" + dead,
                              "BaseDB.mdb.v1.bak"};
    for (const QString& name : leftovers + kept) {
        QFile f(QDir(db.dir()).filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(6000, 'x'));
    }
    QStringList removed = Book::removeLeftovers(db.path());
    removed.sort();
    QStringList expected;
    for (const QString& name : leftovers)
        expected << QDir(db.dir()).filePath(name);
    expected.sort();
    QCOMPARE(removed, expected);
    for (const QString& name : kept)
        QVERIFY2(QFileInfo::exists(QDir(db.dir()).filePath(name)), qPrintable(name));
}

void TestBookSafety::upgradeCopiesTheBookUnderTheWriteLock()
{
    TestDb db;
    const int now = Book::CurrentVersion;
    const std::vector<Book::UpgradeStep> toNext = {
        {now, [](Connection& c) { c.exec("CREATE TABLE s_next (x INTEGER)"); }}};
    // Another copy of the program is in the middle of writing when the upgrade
    // starts: the copy kept from before the upgrade must hold what it wrote.
    Child other([&](int ready) {
        Connection c(db.path());
        Transaction t(c);
        addStaff(c, "01", "written before the upgrade");
        signalReady(ready);
        ::usleep(800 * 1000);
        t.commit();
        return true;
    });
    QVERIFY(other.ready());
    QCOMPARE(Book::upgrade(db.path(), toNext, now + 1), now);
    QCOMPARE(other.finish(), 0);
    const QString kept = QStringLiteral("%1.v%2.bak").arg(db.path()).arg(now);
    QCOMPARE(namesOfStaff(kept), QStringList{"written before the upgrade"});
    Connection c;
    c.openUnchecked(db.path());
    QCOMPARE(scalar(c, "PRAGMA user_version"), qint64(now + 1));
}

QTEST_GUILESS_MAIN(TestBookSafety)
#include "tst_booksafety.moc"
