// The sales and purchase slip windows, driven with the keyboard: drawing and
// typing slip numbers, the save conditions, the category check, items and
// their prices, line tax, renumbering, cancel, close, delete, failed saves and
// two windows on one number.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

#include "dataset.h"
#include "dbcodeedit.h"
#include "dbdateedit.h"
#include "dbgrid.h"
#include "dbpicklist.h"
#include "dbtext.h"
#include "findcustomerdlg.h"
#include "finditemdlg.h"
#include "findslipdlg.h"
#include "goodsslipform.h"
#include "graypanel.h"
#include "inputbuyingform.h"
#include "inputsalesform.h"
#include "modaldriver.h"
#include "slipfixture.h"

namespace {

std::unique_ptr<GoodsSlipForm> makeWindow(bool sales)
{
    std::unique_ptr<GoodsSlipForm> w;
    if (sales)
        w = std::make_unique<TInputSalesForm>(nullptr);
    else
        w = std::make_unique<TInputBuyingForm>(nullptr);
    return w;
}

}  // namespace

class TestGoodsSlipForm : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void enterInAnEmptyFieldStartsTheNextSlip_data();
    void enterInAnEmptyFieldStartsTheNextSlip();
    void aTypedNumberDoesNotMoveTheNextNumber();
    void aSecondNewSlipTakesATypedDate();
    void saveConditions();
    void aRefusedSaveSaysWhy();
    void categoryCheckFocusesTheLine();
    void tabPassesTheCellsFilledFromTheItem();
    void choosingAnItemResetsQuantityAndPrice_data();
    void choosingAnItemResetsQuantityAndPrice();
    void lineTax_data();
    void lineTax();
    void openingASavedSlipAndChangingItsDateKeepsTheTax();
    void deletingAMiddleLineRenumbers();
    void cancelAndCloseWriteNothing();
    void deleteRemovesTheSlipAndItsLines();
    void failedSaveIsRolledBackAndRetried();
    void twoWindowsDrawingTheSameNumber();
    void slipChangedElsewhereIsNotOverwritten();
    void badAmountsAreRefusedInTheCell();
    void lookupDialogs();

private:
    GoodsSlipForm* open(bool sales = true);
    void newSlip(GoodsSlipForm* w, const QString& number = {});
    void enterPartner(GoodsSlipForm* w, const QString& code);
    void addLine(GoodsSlipForm* w, const QString& itemCode);
    void saveSlip12();  // sales slip 12 of 2005/04/01 for C1 with lines a, b, c
    QStringList lines(const QString& table = QStringLiteral("t_売上明細")) const;
    QStringList headers(const QString& table = QStringLiteral("t_売上")) const;

    TestDb* m_db = nullptr;
    std::vector<std::unique_ptr<GoodsSlipForm>> m_windows;
};

void TestGoodsSlipForm::init()
{
    m_db = new TestDb;
    seedMasters(*m_db);
}

void TestGoodsSlipForm::cleanup()
{
    m_windows.clear();
    delete m_db;
    m_db = nullptr;
}

GoodsSlipForm* TestGoodsSlipForm::open(bool sales)
{
    m_windows.push_back(makeWindow(sales));
    GoodsSlipForm* w = m_windows.back().get();
    if (!showActive(w))
        return nullptr;
    return w;
}

void TestGoodsSlipForm::newSlip(GoodsSlipForm* w, const QString& number)
{
    QApplication::setActiveWindow(w);
    w->EditCode->setFocus();
    w->EditCode->clear();
    if (!number.isEmpty())
        typeKeys(number);
    pressKey(Qt::Key_Return);
}

void TestGoodsSlipForm::enterPartner(GoodsSlipForm* w, const QString& code)
{
    QApplication::setActiveWindow(w);
    w->partnerEdit->setFocus(Qt::TabFocusReason);
    w->partnerEdit->selectAll();
    if (code.isEmpty())
        pressKey(Qt::Key_Backspace);
    else
        typeCommitted(w->partnerEdit, code);
    pressKey(Qt::Key_Tab);
}

void TestGoodsSlipForm::addLine(GoodsSlipForm* w, const QString& itemCode)
{
    DbEditGrid* grid = w->DetailGrid;
    Dataset& lines = w->editor().DetailDataSet;
    QApplication::setActiveWindow(w);
    grid->setFocus(Qt::TabFocusReason);
    if (lines.count() > 0) {
        lines.last();
        grid->setCurrentIndex(cellOf(grid, lines.count() - 1, QStringLiteral("商品コード")));
        pressKey(Qt::Key_Down);
        grid->setCurrentIndex(cellOf(grid, lines.count() - 1, QStringLiteral("商品コード")));
    }
    typeKeys(itemCode);
    pressKey(Qt::Key_Return);
}

void TestGoodsSlipForm::saveSlip12()
{
    m_db->exec(
        "INSERT INTO t_売上 (伝票番号, 売上年月日, 売上区分コード, 顧客コード) VALUES (12, '2005-04-01', "
        "'10', 'C1');"
        "INSERT INTO t_売上明細 (伝票番号, 明細番号, 商品コード, 商品名, 商品分類コード, 税区分コード, 単価, "
        "税額, 数量)"
        " VALUES (12, 1, 'A1', 'a', '0001', '01', 10000000, 500000, 10000),"
        " (12, 2, 'A1', 'b', '0001', '01', 20000000, 1000000, 10000),"
        " (12, 3, 'A1', 'c', '0001', '01', 30000000, 1500000, 10000);");
}

