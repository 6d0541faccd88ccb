// The receipt and payment slip windows, driven with the keyboard: numbers per
// kind, new lines, the total, the save condition, renumbering, cancel, a failed
// save, and the search dialogs opening the picked slip.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

#include "dataset.h"
#include "dbcodeedit.h"
#include "dbgrid.h"
#include "dbtext.h"
#include "findslipdlg.h"
#include "graypanel.h"
#include "inputmoneyreceiveform.h"
#include "inputpaymentform.h"
#include "modaldriver.h"
#include "slipfixture.h"

class TestMoneySlipForm : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void numbersPerKind();
    void linesAndTotal_data();
    void linesAndTotal();
    void saveCondition();
    void deletingTheMiddleLineRenumbers();
    void cancelWritesNothing();
    void failedSaveIsRolledBackAndRetried();
    void searchDialogOpensThePickedSlip_data();
    void searchDialogOpensThePickedSlip();

private:
    MoneySlipForm* open(bool receipt);
    void newSlip(MoneySlipForm* w, const QString& number = {});
    void enterPartner(MoneySlipForm* w, const QString& code);
    void addAmount(MoneySlipForm* w, const QString& amount);
    void saveReceipt3();  // receipt 3 for C1 with lines of 100, 200, 300

    TestDb* m_db = nullptr;
    std::vector<std::unique_ptr<MoneySlipForm>> m_windows;
};

void TestMoneySlipForm::init()
{
    m_db = new TestDb;
    seedMasters(*m_db);
}

void TestMoneySlipForm::cleanup()
{
    m_windows.clear();
    delete m_db;
    m_db = nullptr;
}

MoneySlipForm* TestMoneySlipForm::open(bool receipt)
{
    if (receipt)
        m_windows.push_back(std::make_unique<TInputMoneyReceiveForm>(nullptr));
    else
        m_windows.push_back(std::make_unique<TInputPaymentForm>(nullptr));
    MoneySlipForm* w = m_windows.back().get();
    return showActive(w) ? w : nullptr;
}

void TestMoneySlipForm::newSlip(MoneySlipForm* w, const QString& number)
{
    QApplication::setActiveWindow(w);
    w->EditCode->setFocus();
    w->EditCode->clear();
    if (!number.isEmpty())
        typeKeys(number);
    pressKey(Qt::Key_Return);
}

void TestMoneySlipForm::enterPartner(MoneySlipForm* w, const QString& code)
{
    QApplication::setActiveWindow(w);
    w->partnerEdit->setFocus(Qt::TabFocusReason);
    w->partnerEdit->selectAll();
    typeCommitted(w->partnerEdit, code);
    pressKey(Qt::Key_Tab);
}

void TestMoneySlipForm::addAmount(MoneySlipForm* w, const QString& amount)
{
    DbEditGrid* grid = w->GridDetail;
    Dataset& lines = w->editor().DetailDataSet;
    QApplication::setActiveWindow(w);
    grid->setFocus(Qt::TabFocusReason);
    if (lines.count() == 0) {
        pressKey(Qt::Key_Return);
    } else {
        lines.last();
        grid->setCurrentIndex(cellOf(grid, lines.count() - 1, "金額"));
        pressKey(Qt::Key_Down);
    }
    grid->setCurrentIndex(cellOf(grid, lines.currentRow(), "金額"));
    typeKeys(amount);
    pressKey(Qt::Key_Return);
}

void TestMoneySlipForm::saveReceipt3()
{
    m_db->exec(
        "INSERT INTO t_入金 (伝票番号, 入金年月日, 顧客コード) VALUES (3, '2005-04-01', 'C1');"
        "INSERT INTO t_入金明細 (伝票番号, 明細番号, 区分コード, 金額, 摘要) VALUES"
        " (3, 1, '10', 1000000, 'a'), (3, 2, '20', 2000000, 'b'), (3, 3, '30', 3000000, 'c');");
}

void TestMoneySlipForm::numbersPerKind()
{
    m_db->exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9) "
        "INSERT INTO t_入金 (伝票番号, 入金年月日, 顧客コード) SELECT i, '2020-01-01', 'C1' FROM n;");
    MoneySlipForm* receipt = open(true);
    QCOMPARE(receipt->windowTitle(), QStringLiteral("入金伝票入力"));
    newSlip(receipt);
    QCOMPARE(receipt->EditCode->text(), QStringLiteral("10"));
    QCOMPARE(receipt->editor().HeaderDataSet.field("入金年月日").asDate(), QDate::currentDate());
    QCOMPARE(receipt->editor().DetailDataSet.count(), 0);
    receipt->idleRefresh();
    QVERIFY(!enabled(receipt->ActionCommit));
    QCOMPARE(receipt->statusText(), QStringLiteral("編集中"));

    MoneySlipForm* payment = open(false);
    QCOMPARE(payment->windowTitle(), QStringLiteral("支払伝票入力"));
    newSlip(payment);
    QCOMPARE(payment->EditCode->text(), QStringLiteral("1"));
    enterPartner(payment, "S1");
    addAmount(payment, "500");
    pressAction(payment, Qt::Key_F11);
    newSlip(payment);
    QCOMPARE(payment->EditCode->text(), QStringLiteral("2"));
    QCOMPARE(rowsOf(m_db->path(), "SELECT 伝票番号, 仕入先コード, 伝票合計 FROM t_支払"),
             QStringList({"1|S1|5000000"}));
}

