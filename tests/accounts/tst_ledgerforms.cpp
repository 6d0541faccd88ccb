// The customer and supplier ledger windows driven as a user drives them: the
// code field and its idle rules, the period pickers, the detail switch, the
// row colours, printing the period of the last display and its partner.
#include <QCheckBox>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QtTest>

#include <memory>

#include "connection.h"
#include "datepicker.h"
#include "dbcodeedit.h"
#include "dbgrid.h"
#include "dbtext.h"
#include "ledgercustomerform.h"
#include "ledgersupplierform.h"
#include "modaldriver.h"
#include "partnerfinddlg.h"
#include "testdb.h"
#include "widgettesthelp.h"
#include "windowtesthelp.h"

namespace {

std::unique_ptr<LedgerForm> makeLedger(int side)
{
    if (side == 0)
        return std::make_unique<TLedgerCustomerForm>(nullptr);
    return std::make_unique<TLedgerSupplierForm>(nullptr);
}

const LedgerForm::Names& namesOf(int side)
{
    return side == 0 ? TLedgerCustomerForm::names() : TLedgerSupplierForm::names();
}

DbText* nameBox(LedgerForm& w, int side)
{
    return w.findChild<DbText*>(namesOf(side).ledger->side->objectName("DBText", "Name"));
}

// Types a code into the empty code field and leaves it with Enter.
void enterCode(LedgerForm& w, const QString& code)
{
    w.EditCode->setFocus();
    w.EditCode->clear();
    QTest::keyClicks(w.EditCode, code);
    QTest::keyClick(w.EditCode, Qt::Key_Return);
}

void display(LedgerForm& w, const QDate& from, const QDate& to)
{
    w.JvDatePickerEditFrom->setDate(from);
    w.JvDatePickerEditTo->setDate(to);
    w.idleRefresh();
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);
}

QList<qint64> balancesOf(const Dataset& ds)
{
    QList<qint64> out;
    for (int i = 0; i < ds.count(); ++i)
        if (!ds.fieldAt(i, "残高").isNull())
            out << ds.fieldAt(i, "残高").asMoney().yenHalfAway();
    return out;
}

}  // namespace

class TestLedgerForms : public QObject {
    Q_OBJECT

private slots:
    void idleRules_data() { addSideRows(); }
    void idleRules();
    void lookUpPartner_data();
    void lookUpPartner();
    void partnerCodeWithQuotes_data();
    void partnerCodeWithQuotes();
    void pickersExchanged_data() { addSideRows(); }
    void pickersExchanged();
    void detailsOffKeepsBalances_data() { addSideRows(); }
    void detailsOffKeepsBalances();
    void rowColours_data() { addSideRows(); }
    void rowColours();
    void printTakesTheLastDisplay_data() { addSideRows(); }
    void printTakesTheLastDisplay();
    void openOnPartnerShowsTheLedger_data() { addSideRows(); }
    void openSlipOfRow_data();
    void openSlipOfRow();
    void openOnPartnerShowsTheLedger();
};

void TestLedgerForms::idleRules()
{
    QFETCH(int, side);
    TestDb db;
    {
        Connection c(db.path());
        Books(c, booksOf(side)).partner("P1", "一番");
    }
    const auto w = makeLedger(side);
    QVERIFY(showActive(w.get()));
    w->idleRefresh();

    const QDate today = QDate::currentDate();
    QCOMPARE(w->JvDatePickerEditFrom->date(), QDate(today.year(), today.month(), 1));
    QCOMPARE(w->JvDatePickerEditTo->date(), QDate(today.year(), today.month(), today.daysInMonth()));
    QVERIFY(w->CheckBoxDetail->isChecked());
    QVERIFY(!w->ButtonDisp->isEnabled());
    QVERIFY(!w->ActionDispDetail->isEnabled());
    QVERIFY(!w->ActionPrint->isEnabled());
    QCOMPARE(w->ActionDispDetail->shortcut(), side == 0 ? QKeySequence() : QKeySequence(Qt::Key_F10));
    QCOMPARE(w->ActionPrint->shortcut(), QKeySequence(Qt::Key_F11));

    enterCode(*w, "P1");
    QCOMPARE(nameBox(*w, side)->text(), QStringLiteral("一番"));
    QVERIFY(w->JvDatePickerEditFrom->hasFocus());
    w->idleRefresh();
    QVERIFY(w->ButtonDisp->isEnabled());

    // Typing on in the field: the loaded partner no longer matches it.
    w->EditCode->setFocus();
    QTest::keyClick(w->EditCode, 'X');
    w->idleRefresh();
    QVERIFY(!w->ButtonDisp->isEnabled());
    // A code that no partner has: no name, no display, no message.
    QTest::keyClick(w->EditCode, Qt::Key_Return);
    QCOMPARE(nameBox(*w, side)->text(), QString());
    w->idleRefresh();
    QVERIFY(!w->ButtonDisp->isEnabled());
    QVERIFY(!w->LedgerDataSet().isOpen());

    enterCode(*w, "P1");
    display(*w, F, T);
    QVERIFY(w->LedgerDataSet().isOpen());
    QCOMPARE(w->LedgerDataSet().count(), 1);  // the carried-forward row
    w->idleRefresh();
    QVERIFY(w->ActionDispDetail->isEnabled());
    QVERIFY(w->ActionPrint->isEnabled());

    // The rows stay when the field changes; only "表示" follows the field.
    enterCode(*w, "P9");
    w->idleRefresh();
    QVERIFY(!w->ButtonDisp->isEnabled());
    QVERIFY(w->ActionPrint->isEnabled());
    QCOMPARE(w->LedgerDataSet().count(), 1);
}

