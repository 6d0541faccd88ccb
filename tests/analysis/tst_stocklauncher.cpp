// The launcher opens the item stock list and the item ledger.
#include <QAction>
#include <QTest>

#include "mainform.h"
#include "modaldriver.h"
#include "testdb.h"
#include "windowregistry.h"

class TestStockLauncher : public QObject {
    Q_OBJECT

private slots:
    void launcherOpensTheWindows_data();
    void launcherOpensTheWindows();
};

void TestStockLauncher::launcherOpensTheWindows_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<QString>("caption");
    QTest::newRow("stock list") << "ActionItemStockList"
                                << "TItemStockListForm"
                                << "商品在庫一覧表";
    QTest::newRow("item ledger") << "ActionLedgerItem"
                                 << "TLedgerItemForm"
                                 << "商品元帳";
}

void TestStockLauncher::launcherOpensTheWindows()
{
    QFETCH(QString, action);
    QFETCH(QString, windowClass);
    QFETCH(QString, caption);
    TestDb db;
    WindowRegistry registry;
    registerWindows(registry);
    QVERIFY(registry.has(action));
    TMainForm form(registry);
    form.show();
    QVERIFY(form.action(action)->isEnabled());
    QString title;
    ModalDriver driver;
    driver.then([&](QWidget* modal) {
        title = modal->windowTitle();
        modal->close();
    });
    form.action(action)->trigger();
    QVERIFY(driver.finished());
    QCOMPARE(driver.seen, QStringList{windowClass});
    QCOMPARE(title, caption);
}

QTEST_MAIN(TestStockLauncher)
#include "tst_stocklauncher.moc"
