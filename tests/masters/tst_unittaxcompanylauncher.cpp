// The launcher opens the unit list, the tax settings and the company information.
#include <QAction>
#include <QTest>

#include "mainform.h"
#include "modaldriver.h"
#include "testdb.h"
#include "windowregistry.h"

class TestUnitTaxCompanyLauncher : public QObject {
    Q_OBJECT

private slots:
    void launcherOpensTheWindows_data();
    void launcherOpensTheWindows();
};

void TestUnitTaxCompanyLauncher::launcherOpensTheWindows_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("windowClass");
    QTest::newRow("unit") << "ActionInputUnit"
                          << "TInputUnitForm";
    QTest::newRow("tax") << "ActionInputTax"
                         << "TInputTaxForm";
    QTest::newRow("company") << "ActionInputCompany"
                             << "TInputCompanyForm";
}

void TestUnitTaxCompanyLauncher::launcherOpensTheWindows()
{
    QFETCH(QString, action);
    QFETCH(QString, windowClass);
    TestDb db;
    WindowRegistry registry;
    registerWindows(registry);
    QVERIFY(registry.has(action));
    TMainForm form(registry);
    form.show();
    QVERIFY(form.action(action)->isEnabled());
    ModalDriver driver;
    driver.closeIt();
    form.action(action)->trigger();
    QVERIFY(driver.finished());
    QCOMPARE(driver.seen, QStringList{windowClass});
}

QTEST_MAIN(TestUnitTaxCompanyLauncher)
#include "tst_unittaxcompanylauncher.moc"