void TestLedgerForms::lookUpPartner_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<bool>("confirm");
    QTest::newRow("customer OK") << 0 << true;
    QTest::newRow("customer cancel") << 0 << false;
    QTest::newRow("supplier OK") << 1 << true;
    QTest::newRow("supplier cancel") << 1 << false;
}

void TestLedgerForms::lookUpPartner()
{
    QFETCH(int, side);
    QFETCH(bool, confirm);
    TestDb db;
    {
        Connection c(db.path());
        Books b(c, booksOf(side));
        b.partner("P1", "一番");
        b.partner("Q2", "二番");
    }
    const auto w = makeLedger(side);
    QVERIFY(showActive(w.get()));
    enterCode(*w, "P1");

    QString dialog;
    ModalDriver driver;
    driver.then([&](QWidget* modal) {
        dialog = QString::fromLatin1(modal->metaObject()->className());
        auto* find = qobject_cast<PartnerFindDlg*>(modal);
        if (!find || !confirm) {
            modal->close();
            return;
        }
        find->EditCode->setText("Q");
        find->ButtonFindClick();
        find->ButtonOKClick();
    });
    w->EditCode->setFocus();
    QTest::keyClick(w->EditCode, Qt::Key_F4);
    QVERIFY(driver.finished());
    QCOMPARE(dialog, QString(side == 0 ? "TFindCustomerDlg" : "TFindSupplierDlg"));
    w->idleRefresh();
    QVERIFY(w->ButtonDisp->isEnabled());
    if (confirm) {
        // The chosen code is loaded as if typed, and the focus has moved on.
        QCOMPARE(w->EditCode->text(), QStringLiteral("Q2"));
        QCOMPARE(nameBox(*w, side)->text(), QStringLiteral("二番"));
        QVERIFY(!w->EditCode->hasFocus());
    } else {
        QCOMPARE(w->EditCode->text(), QStringLiteral("P1"));
        QCOMPARE(nameBox(*w, side)->text(), QStringLiteral("一番"));
    }
}

void TestLedgerForms::partnerCodeWithQuotes_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<QString>("code");
    for (int side : {0, 1}) {
        const char* name = side == 0 ? "customer" : "supplier";
        QTest::addRow("%s quote", name) << side << QStringLiteral("O'Neil");
        QTest::addRow("%s injection", name) << side << QStringLiteral("x' OR '1'='1");
        QTest::addRow("%s doubled", name) << side << QStringLiteral("a''b");
    }
}

void TestLedgerForms::partnerCodeWithQuotes()
{
    QFETCH(int, side);
    QFETCH(QString, code);
    TestDb db;
    {
        Connection c(db.path());
        Books b(c, booksOf(side));
        b.partner(code, "引用符");
        b.partner("P2", "他社");
        b.goods(1, QDate(2024, 2, 1), Books::Credit, code, yen(700));
        b.goods(2, QDate(2024, 3, 5), Books::Credit, code, yen(1000));
        b.goods(3, QDate(2024, 3, 6), Books::Credit, "P2", yen(5000));
        b.money(1, QDate(2024, 3, 7), "P2", {yen(40)});
    }
    const auto w = makeLedger(side);
    QVERIFY(showActive(w.get()));
    enterCode(*w, code);
    QCOMPARE(nameBox(*w, side)->text(), QStringLiteral("引用符"));
    display(*w, F, T);
    const Dataset& ds = w->LedgerDataSet();
    QVERIFY(ds.isOpen());
    QCOMPARE(ds.count(), 3);  // carried forward, the slip, its line
    QCOMPARE(ds.fieldAt(1, "伝票番号").asInt(), 2);
    QCOMPARE(balancesOf(ds), (QList<qint64>{700, 1700}));
}

