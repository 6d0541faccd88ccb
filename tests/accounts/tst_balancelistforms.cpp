// The receivable and payable balance-list windows driven as a user drives
// them: the idle rules, sorting by a click on a column title (and the print
// following it), the period printed, and opening the ledger of a row.
#include <QHeaderView>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QtTest>

#include <memory>

#include "accountspayablelistform.h"
#include "accountsreceivablelistform.h"
#include "balancelistrptform.h"
#include "connection.h"
#include "datepicker.h"
#include "dbcodeedit.h"
#include "dbgrid.h"
#include "dbtext.h"
#include "gridtotalsrow.h"
#include "ledgercustomerform.h"
#include "ledgersupplierform.h"
#include "modaldriver.h"
#include "testdb.h"
#include "widgettesthelp.h"
#include "windowtesthelp.h"

namespace {

std::unique_ptr<BalanceListForm> makeList(int side)
{
    if (side == 0)
        return std::make_unique<TAccountsReceivableListForm>(nullptr);
    return std::make_unique<TAccountsPayableListForm>(nullptr);
}

const BalanceListNames& namesOf(int side)
{
    return side == 0 ? BalanceListNames::receivable() : BalanceListNames::payable();
}

void display(BalanceListForm& w, const QDate& from, const QDate& to)
{
    w.JvDatePickerEditFrom->setDate(from);
    w.JvDatePickerEditTo->setDate(to);
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);
}

QStringList codesOf(const BalanceListForm& w, int side)
{
    QStringList codes;
    const Dataset& ds = w.ListDataSet();
    for (int i = 0; i < ds.count(); ++i)
        codes << ds.fieldAt(i, namesOf(side).side->codeColumn).asText();
    return codes;
}

void clickTitle(BalanceListForm& w, const QString& field)
{
    QHeaderView* header = w.GridList->horizontalHeader();
    const int section = w.GridList->datasetModel()->modelColumnOf(field);
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

QPoint rowPoint(const BalanceListForm& w, int row)
{
    return w.GridList->visualRect(w.GridList->model()->index(row, 1)).center();
}

// Partners and slips whose orders differ by code, by carried-forward balance
// and by balance. Over March 2024:
//   code  carried  balance
//   A1      5000     5000
//   B2         0     9000
//   C3      7000      500
void threePartners(const TestDb& db, int side)
{
    Connection c(db.path());
    Books b(c, booksOf(side));
    b.partner("C3", "三");
    b.partner("A1", "一");
    b.partner("B2", "二");
    b.goods(1, QDate(2024, 1, 5), Books::Credit, "A1", yen(5000));
    b.goods(2, QDate(2024, 3, 5), Books::Credit, "B2", yen(9000));
    b.goods(3, QDate(2024, 2, 5), Books::Credit, "C3", yen(7000));
    b.money(1, QDate(2024, 3, 6), "C3", {yen(6500)});
}

}  // namespace

class TestBalanceListForms : public QObject {
    Q_OBJECT

private slots:
    void idleRules_data() { addSideRows(); }
    void idleRules();
    void headerSorting_data() { addSideRows(); }
    void headerSorting();
    void printTakesTheLastDisplay_data() { addSideRows(); }
    void printTakesTheLastDisplay();
    void openLedgerOfRow_data();
    void openLedgerOfRow();
};

void TestBalanceListForms::idleRules()
{
    QFETCH(int, side);
    TestDb db;
    const auto w = makeList(side);
    QVERIFY(showActive(w.get()));
    w->idleRefresh();
    const QDate today = QDate::currentDate();
    QCOMPARE(w->JvDatePickerEditFrom->date(), QDate(today.year(), today.month(), 1));
    QCOMPARE(w->JvDatePickerEditTo->date(), QDate(today.year(), today.month(), today.daysInMonth()));
    QVERIFY(!w->ActionDispDetail->isEnabled());
    QVERIFY(!w->ActionPrint->isEnabled());
    QCOMPARE(w->ActionDispDetail->shortcut(), QKeySequence(Qt::Key_F10));
    QCOMPARE(w->ActionPrint->shortcut(), QKeySequence(Qt::Key_F11));

    // An empty master: the list is open and empty, and there is nothing to act on.
    display(*w, F, T);
    QVERIFY(w->ListDataSet().isOpen());
    QVERIFY(w->ListDataSet().isEmpty());
    w->idleRefresh();
    QVERIFY(!w->ActionDispDetail->isEnabled());
    QVERIFY(!w->ActionPrint->isEnabled());

    {
        Connection c(db.path());
        Books(c, booksOf(side)).partner("P1");
    }
    display(*w, F, T);
    QCOMPARE(w->ListDataSet().count(), 1);
    const DatasetModel* columns = w->GridList->datasetModel();
    const auto greyAt = [&](const QString& field) {
        QStyleOptionViewItem option;
        w->GridList->decorateCell(&option, columns->index(0, columns->modelColumnOf(field)));
        return option.palette.color(QPalette::Text) == w->palette().color(QPalette::Disabled, QPalette::Text);
    };
    QVERIFY(greyAt(namesOf(side).periodCash));
    QVERIFY(!greyAt(namesOf(side).periodCredit));
    w->idleRefresh();
    QVERIFY(w->ActionDispDetail->isEnabled());
    QVERIFY(w->ActionPrint->isEnabled());
}