void TestMoneySlipForm::linesAndTotal_data()
{
    QTest::addColumn<bool>("receipt");
    QTest::newRow("receipt") << true;
    QTest::newRow("payment") << false;
}

void TestMoneySlipForm::linesAndTotal()
{
    QFETCH(bool, receipt);
    MoneySlipForm* w = open(receipt);
    newSlip(w);
    QCOMPARE(w->LabelSum->text(), QStringLiteral("¥0"));
    enterPartner(w, receipt ? "C1" : "S1");
    DbEditGrid* grid = w->GridDetail;
    const Dataset& lines = w->editor().DetailDataSet;
    grid->setFocus(Qt::TabFocusReason);
    pressKey(Qt::Key_Return);  // a new line
    QCOMPARE(lines.state(), Dataset::State::Insert);
    QCOMPARE(lines.field("区分コード").asText(), QStringLiteral("10"));
    QCOMPARE(lines.field("金額").asMoney(), Money());
    QCOMPARE(grid->datasetModel()->data(cellOf(grid, 0, "区分")).toString(), QStringLiteral("10 現金"));
    grid->setCurrentIndex(cellOf(grid, 0, "金額"));
    typeKeys("1000");
    QCOMPARE(w->LabelSum->text(), QStringLiteral("¥0"));  // not confirmed yet
    pressKey(Qt::Key_Return);
    QCOMPARE(w->LabelSum->text(), QStringLiteral("¥1,000"));
    addAmount(w, "2500");
    addAmount(w, "-500");
    QCOMPARE(w->LabelSum->text(), QStringLiteral("¥3,000"));

    // A kind chosen from the list, a remark, and an emptied amount counting 0.
    typeIntoCell(grid, 1, "区分", "20");
    pressKey(Qt::Key_Return);
    QCOMPARE(lines.fieldAt(1, "区分コード").asText(), QStringLiteral("20"));
    typeIntoCell(grid, 1, "摘要", "transfer");
    pressKey(Qt::Key_Return);
    typeIntoCell(grid, 2, "金額", " ");
    grid->setCurrentIndex(cellOf(grid, 2, "金額"));
    pressKey(Qt::Key_Return);
    QVERIFY(lines.fieldAt(2, "金額").isNull());
    QCOMPARE(w->LabelSum->text(), QStringLiteral("¥3,500"));

    pressAction(w, Qt::Key_F11);
    const QString table = receipt ? QStringLiteral("t_入金明細") : QStringLiteral("t_支払明細");
    QCOMPARE(rowsOf(m_db->path(),
                    QStringLiteral("SELECT 明細番号, 区分コード, 金額, 摘要 FROM %1 ORDER BY 1").arg(table)),
             QStringList({"1|10|10000000|-", "2|20|25000000|transfer", "3|10|-|-"}));
    const QString view = receipt ? QStringLiteral("v_入金") : QStringLiteral("v_支払");
    QCOMPARE(rowsOf(m_db->path(), "SELECT 伝票合計 FROM " + view), QStringList({"35000000"}));
}

void TestMoneySlipForm::saveCondition()
{
    MoneySlipForm* w = open(true);
    newSlip(w);
    addAmount(w, "100");
    w->idleRefresh();
    QVERIFY(!enabled(w->ActionCommit));  // no customer

    enterPartner(w, "ZZ");
    QCOMPARE(w->partnerName->text(), QString());
    w->idleRefresh();
    QVERIFY(!enabled(w->ActionCommit));  // not registered

    w->partnerEdit->setFocus(Qt::TabFocusReason);
    w->partnerEdit->selectAll();
    typeCommitted(w->partnerEdit, QStringLiteral("C1"));
    w->idleRefresh();
    QVERIFY(!enabled(w->ActionCommit));  // not left yet
    pressKey(Qt::Key_Tab);
    QCOMPARE(w->partnerName->text(), QStringLiteral("山田商店"));
    w->idleRefresh();
    QVERIFY(enabled(w->ActionCommit));

    typeIntoCell(w->GridDetail, 0, "金額", "7");
    w->GridDetail->commitCell();
    w->idleRefresh();
    QVERIFY(!enabled(w->ActionCommit));  // a line being typed
    pressKey(Qt::Key_Return);
    w->idleRefresh();
    QVERIFY(enabled(w->ActionCommit));
}