void TestLedgerForms::pickersExchanged()
{
    QFETCH(int, side);
    TestDb db;
    {
        Connection c(db.path());
        Books b(c, booksOf(side));
        b.partner("P1");
        b.goods(1, QDate(2024, 2, 29), Books::Credit, "P1", yen(1));
        b.goods(2, F, Books::Credit, "P1", yen(10));
        b.goods(3, T, Books::Credit, "P1", yen(100));
        b.goods(4, T.addDays(1), Books::Credit, "P1", yen(1000));
    }
    const auto w = makeLedger(side);
    QVERIFY(showActive(w.get()));
    w->CheckBoxDetail->click();
    enterCode(*w, "P1");
    display(*w, T, F);

    QCOMPARE(w->JvDatePickerEditFrom->date(), F);
    QCOMPARE(w->JvDatePickerEditTo->date(), T);
    QCOMPARE(w->PeriodFromText(), QStringLiteral("2024/03/01"));
    QCOMPARE(w->PeriodToText(), QStringLiteral("2024/03/31"));
    QCOMPARE(w->LedgerDataSet().fieldAt(0, "表示用年月日").asDate(), F);
    QCOMPARE(balancesOf(w->LedgerDataSet()), (QList<qint64>{1, 11, 111}));
}

void TestLedgerForms::detailsOffKeepsBalances()
{
    QFETCH(int, side);
    const LedgerNames& n = *namesOf(side).ledger;
    TestDb db;
    {
        Connection c(db.path());
        Books b(c, booksOf(side));
        b.partner("P1");
        b.goods(1, QDate(2024, 2, 1), Books::Credit, "P1", yen(5000));
        b.goods(2, QDate(2024, 3, 2), Books::Credit, "P1",
                {GoodsLine{yen(1000), yen(100), yen(2)}, GoodsLine{yen(300), yen(30), yen(1)}});
        b.goods(3, QDate(2024, 3, 2), Books::Cash, "P1", {GoodsLine{yen(800), yen(80), yen(1)}});
        b.money(1, QDate(2024, 3, 3), "P1", {yen(1000), yen(500)});
    }
    const auto w = makeLedger(side);
    QVERIFY(showActive(w.get()));
    enterCode(*w, "P1");
    display(*w, F, T);
    Dataset& ds = w->LedgerDataSet();
    QCOMPARE(ds.count(), 1 + 3 + 1 + 2 + 2);
    const QList<qint64> balances = balancesOf(ds);
    QCOMPARE(balances, (QList<qint64>{5000, 5000 + 2530, 5000 + 2530 - 1500}));

    const QStringList detailFields{"区分", "商品名", "分類名", "単価", "税額", "数量", "金額", n.moneyAmount};
    const DatasetModel* model = w->GridLedger->datasetModel();
    for (const QString& f : detailFields)
        QVERIFY2(model->modelColumnOf(f) >= 0, qPrintable(f));
    QCOMPARE(model->modelColumnOf("商品コード"), -1);

    w->CheckBoxDetail->click();
    QCOMPARE(ds.count(), 4);
    for (int i = 0; i < ds.count(); ++i)
        QCOMPARE(ds.fieldAt(i, "明細番号").asInt(), -1);
    QCOMPARE(balancesOf(ds), balances);
    QCOMPARE(w->GridLedger->model()->rowCount(), 4);
    for (const QString& f : detailFields)
        QVERIFY2(model->modelColumnOf(f) < 0, qPrintable(f));
    for (const QString& f : {QStringLiteral("現金合計"), n.creditTotal, n.moneyTotal, QStringLiteral("残高")})
        QVERIFY2(model->modelColumnOf(f) >= 0, qPrintable(f));

    // The switch holds for the next display.
    QTest::mouseClick(w->ButtonDisp, Qt::LeftButton);
    QCOMPARE(ds.count(), 4);
    QCOMPARE(balancesOf(ds), balances);

    w->CheckBoxDetail->click();
    QCOMPARE(ds.count(), 9);
    for (const QString& f : detailFields)
        QVERIFY2(model->modelColumnOf(f) >= 0, qPrintable(f));
    QCOMPARE(model->modelColumnOf("商品コード"), -1);
}