void TestBalanceListForms::headerSorting()
{
    QFETCH(int, side);
    TestDb db;
    threePartners(db, side);
    const auto w = makeList(side);
    const auto printed = catchPrint(*w);
    QVERIFY(showActive(w.get()));
    display(*w, F, T);
    QCOMPARE(w->ListDataSet().count(), 3);

    clickTitle(*w, "残高");
    QCOMPARE(codesOf(*w, side), (QStringList{"C3", "A1", "B2"}));
    clickTitle(*w, "残高");
    QCOMPARE(codesOf(*w, side), (QStringList{"B2", "A1", "C3"}));
    clickTitle(*w, namesOf(side).side->codeColumn);
    QCOMPARE(codesOf(*w, side), (QStringList{"A1", "B2", "C3"}));
    clickTitle(*w, "繰越残高");
    QCOMPARE(codesOf(*w, side), (QStringList{"B2", "A1", "C3"}));
    clickTitle(*w, namesOf(side).side->codeColumn);
    QCOMPARE(codesOf(*w, side), (QStringList{"A1", "B2", "C3"}));
    clickTitle(*w, namesOf(side).side->codeColumn);
    QCOMPARE(codesOf(*w, side), (QStringList{"C3", "B2", "A1"}));
    // The grid shows the held order.
    QCOMPARE(w->GridList->model()->index(0, 0).data().toString(), QStringLiteral("C3"));

    // The print follows the order on screen.
    w->idleRefresh();
    w->ActionPrint->trigger();
    QCOMPARE(printed->previews, 1);
    QCOMPARE(textsTagged(printed->document, namesOf(side).side->codeColumn), (QStringList{"C3", "B2", "A1"}));
    QCOMPARE(textsTagged(printed->document, "残高"), (QStringList{"¥500", "¥9,000", "¥5,000"}));

    // The 合計 row stays under the list whatever the order, on screen and on paper.
    QCOMPARE(w->ListDataSet().count(), 3);
    const DatasetModel* model = w->GridList->datasetModel();
    QCOMPARE(w->TotalsRow->cellText(model->modelColumnOf(namesOf(side).side->nameColumn)),
             QStringLiteral("合計"));
    QCOMPARE(w->TotalsRow->cellText(model->modelColumnOf("繰越残高")), QStringLiteral("¥12,000"));
    QCOMPARE(w->TotalsRow->cellText(model->modelColumnOf(namesOf(side).periodMoney)),
             QStringLiteral("¥6,500"));
    QCOMPARE(w->TotalsRow->cellText(model->modelColumnOf("残高")), QStringLiteral("¥14,500"));
    QCOMPARE(w->TotalsRow->columnWidth(model->modelColumnOf("残高")),
             w->GridList->columnWidth(model->modelColumnOf("残高")));
    // At the window's own size the last column is whole on screen.
    const int balance = model->modelColumnOf("残高");
    QVERIFY(w->GridList->columnViewportPosition(balance) + w->GridList->columnWidth(balance) <=
            w->GridList->viewport()->width());
    QVERIFY(w->GridList->columnWidth(balance) >=
            w->GridList->fontMetrics().horizontalAdvance(DbGrid::widestValue(DisplayFormat::Money)));
    QCOMPARE(textsTagged(printed->document, BalanceListRptForm::totalName("残高")), QStringList{"¥14,500"});
    QCOMPARE(textsTagged(printed->document, BalanceListRptForm::totalName(namesOf(side).periodCash)),
             QStringList{"¥0"});
    int summaries = 0;
    for (const PlacedBand& band : printed->document.pages.back().bands)
        summaries += band.kind == BandKind::Summary ? 1 : 0;
    QCOMPARE(summaries, 1);
}

