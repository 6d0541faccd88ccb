#include <QAction>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include <sqlite3.h>

#include "book.h"
#include "connection.h"
#include "mainform.h"
#include "modaldriver.h"
#include "statement.h"
#include "testdb.h"
#include "testhelp.h"

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

WindowRegistry oneWindow()
{
    WindowRegistry r;
    r.add("ActionInputCustomer", [](QWidget*) -> QDialog* { return nullptr; });
    return r;
}

QString today()
{
    return QDate::currentDate().toString("yyyyMMdd");
}

}  // namespace

// The book as the main window meets it at start and through the file menu.
class TestBookStart : public QObject {
    Q_OBJECT

private slots:
    void badBookGetsOneMessageAndStaysUntouched_data()
    {
        QTest::addColumn<QString>("bad");
        QTest::addColumn<QString>("says");
        QTest::newRow("empty") << "empty"
                               << "空";
        QTest::newRow("another program's") << "foreign"
                                           << "ではありません";
        QTest::newRow("newer") << "newer"
                               << "版 3";
    }

    void badBookGetsOneMessageAndStaysUntouched()
    {
        QFETCH(QString, bad);
        QFETCH(QString, says);
        TestDb db;
        QVERIFY(!Book::makeDailyBackup(db.path(), QDate(2026, 1, 1)).isEmpty());
        if (bad == "empty")
            QFile(db.path()).resize(0);
        else if (bad == "foreign")
            rawExec(db.path(), "PRAGMA application_id = 99; PRAGMA user_version = 0");
        else
            rawExec(db.path(), QStringLiteral("PRAGMA user_version = %1")
                                   .arg(Book::CurrentVersion + 1)
                                   .toUtf8()
                                   .constData());
        const QByteArray before = bytesOf(db.path());

        const WindowRegistry registry = oneWindow();
        TMainForm form(registry);
        form.show();
        ModalDriver driver;
        driver.answer(QMessageBox::Ok);
        QVERIFY(!form.openBook());
        QCOMPARE(driver.boxes.size(), 1);
        const QString text = driver.boxes[0].text;
        QCOMPARE(driver.boxes[0].icon, QMessageBox::Critical);
        QVERIFY2(text.contains(db.path()) && text.contains(says) && text.contains("BaseDB.mdb.20260101.bak"),
                 qPrintable(text));
        QVERIFY(!form.action("ActionInputCustomer")->isEnabled());
        QVERIFY(form.mnuFileRestore->isEnabled());
        QVERIFY(bytesOf(db.path()) == before);
        QCOMPARE(Book::dailyBackups(db.path()).size(), 1);
    }

    void olderBookIsUpgradedAndBackedUpDaily()
    {
        TestDb db;
        db.exec("INSERT INTO m_担当者 (担当者コード, 担当者名) VALUES ('01', 'kept')");
        {
            // A book made before versions had the tables of version 1.
            Connection c(db.path());
            dropStockByMonth(c);
        }
        rawExec(db.path(), "PRAGMA application_id = 0; PRAGMA user_version = 0");
        const WindowRegistry registry = oneWindow();
        TMainForm form(registry);
        form.show();
        ModalDriver watch;  // a box coming up would be answered and recorded
        watch.answer(QMessageBox::Ok);
        QVERIFY(form.openBook());
        QVERIFY(watch.boxes.isEmpty());
        QVERIFY(form.findChild<QLabel*>("BookPanel")->text().contains(QDir::toNativeSeparators(db.path())));
        QCOMPARE(Book::inspect(db.path()).kind, Book::State::Ok);
        QVERIFY(QFile::exists(db.path() + ".v0.bak"));
        const QString daily = QDir(db.dir()).filePath("backup/BaseDB.mdb." + today() + ".bak");
        QVERIFY(QFile::exists(daily));
        QVERIFY2(form.statusText().contains("BaseDB.mdb." + today()), qPrintable(form.statusText()));
        QVERIFY(form.action("ActionInputCustomer")->isEnabled());
        Connection c(daily);  // the backup is of the upgraded book
    }

    void failedDailyBackupIsOnlyNoted()
    {
        TestDb db;
        QFile blocker(db.dir() + "/backup");  // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const WindowRegistry registry = oneWindow();
        TMainForm form(registry);
        form.show();
        ModalDriver watch;
        watch.answer(QMessageBox::Ok);
        QVERIFY(form.openBook());
        QVERIFY(watch.boxes.isEmpty());
        QVERIFY2(form.statusText().contains("できませんでした"), qPrintable(form.statusText()));
        QVERIFY(form.action("ActionInputCustomer")->isEnabled());
    }