void TestLedgerForms::rowColours()
{
    QFETCH(int, side);
    TestDb db;
    {
        Connection c(db.path());
        Books b(c, booksOf(side));
        b.partner("P1");
        b.goods(1, QDate(2024, 3, 2), Books::Credit, "P1", yen(100));
    }
    const auto w = makeLedger(side);
    QVERIFY(showActive(w.get()));
    enterCode(*w, "P1");
    display(*w, F, T);
    // Rows: carried forward (current), the slip, its line.
    const QAbstractItemModel* model = w->GridLedger->model();
    QCOMPARE(model->rowCount(), 3);
    const QColor face = w->GridLedger->palette().color(QPalette::Button);
    QCOMPARE(model->data(model->index(1, 0), Qt::BackgroundRole).value<QColor>(), face);
    QVERIFY(!model->data(model->index(2, 0), Qt::BackgroundRole).isValid());
    // The selected row keeps the grid's own colours.
    QVERIFY(!model->data(model->index(0, 0), Qt::BackgroundRole).isValid());
    w->LedgerDataSet().moveTo(1);
    QCOMPARE(model->data(model->index(0, 0), Qt::BackgroundRole).value<QColor>(), face);

    // Grey text: the cash total and the detail amounts, not the balance columns.
    const LedgerNames& n = *namesOf(side).ledger;
    const DatasetModel* columns = w->GridLedger->datasetModel();
    const auto greyAt = [&](const QString& field) {
        QStyleOptionViewItem option;
        w->GridLedger->decorateCell(&option, model->index(0, columns->modelColumnOf(field)));
        return option.palette.color(QPalette::Text) == w->palette().color(QPalette::Disabled, QPalette::Text);
    };
    for (const QString& f :
         {QStringLiteral("区分"), QStringLiteral("金額"), QStringLiteral("現金合計"), n.moneyAmount})
        QVERIFY2(greyAt(f), qPrintable(f));
    for (const QString& f : {QStringLiteral("種別"), n.creditTotal, n.moneyTotal, QStringLiteral("残高")})
        QVERIFY2(!greyAt(f), qPrintable(f));
}

void TestLedgerForms::printTakesTheLastDisplay()
{
    QFETCH(int, side);
    const LedgerNames& n = *namesOf(side).ledger;
    TestDb db;
    {
        Connection c(db.path());
        Books b(c, booksOf(side));
        b.partner("P1", "一番");
        b.partner("P2", "二番");
        b.goods(1, QDate(2024, 3, 2), Books::Credit, "P1", yen(1200));
        b.goods(2, QDate(2024, 4, 2), Books::Credit, "P2", yen(9));
    }
    const auto w = makeLedger(side);
    const auto printed = catchPrint(*w);
    QVERIFY(showActive(w.get()));
    w->CheckBoxDetail->click();
    enterCode(*w, "P1");
    display(*w, F, T);

    // The pickers and the code field change, but nothing is displayed again.
    w->JvDatePickerEditFrom->setDate(QDate(2024, 4, 1));
    w->JvDatePickerEditTo->setDate(QDate(2024, 4, 30));
    enterCode(*w, "P2");
    QCOMPARE(nameBox(*w, side)->text(), QStringLiteral("二番"));
    w->setFocus();
    w->idleRefresh();
    QTest::keyClick(w.get(), Qt::Key_F11);

    QCOMPARE(printed->previews, 1);
    QCOMPARE(printed->dateFrom, QStringLiteral("2024/03/01"));
    QCOMPARE(printed->dateTo, QStringLiteral("2024/03/31"));
    const ReportDocument& doc = printed->document;
    QCOMPARE(textsTagged(doc, "QRLabelDateFrom"), QStringList{"2024/03/01"});
    QCOMPARE(textsTagged(doc, n.side->codeColumn), QStringList{"P1"});
    QCOMPARE(textsTagged(doc, namesOf(side).ledger->side->nameColumn), QStringList{"一番"});
    // The rows as shown: the details are off, the balances computed.
    QCOMPARE(textsTagged(doc, "表示用年月日"), (QStringList{"2024/03/01", "2024/03/02"}));
    QCOMPARE(textsTagged(doc, "残高"), (QStringList{"¥0", "¥1,200"}));
}