QStringList TestGoodsSlipForm::lines(const QString& table) const
{
    return rowsOf(m_db->path(),
                  QStringLiteral("SELECT 伝票番号, 明細番号, 商品コード, 商品名, 商品分類コード, "
                                 "税区分コード, 単価, 税額, 数量 FROM %1 ORDER BY 1, 2")
                      .arg(table));
}

QStringList TestGoodsSlipForm::headers(const QString& table) const
{
    return rowsOf(m_db->path(), QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(table));
}

void TestGoodsSlipForm::enterInAnEmptyFieldStartsTheNextSlip_data()
{
    QTest::addColumn<bool>("sales");
    QTest::addColumn<int>("saved");
    QTest::addColumn<QString>("expected");
    QTest::newRow("sales after 57") << true << 57 << "58";
    QTest::newRow("purchases after 57") << false << 57 << "58";
    QTest::newRow("first sales slip") << true << 0 << "1";
    QTest::newRow("first purchase slip") << false << 0 << "1";
}

void TestGoodsSlipForm::enterInAnEmptyFieldStartsTheNextSlip()
{
    QFETCH(bool, sales);
    QFETCH(int, saved);
    QFETCH(QString, expected);
    const QString table = sales ? QStringLiteral("t_売上") : QStringLiteral("t_仕入");
    const QString date = sales ? QStringLiteral("売上年月日") : QStringLiteral("仕入年月日");
    const QString cls = sales ? QStringLiteral("売上区分コード") : QStringLiteral("仕入区分コード");
    if (saved > 0)
        m_db->exec(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                           "INSERT INTO %2 (伝票番号, %3, %4) SELECT i, '2020-01-01', '10' FROM n;")
                .arg(saved)
                .arg(table, date, cls));
    GoodsSlipForm* w = open(sales);
    QVERIFY(w);
    QVERIFY(w->EditCode->hasFocus());
    QVERIFY(!w->GrayPanel->isEnabled());
    w->idleRefresh();
    QVERIFY(!enabled(w->ActionDelete) && !enabled(w->ActionCancel) && !enabled(w->ActionCommit));

    pressKey(Qt::Key_Return);
    QCOMPARE(w->EditCode->text(), expected);
    QVERIFY(!w->EditCode->isEnabled());
    QVERIFY(w->GrayPanel->isEnabled());
    QVERIFY(w->dateEdit->hasFocus());
    const Dataset& header = w->editor().HeaderDataSet;
    QCOMPARE(header.field(date).asDate(), QDate::currentDate());
    QCOMPARE(header.field(date).asText(), QDate::currentDate().toString(Qt::ISODate));  // no time of day
    QCOMPARE(header.field(cls).asText(), QStringLiteral("10"));
    QCOMPARE(w->classList->currentText(), sales ? QStringLiteral("10 掛売") : QStringLiteral("10 掛仕"));
    QCOMPARE(w->editor().DetailDataSet.count(), 0);
    w->idleRefresh();
    QCOMPARE(w->statusText(), QStringLiteral("編集中"));
    QVERIFY(!enabled(w->ActionDelete));
    QVERIFY(enabled(w->ActionCancel));
    QVERIFY(!enabled(w->ActionCommit));
    QCOMPARE(headers(table).size(), saved);  // nothing written yet
}

// After a saved slip, the date of the next new one is typed over as a whole.
void TestGoodsSlipForm::aSecondNewSlipTakesATypedDate()
{
    GoodsSlipForm* w = open();
    for (const QString& typed : {QStringLiteral("20261120"), QStringLiteral("2026/11/21")}) {
        newSlip(w);
        QVERIFY(w->dateEdit->hasFocus());
        typeKeys(typed);
        pressKey(Qt::Key_Return);
        QVERIFY(!w->dateEdit->hasFocus());
        enterPartner(w, "C1");
        addLine(w, "A1");
        pressAction(w, Qt::Key_F11);
        QVERIFY(!w->isEditing());
    }
    QCOMPARE(rowsOf(m_db->path(), "SELECT 伝票番号, 売上年月日, 顧客コード FROM t_売上 ORDER BY 1"),
             QStringList({"1|2026-11-20|C1", "2|2026-11-21|C1"}));
}

// While "登録" is disabled the status bar names the first unmet condition, and
// F11 shows it in a message box.
void TestGoodsSlipForm::aRefusedSaveSaysWhy()
{
    GoodsSlipForm* w = open();
    newSlip(w);
    enterPartner(w, "ZZZ");
    w->idleRefresh();
    QVERIFY(!enabled(w->ActionCommit));
    QCOMPARE(w->statusHint(), QStringLiteral("顧客コードが登録されていません。"));
    {
        ModalDriver driver;
        driver.answer(QMessageBox::Ok);
        pressAction(w, Qt::Key_F11);
        QTRY_VERIFY(driver.finished());
        QCOMPARE(driver.boxes.size(), 1);
        QCOMPARE(driver.boxes[0].icon, QMessageBox::Warning);
        QCOMPARE(driver.boxes[0].text, QStringLiteral("顧客コードが登録されていません。"));
    }
    enterPartner(w, "C1");
    w->idleRefresh();
    QCOMPARE(w->statusHint(), QStringLiteral("明細が入力されていません。"));
    QApplication::setActiveWindow(w);
    w->DetailGrid->setFocus(Qt::TabFocusReason);
    typeKeys("A1");
    w->idleRefresh();
    QCOMPARE(w->statusHint(), SlipEditor::LineBeingEnteredText);
    QVERIFY(!enabled(w->ActionCommit));
    pressKey(Qt::Key_Return);
    w->idleRefresh();
    QCOMPARE(w->statusHint(), QString());
    QVERIFY(enabled(w->ActionCommit));
    pressAction(w, Qt::Key_F11);
    QCOMPARE(headers().size(), 1);
}

