// Saves that must never store what the window forbids or destroy what another
// window saved: a partner code typed and saved without leaving the field, a
// conflict retried, a slip renumbered after a clash and then failing, totals of
// a line still being typed.
#include <QLabel>
#include <QtTest>

#include <memory>

#include "connection.h"
#include "dbcodeedit.h"
#include "dberror.h"
#include "dbtext.h"
#include "goodsslipeditor.h"
#include "graypanel.h"
#include "inputmoneyreceiveform.h"
#include "inputsalesform.h"
#include "modaldriver.h"
#include "moneyslipeditor.h"
#include "slipfixture.h"

namespace {

void addAmountLine(SlipEditor& e, int amountYen, const QString& remark = {})
{
    e.DetailDataSet.append();
    e.DetailDataSet.setValue("金額", QVariant::fromValue(Money::fromYen(amountYen)));
    e.DetailDataSet.setValue("摘要", remark);
    e.DetailDataSet.post();
}

}  // namespace

class TestSlipSaves : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_db = std::make_unique<TestDb>();
        seedMasters(*m_db);
        setSingleRate(*m_db, "1000");
    }
    void cleanup() { m_db.reset(); }

    void partnerTypedAndSavedInsideTheField_data();
    void partnerTypedAndSavedInsideTheField();
    void aConflictStaysAConflict();
    void renumberedSlipNeverTouchesTheOldNumber();
    void totalsCountConfirmedLinesOnly();
    void failedSaveRetriedWritesWhatTheWindowShows();
    void slipThatCannotBeReadWholeIsNotShown();

private:
    std::unique_ptr<TestDb> m_db;
};

void TestSlipSaves::partnerTypedAndSavedInsideTheField_data()
{
    QTest::addColumn<bool>("sales");
    QTest::newRow("sales") << true;
    QTest::newRow("receipt") << false;
}

// A registered customer, a line, then "ZZZ" typed over the code and F11
// pressed twice without leaving the field: nothing is saved, a message says
// why, and the name box shows that the code is unknown.
void TestSlipSaves::partnerTypedAndSavedInsideTheField()
{
    QFETCH(bool, sales);
    std::unique_ptr<QWidget> window;
    SlipForm* w = nullptr;
    if (sales)
        window.reset(w = new TInputSalesForm(nullptr));
    else
        window.reset(w = new TInputMoneyReceiveForm(nullptr));
    QVERIFY(showActive(w));
    w->EditCode->setFocus();
    pressKey(Qt::Key_Return);
    w->partnerEdit->setFocus(Qt::TabFocusReason);
    typeKeys("C1");
    pressKey(Qt::Key_Tab);
    QCOMPARE(w->partnerName->text(), QStringLiteral("山田商店"));
    Dataset& lines = w->editor().DetailDataSet;
    lines.append();
    lines.setValue(sales ? "商品コード" : "金額",
                   sales ? QVariant("A1") : QVariant::fromValue(Money::fromYen(5)));
    lines.post();

    w->partnerEdit->setFocus(Qt::TabFocusReason);
    w->partnerEdit->selectAll();
    typeKeys("ZZZ");
    ModalDriver driver;  // each F11 says why nothing is saved
    driver.answer(QMessageBox::Ok).answer(QMessageBox::Ok);
    for (int i = 0; i < 2; ++i) {
        w->idleRefresh();
        pressKey(Qt::Key_F11);
        QApplication::setActiveWindow(w);
    }
    QTRY_VERIFY(driver.finished());
    QCOMPARE(driver.boxes.size(), 2);
    QCOMPARE(driver.boxes[1].text, QStringLiteral("顧客コードが登録されていません。"));
    QVERIFY(w->partnerEdit->hasFocus());
    QCOMPARE(w->partnerName->text(), QString());
    w->idleRefresh();
    QVERIFY(!w->ActionCommit->isEnabled());
    const QString table = sales ? "t_売上" : "t_入金";
    QCOMPARE(rowsOf(m_db->path(), "SELECT count(*) FROM " + table), QStringList({"0"}));
    // The editor refuses it on its own, whatever the window looked up.
    w->editor().PartnerDataSet.close();
    w->editor().refreshPartner("C1");
    QCOMPARE(errorOf([&] { w->editor().save(); }), QStringLiteral("顧客コードが登録されていません。"));
    QCOMPARE(rowsOf(m_db->path(), "SELECT count(*) FROM " + table), QStringList({"0"}));
}

