// The launcher opens the ledgers (customer, supplier, item), the two balance
// lists, the bills, the item stock list and the two detail lists.
#include <QAction>
#include <QTest>

#include "mainform.h"
#include "modaldriver.h"
#include "testdb.h"
#include "windowregistry.h"

class TestAccountsLauncher : public QObject {
    Q_OBJECT

private slots:
    void launcherOpensTheWindows_data();
    void launcherOpensTheWindows();
};

void TestAccountsLauncher::launcherOpensTheWindows_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<QString>("caption");
    QTest::newRow("receivable list") << "ActionAccountsReceivableList"
                                     << "TAccountsReceivableListForm"
                                     << "売掛残高一覧";
    QTest::newRow("customer ledger") << "ActionLedgerCustomer"
                                     << "TLedgerCustomerForm"
                                     << "顧客元帳";
    QTest::newRow("payable list") << "ActionAccountsPayableList"
                                  << "TAccountsPayableListForm"
                                  << "買掛残高一覧";
    QTest::newRow("supplier ledger") << "ActionLedgerSupplier"
                                     << "TLedgerSupplierForm"
                                     << "仕入先元帳";
    QTest::newRow("bills") << "ActionBillIssue"
                           << "TBillIssueForm"
                           << "売掛請求";
    QTest::newRow("item stock list") << "ActionItemStockList"
                                     << "TItemStockListForm"
                                     << "商品在庫一覧表";
    QTest::newRow("item ledger") << "ActionLedgerItem"
                                 << "TLedgerItemForm"
                                 << "商品元帳";
    QTest::newRow("sales detail list") << "ActionSalesDetailList"
                                       << "TSalesDetailListForm"
                                       << "売上明細表";
    QTest::newRow("purchase detail list") << "ActionBuyingDetailList"
                                          << "TBuyingDetailListForm"
                                          << "仕入明細表";
}

void TestAccountsLauncher::launcherOpensTheWindows()
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

QTEST_MAIN(TestAccountsLauncher)
#include "tst_accountslauncher.moc"
