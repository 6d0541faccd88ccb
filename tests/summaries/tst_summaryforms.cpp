// The summary windows driven as a user drives them: each opens from the
// launcher with its controls, tabs and frozen columns; the shared window once
// with a display, the day titles and their colours, title-click sorting with
// the total row, the painting of totals, and a year that makes no date.
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include <memory>

#include "connection.h"
#include "dataset.h"
#include "dbgrid.h"
#include "frozencolumns.h"
#include "mainform.h"
#include "modaldriver.h"
#include "report.h"
#include "summarybooks.h"
#include "summaryform.h"
#include "testdb.h"
#include "widgettesthelp.h"
#include "windowregistry.h"

namespace {

QStringList titlesOf(const DbGrid* grid)
{
    QStringList titles;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        titles << grid->model()->headerData(c, Qt::Horizontal).toString();
    return titles;
}

QColor titleColor(const DbGrid* grid, const QString& field)
{
    const int c = grid->datasetModel()->modelColumnOf(field);
    return grid->model()->headerData(c, Qt::Horizontal, Qt::ForegroundRole).value<QColor>();
}

void clickTitle(DbGrid* grid, const QString& field)
{
    QHeaderView* header = grid->horizontalHeader();
    const int section = grid->datasetModel()->modelColumnOf(field);
    grid->scrollTo(grid->model()->index(0, section));
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

QStringList column(const Dataset& ds, const QString& field)
{
    QStringList values;
    for (int r = 0; r < ds.count(); ++r)
        values << ds.fieldAt(r, field).asText();
    return values;
}

QBrush cellBrush(DbGrid* grid, int row, const QString& field)
{
    QStyleOptionViewItem option;
    grid->decorateCell(&option, grid->model()->index(row, grid->datasetModel()->modelColumnOf(field)));
    return option.backgroundBrush;
}

}  // namespace

class TestSummaryForms : public QObject {
    Q_OBJECT

private slots:
    void launcherOpensEachWindow_data();
    void launcherOpensEachWindow();
    void sharedWindowWiring();
    void printsTheShownTab();
};

void TestSummaryForms::launcherOpensEachWindow_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("tabs");
    QTest::addColumn<QStringList>("grids");
    QTest::addColumn<QStringList>("firstTitles");  // before the first display
    QTest::addColumn<int>("frozen");

    QTest::newRow("monthly summary") << "ActionMonthSummary"
                                     << "TMonthSummaryForm"
                                     << "月間集計表" << QStringList{} << QStringList{"GridList"}
                                     << QStringList{"種別", "1", "2"} << 1;
    QTest::newRow("monthly sales") << "ActionMonthSalesSummary"
                                   << "TMonthSalesSummaryForm"
                                   << "月間売上集計表"
                                   << QStringList{"　商品別　", "　顧客別　", "　担当者別　"}
                                   << QStringList{"GridListItem", "GridListCustomer", "GridListEmployee"}
                                   << QStringList{"商品コード", "商品名", "1"} << 2;
    QTest::newRow("monthly purchases")
        << "ActionMonthBuyingSummary"
        << "TMonthBuyingSummaryForm"
        << "月間仕入集計表" << QStringList{"　商品別　", "　仕入先別　"}
        << QStringList{"GridListItem", "GridListSupplier"} << QStringList{"商品コード", "商品名", "1"} << 2;
    QTest::newRow("yearly sales") << "ActionYearSalesSummary"
                                  << "TYearSalesSummaryForm"
                                  << "年間売上集計表"
                                  << QStringList{"　商品別　", "　顧客別　", "　担当者別　"}
                                  << QStringList{"GridListItem", "GridListCustomer", "GridListEmployee"}
                                  << QStringList{"商品コード", "商品名", "1月"} << 2;
    QTest::newRow("yearly purchases")
        << "ActionYearBuyingSummary"
        << "TYearBuyingSummaryForm"
        << "年間仕入集計表" << QStringList{"　商品別　", "　仕入先別　"}
        << QStringList{"GridListItem", "GridListSupplier"} << QStringList{"商品コード", "商品名", "1月"} << 2;
}

