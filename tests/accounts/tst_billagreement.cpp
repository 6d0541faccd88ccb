// A bill agrees with the other documents of the receivables: on a generated
// data set, every bill's balance up to the previous closing is the balance
// list's carried-forward balance for a period starting on the bill's first day,
// its credit sales are the customer's credit slips of the period, and exactly
// the customers of the closing day who owe a whole yen or more are billed. A
// half yen is shown alike by the ledger, the balance list and the bill.
#include <QDate>
#include <QtTest>

#include <cstdint>

#include "accountsreceivablelistrptform.h"
#include "balancelistcomputation.h"
#include "billcomputation.h"
#include "billissuerptform.h"
#include "books.h"
#include "connection.h"
#include "dataset.h"
#include "ledgercomputation.h"
#include "rng.h"
#include "testdb.h"

namespace {

const QString kCode = QStringLiteral("顧客コード");

// Thirty customers over the closing days in use (and some without one), three
// years of credit and cash sales with fractional amounts, some at a time of
// day, and receipts.
QStringList generate(Connection& c, std::uint64_t seed)
{
    Rng rng(seed);
    Books b(c, kCustomerSide);
    const QVariant days[] = {32, 32, 20, 25, 10, 15, 30, 31, 29, QVariant()};
    QStringList codes;
    for (int i = 0; i < 30; ++i) {
        const QString code = QStringLiteral("C%1").arg(i, 2, 10, QLatin1Char('0'));
        codes << code;
        b.partner(code);
        Statement s(c, QStringLiteral("UPDATE m_顧客 SET 締日 = ? WHERE 顧客コード = ?"));
        s.bind(1, days[rng.between(0, std::size(days) - 1)]);
        s.bind(2, code);
        s.run();
    }
    const QDate first(2003, 1, 1);
    auto pickDate = [&]() -> QVariant {
        const QDate d = first.addDays(rng.between(0, 1095));
        if (rng.between(0, 5) == 0)
            return d.toString(Qt::ISODate) + QStringLiteral(" %1:15:00").arg(rng.between(10, 23));
        return d;
    };
    Transaction tx(c);
    for (int no = 1; no <= 900; ++no) {
        QList<GoodsLine> lines;
        for (int n = int(rng.between(1, 3)); n > 0; --n) {
            const Money price = Money::fromRaw(rng.between(1, 200000) * 2500);  // ¥0.25 steps
            const Money tax = Money::fromYen(price.yenTruncated() / 10);
            const Money qty = Money::fromRaw(rng.between(1, 20) * 5000);  // 0.5 steps
            lines << GoodsLine{price, tax, qty};
        }
        b.goods(no, pickDate(), rng.between(0, 4) == 0 ? Books::Cash : Books::Credit,
                codes[int(rng.between(0, codes.size() - 1))], lines);
    }
    for (int no = 1; no <= 300; ++no)
        b.money(no, pickDate(), codes[int(rng.between(0, codes.size() - 1))],
                {Money::fromRaw(rng.between(1, 300000) * 5000)});
    tx.commit();
    return codes;
}

struct Slip {
    QDate date;
    Money total;
};

// The customer's slips, read plainly from the tables: credit sales or receipts.
QList<Slip> slipsOf(Connection& c, const QString& code, bool receipts)
{
    Statement s(c, receipts ? QStringLiteral("SELECT 入金年月日, 伝票合計 FROM t_入金 WHERE 顧客コード = ?")
                            : QStringLiteral("SELECT 売上年月日, 伝票合計 FROM t_売上 "
                                             "WHERE 顧客コード = ? AND 売上区分コード = '10'"));
    s.bind(1, code);
    QList<Slip> out;
    while (s.step())
        out << Slip{QDate::fromString(s.text(0).left(10), Qt::ISODate), Money::fromRaw(s.int64(1))};
    return out;
}

Money sumWithin(const QList<Slip>& slips, const QDate& from, const QDate& before)
{
    Money sum;
    for (const Slip& slip : slips)
        if ((!from.isValid() || slip.date >= from) && (!before.isValid() || slip.date < before))
            sum += slip.total;
    return sum;
}

QVariant closingDayOf(Connection& c, const QString& code)
{
    return scalar(c, QStringLiteral("SELECT 締日 FROM m_顧客 WHERE 顧客コード = ?"), {code});
}

QString printedText(const Report& report, const QString& tag)
{
    const ReportDocument doc = report.paginate();
    for (const ReportPage& page : doc.pages)
        for (const ReportOp& op : page.ops)
            if (op.tag == tag)
                return op.text;
    return QStringLiteral("(not printed)");
}

}  // namespace

class TestBillAgreement : public QObject {
    Q_OBJECT

private slots:
    void billsAgreeWithTheBalanceList();
    void halfYenShownAlike_data();
    void halfYenShownAlike();
};