void TestGoodsSlipForm::aTypedNumberDoesNotMoveTheNextNumber()
{
    m_db->exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 57) "
        "INSERT INTO t_売上 (伝票番号, 売上年月日, 売上区分コード) SELECT i, '2020-01-01', '10' FROM n;");
    GoodsSlipForm* a = open();
    newSlip(a, "1000");
    QCOMPARE(a->editor().slipNo(), 1000);
    QVERIFY(a->editor().isNewSlip());

    GoodsSlipForm* b = open();
    newSlip(b);
    QCOMPARE(b->EditCode->text(), QStringLiteral("58"));
    pressAction(b, Qt::Key_F10);
    QVERIFY(b->EditCode->isEnabled());
    QCOMPARE(b->EditCode->text(), QString());

    QVERIFY(showActive(a));
    enterPartner(a, "C1");
    addLine(a, "A1");
    a->idleRefresh();
    QVERIFY(enabled(a->ActionCommit));
    pressAction(a, Qt::Key_F11);
    QCOMPARE(rowsOf(m_db->path(), "SELECT 伝票番号, 顧客コード FROM t_売上 WHERE 伝票番号 > 57"),
             QStringList({"1000|C1"}));
    QVERIFY(!a->GrayPanel->isEnabled());
    QVERIFY(a->EditCode->hasFocus());

    QVERIFY(showActive(b));
    newSlip(b);
    QCOMPARE(b->EditCode->text(), QStringLiteral("1001"));
}