void TestSummaryForms::launcherOpensEachWindow()
{
    QFETCH(QString, action);
    QFETCH(QString, windowClass);
    QFETCH(QString, caption);
    QFETCH(QStringList, tabs);
    QFETCH(QStringList, grids);
    QFETCH(QStringList, firstTitles);
    QFETCH(int, frozen);

    TestDb db;
    WindowRegistry registry;
    registerWindows(registry);
    TMainForm form(registry);
    form.show();
    QVERIFY(form.action(action)->isEnabled());
    QString checked;
    ModalDriver driver;
    driver.then([&](QWidget* modal) {
        // Closed also when a check fails, so the launcher's loop ends.
        const std::unique_ptr<QWidget, void (*)(QWidget*)> closer(modal, [](QWidget* m) { m->close(); });
        auto* w = qobject_cast<SummaryForm*>(modal);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), caption);
        const QDate today = QDate::currentDate();
        QCOMPARE(w->YearEdit->text(), QString::number(today.year()));
        QCOMPARE(w->YearEdit->maxLength(), 4);
        if (w->MonthComboBox) {
            QCOMPARE(w->MonthComboBox->count(), 12);
            QCOMPARE(w->MonthComboBox->itemText(0), QStringLiteral("01"));
            QCOMPARE(w->MonthComboBox->currentIndex(), today.month() - 1);
        }
        QCOMPARE(w->MonthComboBox != nullptr, firstTitles.contains(QStringLiteral("1")));
        QStringList shownTabs;
        for (int t = 0; w->PageControl && t < w->PageControl->count(); ++t)
            shownTabs << w->PageControl->tabText(t);
        QCOMPARE(shownTabs, tabs);
        QCOMPARE(w->tabCount(), grids.size());
        for (int t = 0; t < w->tabCount(); ++t) {
            DbGrid* grid = w->grid(t);
            QCOMPARE(grid->objectName(), grids[t]);
            QVERIFY(!w->dataset(t).isOpen());
            if (t == 0)
                QCOMPARE(titlesOf(grid).mid(0, 3), firstTitles);
            QCOMPARE(titlesOf(grid)[frozen], firstTitles[frozen]);
            QCOMPARE(titlesOf(grid).last(), QStringLiteral("合計"));
            QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectItems);
            QVERIFY(grid->isSortable());
            QCOMPARE(w->frozen(t)->count(), frozen);
        }
        w->idleRefresh();
        QVERIFY(!w->ActionDispDetail->isEnabled());
        QVERIFY(!w->ActionPrint->isEnabled());
        QVERIFY(w->ActionDispDetail->shortcut().isEmpty());
        QCOMPARE(w->ActionPrint->shortcut(), QKeySequence(Qt::Key_F11));
        QCOMPARE(w->ActionClose->shortcut(), QKeySequence(Qt::Key_F12));
        checked = w->metaObject()->className();
        QTest::keyClick(w, Qt::Key_F12);
        QVERIFY(!w->isVisible());
    });
    form.action(action)->trigger();
    QVERIFY(driver.finished());
    QCOMPARE(checked, windowClass);
}

