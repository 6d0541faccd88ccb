// "CSV出力" in the document windows: every one has it, without a key, and one
// window writes what its grid shows to the file the user picked.
#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "accountsreceivablelistform.h"
#include "books.h"
#include "connection.h"
#include "csvexportaction.h"
#include "datepicker.h"
#include "dbgrid.h"
#include "modaldriver.h"
#include "testdb.h"
#include "testhelp.h"
#include "windowregistry.h"

class TestCsvExport : public QObject {
    Q_OBJECT

private slots:
    void everyDocumentWindowHasIt_data();
    void everyDocumentWindowHasIt();
    void exportsWhatTheListShows();
};

void TestCsvExport::everyDocumentWindowHasIt_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("lists");  // one action per list the window shows in turn
    for (const char* name : {"ActionLedgerCustomer", "ActionLedgerSupplier", "ActionAccountsReceivableList",
                             "ActionAccountsPayableList", "ActionBillIssue", "ActionItemStockList",
                             "ActionLedgerItem", "ActionBuyingDetailList", "ActionMonthSummary",
                             "ActionMonthSalesSummary", "ActionMonthBuyingSummary", "ActionYearSalesSummary",
                             "ActionYearBuyingSummary"})  // the summaries: one action for the tab shown
        QTest::newRow(name) << QString::fromLatin1(name) << 1;
    QTest::newRow("ActionSalesDetailList") << QStringLiteral("ActionSalesDetailList") << 3;
}

void TestCsvExport::everyDocumentWindowHasIt()
{
    QFETCH(QString, action);
    QFETCH(int, lists);
    TestDb db;
    WindowRegistry registry;
    registerWindows(registry);
    QVERIFY(registry.has(action));
    const std::unique_ptr<QDialog> w(registry.factory(action)(nullptr));
    const QList<CsvExportAction*> exports = w->findChildren<CsvExportAction*>();
    QCOMPARE(exports.size(), lists);
    const QList<QPushButton*> buttons = w->findChildren<QPushButton*>(QStringLiteral("ButtonCsvExport"));
    QCOMPARE(buttons.size(), lists);
    for (int i = 0; i < lists; ++i) {
        QCOMPARE(exports[i]->text(), QStringLiteral("CSV出力"));
        QVERIFY(exports[i]->shortcut().isEmpty());
        // Nothing is shown before the first display: nothing to write.
        QVERIFY(!exports[i]->isEnabled());
        QCOMPARE(buttons[i]->text(), QStringLiteral("CSV出力"));
        QVERIFY(!buttons[i]->isEnabled());
    }
    // The window's own keys are where they were.
    QStringList keys;
    for (const QAction* a : w->actions())
        if (!a->shortcut().isEmpty())
            keys << a->shortcut().toString();
    QVERIFY(keys.contains(QStringLiteral("F12")));
    QVERIFY(keys.contains(QStringLiteral("F11")));
}

void TestCsvExport::exportsWhatTheListShows()
{
    TestDb db;
    {
        Connection c(db.path());
        Books b(c, kCustomerSide);
        b.partner("A1", "一");
        b.partner("B2", "=HYPERLINK(\"x\")");
        b.partner("C3", "三,\"参\"");
        b.goods(1, QDate(2024, 1, 5), Books::Credit, "A1", yen(5000));
        b.goods(2, QDate(2024, 3, 5), Books::Credit, "B2", yen(9000));
        b.goods(3, QDate(2024, 2, 5), Books::Credit, "C3", yen(7000));
        b.money(1, QDate(2024, 3, 6), "C3", {yen(6500)});
        b.money(2, QDate(2024, 3, 7), "A1", {yen(8000)});
    }
    TAccountsReceivableListForm w(nullptr);
    w.show();
    w.JvDatePickerEditFrom->setDate(QDate(2024, 3, 1));
    w.JvDatePickerEditTo->setDate(QDate(2024, 3, 31));
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);
    // Sorted by balance as the user sorts it: a click on the title, then another.
    QHeaderView* header = w.GridList->horizontalHeader();
    const int section = w.GridList->datasetModel()->modelColumnOf(QStringLiteral("残高"));
    const QPoint title(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                       header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);

    QTemporaryDir dir;
    auto* action = w.findChild<CsvExportAction*>();
    QVERIFY(action);
    QString proposed;
    QString target = dir.filePath(QStringLiteral("list.csv"));
    action->setFileChooser([&](QWidget*, const QString& path) {
        proposed = path;
        return target;
    });
    auto* button = w.findChild<QPushButton*>(QStringLiteral("ButtonCsvExport"));
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(QFileInfo(proposed).fileName(), QStringLiteral("売掛残高一覧_2024-03-01_2024-03-31.csv"));
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    // The shown columns under their titles, in the order of the balance,
    // highest first; the name that reads as a formula stays text, the negative
    // balance stays a number.
    QCOMPARE(written,
             QByteArray("\xEF\xBB\xBF"
                        "顧客コード,顧客名,繰越残高,期間現金売合計,期間掛売合計,期間入金合計,残高\r\n"
                        "B2,\"'=HYPERLINK(\"\"x\"\")\",0,0,9000,0,9000\r\n"
                        "C3,\"三,\"\"参\"\"\",7000,0,0,6500,500\r\n"
                        "A1,一,5000,0,0,8000,-3000\r\n"));

    // A folder that is gone: the error box names the file, and nothing is left.
    target = dir.filePath(QStringLiteral("gone/list.csv"));
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(driver.finished());
    QCOMPARE(driver.boxes.size(), 1);
    QCOMPARE(driver.boxes[0].icon, QMessageBox::Critical);
    QVERIFY2(driver.boxes[0].text.contains(target), qPrintable(driver.boxes[0].text));
    QVERIFY(!QFile::exists(target));

    // The book itself: refused before anything is written.
    const auto bytesOf = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray book = bytesOf(db.path());
    target = db.path();
    ModalDriver refused;
    refused.answer(QMessageBox::Ok);
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(refused.finished());
    QCOMPARE(refused.boxes.size(), 1);
    QVERIFY2(refused.boxes[0].text.contains(QStringLiteral("出力先が帳簿そのものです")),
             qPrintable(refused.boxes[0].text));
    QCOMPARE(bytesOf(db.path()), book);
}

QTEST_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
