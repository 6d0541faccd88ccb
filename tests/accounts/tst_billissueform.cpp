// The bill window driven as a user drives it: its start, the idle rule, a year
// that is no year, the marks and the grey of marked rows, the lower grid
// following the selection, and the print of the marked bills with its date,
// bank account and clean-up, also after a failure.
#include <QBuffer>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <stdexcept>

#include "accountsreceivablelistform.h"
#include "billissueform.h"
#include "boxanswer.h"
#include "connection.h"
#include "datepicker.h"
#include "dbgrid.h"
#include "testdb.h"
#include "widgettesthelp.h"
#include "windowtesthelp.h"

namespace {

// March 2004, month end: A1 owes 1,000 in two lines, B2 2,000, C3 3,000; D4
// closes on the 20th.
void writeBook(const TestDb& db)
{
    Connection c(db.path());
    Books b(c, kCustomerSide);
    for (const char* code : {"A1", "B2", "C3", "D4"})
        b.partner(code, QStringLiteral("顧客") + QString::fromLatin1(code));
    db.exec("UPDATE m_顧客 SET 締日 = 32, 郵便番号 = 600001, 住所 = '札幌市中央区'");
    db.exec("UPDATE m_顧客 SET 締日 = 20 WHERE 顧客コード = 'D4'");
    b.goods(1, QDate(2004, 3, 2), Books::Credit, "A1",
            {GoodsLine{yen(400), Money(), yen(1)}, GoodsLine{yen(600), Money(), yen(1)}});
    b.goods(2, QDate(2004, 3, 3), Books::Credit, "B2", yen(2000));
    b.goods(3, QDate(2004, 3, 4), Books::Credit, "C3", yen(3000));
    b.goods(4, QDate(2004, 3, 4), Books::Credit, "D4", yen(4000));
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    logo.save(&buffer, "PNG");
    Statement s(c, QStringLiteral("UPDATE m_自社情報 SET 会社名 = '本社', 郵便番号 = 1000001, "
                                  "取引銀行口座 = '青葉銀行 本店 普通 1234567', 会社ロゴ = ?"));
    s.bind(1, png);
    s.run();
}

void display(TBillIssueForm& w, const QString& year, int month, int dayIndex)
{
    w.YearEdit->setText(year);
    w.MonthComboBox->setCurrentIndex(month - 1);
    w.JvComboBoxCutOff->setCurrentIndex(dayIndex);
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);
}

QStringList column(const DbGrid* grid, int modelColumn)
{
    QStringList texts;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        texts << grid->model()->index(r, modelColumn).data().toString();
    return texts;
}

QPoint rowPoint(const DbGrid* grid, int row)
{
    return grid->visualRect(grid->model()->index(row, 1)).center();
}

}  // namespace

class TestBillIssueForm : public QObject {
    Q_OBJECT

private slots:
    void startAndIdleRule();
    void yearThatIsNoYear_data();
    void yearThatIsNoYear();
    void marksAndLines();
    void printMarkedBills();
    void failedPrintStillCleansUp();
    void halfYenOnScreenAsInTheBalanceList();
};

void TestBillIssueForm::startAndIdleRule()
{
    TestDb db;
    writeBook(db);
    TBillIssueForm w(nullptr);
    QVERIFY(showActive(&w));
    w.idleRefresh();
    const QDate today = QDate::currentDate();
    QCOMPARE(w.windowTitle(), QStringLiteral("売掛請求"));
    QCOMPARE(w.YearEdit->text(), QString::number(today.year()));
    QCOMPARE(w.YearEdit->maxLength(), 4);
    QCOMPARE(w.MonthComboBox->currentText(),
             QStringLiteral("%1").arg(today.month(), 2, 10, QLatin1Char('0')));
    QCOMPARE(w.JvComboBoxCutOff->count(), 32);
    QCOMPARE(w.JvComboBoxCutOff->itemText(0), QStringLiteral("01日"));
    QCOMPARE(w.JvComboBoxCutOff->currentText(), QStringLiteral("月末"));
    QCOMPARE(w.closingDay(), 32);
    QVERIFY(!w.ListDataSet().isOpen());
    QVERIFY(!w.ActionPrint->isEnabled());
    QCOMPARE(w.ActionPrint->shortcut(), QKeySequence(Qt::Key_F11));
    QCOMPARE(w.ActionClose->shortcut(), QKeySequence(Qt::Key_F12));
    QVERIFY(w.enterAsTab());

    // The 15th of March bills nobody: the list is open and empty, nothing to print.
    display(w, "2004", 3, 14);
    QVERIFY(w.ListDataSet().isOpen());
    QCOMPARE(w.JvDBUltimGrid1->model()->rowCount(), 0);
    w.idleRefresh();
    QVERIFY(!w.ActionPrint->isEnabled());
    display(w, "2004", 3, 19);
    QCOMPARE(column(w.GridList, 0), QStringList{"D4"});
    w.idleRefresh();
    QVERIFY(w.ActionPrint->isEnabled());
}