void TestSummaryForms::sharedWindowWiring()
{
    TestDb db;
    {
        Connection c(db.path());
        SummaryBooks books(c);
        books.master(QStringLiteral("m_顧客"), QStringLiteral("C1"), QStringLiteral("甲商店"));
        // June 2024 starts on a Saturday.
        books.slip({true, "2024-06-01", QStringLiteral("C1"), {}, {{QStringLiteral("A"), 100}}});
        books.slip({true, "2024-06-30", {}, {}, {{QStringLiteral("A"), 50}}});
        books.slip({true, "2024-07-01", QStringLiteral("C1"), {}, {{QStringLiteral("A"), 7}}});
    }
    TMonthSalesSummaryForm w(nullptr);
    QVERIFY(showActive(&w));
    w.YearEdit->setText(QStringLiteral("2024"));
    w.MonthComboBox->setCurrentIndex(5);
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);

    // Every tab is built; the customer tab in code order, the total row last.
    for (int t = 0; t < w.tabCount(); ++t)
        QVERIFY(w.dataset(t).isOpen());
    DbGrid* grid = w.grid(1);
    Dataset& customers = w.dataset(1);
    QCOMPARE(column(customers, QStringLiteral("顧客名")), (QStringList{"一般", "甲商店", "合計"}));
    QCOMPARE(column(customers, QStringLiteral("合計")), (QStringList{"500000", "1000000", "1500000"}));

    // The day titles of the month shown, Saturday blue and Sunday red, 31 June grey.
    QCOMPARE(titlesOf(grid).mid(2, 3), (QStringList{"1 (土)", "2 (日)", "3 (月)"}));
    QCOMPARE(titleColor(grid, "1"), QColor(0, 0, 255));
    QCOMPARE(titleColor(grid, "2"), QColor(255, 0, 0));
    QVERIFY(!titleColor(grid, "3").isValid());
    QCOMPARE(titlesOf(grid)[32], QStringLiteral("31"));
    QCOMPARE(titleColor(grid, "31"), w.palette().color(QPalette::Disabled, QPalette::WindowText));
    QCOMPARE(titlesOf(w.grid(0))[2], QStringLiteral("1 (土)"));

    // The total row and the 合計 column on the button face, other cells plain.
    const QColor face = w.palette().color(QPalette::Button);
    QCOMPARE(cellBrush(grid, 2, QStringLiteral("1")).color(), face);
    QCOMPARE(cellBrush(grid, 0, QStringLiteral("合計")).color(), face);
    QCOMPARE(cellBrush(grid, 0, QStringLiteral("1")).style(), Qt::NoBrush);

    // 合計 descending puts the total row on top; the frozen code title sorts too.
    w.PageControl->setCurrentIndex(1);
    clickTitle(grid, QStringLiteral("合計"));
    clickTitle(grid, QStringLiteral("合計"));
    QCOMPARE(column(customers, QStringLiteral("顧客名")), (QStringList{"合計", "甲商店", "一般"}));
    QHeaderView* frozenTitles = w.frozen(1)->view()->horizontalHeader();
    QTest::mouseClick(frozenTitles->viewport(), Qt::LeftButton, {},
                      QPoint(frozenTitles->sectionSize(0) / 2, frozenTitles->height() / 2));
    QCOMPARE(column(customers, QStringLiteral("顧客コード")), (QStringList{"", "C1", "合計欄"}));

    // A year that makes no date: a message, the first table closed, the others
    // and the titles as they were.
    w.YearEdit->setText(QString());
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);
    QVERIFY(driver.finished());
    QVERIFY(driver.boxes.value(0).text.contains(QStringLiteral("年")));
    QVERIFY(!w.dataset(0).isOpen());
    QCOMPARE(customers.count(), 3);
    QCOMPARE(titlesOf(grid)[2], QStringLiteral("1 (土)"));

    // A non-leap February: 29 to 31 bare and grey.
    w.YearEdit->setText(QStringLiteral("2023"));
    w.MonthComboBox->setCurrentIndex(1);
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);
    QCOMPARE(titlesOf(grid).mid(30, 3), (QStringList{"29", "30", "31"}));
    QCOMPARE(titleColor(grid, "29"), w.palette().color(QPalette::Disabled, QPalette::WindowText));
    QVERIFY(!titleColor(grid, "1").isValid());  // a Wednesday now, blue before
    QCOMPARE(column(customers, QStringLiteral("顧客コード")), QStringList{"合計欄"});

    w.ActionClose->trigger();
    QVERIFY(!w.isVisible());
}

void TestSummaryForms::printsTheShownTab()
{
    TestDb db;
    {
        Connection c(db.path());
        SummaryBooks books(c);
        books.master(QStringLiteral("m_顧客"), QStringLiteral("C1"), QStringLiteral("甲商店"));
        books.slip({true, "2024-06-01", QStringLiteral("C1"), {}, {{QStringLiteral("A"), 100}}});
        books.slip({true, "2024-06-30", {}, {}, {{QStringLiteral("A"), 50}}});
    }
    TMonthSalesSummaryForm w(nullptr);
    QStringList printed;
    w.setReportPreview([&printed](QWidget*, const Report& report) {
        printed << report.layout().title << report.text(QStringLiteral("QRLabelPeriod"));
        for (const ReportPage& page : report.paginate().pages)
            for (const ReportOp& op : page.ops)
                if (op.tag == QStringLiteral("顧客名") || op.text == QStringLiteral("30 (日)"))
                    printed << op.text;
        return 0;
    });
    QVERIFY(showActive(&w));
    w.idleRefresh();
    QVERIFY(!w.ActionPrint->isEnabled());
    w.YearEdit->setText(QStringLiteral("2024"));
    w.MonthComboBox->setCurrentIndex(5);
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);
    w.PageControl->setCurrentIndex(1);
    clickTitle(w.grid(1), QStringLiteral("合計"));
    clickTitle(w.grid(1), QStringLiteral("合計"));
    w.idleRefresh();
    QVERIFY(w.ActionPrint->isEnabled());
    QTest::keyClick(&w, Qt::Key_F11);
    // The customer tab in the order shown, the names on both page widths, the
    // 30th (a Sunday) titled on the second.
    QCOMPARE(printed, (QStringList{"月間売上集計表（顧客別）", "2024年6月", "合計", "甲商店", "一般",
                                   "30 (日)", "合計", "甲商店", "一般"}));
}

QTEST_MAIN(TestSummaryForms)
#include "tst_summaryforms.moc"
