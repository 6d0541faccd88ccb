// The item stock list and the item ledger windows driven as a user drives them:
// the idle rules and keys, title-click sorting that the print follows, the
// ledger opened from a list row showing at once, the item lookup, the slip of
// a ledger row, and the print of the last display.
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

#include "connection.h"
#include "datepicker.h"
#include "dbcodeedit.h"
#include "dbgrid.h"
#include "dbtext.h"
#include "finditemdlg.h"
#include "itemstocklistform.h"
#include "ledgeritemform.h"
#include "modaldriver.h"
#include "stockbooks.h"
#include "testdb.h"
#include "widgettesthelp.h"
#include "windowtesthelp.h"

namespace {

// Items A1, B2, C3. Over March 2024:
//   code  carried  in  out  stock
//   A1       5      0    0     5
//   B2       0      9    1     8
//   C3      -2      0    0    -2
void writeBooks(const QString& path)
{
    Connection c(path);
    StockBooks b(c);
    b.item("A1", "あ品");
    b.item("B2", "い品");
    b.item("C3", "う品");
    b.supplier("S1", "南物産");
    b.customer("K1", "北商店");
    b.purchase(1, QDate(2024, 2, 1), {{QStringLiteral("A1"), qty("5")}}, "S1");
    b.sale(2, QDate(2024, 2, 2), {{QStringLiteral("C3"), qty("2")}}, "K1");
    b.purchase(3, QDate(2024, 3, 5), {{QStringLiteral("B2"), qty("9")}}, "S1");
    b.sale(4, QDate(2024, 3, 5), {{QStringLiteral("B2"), qty("1")}}, "K1");
    b.purchase(5, QDate(2024, 4, 1), {{QStringLiteral("B2"), qty("100")}}, "S1");
}

QStringList codesOf(const Dataset& ds)
{
    QStringList codes;
    for (int i = 0; i < ds.count(); ++i)
        codes << ds.fieldAt(i, "商品コード").asText();
    return codes;
}

void clickTitle(DbGrid* grid, const QString& field, Qt::KeyboardModifiers modifiers = {})
{
    QHeaderView* header = grid->horizontalHeader();
    const int section = grid->datasetModel()->modelColumnOf(field);
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers, at);
}

QPoint rowPoint(const DbGrid* grid, int row)
{
    return grid->visualRect(grid->model()->index(row, 1)).center();
}

void enterCode(TLedgerItemForm& w, const QString& code)
{
    w.EditCode->setFocus();
    w.EditCode->clear();
    QTest::keyClicks(w.EditCode, code);
    QTest::keyClick(w.EditCode, Qt::Key_Return);
}

}  // namespace

class TestStockForms : public QObject {
    Q_OBJECT

private slots:
    void stockListWiring();
    void stockListOpensTheLedgerAtOnce_data();
    void stockListOpensTheLedgerAtOnce();
    void ledgerWiring();
    void ledgerLookUpItem();
    void ledgerOpensTheSlipOfARow_data();
    void ledgerOpensTheSlipOfARow();
};

void TestStockForms::stockListWiring()
{
    TestDb db;
    TItemStockListForm w(nullptr);
    const auto printed = catchPrint(w);
    QVERIFY(showActive(&w));
    w.idleRefresh();
    const QDate today = QDate::currentDate();
    QCOMPARE(w.JvDatePickerEditFrom->date(), QDate(today.year(), today.month(), 1));
    QCOMPARE(w.JvDatePickerEditTo->date(), QDate(today.year(), today.month(), today.daysInMonth()));
    QCOMPARE(w.ActionDispDetail->shortcut(), QKeySequence(Qt::Key_F10));
    QCOMPARE(w.ActionPrint->shortcut(), QKeySequence(Qt::Key_F11));
    QCOMPARE(w.ActionClose->shortcut(), QKeySequence(Qt::Key_F12));
    QVERIFY(!w.ActionDispDetail->isEnabled());
    QVERIFY(!w.ActionPrint->isEnabled());

    // An empty item master: an empty list, nothing to open or print.
    w.JvDatePickerEditFrom->setDate(T);
    w.JvDatePickerEditTo->setDate(F);
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);
    QVERIFY(w.ListDataSet().isOpen());
    QCOMPARE(w.ListDataSet().count(), 0);
    w.idleRefresh();
    QVERIFY(!w.ActionDispDetail->isEnabled());
    QVERIFY(!w.ActionPrint->isEnabled());
    QTest::mouseDClick(w.GridList->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    QTest::keyClick(&w, Qt::Key_F11);
    QCOMPARE(printed->previews, 0);

    writeBooks(db.path());
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);
    // The pickers were exchanged and show the period used.
    QCOMPARE(w.JvDatePickerEditFrom->date(), F);
    QCOMPARE(w.JvDatePickerEditTo->date(), T);
    QCOMPARE(codesOf(w.ListDataSet()), (QStringList{"A1", "B2", "C3"}));
    w.idleRefresh();
    QVERIFY(w.ActionDispDetail->isEnabled());
    QVERIFY(w.ActionPrint->isEnabled());

    // Title clicks sort the held rows: stock ascending, then descending.
    clickTitle(w.GridList, "在庫数");
    QCOMPARE(codesOf(w.ListDataSet()), (QStringList{"C3", "A1", "B2"}));
    clickTitle(w.GridList, "在庫数");
    QCOMPARE(codesOf(w.ListDataSet()), (QStringList{"B2", "A1", "C3"}));

    // The print takes the period of the last display and the rows in the grid's order.
    w.JvDatePickerEditFrom->setDate(QDate(2024, 4, 1));
    w.JvDatePickerEditTo->setDate(QDate(2024, 4, 30));
    w.setFocus();
    w.idleRefresh();
    QTest::keyClick(&w, Qt::Key_F11);
    QCOMPARE(printed->previews, 1);
    QCOMPARE(printed->dateFrom, QStringLiteral("2024/03/01"));
    QCOMPARE(printed->dateTo, QStringLiteral("2024/03/31"));
    const ReportDocument& doc = printed->document;
    QCOMPARE(textsTagged(doc, "商品コード"), (QStringList{"B2", "A1", "C3"}));
    QCOMPARE(textsTagged(doc, "在庫数"), (QStringList{"8.00", "5.00", "-2.00"}));
    QCOMPARE(textsTagged(doc, "期間入庫数"), (QStringList{"9.00", "0.00", "0.00"}));
}

