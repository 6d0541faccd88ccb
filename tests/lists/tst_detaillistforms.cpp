// The sales and purchase detail-list windows driven as a user drives them:
// the initial period, exchanged pickers, one display filling every tab, the
// keys following the tab shown, the slip of a row, the rows without a slip,
// the row colours, the print reaching the layout and the idle rules.
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "buyingdetaillistform.h"
#include "connection.h"
#include "datepicker.h"
#include "dbgrid.h"
#include "listbooks.h"
#include "modaldriver.h"
#include "report.h"
#include "reportdocument.h"
#include "salesdetaillistform.h"
#include "testdb.h"
#include "widgettesthelp.h"

namespace {

const QDate F(2024, 3, 1);
const QDate T(2024, 3, 31);

template <class W>
void display(W& w, const QDate& from, const QDate& to)
{
    w.JvDatePickerEditFrom->setDate(from);
    w.JvDatePickerEditTo->setDate(to);
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);
}

struct Printed {
    QStringList titles;
    QString from, to;
    int rows = 0;
};

template <class W>
std::shared_ptr<Printed> catchPrint(W& w)
{
    auto printed = std::make_shared<Printed>();
    w.setReportPreview([printed](QWidget*, const Report& report) {
        printed->titles << report.layout().title;
        printed->from = report.text("QRLabelDateFrom");
        printed->to = report.text("QRLabelDateTo");
        printed->rows = 0;
        for (const ReportPage& page : report.paginate().pages)
            for (const PlacedBand& band : page.bands)
                printed->rows += band.kind == BandKind::Detail ? 1 : 0;
        return 0;
    });
    return printed;
}

// Moves the grid's current row to `row`, as a click does.
void clickRow(DbGrid* grid, int row)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(row, 1)).center());
}

// What one key press or click on a row opened: a slip window's class and
// number, or a message box's text.
struct Opened {
    QString window, slipNo, message;
};

// The window is made active again afterwards, as the user's focus returns to it.
Opened runOn(QWidget* window, const std::function<void()>& act)
{
    Opened opened;
    ModalDriver driver;
    driver.then([&](QWidget* modal) {
        opened.window = QString::fromLatin1(modal->metaObject()->className());
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            opened.message = box->text();
        if (auto* field = modal->findChild<QLineEdit*>("EditCode"))
            opened.slipNo = field->text();
        modal->close();
    });
    act();
    if (!showActive(window))
        qWarning("the window did not become active again");
    return opened;
}

QColor backgroundAt(DbGrid* grid, int row)
{
    return grid->model()->index(row, 0).data(Qt::BackgroundRole).value<QColor>();
}

}  // namespace

class TestDetailListForms : public QObject {
    Q_OBJECT

private slots:
    void salesWindow();
    void buyingWindow();
};