void TestMoneySlipForm::deletingTheMiddleLineRenumbers()
{
    saveReceipt3();
    MoneySlipForm* w = open(true);
    newSlip(w, "3");
    QVERIFY(!w->isEditing());
    QCOMPARE(w->LabelSum->text(), QStringLiteral("¥600"));
    w->editor().DetailDataSet.moveTo(1);
    w->GridDetail->setFocus(Qt::TabFocusReason);
    ModalDriver driver;
    driver.answer(QMessageBox::Yes);
    pressKey(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(w->LabelSum->text(), QStringLiteral("¥400"));
    pressAction(w, Qt::Key_F11);
    QCOMPARE(rowsOf(m_db->path(), "SELECT 伝票番号, 明細番号, 金額, 摘要 FROM t_入金明細 ORDER BY 2"),
             QStringList({"3|1|1000000|a", "3|2|3000000|c"}));
}

void TestMoneySlipForm::cancelWritesNothing()
{
    saveReceipt3();
    const QStringList before = rowsOf(m_db->path(), "SELECT * FROM t_入金明細");
    MoneySlipForm* w = open(true);
    newSlip(w, "3");
    enterPartner(w, "C2");
    addAmount(w, "999");
    typeIntoCell(w->GridDetail, 0, "金額", "1");
    pressKey(Qt::Key_Return);
    pressAction(w, Qt::Key_F10);
    QVERIFY(!w->isEditing() && w->EditCode->isEnabled() && w->EditCode->text().isEmpty());
    QCOMPARE(rowsOf(m_db->path(), "SELECT * FROM t_入金明細"), before);
    QCOMPARE(rowsOf(m_db->path(), "SELECT 顧客コード FROM t_入金"), QStringList({"C1"}));
    newSlip(w, "3");
    QCOMPARE(w->partnerEdit->text(), QStringLiteral("C1"));
    QCOMPARE(w->LabelSum->text(), QStringLiteral("¥600"));

    // Delete asks, then removes the slip and its lines.
    ModalDriver driver;
    driver.answer(QMessageBox::Yes);
    pressAction(w, Qt::Key_F9);
    QVERIFY(rowsOf(m_db->path(), "SELECT * FROM t_入金").isEmpty());
    QVERIFY(rowsOf(m_db->path(), "SELECT * FROM t_入金明細").isEmpty());
}

void TestMoneySlipForm::failedSaveIsRolledBackAndRetried()
{
    saveReceipt3();
    MoneySlipForm* w = open(false);
    newSlip(w);
    enterPartner(w, "S1");
    addAmount(w, "100");
    addAmount(w, "200");
    m_db->exec(
        "CREATE TRIGGER fail_lines AFTER INSERT ON t_支払明細 WHEN NEW.明細番号 = 2 "
        "BEGIN SELECT RAISE(ABORT, '書き込みに失敗しました'); END;");
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    pressAction(w, Qt::Key_F11);
    QCOMPARE(driver.boxes.size(), 1);
    QCOMPARE(driver.boxes[0].icon, QMessageBox::NoIcon);
    QVERIFY(rowsOf(m_db->path(), "SELECT * FROM t_支払").isEmpty());
    QVERIFY(rowsOf(m_db->path(), "SELECT * FROM t_支払明細").isEmpty());
    QVERIFY(w->isEditing());
    QCOMPARE(w->editor().DetailDataSet.count(), 2);
    m_db->exec("DROP TRIGGER fail_lines;");
    pressAction(w, Qt::Key_F11);
    QCOMPARE(rowsOf(m_db->path(), "SELECT 伝票番号, 仕入先コード, 伝票合計 FROM t_支払"),
             QStringList({"1|S1|3000000"}));
    QCOMPARE(rowsOf(m_db->path(), "SELECT 明細番号, 金額 FROM t_支払明細"),
             QStringList({"1|1000000", "2|2000000"}));
}

void TestMoneySlipForm::searchDialogOpensThePickedSlip_data()
{
    QTest::addColumn<bool>("receipt");
    QTest::newRow("receipt") << true;
    QTest::newRow("payment") << false;
}

void TestMoneySlipForm::searchDialogOpensThePickedSlip()
{
    QFETCH(bool, receipt);
    saveReceipt3();
    m_db->exec(
        "INSERT INTO t_支払 (伝票番号, 支払年月日, 仕入先コード) VALUES (3, '2005-04-01', 'S1');"
        "INSERT INTO t_支払明細 (伝票番号, 明細番号, 区分コード, 金額) VALUES (3, 1, '20', 70000000);");
    MoneySlipForm* w = open(receipt);
    ModalDriver driver;
    QString caption;
    driver.then([&](QWidget* modal) {
        auto* dlg = qobject_cast<FindSlipDlg*>(modal);
        if (!dlg)
            return;
        caption = dlg->windowTitle();
        dlg->ButtonFindClick();
        dlg->idleRefresh();
        dlg->ButtonOK->click();
    });
    w->EditCode->setFocus();
    pressKey(Qt::Key_F4);
    QVERIFY(driver.finished());
    QCOMPARE(caption, receipt ? QStringLiteral("入金伝票検索") : QStringLiteral("支払伝票検索"));
    QCOMPARE(w->EditCode->text(), QStringLiteral("3"));
    QVERIFY(!w->isEditing());
    QCOMPARE(w->LabelSum->text(), receipt ? QStringLiteral("¥600") : QStringLiteral("¥7,000"));
    QCOMPARE(w->partnerName->text(), receipt ? QStringLiteral("山田商店") : QStringLiteral("丸山物産"));
}

QTEST_MAIN(TestMoneySlipForm)
#include "tst_moneyslipform.moc"