    // A kept figure off: the check after start rebuilds it and says so in the
    // status bar; the menu's check shows what it found.
    void checkAfterStartAndFromTheMenu()
    {
        TestDb db;
        db.exec(
            "INSERT INTO t_仕入 (伝票番号, 仕入年月日) VALUES (1, '2024-03-05');"
            "INSERT INTO t_仕入明細 (伝票番号, 明細番号, 商品コード, 数量) VALUES (1, 1, 'A1', 30000);"
            "UPDATE t_在庫月計 SET 入庫数 = 1");
        const WindowRegistry registry = oneWindow();
        TMainForm form(registry);
        form.show();
        QVERIFY(form.openBook());
        form.waitForBackgroundCheck();
        QTRY_VERIFY2(form.statusText().contains("作り直しました"), qPrintable(form.statusText()));
        QVERIFY2(form.statusText().contains("A1 2024-03"), qPrintable(form.statusText()));

        db.exec("UPDATE t_在庫月計 SET 入庫数 = 2");
        ModalDriver driver;
        driver.answer(QMessageBox::Ok);
        form.mnuFileCheck->trigger();
        QVERIFY(driver.finished());
        QVERIFY2(driver.boxes[0].text.contains("商品 A1 2024-03"), qPrintable(driver.boxes[0].text));
        driver.answer(QMessageBox::Ok);
        form.mnuFileCheck->trigger();
        QVERIFY2(driver.boxes[1].text.contains("一致"), qPrintable(driver.boxes[1].text));
    }

    void backupFromTheMenu()
    {
        TestDb db;
        db.exec("INSERT INTO m_担当者 (担当者コード, 担当者名) VALUES ('01', 'saved')");
        WindowRegistry none;
        TMainForm form(none);
        QString proposed;
        const QString target = db.dir() + "/copy.mdb";
        form.chooseBackupTarget = [&](QWidget*, const QString& p) {
            proposed = p;
            return target;
        };
        form.mnuFileBackup->trigger();
        QVERIFY2(QRegularExpression("/BaseDB-\\d{8}-\\d{4}\\.mdb$").match(proposed).hasMatch(),
                 qPrintable(proposed));
        QCOMPARE(Book::inspect(target, Book::Depth::Integrity).kind, Book::State::Ok);
        QVERIFY(form.statusText().contains("copy.mdb"));
    }

    void restoreFromTheMenu()
    {
        TestDb db;
        const QString backup = db.dir() + "/before.mdb", notes = db.dir() + "/notes.txt";
        Book::copyBook(db.path(), backup);
        db.exec("INSERT INTO m_担当者 (担当者コード, 担当者名) VALUES ('01', 'after the backup')");
        QFile f(notes);
        f.open(QIODevice::WriteOnly);
        f.write("not a book");
        f.close();
        WindowRegistry none;
        TMainForm form(none);
        form.show();
        QString chosen = notes;
        form.chooseRestoreSource = [&](QWidget*) { return chosen; };

        {
            ModalDriver driver;
            driver.answer(QMessageBox::Yes).answer(QMessageBox::Ok);
            form.mnuFileRestore->trigger();
            QCOMPARE(driver.boxes.size(), 2);
            QVERIFY2(driver.boxes[1].text.contains("復元できません"), qPrintable(driver.boxes[1].text));
        }
        {
            // Confirmed with No: nothing happens.
            chosen = backup;
            ModalDriver driver;
            driver.answer(QMessageBox::No);
            form.mnuFileRestore->trigger();
            QCOMPARE(driver.boxes.size(), 1);
        }
        auto staff = [&] {
            Connection c(db.path());
            Statement st(c, "SELECT count(*) FROM m_担当者");
            st.step();
            return st.int64(0);
        };
        QCOMPARE(staff(), qint64(1));
        ModalDriver driver;
        driver.answer(QMessageBox::Yes).answer(QMessageBox::Ok);
        form.mnuFileRestore->trigger();
        QCOMPARE(driver.boxes.size(), 2);
        QCOMPARE(driver.boxes[1].icon, QMessageBox::Information);
        QCOMPARE(staff(), qint64(0));
        QVERIFY(driver.boxes[1].text.contains(".before-restore-"));
    }
};

#include "tst_bookstart.moc"

int runBookStartTests(int argc, char** argv)
{
    TestBookStart t;
    return QTest::qExec(&t, argc, argv);
}
