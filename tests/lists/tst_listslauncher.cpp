// The launcher opens the sales and the purchase detail lists.
#include <QAction>
#include <QTest>

#include "mainform.h"
#include "modaldriver.h"
#include "testdb.h"
#include "windowregistry.h"

class TestListsLauncher : public QObject {
    Q_OBJECT

private slots:
    void launcherOpensTheWindows_data();
    void launcherOpensTheWindows();
};

void TestListsLauncher::launcherOpensTheWindows_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<QString>("caption");
    QTest::newRow("sales detail list") << "ActionSalesDetailList"
                                       << "TSalesDetailListForm"
                                       << "売上明細表";
    QTest::newRow("purchase detail list") << "ActionBuyingDetailList"
                                          << "TBuyingDetailListForm"
                                          << "仕入明細表";
}

void TestListsLauncher::launcherOpensTheWindows()
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

QTEST_MAIN(TestListsLauncher)
#include "tst_listslauncher.moc"