void TestGoodsSlipForm::saveConditions()
{
    GoodsSlipForm* w = open();
    newSlip(w);
    w->idleRefresh();
    QVERIFY(!enabled(w->ActionCommit));  // no line, no customer

    addLine(w, "A1");
    w->idleRefresh();
    QVERIFY(!enabled(w->ActionCommit));  // credit sale without a customer

    // Typed, not yet left: the header does not have it.
    w->partnerEdit->setFocus(Qt::TabFocusReason);
    typeCommitted(w->partnerEdit, QStringLiteral("C1"));
    w->idleRefresh();
    QVERIFY(!enabled(w->ActionCommit));
    pressKey(Qt::Key_Tab);
    QCOMPARE(w->partnerName->text(), QStringLiteral("山田商店"));
    w->idleRefresh();
    QVERIFY(enabled(w->ActionCommit));

    // A code no customer has: the name is blank and a credit sale cannot be saved...
    enterPartner(w, "ZZ");
    QCOMPARE(w->partnerName->text(), QString());
    w->idleRefresh();
    QVERIFY(!enabled(w->ActionCommit));
    // ...a cash sale can, with the code as typed.
    w->classList->setFocus(Qt::TabFocusReason);
    pressKey(Qt::Key_Down);
    QCOMPARE(w->editor().HeaderDataSet.field("売上区分コード").asText(), QStringLiteral("20"));
    w->idleRefresh();
    QVERIFY(enabled(w->ActionCommit));

    // A line being typed keeps it disabled until it is confirmed.
    typeIntoCell(w->DetailGrid, 0, QStringLiteral("数量"), QStringLiteral("3"));
    QVERIFY(w->DetailGrid->commitCell());
    QVERIFY(w->editor().DetailDataSet.isEditing());
    w->idleRefresh();
    QVERIFY(!enabled(w->ActionCommit));
    {
        // F11 saves nothing and says why.
        ModalDriver driver;
        driver.answer(QMessageBox::Ok);
        pressAction(w, Qt::Key_F11);
        QTRY_VERIFY(driver.finished());
        QCOMPARE(driver.boxes[0].text, SlipEditor::LineBeingEnteredText);
    }
    QVERIFY(headers().isEmpty());
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    pressKey(Qt::Key_Return);
    w->idleRefresh();
    QVERIFY(enabled(w->ActionCommit));

    // Clearing the customer stores no code at all.
    enterPartner(w, QString());
    QVERIFY(w->editor().HeaderDataSet.field("顧客コード").isNull());
    w->idleRefresh();
    QVERIFY(enabled(w->ActionCommit));
    pressAction(w, Qt::Key_F11);
    QCOMPARE(
        rowsOf(m_db->path(), "SELECT 伝票番号, 売上区分コード, typeof(顧客コード), 伝票合計 FROM t_売上"),
        QStringList({"1|20|null|" + QString::number(yen("3300").raw())}));

    // All lines deleted in the window: not savable; cancel brings them back.
    newSlip(w, "1");
    QVERIFY(w->editor().DetailDataSet.count() == 1);
    w->DetailGrid->setFocus(Qt::TabFocusReason);
    ModalDriver driver;
    driver.answer(QMessageBox::Yes);
    pressKey(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(w->editor().DetailDataSet.count(), 0);
    w->idleRefresh();
    QVERIFY(w->isEditing());
    QVERIFY(!enabled(w->ActionCommit));
    pressAction(w, Qt::Key_F10);
    newSlip(w, "1");
    QCOMPARE(w->editor().DetailDataSet.count(), 1);
}

void TestGoodsSlipForm::tabPassesTheCellsFilledFromTheItem()
{
    GoodsSlipForm* w = open();
    newSlip(w);
    enterPartner(w, "C1");
    DbEditGrid* grid = w->DetailGrid;
    const auto currentField = [grid] {
        return grid->datasetModel()->columnSpec(grid->currentIndex().column()).field;
    };
    QApplication::setActiveWindow(w);
    grid->setFocus(Qt::TabFocusReason);
    typeKeys("A1");
    pressKey(Qt::Key_Tab);  // name, unit, category, tax class and price came from the item
    QCOMPARE(currentField(), QStringLiteral("数量"));
    typeKeys("3");
    pressKey(Qt::Key_Tab);  // past the computed total: a new line at its code
    QCOMPARE(w->editor().DetailDataSet.fieldAt(0, "数量").asMoney(), yen("3"));
    QCOMPARE(grid->currentIndex().row(), 1);
    QCOMPARE(currentField(), QStringLiteral("商品コード"));
    typeKeys("ZZ9");
    pressKey(Qt::Key_Tab);  // an unknown code leaves the name to type
    QCOMPARE(currentField(), QStringLiteral("商品名"));
    pressKey(Qt::Key_Escape);
    pressKey(Qt::Key_Escape);
    QCOMPARE(w->editor().DetailDataSet.count(), 1);

    // ↓ on the last line starts the next one at its code, not under the quantity.
    grid->setCurrentIndex(cellOf(grid, 0, "数量"));
    pressKey(Qt::Key_Down);
    QCOMPARE(grid->currentIndex().row(), 1);
    QCOMPARE(currentField(), QStringLiteral("商品コード"));
}

void TestGoodsSlipForm::categoryCheckFocusesTheLine()
{
    GoodsSlipForm* w = open();
    newSlip(w);
    enterPartner(w, "C1");
    addLine(w, "A1");
    addLine(w, "ZZ9");  // no such item: no category
    addLine(w, "B1");
    QCOMPARE(w->editor().DetailDataSet.count(), 3);
    QVERIFY(w->editor().DetailDataSet.fieldAt(1, "商品分類コード").isNull());
    QCOMPARE(w->DetailGrid->datasetModel()->data(cellOf(w->DetailGrid, 0, "商品分類")).toString(),
             QStringLiteral("0001 食品"));
    w->dateEdit->setFocus();

    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    pressAction(w, Qt::Key_F11);
    QCOMPARE(driver.boxes.size(), 1);
    QCOMPARE(driver.boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(driver.boxes[0].text, QStringLiteral("商品分類が入力されていません。"));
    QCOMPARE(w->focusWidget(), w->DetailGrid);
    QCOMPARE(w->DetailGrid->currentIndex(), cellOf(w->DetailGrid, 1, "商品分類"));
    QApplication::setActiveWindow(w);
    QVERIFY(w->isEditing());
    QVERIFY(headers().isEmpty() && lines().isEmpty());

    // Choosing the category there makes the slip savable.
    pressKey(Qt::Key_F2);
    typeKeys("0002");
    pressKey(Qt::Key_Return);
    pressAction(w, Qt::Key_F11);
    QCOMPARE(lines().size(), 3);
    QCOMPARE(lines().value(1), QStringLiteral("1|2|ZZ9|-|0002|01|0|0|10000"));
}

void TestGoodsSlipForm::choosingAnItemResetsQuantityAndPrice_data()
{
    QTest::addColumn<bool>("sales");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("tax");
    QTest::addColumn<QString>("taxClass");
    QTest::newRow("sales: selling price") << true << "A1"
                                          << "1000"
                                          << "50"
                                          << "01";
    QTest::newRow("purchase: cost") << false << "A1"
                                    << "800"
                                    << "40"
                                    << "01";
    QTest::newRow("sales: item without price") << true << "B1"
                                               << "0"
                                               << "0"
                                               << "02";
    QTest::newRow("purchase: item without cost") << false << "B1"
                                                 << "0"
                                                 << "0"
                                                 << "02";
}

void TestGoodsSlipForm::choosingAnItemResetsQuantityAndPrice()
{
    QFETCH(bool, sales);
    QFETCH(QString, item);
    QFETCH(QString, price);
    QFETCH(QString, tax);
    QFETCH(QString, taxClass);
    setSingleRate(*m_db, "500");
    GoodsSlipForm* w = open(sales);
    newSlip(w);
    addLine(w, "ZZ9");  // unknown: the line keeps its defaults
    Dataset& line = w->editor().DetailDataSet;
    QCOMPARE(line.field("商品コード").asText(), QStringLiteral("ZZ9"));
    QVERIFY(line.field("商品名").isNull());
    typeIntoCell(w->DetailGrid, 0, "単価", "777");
    pressKey(Qt::Key_Tab);
    typeKeys("5");
    pressKey(Qt::Key_Return);
    QCOMPARE(line.field("数量").asMoney(), yen("5"));
    QCOMPARE(line.field("税額").asMoney(), yen("38"));

    typeIntoCell(w->DetailGrid, 0, "商品コード", item);
    pressKey(Qt::Key_Return);
    QCOMPARE(line.field("数量").asMoney(), yen("1"));
    QCOMPARE(line.field("単価").asMoney(), Money::parse(price));
    QCOMPARE(line.field("税額").asMoney(), Money::parse(tax));
    QCOMPARE(line.field("税区分コード").asText(), taxClass);
    QCOMPARE(line.field("商品名").asText(),
             item == "A1" ? QStringLiteral("りんご") : QStringLiteral("はさみ"));
    QCOMPARE(line.field("単位").asText(), item == "A1" ? QStringLiteral("個") : QStringLiteral("本"));
    const Money total = Money::parse(price) + Money::parse(tax);
    QCOMPARE(w->LabelAllTotal->text(), total.toMoneyText());
}

void TestGoodsSlipForm::lineTax_data()
{
    QTest::addColumn<QString>("rate");  // ten-thousandths
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("tax");
    QTest::addColumn<QString>("lineTotal");  // the grid's text
    QTest::addColumn<QStringList>("totals");
    QTest::newRow("0.05, 1,234") << "500"
                                 << "1234"
                                 << "1"
                                 << "61"
                                 << "¥1,295" << QStringList{"¥1,234", "¥61", "¥1,295"};
    QTest::newRow("0.05, -1,234") << "500"
                                  << "-1234"
                                  << "1"
                                  << "-61"
                                  << "-¥1,295" << QStringList{"-¥1,234", "-¥61", "-¥1,295"};
    QTest::newRow("0.05, 19 cut to 0") << "500"
                                       << "19"
                                       << "2"
                                       << "0"
                                       << "¥38" << QStringList{"¥38", "¥0", "¥38"};
    QTest::newRow("0.08, 999 x 3") << "800"
                                   << "999"
                                   << "3"
                                   << "79"
                                   << "¥3,234" << QStringList{"¥2,997", "¥237", "¥3,234"};
    QTest::newRow("0.08, -999") << "800"
                                << "-999"
                                << "1"
                                << "-79"
                                << "-¥1,078" << QStringList{"-¥999", "-¥79", "-¥1,078"};
    QTest::newRow("0.10, 1,234") << "1000"
                                 << "1234"
                                 << "1"
                                 << "123"
                                 << "¥1,357" << QStringList{"¥1,234", "¥123", "¥1,357"};
    QTest::newRow("0.05, 100 x 2.5") << "500"
                                     << "100"
                                     << "2.5"
                                     << "5"
                                     << "¥263" << QStringList{"¥250", "¥13", "¥263"};
    QTest::newRow("0.10, fraction of a yen") << "1000"
                                             << "10.5"
                                             << "1"
                                             << "1"
                                             << "¥12" << QStringList{"¥11", "¥1", "¥12"};
}

void TestGoodsSlipForm::lineTax()
{
    QFETCH(QString, rate);
    QFETCH(QString, price);
    QFETCH(QString, quantity);
    QFETCH(QString, tax);
    QFETCH(QString, lineTotal);
    QFETCH(QStringList, totals);
    setSingleRate(*m_db, rate.toLatin1().constData());
    GoodsSlipForm* w = open();
    newSlip(w);
    enterPartner(w, "C1");
    addLine(w, "ZZ9");
    w->editor().DetailDataSet.moveTo(0);
    typeIntoCell(w->DetailGrid, 0, "商品分類", "0001");
    pressKey(Qt::Key_Return);
    typeIntoCell(w->DetailGrid, 0, "単価", price);
    pressKey(Qt::Key_Tab);
    typeKeys(quantity);
    pressKey(Qt::Key_Return);
    const Dataset& line = w->editor().DetailDataSet;
    QCOMPARE(line.field("税額").asMoney(), Money::parse(tax));
    QCOMPARE(w->DetailGrid->datasetModel()->data(cellOf(w->DetailGrid, 0, "税込合計")).toString(), lineTotal);
    QCOMPARE(QStringList({w->LabelSum->text(), w->LabelTaxSum->text(), w->LabelAllTotal->text()}), totals);

    // Another class bears no tax; back to "01" computes it at once.
    typeIntoCell(w->DetailGrid, 0, "税区分", "02");
    pressKey(Qt::Key_Return);
    QCOMPARE(line.field("税額").asMoney(), Money());
    typeIntoCell(w->DetailGrid, 0, "税区分", "01");
    pressKey(Qt::Key_Return);
    QCOMPARE(line.field("税額").asMoney(), Money::parse(tax));

    // What is stored is what the view totals.
    pressAction(w, Qt::Key_F11);
    QCOMPARE(rowsOf(m_db->path(), "SELECT 税額 FROM t_売上明細"),
             QStringList{QString::number(Money::parse(tax).raw())});
    const QStringList viewTotal = rowsOf(m_db->path(), "SELECT 伝票合計 FROM v_売上");
    QCOMPARE(viewTotal.size(), 1);
    QCOMPARE(Money::fromRaw(viewTotal[0].toLongLong()).toMoneyText(), totals[2]);
}

void TestGoodsSlipForm::openingASavedSlipAndChangingItsDateKeepsTheTax()
{
    saveSlip12();
    GoodsSlipForm* w = open();
    newSlip(w, "12");
    QVERIFY(!w->isEditing());
    QVERIFY(w->EditCode->isEnabled());
    QVERIFY(w->dateEdit->hasFocus());
    w->idleRefresh();
    QVERIFY(enabled(w->ActionDelete));
    QVERIFY(!enabled(w->ActionCancel) && !enabled(w->ActionCommit));
    QCOMPARE(w->statusText(), QString());
    QCOMPARE(w->partnerName->text(), QStringLiteral("山田商店"));
    QCOMPARE(w->LabelAllTotal->text(), QStringLiteral("¥6,300"));

    // 2005/04/01 had 0.05; 2020/04/01 has 0.10. The lines keep their tax.
    typeKeys("20200401");
    pressKey(Qt::Key_Tab);
    QCOMPARE(w->editor().HeaderDataSet.field("売上年月日").asDate(), QDate(2020, 4, 1));
    QVERIFY(w->isEditing());
    QVERIFY(!w->EditCode->isEnabled());
    QCOMPARE(w->goods().rate(), yen("0.1"));
    QCOMPARE(w->editor().DetailDataSet.fieldAt(0, "税額").asMoney(), yen("50"));
    QCOMPARE(w->LabelAllTotal->text(), QStringLiteral("¥6,300"));

    // A line edited afterwards takes the new rate.
    typeIntoCell(w->DetailGrid, 0, "数量", "2");
    pressKey(Qt::Key_Return);
    QCOMPARE(w->editor().DetailDataSet.fieldAt(0, "税額").asMoney(), yen("100"));
    QCOMPARE(w->LabelAllTotal->text(), QStringLiteral("¥7,450"));
    pressAction(w, Qt::Key_F11);
    QCOMPARE(rowsOf(m_db->path(), "SELECT 売上年月日, 伝票合計 FROM t_売上"),
             QStringList({"2020-04-01|" + QString::number(yen("7450").raw())}));
}

void TestGoodsSlipForm::deletingAMiddleLineRenumbers()
{
    saveSlip12();
    GoodsSlipForm* w = open();
    newSlip(w, "12");
    w->editor().DetailDataSet.moveTo(1);
    w->DetailGrid->setFocus(Qt::TabFocusReason);
    ModalDriver driver;
    driver.answer(QMessageBox::Yes);
    pressKey(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(driver.boxes.size(), 1);
    QVERIFY(w->isEditing());
    QCOMPARE(w->LabelAllTotal->text(), QStringLiteral("¥4,200"));
    QCOMPARE(lines().size(), 3);  // nothing written yet
    pressAction(w, Qt::Key_F11);
    const QStringList stored = lines();
    QCOMPARE(stored.size(), 2);
    QVERIFY(stored[0].startsWith("12|1|A1|a|"));
    QVERIFY(stored[1].startsWith("12|2|A1|c|"));
}

void TestGoodsSlipForm::cancelAndCloseWriteNothing()
{
    saveSlip12();
    const QStringList before = lines();
    const QStringList headersBefore = headers();
    GoodsSlipForm* w = open();
    newSlip(w, "12");
    enterPartner(w, "C2");
    typeIntoCell(w->DetailGrid, 2, "単価", "9");
    pressKey(Qt::Key_Return);
    addLine(w, "A1");
    w->idleRefresh();
    QVERIFY(enabled(w->ActionCancel));
    pressAction(w, Qt::Key_F10);
    QVERIFY(!w->isEditing());
    QVERIFY(!w->GrayPanel->isEnabled());
    QVERIFY(w->EditCode->isEnabled() && w->EditCode->text().isEmpty() && w->EditCode->hasFocus());
    QCOMPARE(lines(), before);
    QCOMPARE(headers(), headersBefore);
    newSlip(w, "12");
    QCOMPARE(w->partnerEdit->text(), QStringLiteral("C1"));
    QCOMPARE(w->editor().DetailDataSet.count(), 3);

    // F12 while editing asks, No being the default: No keeps the slip in the
    // window, Yes drops it. A window that is not editing closes without a word.
    enterPartner(w, "C2");
    GoodsSlipForm* other = open();
    newSlip(other, "77");
    addLine(other, "A1");
    {
        ModalDriver driver;
        driver.answer(QMessageBox::No);
        pressAction(other, Qt::Key_F12);
        QTRY_VERIFY(driver.finished());
        QCOMPARE(driver.boxes.size(), 1);
        QCOMPARE(driver.boxes[0].text,
                 QStringLiteral("編集中のデータは保存されていません。閉じてもよいですか？"));
        QCOMPARE(driver.boxes[0].defaultButton, QMessageBox::No);
    }
    QVERIFY(other->isVisible());
    QVERIFY(other->isEditing());
    QCOMPARE(other->editor().DetailDataSet.count(), 1);
    {
        ModalDriver driver;
        driver.answer(QMessageBox::Yes);
        pressAction(other, Qt::Key_F12);
        QTRY_VERIFY(driver.finished());
    }
    QVERIFY(!other->isVisible());
    QVERIFY(showActive(w));
    {
        ModalDriver driver;
        driver.answer(QMessageBox::Yes);
        pressAction(w, Qt::Key_F12);
        QTRY_VERIFY(driver.finished());
    }
    QVERIFY(!w->isVisible());
    QCOMPARE(lines(), before);
    QCOMPARE(headers(), headersBefore);

    GoodsSlipForm* idle = open();
    ModalDriver driver;  // any question would be a modal window
    pressAction(idle, Qt::Key_F12);
    QVERIFY(!idle->isVisible());
    QVERIFY(driver.seen.isEmpty());
}

void TestGoodsSlipForm::deleteRemovesTheSlipAndItsLines()
{
    saveSlip12();
    GoodsSlipForm* w = open();
    newSlip(w, "12");
    {
        ModalDriver driver;
        driver.answer(QMessageBox::No);
        pressAction(w, Qt::Key_F9);
        QCOMPARE(driver.boxes.value(0).text, QStringLiteral("削除してよろしいですか?"));
        QCOMPARE(driver.boxes.value(0).icon, QMessageBox::Question);
    }
    QCOMPARE(lines().size(), 3);
    QCOMPARE(w->editor().DetailDataSet.count(), 3);
    {
        ModalDriver driver;
        driver.answer(QMessageBox::Yes);
        pressAction(w, Qt::Key_F9);
    }
    QVERIFY(headers().isEmpty());
    QVERIFY(lines().isEmpty());
    QVERIFY(w->GrayPanel->isEnabled());  // enabled, showing nothing
    QVERIFY(!w->editor().HeaderDataSet.isOpen());
    QVERIFY(w->EditCode->text().isEmpty());
    QCOMPARE(w->focusWidget(), w->EditCode);
    w->idleRefresh();
    QVERIFY(!enabled(w->ActionDelete) && !enabled(w->ActionCancel) && !enabled(w->ActionCommit));

    // A new slip under the same number starts without lines.
    newSlip(w, "12");
    QVERIFY(w->editor().isNewSlip());
    QCOMPARE(w->editor().DetailDataSet.count(), 0);
}

void TestGoodsSlipForm::failedSaveIsRolledBackAndRetried()
{
    GoodsSlipForm* w = open(false);
    newSlip(w);
    enterPartner(w, "S1");
    addLine(w, "A1");
    addLine(w, "A1");
    // The second line's write fails, after the header and the first line went in.
    m_db->exec(
        "CREATE TRIGGER fail_second AFTER INSERT ON t_仕入明細 WHEN NEW.明細番号 = 2 "
        "BEGIN SELECT RAISE(ABORT, 'ディスクに書き込めません'); END;");
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    pressAction(w, Qt::Key_F11);
    QCOMPARE(driver.boxes.size(), 1);
    QCOMPARE(driver.boxes[0].icon, QMessageBox::NoIcon);
    QVERIFY2(driver.boxes[0].text.contains("ディスクに書き込めません"), qPrintable(driver.boxes[0].text));
    QVERIFY(headers("t_仕入").isEmpty());
    QVERIFY(lines("t_仕入明細").isEmpty());
    // Everything is still in the window.
    QVERIFY(w->isEditing());
    QCOMPARE(w->EditCode->text(), QStringLiteral("1"));
    QCOMPARE(w->partnerEdit->text(), QStringLiteral("S1"));
    QCOMPARE(w->editor().DetailDataSet.count(), 2);
    w->idleRefresh();
    QVERIFY(enabled(w->ActionCommit));

    m_db->exec("DROP TRIGGER fail_second;");
    pressAction(w, Qt::Key_F11);
    QCOMPARE(driver.boxes.size(), 1);
    QCOMPARE(rowsOf(m_db->path(), "SELECT 伝票番号, 仕入区分コード, 仕入先コード, 伝票合計 FROM t_仕入"),
             QStringList({"1|10|S1|" + QString::number(yen("1760").raw())}));
    QCOMPARE(lines("t_仕入明細").size(), 2);
    QVERIFY(lines("t_仕入明細")[1].startsWith("1|2|A1|りんご|0001|01|8000000|"));
    QCOMPARE(rowsOf(m_db->path(), "PRAGMA integrity_check"), QStringList({"ok"}));
}

void TestGoodsSlipForm::twoWindowsDrawingTheSameNumber()
{
    GoodsSlipForm* a = open();
    newSlip(a);
    enterPartner(a, "C1");
    addLine(a, "A1");
    GoodsSlipForm* b = open();
    newSlip(b);
    enterPartner(b, "C2");
    addLine(b, "B1");
    QCOMPARE(a->EditCode->text(), QStringLiteral("1"));
    QCOMPARE(b->EditCode->text(), QStringLiteral("1"));
    pressAction(b, Qt::Key_F11);
    QCOMPARE(headers().size(), 1);

    QVERIFY(showActive(a));
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    pressAction(a, Qt::Key_F11);
    QCOMPARE(driver.boxes.size(), 1);
    QCOMPARE(driver.boxes[0].icon, QMessageBox::NoIcon);
    QVERIFY2(driver.boxes[0].text.contains("2"), qPrintable(driver.boxes[0].text));
    QCOMPARE(a->EditCode->text(), QStringLiteral("2"));
    QCOMPARE(rowsOf(m_db->path(), "SELECT 伝票番号, 顧客コード FROM t_売上 ORDER BY 1"),
             QStringList({"1|C2"}));
    pressAction(a, Qt::Key_F11);
    QCOMPARE(rowsOf(m_db->path(), "SELECT 伝票番号, 顧客コード FROM t_売上 ORDER BY 1"),
             QStringList({"1|C2", "2|C1"}));
    QCOMPARE(rowsOf(m_db->path(), "SELECT 伝票番号, 明細番号, 商品コード FROM t_売上明細 ORDER BY 1, 2"),
             QStringList({"1|1|B1", "2|1|A1"}));
}

void TestGoodsSlipForm::slipChangedElsewhereIsNotOverwritten()
{
    saveSlip12();
    GoodsSlipForm* w = open();
    newSlip(w, "12");
    m_db->exec("UPDATE t_売上明細 SET 数量 = 50000 WHERE 明細番号 = 3;");  // another process
    typeIntoCell(w->DetailGrid, 0, "単価", "5");
    pressKey(Qt::Key_Return);
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    pressAction(w, Qt::Key_F11);
    QCOMPARE(driver.boxes.size(), 1);
    QVERIFY2(driver.boxes[0].text.contains("変更されています"), qPrintable(driver.boxes[0].text));
    QVERIFY(w->isEditing());
    QCOMPARE(rowsOf(m_db->path(), "SELECT 単価 FROM t_売上明細 WHERE 明細番号 = 1"),
             QStringList({"10000000"}));

    // Deleted elsewhere: the same.
    pressAction(w, Qt::Key_F10);
    newSlip(w, "12");
    typeIntoCell(w->DetailGrid, 0, "単価", "5");
    pressKey(Qt::Key_Return);
    m_db->exec("DELETE FROM t_売上 WHERE 伝票番号 = 12;");
    driver.answer(QMessageBox::Ok);
    pressAction(w, Qt::Key_F11);
    QCOMPARE(driver.boxes.size(), 2);
    QVERIFY2(driver.boxes[1].text.contains("削除されています"), qPrintable(driver.boxes[1].text));
    QVERIFY(headers().isEmpty() && lines().isEmpty());
}

void TestGoodsSlipForm::badAmountsAreRefusedInTheCell()
{
    setSingleRate(*m_db, "1000");
    GoodsSlipForm* w = open();
    newSlip(w);
    enterPartner(w, "C1");
    addLine(w, "A1");
    const Dataset& line = w->editor().DetailDataSet;

    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    typeIntoCell(w->DetailGrid, 0, "単価", "12x");
    pressKey(Qt::Key_Return);
    QTRY_COMPARE(driver.boxes.size(), 1);
    QCOMPARE(line.field("単価").asMoney(), yen("1000"));

    // A price whose line total does not fit is refused; the price stays as it was.
    driver.answer(QMessageBox::Ok);
    typeIntoCell(w->DetailGrid, 0, "単価", "900000000000000");
    pressKey(Qt::Key_Return);
    QTRY_COMPARE(driver.boxes.size(), 2);
    QVERIFY2(driver.boxes[1].text.contains("大きすぎます"), qPrintable(driver.boxes[1].text));
    QCOMPARE(line.field("単価").asMoney(), yen("1000"));
    QCOMPARE(line.field("税額").asMoney(), yen("100"));

    // The largest line that fits, then a quantity that makes it too large.
    typeIntoCell(w->DetailGrid, 0, "単価", "80000000000");
    pressKey(Qt::Key_Return);
    QCOMPARE(driver.boxes.size(), 2);
    QCOMPARE(line.field("税額").asMoney(), yen("8000000000"));
    driver.answer(QMessageBox::Ok);
    typeIntoCell(w->DetailGrid, 0, "数量", "2");
    pressKey(Qt::Key_Return);
    QTRY_COMPARE(driver.boxes.size(), 3);
    QVERIFY2(driver.boxes[2].text.contains("大きすぎます"), qPrintable(driver.boxes[2].text));
    QCOMPARE(line.field("数量").asMoney(), yen("1"));
    QApplication::setActiveWindow(w);
    w->DetailGrid->setFocus();
    pressKey(Qt::Key_Return);  // confirms the line as it stands
    pressAction(w, Qt::Key_F11);
    QCOMPARE(rowsOf(m_db->path(), "SELECT 単価, 数量 FROM t_売上明細"),
             QStringList({QString::number(yen("80000000000").raw()) + "|10000"}));
}

void TestGoodsSlipForm::lookupDialogs()
{
    saveSlip12();
    GoodsSlipForm* w = open();
    // The search dialog's pick opens slip 12 as typing 12 and Enter does.
    ModalDriver driver;
    QString caption;
    driver.then([&](QWidget* modal) {
        auto* dlg = qobject_cast<FindSlipDlg*>(modal);
        if (!dlg)
            return;
        caption = dlg->windowTitle();
        dlg->ButtonFindClick();
        dlg->GridResult->setFocus();
        QTest::mouseDClick(dlg->GridResult->viewport(), Qt::LeftButton, {},
                           dlg->GridResult->visualRect(dlg->GridResult->model()->index(0, 0)).center());
    });
    w->EditCode->setFocus();
    pressKey(Qt::Key_F4);
    QVERIFY(driver.finished());
    QCOMPARE(caption, QStringLiteral("売上伝票検索"));
    QCOMPARE(w->EditCode->text(), QStringLiteral("12"));
    QVERIFY(!w->isEditing());
    QCOMPARE(w->editor().DetailDataSet.count(), 3);
    QCOMPARE(w->partnerName->text(), QStringLiteral("山田商店"));

    // The item button of a line, and the customer button of the header.
    pressAction(w, Qt::Key_F10);
    newSlip(w);
    driver.then([](QWidget* modal) {
        if (auto* dlg = qobject_cast<TFindItemDlg*>(modal)) {
            dlg->EditCode->setText(QStringLiteral("A1"));
            dlg->ButtonFindClick();
            dlg->ButtonOKClick();
        }
    });
    QApplication::setActiveWindow(w);
    w->DetailGrid->setFocus(Qt::TabFocusReason);
    pressKey(Qt::Key_Return);  // the first line
    pressKey(Qt::Key_F4);
    QVERIFY(driver.finished());
    QCOMPARE(w->editor().DetailDataSet.count(), 1);
    QCOMPARE(w->editor().DetailDataSet.field("商品名").asText(), QStringLiteral("りんご"));
    driver.then([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QApplication::setActiveWindow(w);
    w->partnerEdit->setFocus(Qt::TabFocusReason);
    pressKey(Qt::Key_F4);
    QVERIFY(driver.finished());
    QCOMPARE(w->partnerEdit->text(), QString());

    // A customer picked has the effect of the code typed and the field left,
    // also when the window is not active again yet as the dialog closes.
    driver.then([](QWidget* modal) {
        if (auto* dlg = qobject_cast<TFindCustomerDlg*>(modal)) {
            dlg->EditCode->setText(QStringLiteral("C1"));
            QTest::mouseClick(dlg->ButtonFind, Qt::LeftButton);
            dlg->idleRefresh();
            QApplication::setActiveWindow(nullptr);
            dlg->ButtonOK->click();
        }
    });
    QApplication::setActiveWindow(w);
    w->partnerEdit->setFocus(Qt::TabFocusReason);
    pressKey(Qt::Key_F4);
    QVERIFY(driver.finished());
    QCOMPARE(w->partnerEdit->text(), QStringLiteral("C1"));
    QCOMPARE(w->partnerName->text(), QStringLiteral("山田商店"));
    QCOMPARE(w->editor().HeaderDataSet.field("顧客コード").asText(), QStringLiteral("C1"));
    // The partner conditions are met: only the line picked above still waits.
    w->idleRefresh();
    QCOMPARE(w->statusHint(), SlipEditor::LineBeingEnteredText);
}

QTEST_MAIN(TestGoodsSlipForm)
#include "tst_goodsslipform.moc"
