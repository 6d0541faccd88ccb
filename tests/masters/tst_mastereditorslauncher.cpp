// The launcher opens the five code-keyed master editors.
#include <QAction>
#include <QTest>

#include "boxanswer.h"
#include "dataset.h"
#include "dbcodeedit.h"
#include "mainform.h"
#include "mastereditform.h"
#include "modaldriver.h"
#include "testdb.h"
#include "windowregistry.h"

class TestMasterEditorsLauncher : public QObject {
    Q_OBJECT

private slots:
    void launcherOpensTheEditors_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("windowClass");
        QTest::addColumn<QString>("caption");
        QTest::newRow("items") << "ActionInputItem"
                               << "TInputItemForm"
                               << "商品台帳";
        QTest::newRow("item categories") << "ActionInputItemCatego"
                                         << "TInputItemCategoForm"
                                         << "商品分類台帳";
        QTest::newRow("customers") << "ActionInputCustomer"
                                   << "TInputCustomerForm"
                                   << "顧客台帳";
        QTest::newRow("suppliers") << "ActionInputSupplier"
                                   << "TInputSupplierForm"
                                   << "仕入先台帳";
        QTest::newRow("staff") << "ActionInputEmployee"
                               << "TInputEmployeeForm"
                               << "担当者台帳";
    }

    // Opened owned by the main window, centred on it, with data; F12 closes it
    // (after asking, as a new record is being edited).
    void launcherOpensTheEditors()
    {
        QFETCH(QString, action);
        QFETCH(QString, windowClass);
        QFETCH(QString, caption);
        TestDb db;
        WindowRegistry registry;
        registerWindows(registry);
        QVERIFY(registry.has(action));
        TMainForm form(registry);
        form.setGeometry(20, 20, 760, 560);  // the dialog fits the offscreen screen around it
        form.show();
        QVERIFY(form.action(action)->isEnabled());

        QString seenCaption;
        bool owned = false;
        bool connected = false;
        QPoint offset;
        ModalDriver driver;
        driver.then([&](QWidget* modal) {
            seenCaption = modal->windowTitle();
            owned = modal->parentWidget() == &form;
            offset = modal->frameGeometry().center() - form.frameGeometry().center();
            if (auto* editor = qobject_cast<MasterEditForm*>(modal)) {
                // A code typed and left loads (here: starts) a record through its own connection.
                editor->EditCode->setText("Z9");
                editor->EditCodeExit();
                connected = editor->recordDataSet().isOpen();
            }
            QTest::keyClick(modal, Qt::Key_F12);
        });
        // The new record is unsaved: closing asks first (answered from a timer of
        // its own, as the driver's step is still running).
        auto box = answerNextBox(QMessageBox::Yes);
        form.action(action)->trigger();
        QVERIFY(driver.finished());
        QVERIFY(box->seen);
        QCOMPARE(driver.seen, QStringList{windowClass});
        QCOMPARE(seenCaption, caption);
        QVERIFY(owned);
        QVERIFY(connected);
        QVERIFY2(offset.manhattanLength() < 40, qPrintable(QString("%1,%2").arg(offset.x()).arg(offset.y())));
    }
};

QTEST_MAIN(TestMasterEditorsLauncher)
#include "tst_mastereditorslauncher.moc"