void TestLedgerForms::openOnPartnerShowsTheLedger()
{
    QFETCH(int, side);
    TestDb db;
    {
        Connection c(db.path());
        Books b(c, booksOf(side));
        b.partner("P1", "一番");
        b.goods(1, QDate(2024, 2, 10), Books::Credit, "P1", yen(300));
        b.goods(2, QDate(2024, 3, 10), Books::Credit, "P1", yen(20));
    }
    const auto w = makeLedger(side);
    w->openOnPartner("P1", T, F);
    QCOMPARE(w->EditCode->text(), QStringLiteral("P1"));
    QCOMPARE(nameBox(*w, side)->text(), QStringLiteral("一番"));
    QCOMPARE(w->JvDatePickerEditFrom->date(), F);
    QCOMPARE(w->JvDatePickerEditTo->date(), T);
    QCOMPARE(balancesOf(w->LedgerDataSet()), (QList<qint64>{300, 320}));
    w->idleRefresh();
    QVERIFY(w->ButtonDisp->isEnabled());
    QVERIFY(w->ActionPrint->isEnabled());
}

void TestLedgerForms::openSlipOfRow_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("useKey");
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<QString>("slipNo");
    // Rows: 0 carried forward, 1 credit slip 5, 2-3 its lines, 4 cash slip 6,
    // 5 its line, 6 money slip 7, 7 its line.
    QTest::newRow("customer credit line") << 0 << 3 << false << "TInputSalesForm"
                                          << "5";
    QTest::newRow("customer cash slip") << 0 << 4 << false << "TInputSalesForm"
                                        << "6";
    QTest::newRow("customer receipt slip") << 0 << 6 << false << "TInputMoneyReceiveForm"
                                           << "7";
    QTest::newRow("customer receipt line") << 0 << 7 << false << "TInputMoneyReceiveForm"
                                           << "7";
    QTest::newRow("customer carried forward") << 0 << 0 << false << QString() << QString();
    QTest::newRow("supplier credit slip") << 1 << 1 << true << "TInputBuyingForm"
                                          << "5";
    QTest::newRow("supplier cash line") << 1 << 5 << false << "TInputBuyingForm"
                                        << "6";
    QTest::newRow("supplier payment line") << 1 << 7 << true << "TInputPaymentForm"
                                           << "7";
    QTest::newRow("supplier carried forward") << 1 << 0 << true << QString() << QString();
}

void TestLedgerForms::openSlipOfRow()
{
    QFETCH(int, side);
    QFETCH(int, row);
    QFETCH(bool, useKey);
    QFETCH(QString, windowClass);
    QFETCH(QString, slipNo);
    TestDb db;
    {
        Connection c(db.path());
        Books b(c, booksOf(side));
        b.partner("P1");
        b.goods(5, QDate(2024, 3, 2), Books::Credit, "P1",
                {GoodsLine{yen(100), yen(10), yen(1)}, GoodsLine{yen(200), yen(20), yen(1)}});
        b.goods(6, QDate(2024, 3, 3), Books::Cash, "P1", yen(50));
        b.money(7, QDate(2024, 3, 4), "P1", {yen(30)});
    }
    const auto w = makeLedger(side);
    QVERIFY(showActive(w.get()));
    enterCode(*w, "P1");
    display(*w, F, T);
    QCOMPARE(w->LedgerDataSet().count(), 8);

    QString opened, number;
    ModalDriver driver;
    driver.then([&](QWidget* modal) {
        opened = QString::fromLatin1(modal->metaObject()->className());
        if (auto* field = modal->findChild<QLineEdit*>("EditCode"))
            number = field->text();
        modal->close();
    });
    w->idleRefresh();
    const QPoint at = w->GridLedger->visualRect(w->GridLedger->model()->index(row, 1)).center();
    if (useKey) {
        QTest::mouseClick(w->GridLedger->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(w->LedgerDataSet().currentRow(), row);
        w->idleRefresh();
        QTest::keyClick(w.get(), Qt::Key_F10);
    } else {
        QTest::mouseDClick(w->GridLedger->viewport(), Qt::LeftButton, {}, at);
    }
    QCOMPARE(opened, windowClass);
    QCOMPARE(number, slipNo);
    QCOMPARE(driver.finished(), !windowClass.isEmpty());
    // The ledger is not refreshed afterwards.
    QCOMPARE(w->LedgerDataSet().count(), 8);
}

QTEST_MAIN(TestLedgerForms)
#include "tst_ledgerforms.moc"
