#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "connection.h"
#include "modal.h"
#include "modaldriver.h"
#include "probewindow.h"
#include "testdb.h"

// The conventions every window inherits: creation step, error report, actions,
// idle-time refresh, editing status, Enter as Tab.
class TestFunctionWindow : public QObject {
    Q_OBJECT

private slots:
    void init() { ProbeWindow::alive = 0; }

    void creationStepRunsInOrder()
    {
        TestDb db;
        ProbeWindow w(nullptr, {.create = false});
        w.markEditing(true);
        w.runCreation();
        QVERIFY(!w.isEditing());
        QVERIFY(w.connectionOpen());
        QCOMPARE(w.log, QStringList({"lists:open", "initial"}));
    }

    void missingDatabaseShowsOneErrorThenTheWindow()
    {
        QTemporaryDir empty;
        overrideDatabaseDirectory(empty.path());
        bool windowShown = false;
        bool windowHadConnection = true;
        QStringList creationLog;
        ModalDriver driver;
        driver.answer(QMessageBox::Ok).then([&](QWidget* modal) {
            auto* w = qobject_cast<ProbeWindow*>(modal);
            windowShown = w && w->isVisible();
            if (w) {
                windowHadConnection = w->connectionOpen();
                creationLog = w->log;
                QTest::keyClick(w, Qt::Key_F12);
            }
        });
        openModal<ProbeWindow>(nullptr);
        overrideDatabaseDirectory(QString());

        QCOMPARE(driver.boxes.size(), 1);
        QCOMPARE(driver.boxes[0].icon, QMessageBox::Critical);
        QVERIFY2(driver.boxes[0].text.contains("BaseDB.mdb"), qPrintable(driver.boxes[0].text));
        QVERIFY(windowShown);
        QVERIFY(!windowHadConnection);
        // The failed step stops at the connection: no list opens without it.
        QVERIFY(creationLog.isEmpty());
        QVERIFY(driver.finished());
        QCOMPARE(ProbeWindow::alive, 0);
    }

    void actionErrorEndsOnlyThatAction()
    {
        TestDb db;
        ProbeWindow w(nullptr);
        w.show();
        w.failPost = true;
        {
            ModalDriver driver;
            driver.answer(QMessageBox::Ok);
            w.ButtonPost->click();
            QCOMPARE(driver.boxes.size(), 1);
            QCOMPARE(driver.boxes[0].icon, QMessageBox::Critical);
            QCOMPARE(driver.boxes[0].text, QString("書き込みに失敗しました。"));
            QCOMPARE(driver.boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        }
        QVERIFY(w.isVisible());
        w.failPost = false;
        w.ActionPost->trigger();
        QCOMPARE(w.posts, 2);
    }

    void buttonFollowsItsAction()
    {
        TestDb db;
        ProbeWindow w(nullptr);
        w.canPost = false;
        w.idleRefresh();
        QVERIFY(!w.ActionPost->isEnabled());
        QVERIFY(!w.ButtonPost->isEnabled());
        QCOMPARE(w.ButtonPost->text(), QString("F11 登録"));  // the key before the caption
        w.ButtonPost->click();
        QCOMPARE(w.posts, 0);
        w.canPost = true;
        w.idleRefresh();
        QVERIFY(w.ButtonPost->isEnabled());
        w.ButtonPost->click();
        QCOMPARE(w.posts, 1);
    }

    // A state that became stale since the last idle moment (two keys in one
    // batch) must not let the action run.
    void actionRechecksItsStateBeforeRunning()
    {
        TestDb db;
        ProbeWindow w(nullptr);
        w.idleRefresh();
        QVERIFY(w.ActionPost->isEnabled());
        w.canPost = false;
        w.ActionPost->trigger();
        QCOMPARE(w.posts, 0);
        QVERIFY(!w.ActionPost->isEnabled());
    }

    void functionKeysReachTheActions()
    {
        TestDb db;
        ProbeWindow w(nullptr);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.EditName->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F11);
        QCOMPARE(w.posts, 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F12);
        QVERIFY(!w.isVisible());
    }

    void escapeDoesNotCloseTheWindow()
    {
        TestDb db;
        ProbeWindow w(nullptr);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.EditCode->setFocus();
        QTest::keyClick(w.EditCode, Qt::Key_Escape);
        QVERIFY(w.isVisible());
    }