void TestDetailListForms::salesWindow()
{
    TestDb db;
    {
        Connection c(db.path());
        ListBooks::write(c, PartnerSide::customer());
    }
    TSalesDetailListForm w(nullptr);
    const auto printed = catchPrint(w);
    QVERIFY(showActive(&w));
    w.idleRefresh();
    QCOMPARE(w.JvDatePickerEditFrom->date(), QDate::currentDate());
    QCOMPARE(w.JvDatePickerEditTo->date(), QDate::currentDate());
    QCOMPARE(w.PageControl->currentIndex(), 0);
    QCOMPARE(w.PageControl->tabText(1), QStringLiteral("　商品別　"));
    QAction* const all[] = {w.ActionDispSlip,  w.ActionDispItem,  w.ActionDispCustomer,
                            w.ActionPrintSlip, w.ActionPrintItem, w.ActionPrintCustomer};
    for (QAction* a : all)
        QVERIFY(!a->isEnabled());

    // Exchanged pickers: put back in order, every tab built over March.
    display(w, T, F);
    QCOMPARE(w.JvDatePickerEditFrom->date(), F);
    QCOMPARE(w.JvDatePickerEditTo->date(), T);
    QCOMPARE(w.ListSlipDataSet().count(), 12);
    QCOMPARE(w.ListItemDataSet().count(), 11);
    QCOMPARE(w.ListCustomerDataSet().count(), 16);
    w.idleRefresh();
    for (QAction* a : all)
        QVERIFY(a->isEnabled());

    // Slip and item rows in the button face, customer rows light green, lines plain.
    const QColor face = w.GridListSlip->palette().color(QPalette::Button);
    QCOMPARE(backgroundAt(w.GridListSlip, 0), face);
    QVERIFY(!backgroundAt(w.GridListSlip, 1).isValid());
    QCOMPARE(backgroundAt(w.GridListItem, 0), face);
    QCOMPARE(backgroundAt(w.GridListCustomer, 0), QColor(192, 220, 192));
    QCOMPARE(backgroundAt(w.GridListCustomer, 1), face);
    QVERIFY(!backgroundAt(w.GridListCustomer, 2).isValid());

    // F10 on the first tab opens the slip of a line.
    QCOMPARE(w.ActionDispSlip->shortcut(), QKeySequence(Qt::Key_F10));
    QCOMPARE(w.ActionDispItem->shortcut(), QKeySequence());
    clickRow(w.GridListSlip, 3);
    w.idleRefresh();
    Opened o = runOn(&w, [&] { QTest::keyClick(&w, Qt::Key_F10); });
    QCOMPARE(o.window, QStringLiteral("TInputSalesForm"));
    QCOMPARE(o.slipNo, QStringLiteral("12"));

    // The item tab takes F10 and F11: an item row has no slip, a line has one.
    w.PageControl->setCurrentIndex(1);
    QCOMPARE(w.ActionDispItem->shortcut(), QKeySequence(Qt::Key_F10));
    QCOMPARE(w.ActionPrintItem->shortcut(), QKeySequence(Qt::Key_F11));
    QCOMPARE(w.ActionDispSlip->shortcut(), QKeySequence());
    QCOMPARE(w.ActionPrintSlip->shortcut(), QKeySequence());
    clickRow(w.GridListItem, 0);
    w.idleRefresh();
    o = runOn(&w, [&] { QTest::keyClick(&w, Qt::Key_F10); });
    QCOMPARE(o.message, QStringLiteral("伝票表示：商品毎　未実装"));
    QCOMPARE(o.slipNo, QString());
    o = runOn(&w, [&] {
        QTest::mouseDClick(w.GridListItem->viewport(), Qt::LeftButton, {},
                           w.GridListItem->visualRect(w.GridListItem->model()->index(2, 1)).center());
    });
    QCOMPARE(o.window, QStringLiteral("TInputSalesForm"));
    QCOMPARE(o.slipNo, QStringLiteral("10"));
    QTest::keyClick(&w, Qt::Key_F11);
    QCOMPARE(printed->titles, QStringList{"売上明細表（商品別）"});
    QCOMPARE(printed->rows, 11);
    QCOMPARE(printed->from, QStringLiteral("2024/03/01"));
    QCOMPARE(printed->to, QStringLiteral("2024/03/31"));

    // The customer tab's own buttons act on the customer list and its current row.
    w.PageControl->setCurrentIndex(2);
    auto* disp = w.TabSheet3->findChild<QPushButton*>("ButtonDispCustomer");
    auto* print = w.TabSheet3->findChild<QPushButton*>("ButtonPrintCustomer");
    QVERIFY(disp && print);
    clickRow(w.GridListCustomer, 3);  // customer C1
    w.idleRefresh();
    o = runOn(&w, [&] { QTest::mouseClick(disp, Qt::LeftButton); });
    QCOMPARE(o.message, QStringLiteral("伝票表示：顧客毎　未実装"));
    clickRow(w.GridListCustomer, 4);  // slip 9 of C1
    w.idleRefresh();
    o = runOn(&w, [&] { QTest::mouseClick(disp, Qt::LeftButton); });
    QCOMPARE(o.slipNo, QStringLiteral("9"));
    QTest::mouseClick(print, Qt::LeftButton);
    QCOMPARE(printed->titles.last(), QStringLiteral("売上明細表（顧客別）"));
    QCOMPARE(printed->rows, 16);

    // An empty period: every tab empty, every action disabled.
    display(w, QDate(2024, 3, 16), QDate(2024, 3, 30));
    QVERIFY(w.ListCustomerDataSet().isOpen());
    w.idleRefresh();
    for (QAction* a : all)
        QVERIFY(!a->isEnabled());
    QCOMPARE(printed->titles.size(), 2);
}

void TestDetailListForms::buyingWindow()
{
    TestDb db;
    {
        Connection c(db.path());
        ListBooks::write(c, PartnerSide::supplier());
    }
    TBuyingDetailListForm w(nullptr);
    const auto printed = catchPrint(w);
    QVERIFY(showActive(&w));
    w.idleRefresh();
    QVERIFY(!w.ActionDispDetail->isEnabled());
    QVERIFY(!w.ActionPrint->isEnabled());

    display(w, T, F);
    QCOMPARE(w.JvDatePickerEditFrom->date(), F);
    QCOMPARE(w.ListDataSet().count(), 12);
    QCOMPARE(backgroundAt(w.GridList, 4), w.GridList->palette().color(QPalette::Button));
    clickRow(w.GridList, 5);  // line 1 of slip 9
    w.idleRefresh();
    const Opened o = runOn(&w, [&] { QTest::keyClick(&w, Qt::Key_F10); });
    QCOMPARE(o.window, QStringLiteral("TInputBuyingForm"));
    QCOMPARE(o.slipNo, QStringLiteral("9"));
    QTest::keyClick(&w, Qt::Key_F11);
    QCOMPARE(printed->titles, QStringList{"仕入明細表"});
    QCOMPARE(printed->rows, 12);

    display(w, QDate(2024, 5, 1), QDate(2024, 5, 1));
    w.idleRefresh();
    QVERIFY(!w.ActionDispDetail->isEnabled());
    QVERIFY(!w.ActionPrint->isEnabled());
}

QTEST_MAIN(TestDetailListForms)
#include "tst_detaillistforms.moc"