// Two editors on one slip: B changes a line and saves, A changes the same line.
// A's save fails, and so does every retry, until A opens the slip again.
void TestSlipSaves::aConflictStaysAConflict()
{
    m_db->exec(
        "INSERT INTO t_入金 (伝票番号, 入金年月日, 顧客コード) VALUES (3, '2005-04-01', 'C1');"
        "INSERT INTO t_入金明細 (伝票番号, 明細番号, 区分コード, 金額, 摘要) VALUES"
        " (3, 1, '10', 1000000, 'a'), (3, 2, '10', 2000000, 'b');");
    Connection ca(m_db->path()), cb(m_db->path());
    MoneySlipEditor a(ca, SlipKind::moneyReceive()), b(cb, SlipKind::moneyReceive());
    for (MoneySlipEditor* e : {&a, &b}) {
        e->openFixedLists();
        e->openSlip(3);
        e->refreshPartner("C1");
        e->DetailDataSet.moveTo(1);
        e->DetailDataSet.edit();
        e->DetailDataSet.setValue("摘要", e == &a ? "by A" : "by B");
        e->DetailDataSet.post();
    }
    b.save();
    for (int attempt = 0; attempt < 3; ++attempt)
        QVERIFY(errorOf([&] { a.save(); }).contains("開き直して"));
    QCOMPARE(rowsOf(m_db->path(), "SELECT 摘要 FROM t_入金明細 ORDER BY 明細番号"),
             QStringList({"a", "by B"}));
    a.cancel();
    a.openSlip(3);
    QCOMPARE(a.DetailDataSet.fieldAt(1, "摘要").asText(), QStringLiteral("by B"));
}

