// The four slip search dialogs: partner and date filters, the "to" day with a
// time of day, exchanged dates, an unknown partner erased, a partner code with
// a quote, picking by double-click, and OK only with a result.
#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

#include <memory>

#include "datepicker.h"
#include "dbcodeedit.h"
#include "dbgrid.h"
#include "dbtext.h"
#include "findbuyingdlg.h"
#include "findmoneyreceivedlg.h"
#include "findpaymentdlg.h"
#include "findsalesdlg.h"
#include "slipfixture.h"

namespace {

std::unique_ptr<FindSlipDlg> makeDialog(const QString& kind)
{
    if (kind == "sales")
        return std::make_unique<TFindSalesDlg>(nullptr);
    if (kind == "buying")
        return std::make_unique<TFindBuyingDlg>(nullptr);
    if (kind == "receive")
        return std::make_unique<TFindMoneyReceiveDlg>(nullptr);
    return std::make_unique<TFindPaymentDlg>(nullptr);
}

QList<qint64> slipNumbers(const Dataset& slips)
{
    QList<qint64> numbers;
    for (int row = 0; row < slips.count(); ++row)
        numbers << slips.fieldAt(row, "伝票番号").asInt();
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

}  // namespace

class TestFindSlipDlg : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void filters_data();
    void filters();
    void unknownPartnerIsErased();
    void pickingAndOk();

private:
    FindSlipDlg* open(const QString& kind);
    void find(FindSlipDlg* dlg);

    TestDb* m_db = nullptr;
    std::unique_ptr<FindSlipDlg> m_dlg;
};

void TestFindSlipDlg::init()
{
    m_db = new TestDb;
    seedMasters(*m_db);
    // Each kind: slips 1-4 of the first partner around April 2005 (slip 3 with a
    // time of day on the 30th), slip 5 of the second partner, slip 6 of the
    // partner with a quote in its code (customers only).
    const QStringList dates = {"2005-03-31", "2005-04-01", "2005-04-30 13:45:00",
                               "2005-05-01", "2005-04-15", "2005-04-16"};
    struct Kind {
        const char *table, *date, *partner, *first, *second, *quoted, *extra;
    };
    const Kind kinds[] = {{"t_売上", "売上年月日", "顧客コード", "C1", "C2", "C'Q", ", 売上区分コード"},
                          {"t_仕入", "仕入年月日", "仕入先コード", "S1", "S2", "S1", ", 仕入区分コード"},
                          {"t_入金", "入金年月日", "顧客コード", "C1", "C2", "C'Q", ""},
                          {"t_支払", "支払年月日", "仕入先コード", "S1", "S2", "S1", ""}};
    for (const Kind& k : kinds) {
        for (int i = 0; i < dates.size(); ++i) {
            const QString partner = QString::fromUtf8(i < 4 ? k.first : i == 4 ? k.second : k.quoted);
            QString sql =
                QStringLiteral("INSERT INTO %1 (伝票番号, %2, %3%4) VALUES (%5, '%6', '%7'%8);")
                    .arg(QString::fromUtf8(k.table), QString::fromUtf8(k.date), QString::fromUtf8(k.partner),
                         QString::fromUtf8(k.extra))
                    .arg(i + 1)
                    .arg(dates[i], QString(partner).replace("'", "''"),
                         QString::fromUtf8(k.extra).isEmpty() ? QString() : QStringLiteral(", '10'"));
            m_db->exec(sql);
        }
    }
}

void TestFindSlipDlg::cleanup()
{
    m_dlg.reset();
    delete m_db;
    m_db = nullptr;
}

FindSlipDlg* TestFindSlipDlg::open(const QString& kind)
{
    m_dlg = makeDialog(kind);
    showActive(m_dlg.get());
    return m_dlg.get();
}

void TestFindSlipDlg::find(FindSlipDlg* dlg)
{
    dlg->ButtonFind->setFocus();
    pressKey(Qt::Key_Return);
}

void TestFindSlipDlg::filters_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("partner");
    QTest::addColumn<QDate>("from");  // invalid: unchecked
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QList<qint64>>("expected");
    const QDate apr1(2005, 4, 1), apr30(2005, 4, 30);
    QTest::newRow("sales, exchanged dates") << "sales"
                                            << "売上伝票検索"
                                            << "" << apr30 << apr1 << QList<qint64>{2, 3, 5, 6};
    QTest::newRow("sales, only to") << "sales"
                                    << "売上伝票検索"
                                    << "" << QDate() << apr30 << QList<qint64>{1, 2, 3, 5, 6};
    QTest::newRow("sales, only from") << "sales"
                                      << "売上伝票検索"
                                      << "" << apr30 << QDate() << QList<qint64>{3, 4};
    QTest::newRow("sales, partner with a quote") << "sales"
                                                 << "売上伝票検索"
                                                 << "C'Q" << QDate() << QDate() << QList<qint64>{6};
    QTest::newRow("sales, no filter") << "sales"
                                      << "売上伝票検索"
                                      << "" << QDate() << QDate() << QList<qint64>{1, 2, 3, 4, 5, 6};
    QTest::newRow("purchases, partner and dates") << "buying"
                                                  << "仕入伝票検索"
                                                  << "S1" << apr1 << apr30 << QList<qint64>{2, 3, 6};
    QTest::newRow("receipts, partner and dates") << "receive"
                                                 << "入金伝票検索"
                                                 << "C1" << apr1 << apr30 << QList<qint64>{2, 3};
    QTest::newRow("payments, second partner") << "payment"
                                              << "支払伝票検索"
                                              << "S2" << QDate() << apr30 << QList<qint64>{5};
}