void TestStockForms::stockListOpensTheLedgerAtOnce_data()
{
    QTest::addColumn<bool>("useKey");
    QTest::newRow("double-click") << false;
    QTest::newRow("F10") << true;
}

void TestStockForms::stockListOpensTheLedgerAtOnce()
{
    QFETCH(bool, useKey);
    TestDb db;
    writeBooks(db.path());
    TItemStockListForm w(nullptr);
    QVERIFY(showActive(&w));
    w.JvDatePickerEditFrom->setDate(F);
    w.JvDatePickerEditTo->setDate(T);
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);
    // The ledger takes the pickers as they stand, here changed since the display.
    w.JvDatePickerEditFrom->setDate(QDate(2024, 3, 5));

    QString opened, code, name, first, last;
    QDate from, to;
    int rows = -1;
    bool canDisplay = false;
    ModalDriver driver;
    driver.then([&](QWidget* modal) {
        opened = QString::fromLatin1(modal->metaObject()->className());
        if (auto* ledger = qobject_cast<TLedgerItemForm*>(modal)) {
            code = ledger->EditCode->text();
            name = ledger->DBTextItemName->text();
            from = ledger->JvDatePickerEditFrom->date();
            to = ledger->JvDatePickerEditTo->date();
            const Dataset& ds = ledger->LedgerDataSet();
            rows = ds.isOpen() ? ds.count() : -1;
            if (rows > 0) {
                first = ds.fieldAt(0, "在庫数").asMoney().toPlainText();
                last = ds.fieldAt(rows - 1, "在庫数").asMoney().toPlainText();
            }
            ledger->idleRefresh();
            canDisplay = ledger->ButtonDisp->isEnabled();
        }
        modal->close();
    });
    w.idleRefresh();
    if (useKey) {
        QTest::mouseClick(w.GridList->viewport(), Qt::LeftButton, {}, rowPoint(w.GridList, 1));
        QCOMPARE(w.ListDataSet().currentRow(), 1);
        w.idleRefresh();
        QTest::keyClick(&w, Qt::Key_F10);
    } else {
        QTest::mouseDClick(w.GridList->viewport(), Qt::LeftButton, {}, rowPoint(w.GridList, 1));
    }
    QVERIFY(driver.finished());
    QCOMPARE(opened, QStringLiteral("TLedgerItemForm"));
    QCOMPARE(code, QStringLiteral("B2"));
    QCOMPARE(name, QStringLiteral("い品"));
    QCOMPARE(from, QDate(2024, 3, 5));
    QCOMPARE(to, T);
    QCOMPARE(rows, 3);  // carried forward, the purchase and the sale of the 5th
    QCOMPARE(first, QStringLiteral("0"));
    QCOMPARE(last, QStringLiteral("8"));
    QVERIFY(canDisplay);
    // The list is left as it was.
    QCOMPARE(w.ListDataSet().count(), 3);
    QCOMPARE(w.PeriodFromText(), QStringLiteral("2024/03/01"));
}