    void editingStatusFollowsTheFlagAtIdleTime()
    {
        TestDb db;
        ProbeWindow w(nullptr);
        w.idleRefresh();
        QVERIFY(w.statusBar());
        QCOMPARE(w.statusText(), QString());
        w.markEditing(true);
        QCOMPARE(w.statusText(), QString());  // not at the moment of the change
        w.idleRefresh();
        QCOMPARE(w.statusText(), QString("編集中"));
        w.markEditing(false);
        w.idleRefresh();
        QCOMPARE(w.statusText(), QString());
    }

    void idleRefreshReachesWindowUnderModalDialog()
    {
        TestDb db;
        ProbeWindow w(nullptr);
        w.canPost = false;
        w.show();
        QVERIFY(!w.ActionPost->isEnabled());

        bool enabledWhileCovered = false;
        int refreshesWhileCovered = 0;
        ModalDriver driver;
        driver.then([&](QWidget* modal) {
            // The data changes while the dialog is up; nothing tells the window.
            w.canPost = true;
            const int before = w.refreshes;
            QTimer::singleShot(100, modal, [&, modal, before] {
                enabledWhileCovered = w.ActionPost->isEnabled();
                refreshesWhileCovered = w.refreshes - before;
                modal->close();
            });
        });
        QDialog cover(&w);
        cover.exec();
        QVERIFY(enabledWhileCovered);
        QVERIFY(refreshesWhileCovered > 0);
    }

    void failingRefreshIsReportedOnce()
    {
        TestDb db;
        ProbeWindow w(nullptr);
        w.failRefresh = true;
        ModalDriver driver;
        driver.answer(QMessageBox::Ok).then([](QWidget*) {});
        w.idleRefresh();
        w.idleRefresh();
        QCOMPARE(driver.boxes.size(), 1);
        QCOMPARE(driver.boxes[0].text, QString("refresh failed"));
        QVERIFY(!driver.finished());  // no second box
    }

    void enterActsAsTab_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("enterAsTab");
        QTest::addColumn<QString>("expected");

        const auto none = Qt::KeyboardModifiers();
        QTest::newRow("line edit") << "EditCode" << int(Qt::Key_Return) << none << true << "EditName";
        QTest::newRow("keypad enter") << "EditCode" << int(Qt::Key_Enter)
                                      << Qt::KeyboardModifiers(Qt::KeypadModifier) << true << "EditName";
        QTest::newRow("shift") << "EditCode" << int(Qt::Key_Return)
                               << Qt::KeyboardModifiers(Qt::ShiftModifier) << true << "EditName";
        QTest::newRow("ctrl") << "EditName" << int(Qt::Key_Return)
                              << Qt::KeyboardModifiers(Qt::ControlModifier) << true << "Combo";
        QTest::newRow("combo box") << "Combo" << int(Qt::Key_Return) << none << true << "Check";
        QTest::newRow("check box") << "Check" << int(Qt::Key_Return) << none << true << "Grid";
        QTest::newRow("exempt grid keeps enter") << "Grid" << int(Qt::Key_Return) << none << true << "Grid";
        QTest::newRow("push button keeps enter")
            << "ButtonPost" << int(Qt::Key_Return) << none << true << "ButtonPost";
        QTest::newRow("push button, window opted out")
            << "ButtonPost" << int(Qt::Key_Return) << none << false << "ButtonPost";
        QTest::newRow("window opted out") << "EditCode" << int(Qt::Key_Return) << none << false << "EditCode";
    }

    void enterActsAsTab()
    {
        QFETCH(QString, start);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, enterAsTab);
        QFETCH(QString, expected);

        TestDb db;
        ProbeWindow w(nullptr, {.enterAsTab = enterAsTab});
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* from = w.findChild<QWidget*>(start);
        from->setFocus();
        QCOMPARE(QApplication::focusWidget(), from);
        QTest::keyClick(from, Qt::Key(key), modifiers);
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), expected);
        QCOMPARE(w.isVisible(), true);
        // Enter presses a focused push button; nowhere else does it run the action.
        QCOMPARE(w.posts, start == "ButtonPost" ? 1 : 0);
    }

    void enterInAnotherWindowIsLeftAlone()
    {
        TestDb db;
        ProbeWindow w(nullptr);
        w.show();
        QWidget other;
        auto* a = new QLineEdit(&other);
        auto* b = new QLineEdit(&other);
        new QVBoxLayout(&other);
        other.layout()->addWidget(a);
        other.layout()->addWidget(b);
        other.show();
        QApplication::setActiveWindow(&other);
        QVERIFY(QTest::qWaitForWindowActive(&other));
        a->setFocus();
        QTest::keyClick(a, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), a);
    }
};

#include "tst_functionwindow.moc"

int runFunctionWindowTests(int argc, char** argv)
{
    TestFunctionWindow t;
    return QTest::qExec(&t, argc, argv);
}