void TestBillAgreement::billsAgreeWithTheBalanceList()
{
    TestDb db;
    Connection c(db.path());
    const QStringList codes = generate(c, 0x42696c6c00000001ULL);
    BillComputation bills(c);
    BalanceListComputation list(c, BalanceListNames::receivable());

    int billed = 0;
    int notBilled = 0;
    bool sawFraction = false;
    for (const auto& [year, month] :
         QList<QPair<int, int>>{{2003, 6}, {2004, 2}, {2004, 12}, {2005, 3}, {2005, 11}}) {
        for (const int day : {32, 20, 25, 10, 15, 30, 31, 29}) {
            const BillPeriod p = bills.build(year, month, day);
            list.build(p.start, p.last());
            Dataset& rows = bills.list();
            for (const QString& code : codes) {
                const QString where =
                    QStringLiteral("%1 %2/%3 day %4").arg(code).arg(year).arg(month).arg(day);
                const QList<Slip> credit = slipsOf(c, code, false);
                const QList<Slip> receipts = slipsOf(c, code, true);
                const Money prev = sumWithin(credit, {}, p.start) - sumWithin(receipts, {}, p.start);
                const Money since = sumWithin(receipts, p.start, {});
                const Money period = sumWithin(credit, p.start, p.end);
                const Money amount = prev + period - since;
                const bool expected = closingDayOf(c, code) == QVariant(day) && amount.yenHalfAway() > 0;
                const bool found =
                    rows.findFirst([&](const RowRef& row) { return row.field(kCode).asText() == code; });
                QVERIFY2(found == expected, qPrintable(where));
                if (!found) {
                    ++notBilled;
                    continue;
                }
                ++billed;
                QVERIFY(list.dataset().findFirst(
                    [&](const RowRef& row) { return row.field(kCode).asText() == code; }));
                const Field carried = list.dataset().field(QStringLiteral("繰越残高"));
                QVERIFY2(rows.field(QStringLiteral("前月迄売掛残高")).asMoney() == carried.asMoney(),
                         qPrintable(where));
                QCOMPARE(rows.field(QStringLiteral("前月迄売掛残高")).display(DisplayFormat::Balance),
                         carried.display(DisplayFormat::Balance));
                QVERIFY2(rows.field(QStringLiteral("今月掛売合計")).asMoney() == period, qPrintable(where));
                QVERIFY2(rows.field(QStringLiteral("今月掛売合計")).asMoney() ==
                             list.dataset().field(QStringLiteral("期間掛売合計")).asMoney(),
                         qPrintable(where));
                QVERIFY2(rows.field(QStringLiteral("今月以降入金額")).asMoney() == since, qPrintable(where));
                QVERIFY2(rows.field(QStringLiteral("今月請求額")).asMoney() == amount, qPrintable(where));
                sawFraction |= amount.raw() % Money::Scale != 0;
            }
        }
    }
    QVERIFY(billed > 30);
    QVERIFY(notBilled > 30);
    QVERIFY(sawFraction);
}

void TestBillAgreement::halfYenShownAlike_data()
{
    QTest::addColumn<QString>("owed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("two and a half: up, not to the even yen") << "2.5"
                                                             << "¥3";
    QTest::newRow("three and a half: up") << "3.5"
                                          << "¥4";
    QTest::newRow("a little over a half") << "1000.5001"
                                          << "¥1,001";
}

void TestBillAgreement::halfYenShownAlike()
{
    QFETCH(QString, owed);
    QFETCH(QString, shown);
    TestDb db;
    Connection c(db.path());
    Books b(c, kCustomerSide);
    b.partner("H");
    db.exec("UPDATE m_顧客 SET 締日 = 32");
    // A goods line is whole yen; the fraction comes from a receipt.
    const Money whole = Money::fromYen(Money::parse(owed).yenHalfAway() + 1);
    b.goods(1, QDate(2004, 2, 10), Books::Credit, "H", whole);
    b.money(1, QDate(2004, 2, 11), "H", {whole - Money::parse(owed)});
    b.goods(2, QDate(2004, 3, 10), Books::Cash, "H", yen(500));

    // The ledger of March: its last balance.
    LedgerComputation ledger(c, LedgerNames::customer());
    ledger.build("H", QDate(2004, 3, 1), QDate(2004, 3, 31));
    Dataset& l = ledger.dataset();
    l.last();
    while (l.field(QStringLiteral("残高")).isNull())
        l.prior();
    QCOMPARE(l.field(QStringLiteral("残高")).display(DisplayFormat::Money), shown);

    // The balance list of March, on paper.
    BalanceListComputation list(c, BalanceListNames::receivable());
    list.build(QDate(2004, 3, 1), QDate(2004, 3, 31));
    TAccountsReceivableListRptForm listReport(list.dataset());
    QCOMPARE(printedText(listReport, QStringLiteral("繰越残高")), shown);
    QCOMPARE(printedText(listReport, QStringLiteral("残高")), shown);
    listReport.setTotals(list.totals());
    QCOMPARE(printedText(listReport, BalanceListRptForm::totalName(QStringLiteral("残高"))), shown);

    // The bill of March, on paper.
    BillComputation bills(c);
    bills.build(2004, 3, 32);
    QCOMPARE(bills.list().count(), 1);
    Dataset company(c, QStringLiteral("SELECT * FROM m_自社情報"));
    company.addCalculatedField(BillComputation::PostalCodeText, [](const RowRef&) { return QVariant(); });
    company.open();
    TBillIssueRptForm billReport(bills.list(), bills.lines(), company);
    QCOMPARE(printedText(billReport, QStringLiteral("前月迄売掛残高")), shown);
    QCOMPARE(printedText(billReport, QStringLiteral("今月請求額")), shown);
}

QTEST_MAIN(TestBillAgreement)
#include "tst_billagreement.moc"