// A and B draw receipt 1; B saves; A is moved to 2, fails once more for another
// reason, then saves: receipt 1 keeps B's lines, receipt 2 has A's.
void TestSlipSaves::renumberedSlipNeverTouchesTheOldNumber()
{
    Connection ca(m_db->path()), cb(m_db->path());
    MoneySlipEditor a(ca, SlipKind::moneyReceive()), b(cb, SlipKind::moneyReceive());
    for (MoneySlipEditor* e : {&a, &b}) {
        e->openFixedLists();
        QCOMPARE(e->nextSlipNo(), 1);
        e->openSlip(1);
        e->HeaderDataSet.setValue("顧客コード", "C1");
        e->refreshPartner("C1");
    }
    addAmountLine(b, 3000, "b1");
    addAmountLine(b, 4000, "b2");
    b.save();
    addAmountLine(a, 100, "a1");
    QVERIFY(errorOf([&] { a.save(); }).contains("2"));
    QCOMPARE(a.slipNo(), 2);
    m_db->exec("CREATE TRIGGER fail AFTER INSERT ON t_入金明細 BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
    QVERIFY(errorOf([&] { a.save(); }).contains("disk full"));
    m_db->exec("DROP TRIGGER fail;");
    a.save();
    QCOMPARE(rowsOf(m_db->path(), "SELECT 伝票番号, 伝票合計 FROM t_入金 ORDER BY 1"),
             QStringList({"1|70000000", "2|1000000"}));
    QCOMPARE(rowsOf(m_db->path(), "SELECT 伝票番号, 明細番号, 摘要 FROM t_入金明細 ORDER BY 1, 2"),
             QStringList({"1|1|b1", "1|2|b2", "2|1|a1"}));
}

// One confirmed line of 2,000 + 10 % tax; a second item typed, the date
// changed, then the line cancelled: the totals never count it.
void TestSlipSaves::totalsCountConfirmedLinesOnly()
{
    TInputSalesForm w(nullptr);
    QVERIFY(showActive(&w));
    w.EditCode->setFocus();
    pressKey(Qt::Key_Return);
    Dataset& lines = w.editor().DetailDataSet;
    lines.append();
    lines.setValue("商品コード", "A1");
    lines.setValue("数量", QVariant::fromValue(Money::fromYen(2)));
    lines.post();
    QCOMPARE(w.LabelAllTotal->text(), QStringLiteral("¥2,200"));
    lines.append();
    lines.setValue("商品コード", "A1");
    w.editor().HeaderDataSet.setValue("売上年月日", QDate(2024, 1, 2));
    QCOMPARE(w.LabelAllTotal->text(), QStringLiteral("¥2,200"));
    lines.cancel();  // Escape
    QCOMPARE(lines.count(), 1);
    QCOMPARE(w.LabelAllTotal->text(), QStringLiteral("¥2,200"));
    // A confirmed line being changed counts as it was until it is confirmed again.
    lines.first();
    lines.edit();
    lines.setValue("数量", QVariant::fromValue(Money::fromYen(3)));
    QCOMPARE(w.goods().totals().withTax(), Money::fromYen(2200));
    lines.cancel();
    QCOMPARE(w.LabelAllTotal->text(), QStringLiteral("¥2,200"));
}

// A line deleted, one appended, the third line's write failing: the retry
// stores exactly the lines the editor shows, numbered 1, 2, 3.
void TestSlipSaves::failedSaveRetriedWritesWhatTheWindowShows()
{
    m_db->exec(
        "INSERT INTO t_入金 (伝票番号, 入金年月日, 顧客コード) VALUES (3, '2005-04-01', 'C1');"
        "INSERT INTO t_入金明細 (伝票番号, 明細番号, 区分コード, 金額, 摘要) VALUES"
        " (3, 1, '10', 1000000, 'a'), (3, 2, '10', 2000000, 'b'), (3, 3, '10', 3000000, 'c');");
    Connection c(m_db->path());
    MoneySlipEditor e(c, SlipKind::moneyReceive());
    e.openFixedLists();
    e.openSlip(3);
    e.DetailDataSet.moveTo(1);
    e.DetailDataSet.remove();
    addAmountLine(e, 400, "d");
    m_db->exec(
        "CREATE TRIGGER fail AFTER INSERT ON t_入金明細 WHEN NEW.明細番号 = 3 "
        "BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
    QVERIFY(errorOf([&] { e.save(); }).contains("disk full"));
    QCOMPARE(rowsOf(m_db->path(), "SELECT 明細番号, 摘要 FROM t_入金明細 ORDER BY 1"),
             QStringList({"1|a", "2|b", "3|c"}));
    m_db->exec("DROP TRIGGER fail;");
    e.save();
    QCOMPARE(rowsOf(m_db->path(), "SELECT 明細番号, 摘要, 金額 FROM t_入金明細 ORDER BY 1"),
             QStringList({"1|a|1000000", "2|c|3000000", "3|d|4000000"}));
    QCOMPARE(rowsOf(m_db->path(), "SELECT 伝票合計 FROM t_入金"), QStringList({"8000000"}));
}

// The header reads, the lines do not: the window shows nothing of the slip.
void TestSlipSaves::slipThatCannotBeReadWholeIsNotShown()
{
    m_db->exec(
        "INSERT INTO t_入金 (伝票番号, 入金年月日, 顧客コード) VALUES (3, '2005-04-01', 'C1');"
        "ALTER TABLE t_入金明細 RENAME TO unreadable;");
    TInputMoneyReceiveForm w(nullptr);
    QVERIFY(showActive(&w));
    w.EditCode->setFocus();
    typeKeys("3");
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    pressKey(Qt::Key_Return);
    QCOMPARE(driver.boxes.size(), 1);
    QVERIFY(!w.editor().HeaderDataSet.isOpen());
    QVERIFY(!w.GrayPanel->isEnabled());
    QVERIFY(w.EditCode->isEnabled());
    w.idleRefresh();
    QVERIFY(!w.ActionDelete->isEnabled());
}

QTEST_MAIN(TestSlipSaves)
#include "tst_slipsaves.moc"
