// Opens the windows a clerk meets first, each at its default size, and saves a
// picture of each with its window-manager frame: a sales slip in entry, the
// customer lookup after a search, the customer ledger and the receivable
// balance list, the bills of a month (and the first bill's page as PDF) and the
// item stock list, the sales detail list and the monthly sales summary. Run under an X server with a window
// manager (scripts/screenshots.sh).
//
//   corvinta-screenshots <folder holding BaseDB.mdb> <output folder>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "accountsreceivablelistform.h"
#include "billissueform.h"
#include "connection.h"
#include "datepicker.h"
#include "dbcodeedit.h"
#include "dbeditgrid.h"
#include "findcustomerdlg.h"
#include "functionwindow.h"
#include "inputsalesform.h"
#include "itemstocklistform.h"
#include "ledgercustomerform.h"
#include "qttranslation.h"
#include "report.h"
#include "reportpainter.h"
#include "salesdetaillistform.h"
#include "statement.h"
#include "summaryform.h"
#include "uifont.h"

namespace {

QString firstCode(const QString& sql)
{
    Connection connection(BuildConnectionString());
    Statement query(connection, sql);
    return query.step() ? query.text(0) : QString();
}

void settle(QWidget* window)
{
    window->show();
    window->activateWindow();
    (void)QTest::qWaitForWindowExposed(window);
    QTest::qWait(600);
}

// Keys as typed: each goes to the widget that has the focus at that moment
// (a grid opens a cell editor on the first one).
void type(const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

bool save(QWidget* window, const QString& folder, const QString& name)
{
    if (auto* functionWindow = qobject_cast<FunctionWindow*>(window))
        functionWindow->idleRefresh();  // the actions as the user would see them
    QTest::qWait(300);
    const QRect frame = window->frameGeometry();
    const QPixmap shot = window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    return shot.save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    QApplication::setFont(uiFont());
    installQtTranslation();
    overrideDatabaseDirectory(QString::fromLocal8Bit(argv[1]));
    const QString out = QString::fromLocal8Bit(argv[2]);
    const QString customer = firstCode(QStringLiteral("SELECT 顧客コード FROM m_顧客 ORDER BY 1"));
    const QString item = firstCode(QStringLiteral("SELECT 商品コード FROM m_商品 ORDER BY 1"));
    bool ok = true;

    {
        TInputSalesForm slip(nullptr);
        settle(&slip);
        slip.EditCode->setFocus();
        QTest::keyClick(slip.EditCode, Qt::Key_Return);
        slip.partnerEdit->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(slip.partnerEdit, customer);
        QTest::keyClick(slip.partnerEdit, Qt::Key_Tab);
        for (int line = 0; line < 2; ++line) {
            slip.DetailGrid->setFocus(Qt::TabFocusReason);
            if (line > 0)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);  // a new line
            type(item);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // on to the quantity
            type(QStringLiteral("12"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        ok = save(&slip, out, QStringLiteral("sales-slip")) && ok;
    }
    {
        TFindCustomerDlg lookup(nullptr);
        settle(&lookup);
        QTest::mouseClick(lookup.ButtonFind, Qt::LeftButton);
        ok = save(&lookup, out, QStringLiteral("customer-lookup")) && ok;
    }
    {
        TLedgerCustomerForm ledger(nullptr);
        settle(&ledger);
        ledger.EditCode->setFocus();
        QTest::keyClicks(ledger.EditCode, customer);
        QTest::keyClick(ledger.EditCode, Qt::Key_Return);  // looks the customer up
        ledger.idleRefresh();                              // "表示" follows the lookup
        ledger.JvDatePickerEditFrom->setDate(QDate::currentDate().addYears(-1));
        QTest::mouseClick(ledger.ButtonDisp, Qt::LeftButton);
        ok = save(&ledger, out, QStringLiteral("customer-ledger")) && ok;
    }
    {
        TAccountsReceivableListForm list(nullptr);
        settle(&list);
        QTest::mouseClick(list.ButtonDisp, Qt::LeftButton);
        ok = save(&list, out, QStringLiteral("receivable-list")) && ok;
    }
    {
        // Last month's month-end bills: the window, and the bills as PDF.
        TBillIssueForm bills(nullptr);
        bills.setReportPreview([&out](QWidget*, const Report& report) {
            writePdf(report.paginate(), QDir(out).filePath(QStringLiteral("bills.pdf")));
            return 0;
        });
        settle(&bills);
        const QDate lastMonth = QDate::currentDate().addMonths(-1);
        bills.YearEdit->setText(QString::number(lastMonth.year()));
        bills.MonthComboBox->setCurrentIndex(lastMonth.month() - 1);
        QTest::mouseClick(bills.ButtonDisp, Qt::LeftButton);
        ok = save(&bills, out, QStringLiteral("bill-issue")) && ok;
        bills.GridListDblClick();  // the first customer marked
        bills.idleRefresh();
        bills.ActionPrint->trigger();
    }
    {
        TItemStockListForm stock(nullptr);
        settle(&stock);
        QTest::mouseClick(stock.ButtonDisp, Qt::LeftButton);
        ok = save(&stock, out, QStringLiteral("item-stock-list")) && ok;
    }
    {
        TSalesDetailListForm details(nullptr);
        settle(&details);
        details.JvDatePickerEditFrom->setDate(QDate::currentDate().addDays(-7));
        QTest::mouseClick(details.ButtonDisp, Qt::LeftButton);
        ok = save(&details, out, QStringLiteral("sales-detail-list")) && ok;
    }
    {
        TMonthSalesSummaryForm summary(nullptr);
        settle(&summary);
        QTest::mouseClick(summary.ButtonDisp, Qt::LeftButton);
        ok = save(&summary, out, QStringLiteral("month-sales-summary")) && ok;
    }
    return ok ? 0 : 1;
}