void TestBillIssueForm::yearThatIsNoYear_data()
{
    QTest::addColumn<QString>("year");
    QTest::newRow("empty") << "";
    QTest::newRow("before 1900") << "1899";
    QTest::newRow("year 0") << "0";
}

void TestBillIssueForm::yearThatIsNoYear()
{
    QFETCH(QString, year);
    TestDb db;
    writeBook(db);
    TBillIssueForm w(nullptr);
    QVERIFY(showActive(&w));
    display(w, "2004", 3, 31);
    QCOMPARE(w.GridList->model()->rowCount(), 3);
    const auto box = answerNextBox(QMessageBox::Ok);
    display(w, year, 3, 31);
    QTRY_VERIFY(box->seen);
    QCOMPARE(box->icon, QMessageBox::Critical);
    QVERIFY2(box->text.contains(QStringLiteral("1900から9999")), qPrintable(box->text));
    QCOMPARE(w.GridList->model()->rowCount(), 0);
    QCOMPARE(w.JvDBUltimGrid1->model()->rowCount(), 0);
    w.idleRefresh();
    QVERIFY(!w.ActionPrint->isEnabled());
}

void TestBillIssueForm::marksAndLines()
{
    TestDb db;
    writeBook(db);
    TBillIssueForm w(nullptr);
    QVERIFY(showActive(&w));
    display(w, "2004", 3, 31);
    const DatasetModel* model = w.GridList->datasetModel();
    const int mark = model->modelColumnOf(QStringLiteral("請求書印刷表示"));
    QCOMPARE(model->headerData(mark, Qt::Horizontal).toString(), QStringLiteral("印刷"));
    QCOMPARE(column(w.GridList, 0), (QStringList{"A1", "B2", "C3"}));
    QCOMPARE(column(w.GridList, model->modelColumnOf(QStringLiteral("今月請求額"))),
             (QStringList{"¥1,000", "¥2,000", "¥3,000"}));
    QCOMPARE(column(w.GridList, mark), (QStringList{"はい", "はい", "はい"}));
    QCOMPARE(column(w.JvDBUltimGrid1, 1), (QStringList{"1", "1"}));

    // Marked rows are grey except the selected one.
    const QColor grey = w.GridList->palette().color(QPalette::Button);
    auto background = [&](int row) { return model->index(row, 0).data(Qt::BackgroundRole); };
    QVERIFY(!background(0).isValid());
    QCOMPARE(background(1).value<QColor>(), grey);

    // A click selects B2 and the lower grid follows; a double-click turns its mark over.
    QTest::mouseClick(w.GridList->viewport(), Qt::LeftButton, {}, rowPoint(w.GridList, 1));
    QCOMPARE(w.ListDataSet().currentRow(), 1);
    QCOMPARE(column(w.JvDBUltimGrid1, 1), QStringList{"2"});
    QCOMPARE(column(w.JvDBUltimGrid1, 7), QStringList{"¥2,000"});
    QTest::mouseDClick(w.GridList->viewport(), Qt::LeftButton, {}, rowPoint(w.GridList, 1));
    QCOMPARE(column(w.GridList, mark), (QStringList{"はい", "いいえ", "はい"}));
    QTest::mouseClick(w.GridList->viewport(), Qt::LeftButton, {}, rowPoint(w.GridList, 2));
    QVERIFY(!background(1).isValid());  // unmarked: the grid's own colours
    QCOMPARE(background(0).value<QColor>(), grey);
    QTest::mouseDClick(w.GridList->viewport(), Qt::LeftButton, {}, rowPoint(w.GridList, 1));
    QCOMPARE(column(w.GridList, mark), (QStringList{"はい", "はい", "はい"}));
}