void TestStockForms::ledgerWiring()
{
    TestDb db;
    writeBooks(db.path());
    {
        Connection c(db.path());
        StockBooks(c).item("O'Neil", "引用符");
    }
    TLedgerItemForm w(nullptr);
    const auto printed = catchPrint(w);
    QVERIFY(showActive(&w));
    w.idleRefresh();
    QCOMPARE(w.ActionDispDetail->shortcut(), QKeySequence());
    QCOMPARE(w.ActionPrint->shortcut(), QKeySequence(Qt::Key_F11));
    QVERIFY(!w.ButtonDisp->isEnabled());
    QVERIFY(!w.ActionDispDetail->isEnabled());
    QVERIFY(!w.ActionPrint->isEnabled());
    QCOMPARE(w.GridLedger->datasetModel()->modelColumnOf("相手先コード"), -1);  // present but hidden

    enterCode(w, "B2");
    QCOMPARE(w.DBTextItemName->text(), QStringLiteral("い品"));
    w.idleRefresh();
    QVERIFY(w.ButtonDisp->isEnabled());
    // Typing on: the looked-up item no longer matches the field.
    w.EditCode->setFocus();
    QTest::keyClick(w.EditCode, 'X');
    w.idleRefresh();
    QVERIFY(!w.ButtonDisp->isEnabled());
    QTest::keyClick(w.EditCode, Qt::Key_Return);
    QCOMPARE(w.DBTextItemName->text(), QString());
    w.idleRefresh();
    QVERIFY(!w.ButtonDisp->isEnabled());

    enterCode(w, "B2");
    w.JvDatePickerEditFrom->setDate(T);
    w.JvDatePickerEditTo->setDate(F);
    w.idleRefresh();
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);
    QCOMPARE(w.JvDatePickerEditFrom->date(), F);
    QCOMPARE(w.JvDatePickerEditTo->date(), T);
    QCOMPARE(w.LedgerDataSet().count(), 3);
    w.idleRefresh();
    QVERIFY(w.ActionDispDetail->isEnabled());
    QVERIFY(w.ActionPrint->isEnabled());

    // Another item looked up after the display: the print still names B2.
    enterCode(w, "O'Neil");
    QCOMPARE(w.DBTextItemName->text(), QStringLiteral("引用符"));
    w.setFocus();
    w.idleRefresh();
    QTest::keyClick(&w, Qt::Key_F11);
    QCOMPARE(printed->previews, 1);
    QCOMPARE(printed->dateFrom, QStringLiteral("2024/03/01"));
    const ReportDocument& doc = printed->document;
    QCOMPARE(textsTagged(doc, "商品コード"), QStringList{"B2"});
    QCOMPARE(textsTagged(doc, "商品名"), QStringList{"い品"});
    QCOMPARE(textsTagged(doc, "種別"), (QStringList{"繰越在庫数", "仕入", "売上"}));
    QCOMPARE(textsTagged(doc, "在庫数"), (QStringList{"0.00", "9.00", "8.00"}));

    // A code with a quote is a value like any other.
    w.idleRefresh();
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);
    QCOMPARE(w.LedgerDataSet().count(), 1);
}

void TestStockForms::ledgerLookUpItem()
{
    TestDb db;
    writeBooks(db.path());
    TLedgerItemForm w(nullptr);
    QVERIFY(showActive(&w));
    QString dialog;
    ModalDriver driver;
    driver.then([&](QWidget* modal) {
        dialog = QString::fromLatin1(modal->metaObject()->className());
        auto* find = qobject_cast<TFindItemDlg*>(modal);
        if (!find) {
            modal->close();
            return;
        }
        find->EditCode->setText("C");
        find->ButtonFindClick();
        find->ButtonOKClick();
    });
    w.EditCode->setFocus();
    QTest::keyClick(w.EditCode, Qt::Key_F4);
    QVERIFY(driver.finished());
    QCOMPARE(dialog, QStringLiteral("TFindItemDlg"));
    QCOMPARE(w.EditCode->text(), QStringLiteral("C3"));
    QCOMPARE(w.DBTextItemName->text(), QStringLiteral("う品"));
    QVERIFY(!w.EditCode->hasFocus());
    w.idleRefresh();
    QVERIFY(w.ButtonDisp->isEnabled());
}

void TestStockForms::ledgerOpensTheSlipOfARow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<QString>("slipNo");
    // B2 over March: 0 carried forward, 1 purchase 3, 2 sale 4.
    QTest::newRow("carried forward") << 0 << QString() << QString();
    QTest::newRow("purchase") << 1 << "TInputBuyingForm"
                              << "3";
    QTest::newRow("sale") << 2 << "TInputSalesForm"
                          << "4";
}

void TestStockForms::ledgerOpensTheSlipOfARow()
{
    QFETCH(int, row);
    QFETCH(QString, windowClass);
    QFETCH(QString, slipNo);
    TestDb db;
    writeBooks(db.path());
    TLedgerItemForm w(nullptr);
    QVERIFY(showActive(&w));
    w.openOnItem("B2", F, T);
    QCOMPARE(w.LedgerDataSet().count(), 3);

    QString opened, number;
    ModalDriver driver;
    driver.then([&](QWidget* modal) {
        opened = QString::fromLatin1(modal->metaObject()->className());
        if (auto* field = modal->findChild<QLineEdit*>("EditCode"))
            number = field->text();
        modal->close();
    });
    w.idleRefresh();
    QTest::mouseDClick(w.GridLedger->viewport(), Qt::LeftButton, {}, rowPoint(w.GridLedger, row));
    QCOMPARE(opened, windowClass);
    QCOMPARE(number, slipNo);
    QCOMPARE(driver.finished(), !windowClass.isEmpty());
}

QTEST_MAIN(TestStockForms)
#include "tst_stockforms.moc"
