// The balance list is the summary of the ledgers: for every partner of a
// generated data set and several periods, the list's carried-forward balance
// and balance are the ledger's first and last running balance, and the list's
// period sums are the sums of the ledger's slip rows.
#include <QDate>
#include <QtTest>

#include <cstdint>

#include "balancelistcomputation.h"
#include "books.h"
#include "connection.h"
#include "dataset.h"
#include "ledgercomputation.h"
#include "rng.h"
#include "testdb.h"

namespace {

// Two years of slips for a dozen partners: credit and cash, fractional prices
// and quantities, some with a time of day, some without a partner or with one
// that is not in the master.
QStringList generate(Connection& c, const BookSide& side, std::uint64_t seed)
{
    Rng rng(seed);
    Books b(c, side);
    const QStringList codes{"P01", "P02", "P03",    "P04", "P05", "P06",
                            "P07", "P08", "O'Hara", "50%", "A_B", "x"};
    for (const QString& code : codes)
        b.partner(code, QStringLiteral("名前 ") + code);
    const QDate first(2023, 1, 1);
    auto pickDate = [&]() -> QVariant {
        const QDate d = first.addDays(rng.between(0, 730));
        if (rng.between(0, 6) == 0)
            return d.toString(Qt::ISODate) + QStringLiteral(" %1:30:00").arg(rng.between(10, 23));
        return d;
    };
    auto pickPartner = [&]() -> QVariant {
        const auto r = rng.between(0, 40);
        if (r == 0)
            return QVariant();
        if (r == 1)
            return QStringLiteral("NOTINMASTER");
        return codes[int(rng.between(0, codes.size() - 1))];
    };
    Transaction tx(c);
    for (int no = 1; no <= 500; ++no) {
        QList<GoodsLine> lines;
        for (int n = int(rng.between(1, 4)); n > 0; --n) {
            const Money price = Money::fromRaw(rng.between(-2000, 300000) * 500);  // to ¥15,000 in ¥0.05
            const Money tax = Money::fromYen(price.yenTruncated() / 10);
            const Money qty = Money::fromRaw(rng.between(1, 40) * 2500);  // 0.25 steps
            lines << GoodsLine{price, tax, qty};
        }
        b.goods(no, pickDate(), rng.between(0, 4) == 0 ? Books::Cash : Books::Credit, pickPartner(), lines);
    }
    for (int no = 1; no <= 200; ++no) {
        QList<Money> amounts;
        for (int n = int(rng.between(1, 3)); n > 0; --n)
            amounts << Money::fromRaw(rng.between(1, 400000) * 5000);  // ¥0.5 steps
        b.money(no, pickDate(), pickPartner(), amounts);
    }
    tx.commit();
    return codes;
}

}  // namespace

class TestBalanceAgreement : public QObject {
    Q_OBJECT

private slots:
    void listSummarisesLedgers_data();
    void listSummarisesLedgers();
};

void TestBalanceAgreement::listSummarisesLedgers_data()
{
    QTest::addColumn<int>("side");
    QTest::newRow("customers") << 0;
    QTest::newRow("suppliers") << 1;
}

void TestBalanceAgreement::listSummarisesLedgers()
{
    QFETCH(int, side);
    const BookSide& books = side == 0 ? kCustomerSide : kSupplierSide;
    const LedgerNames& ledgerNames = side == 0 ? LedgerNames::customer() : LedgerNames::supplier();
    const BalanceListNames& listNames =
        side == 0 ? BalanceListNames::receivable() : BalanceListNames::payable();

    TestDb db;
    Connection c(db.path());
    const QStringList codes = generate(c, books, 0x4c65646765720000ULL + std::uint64_t(side));

    const QList<QPair<QDate, QDate>> periods{
        {QDate(2024, 3, 1), QDate(2024, 3, 31)},  {QDate(2023, 1, 1), QDate(2024, 12, 31)},
        {QDate(2022, 1, 1), QDate(2022, 12, 31)}, {QDate(2024, 12, 31), QDate(2024, 6, 1)},
        {QDate(2023, 7, 14), QDate(2023, 7, 14)}, {QDate(2025, 1, 1), QDate(2025, 1, 31)},
    };
    LedgerComputation ledger(c, ledgerNames);
    BalanceListComputation list(c, listNames);
    int compared = 0;
    bool sawFractionalBalance = false;
    bool sawMovement = false;
    for (const auto& [from, to] : periods) {
        list.build(from, to);
        Dataset& rows = list.dataset();
        QCOMPARE(rows.count(), codes.size());
        for (int i = 0; i < rows.count(); ++i) {
            const QString code = rows.fieldAt(i, listNames.side->codeColumn).asText();
            const QString where =
                QStringLiteral("%1 %2..%3").arg(code, from.toString(Qt::ISODate), to.toString(Qt::ISODate));
            ledger.build(code, from, to);
            Dataset& l = ledger.dataset();
            QList<Money> balances;
            Money credit, cash, money;
            for (int r = 0; r < l.count(); ++r) {
                if (!l.fieldAt(r, "残高").isNull())
                    balances << l.fieldAt(r, "残高").asMoney();
                if (r > 0 && l.fieldAt(r, "明細番号").asInt() == -1) {
                    credit += l.fieldAt(r, ledgerNames.creditTotal).asMoney();
                    cash += l.fieldAt(r, "現金合計").asMoney();
                    money += l.fieldAt(r, ledgerNames.moneyTotal).asMoney();
                }
            }
            QVERIFY2(!balances.isEmpty(), qPrintable(where));
            QVERIFY2(balances.first().yenHalfAway() == rows.fieldAt(i, "繰越残高").asMoney().yenHalfAway() &&
                         balances.first() == Money::fromYen(balances.first().yenHalfAway()),
                     qPrintable(where));
            QVERIFY2(balances.last() == Money::fromYen(rows.fieldAt(i, "残高").asMoney().yenHalfAway()),
                     qPrintable(where));
            QVERIFY2(credit == rows.fieldAt(i, listNames.periodCredit).asMoney(), qPrintable(where));
            QVERIFY2(cash == rows.fieldAt(i, listNames.periodCash).asMoney(), qPrintable(where));
            QVERIFY2(money == rows.fieldAt(i, listNames.periodMoney).asMoney(), qPrintable(where));
            sawFractionalBalance |= rows.fieldAt(i, "残高").asMoney().raw() % Money::Scale != 0;
            sawMovement |= !credit.isZero() && !money.isZero() && !cash.isZero();
            ++compared;
        }
    }
    QCOMPARE(compared, codes.size() * periods.size());
    QVERIFY(sawFractionalBalance);
    QVERIFY(sawMovement);
}

QTEST_GUILESS_MAIN(TestBalanceAgreement)
#include "tst_balanceagreement.moc"