void TestBalanceListForms::printTakesTheLastDisplay()
{
    QFETCH(int, side);
    TestDb db;
    threePartners(db, side);
    const auto w = makeList(side);
    const auto printed = catchPrint(*w);
    QVERIFY(showActive(w.get()));
    display(*w, T, F);
    QCOMPARE(w->JvDatePickerEditFrom->date(), F);
    QCOMPARE(w->JvDatePickerEditTo->date(), T);

    w->JvDatePickerEditFrom->setDate(QDate(2024, 5, 1));
    w->JvDatePickerEditTo->setDate(QDate(2024, 5, 31));
    w->GridList->setFocus();
    w->idleRefresh();
    QTest::keyClick(w.get(), Qt::Key_F11);
    QCOMPARE(printed->previews, 1);
    QCOMPARE(printed->dateFrom, QStringLiteral("2024/03/01"));
    QCOMPARE(printed->dateTo, QStringLiteral("2024/03/31"));
    QCOMPARE(textsTagged(printed->document, "QRLabelDateTo"), QStringList{"2024/03/31"});
}

void TestBalanceListForms::openLedgerOfRow_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("customer F10") << 0 << false;
    QTest::newRow("customer double-click") << 0 << true;
    QTest::newRow("supplier F10") << 1 << false;
    QTest::newRow("supplier double-click") << 1 << true;
}

void TestBalanceListForms::openLedgerOfRow()
{
    QFETCH(int, side);
    QFETCH(bool, doubleClick);
    TestDb db;
    threePartners(db, side);
    {
        Connection c(db.path());
        Books b(c, booksOf(side));
        b.partner("O'Neil", "引用");
        b.goods(10, QDate(2024, 1, 20), Books::Credit, "O'Neil", yen(4000));
        b.goods(11, QDate(2024, 3, 20), Books::Credit, "O'Neil", yen(600));
        b.money(10, QDate(2024, 2, 20), "O'Neil", {yen(1000)});
    }
    const auto w = makeList(side);
    QVERIFY(showActive(w.get()));
    display(*w, F, T);
    clickTitle(*w, namesOf(side).side->codeColumn);
    QCOMPARE(codesOf(*w, side), (QStringList{"A1", "B2", "C3", "O'Neil"}));
    // Over March the list says 3,000 carried forward and 3,600 at the end.
    QCOMPARE(w->ListDataSet().fieldAt(3, "繰越残高").asMoney(), yen(3000));
    QCOMPARE(w->ListDataSet().fieldAt(3, "残高").asMoney(), yen(3600));

    // The pickers change after the display (and in the wrong order): the ledger
    // takes them as they are now.
    w->JvDatePickerEditFrom->setDate(T);
    w->JvDatePickerEditTo->setDate(QDate(2024, 2, 1));

    struct Seen {
        QString className, code, name, periodFrom, periodTo;
        QDate from, to;
        QList<qint64> balances;
    } seen;
    ModalDriver driver;
    driver.then([&](QWidget* modal) {
        seen.className = QString::fromLatin1(modal->metaObject()->className());
        if (auto* ledger = qobject_cast<LedgerForm*>(modal)) {
            seen.code = ledger->EditCode->text();
            if (auto* box =
                    ledger->findChild<DbText*>(side == 0 ? "DBTextCustomerName" : "DBTextSupplierName"))
                seen.name = box->text();
            seen.from = ledger->JvDatePickerEditFrom->date();
            seen.to = ledger->JvDatePickerEditTo->date();
            seen.periodFrom = ledger->PeriodFromText();
            seen.periodTo = ledger->PeriodToText();
            const Dataset& ds = ledger->LedgerDataSet();
            for (int i = 0; ds.isOpen() && i < ds.count(); ++i)
                if (!ds.fieldAt(i, "残高").isNull())
                    seen.balances << ds.fieldAt(i, "残高").asMoney().yenHalfAway();
        }
        QTest::keyClick(modal, Qt::Key_F12);
    });

    w->idleRefresh();
    const QPoint at = rowPoint(*w, 3);
    if (doubleClick) {
        QTest::mouseDClick(w->GridList->viewport(), Qt::LeftButton, {}, at);
    } else {
        QTest::mouseClick(w->GridList->viewport(), Qt::LeftButton, {}, at);
        QTest::keyClick(w.get(), Qt::Key_F10);
    }

    QVERIFY(driver.finished());
    QCOMPARE(seen.className, QString(side == 0 ? "TLedgerCustomerForm" : "TLedgerSupplierForm"));
    QCOMPARE(seen.code, QStringLiteral("O'Neil"));
    QCOMPARE(seen.name, QStringLiteral("引用"));
    QCOMPARE(seen.from, QDate(2024, 2, 1));
    QCOMPARE(seen.to, T);
    QCOMPARE(seen.periodFrom, QStringLiteral("2024/02/01"));
    QCOMPARE(seen.periodTo, QStringLiteral("2024/03/31"));
    // Carried forward to February, then the receipt and the March sale.
    QCOMPARE(seen.balances, (QList<qint64>{4000, 3000, 3600}));
    // The list is not refreshed.
    QCOMPARE(w->PeriodFromText(), QStringLiteral("2024/03/01"));
}

QTEST_MAIN(TestBalanceListForms)
#include "tst_balancelistforms.moc"