void TestFindSlipDlg::filters()
{
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(QString, partner);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QList<qint64>, expected);
    FindSlipDlg* dlg = open(kind);
    QCOMPARE(dlg->windowTitle(), caption);
    QVERIFY(!dlg->CheckBoxFrom->isChecked() && !dlg->CheckBoxTo->isChecked());
    QVERIFY(!dlg->DatePickerFrom->isEnabled() && !dlg->DatePickerTo->isEnabled());
    QCOMPARE(dlg->DatePickerFrom->date(), QDate::currentDate());

    if (!partner.isEmpty()) {
        dlg->partnerEdit->setFocus();
        typeKeys(partner);
        pressKey(Qt::Key_Tab);
        QCOMPARE(dlg->partnerEdit->text(), partner);
        QVERIFY(!dlg->partnerName->text().isEmpty());
    }
    for (auto [box, picker, date] : {std::tuple{dlg->CheckBoxFrom, dlg->DatePickerFrom, from},
                                     std::tuple{dlg->CheckBoxTo, dlg->DatePickerTo, to}}) {
        if (!date.isValid())
            continue;
        box->setFocus();
        pressKey(Qt::Key_Space);
        QVERIFY(picker->isEnabled());
        picker->setDate(date);
    }
    find(dlg);
    QCOMPARE(slipNumbers(dlg->SlipDataSet), expected);
    if (from.isValid() && to.isValid() && to < from) {
        QCOMPARE(dlg->DatePickerFrom->date(), to);
        QCOMPARE(dlg->DatePickerTo->date(), from);
    }
    // The same search again gives the same list, plus what was saved meanwhile.
    find(dlg);
    QCOMPARE(slipNumbers(dlg->SlipDataSet), expected);
    const QStringList columns = dlg->SlipDataSet.columns();
    QVERIFY(columns.contains("伝票合計"));
}

void TestFindSlipDlg::unknownPartnerIsErased()
{
    FindSlipDlg* dlg = open("sales");
    dlg->partnerEdit->setFocus();
    typeKeys("ZZ");
    pressKey(Qt::Key_Tab);
    QCOMPARE(dlg->partnerEdit->text(), QString());
    QCOMPARE(dlg->partnerName->text(), QString());
    find(dlg);
    QCOMPARE(dlg->SlipDataSet.count(), 6);

    dlg->partnerEdit->setFocus();
    typeKeys("C2");
    pressKey(Qt::Key_Return);  // Enter moves on like Tab
    QCOMPARE(dlg->partnerName->text(), QStringLiteral("川口商事"));
    find(dlg);
    QCOMPARE(slipNumbers(dlg->SlipDataSet), QList<qint64>{5});
}

void TestFindSlipDlg::pickingAndOk()
{
    FindSlipDlg* dlg = open("payment");
    dlg->idleRefresh();
    QVERIFY(!dlg->ButtonOK->isEnabled());  // no search yet

    // An empty result: OK stays disabled and a double-click does nothing.
    dlg->partnerEdit->setFocus();
    typeKeys("S2");
    pressKey(Qt::Key_Tab);
    dlg->CheckBoxTo->setChecked(true);
    dlg->DatePickerTo->setDate(QDate(2005, 4, 1));
    find(dlg);
    QCOMPARE(dlg->SlipDataSet.count(), 0);
    dlg->idleRefresh();
    QVERIFY(!dlg->ButtonOK->isEnabled());
    QTest::mouseDClick(dlg->GridResult->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(dlg->isVisible());
    QCOMPARE(dlg->result(), 0);

    dlg->CheckBoxTo->setChecked(false);
    find(dlg);
    dlg->idleRefresh();
    QVERIFY(dlg->ButtonOK->isEnabled());
    const QRect row = dlg->GridResult->visualRect(dlg->GridResult->model()->index(0, 1));
    QTest::mouseDClick(dlg->GridResult->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QCOMPARE(dlg->SelectedSlipNo(), 5);

    // Escape closes without a result.
    FindSlipDlg* second = open("payment");
    find(second);
    QTest::keyClick(second, Qt::Key_Escape);
    QVERIFY(!second->isVisible());
    QCOMPARE(second->result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestFindSlipDlg)
#include "tst_findslipdlg.moc"