void TestBillIssueForm::printMarkedBills()
{
    TestDb db;
    writeBook(db);
    TBillIssueForm w(nullptr);
    QVERIFY(showActive(&w));
    QString date, bank;
    ReportDocument document;
    bool companyOpen = false;
    w.setReportPreview([&](QWidget*, const Report& report) {
        date = report.text(QStringLiteral("QRLabelDate"));
        bank = report.text(QStringLiteral("QRLabelBank"));
        companyOpen = w.CompanyDataSet().isOpen();
        document = report.paginate();
        return 0;
    });
    display(w, "2004", 3, 31);
    QTest::mouseClick(w.GridList->viewport(), Qt::LeftButton, {}, rowPoint(w.GridList, 1));
    QTest::mouseDClick(w.GridList->viewport(), Qt::LeftButton, {}, rowPoint(w.GridList, 1));
    w.idleRefresh();
    QTest::keyClick(&w, Qt::Key_F11);

    QCOMPARE(date, QDate::currentDate().toString(QStringLiteral("yyyy年MM月dd日")));
    QCOMPARE(bank, QStringLiteral("青葉銀行 本店 普通 1234567"));
    QVERIFY(companyOpen);
    QCOMPARE(document.pages.size(), size_t(2));
    QCOMPARE(textsTagged(document, "顧客名"), (QStringList{"顧客A1", "顧客C3"}));
    QCOMPARE(textsTagged(document, "金額"), (QStringList{"¥400", "¥600", "¥3,000"}));
    QCOMPARE(textsTagged(document, "会社名"), (QStringList{"本社", "本社"}));
    QCOMPARE(textsTagged(document, "郵便番号表示"),
             (QStringList{"0600001", "1000001", "0600001", "1000001"}));

    // Afterwards every row shows again, on the first row, with its mark kept;
    // the company row is closed.
    QVERIFY(!w.CompanyDataSet().isOpen());
    QCOMPARE(w.ListDataSet().count(), 3);
    QCOMPARE(w.ListDataSet().currentRow(), 0);
    QCOMPARE(column(w.GridList, w.GridList->datasetModel()->modelColumnOf(QStringLiteral("請求書印刷表示"))),
             (QStringList{"はい", "いいえ", "はい"}));
    // A new display marks every bill again.
    QTest::mouseClick(w.ButtonDisp, Qt::LeftButton);
    QCOMPARE(column(w.GridList, w.GridList->datasetModel()->modelColumnOf(QStringLiteral("請求書印刷表示"))),
             (QStringList{"はい", "はい", "はい"}));
}

void TestBillIssueForm::failedPrintStillCleansUp()
{
    TestDb db;
    writeBook(db);
    TBillIssueForm w(nullptr);
    QVERIFY(showActive(&w));
    int shownRows = -1;
    w.setReportPreview([&](QWidget*, const Report&) -> int {
        shownRows = w.ListDataSet().count();
        throw std::runtime_error("プリンタがありません。");
    });
    display(w, "2004", 3, 31);
    QTest::mouseDClick(w.GridList->viewport(), Qt::LeftButton, {}, rowPoint(w.GridList, 0));
    const auto box = answerNextBox(QMessageBox::Ok);
    w.idleRefresh();
    w.ActionPrint->trigger();
    QTRY_VERIFY(box->seen);
    QVERIFY(box->text.contains(QStringLiteral("プリンタ")) ||
            box->details.contains(QStringLiteral("プリンタ")));
    QCOMPARE(shownRows, 2);
    QVERIFY(!w.CompanyDataSet().isOpen());
    QCOMPARE(w.ListDataSet().count(), 3);
    QVERIFY(!w.ListDataSet().isFiltered());
}

void TestBillIssueForm::halfYenOnScreenAsInTheBalanceList()
{
    TestDb db;
    {
        Connection c(db.path());
        Books b(c, kCustomerSide);
        b.partner("H");
        db.exec("UPDATE m_顧客 SET 締日 = 32");
        b.goods(1, QDate(2004, 2, 10), Books::Credit, "H", yen("3"));
        b.money(1, QDate(2004, 2, 11), "H", {yen("0.5")});  // ¥2.5 owed
    }
    TBillIssueForm bills(nullptr);
    QVERIFY(showActive(&bills));
    display(bills, "2004", 3, 31);
    const DatasetModel* billColumns = bills.GridList->datasetModel();
    QCOMPARE(column(bills.GridList, billColumns->modelColumnOf(QStringLiteral("前月迄売掛残高"))),
             QStringList{"¥3"});
    QCOMPARE(column(bills.GridList, billColumns->modelColumnOf(QStringLiteral("今月請求額"))),
             QStringList{"¥3"});
    bills.close();

    TAccountsReceivableListForm list(nullptr);
    QVERIFY(showActive(&list));
    list.JvDatePickerEditFrom->setDate(QDate(2004, 3, 1));
    list.JvDatePickerEditTo->setDate(QDate(2004, 3, 31));
    QTest::mouseClick(list.ButtonDisp, Qt::LeftButton);
    const DatasetModel* listColumns = list.GridList->datasetModel();
    QCOMPARE(column(list.GridList, listColumns->modelColumnOf(QStringLiteral("繰越残高"))),
             QStringList{"¥3"});
    QCOMPARE(column(list.GridList, listColumns->modelColumnOf(QStringLiteral("残高"))), QStringList{"¥3"});
}

QTEST_MAIN(TestBillIssueForm)
#include "tst_billissueform.moc"
