// The detail lists over one book: the interleaved group and line rows of each
// arrangement, their order, the group totals, "その他" and "一般客", the
// period's edges and an empty period.
#include <QtTest>

#include "connection.h"
#include "dataset.h"
#include "detaillist.h"
#include "listbooks.h"
#include "testdb.h"

using Arrangement = DetailList::Arrangement;
Q_DECLARE_METATYPE(Arrangement)

namespace {

const Period March{QDate(2024, 3, 1), QDate(2024, 3, 31)};

// The shown columns of each arrangement, with the row kind, as "a|b|c" texts.
QStringList rowsOf(const DetailList& list)
{
    const Dataset& ds = list.dataset();
    const PartnerSide& side = list.side();
    struct Col {
        QString field;
        DisplayFormat format;
    };
    const auto T = DisplayFormat::Text, D = DisplayFormat::Date, M = DisplayFormat::Money,
               I = DisplayFormat::Integer;
    QList<Col> cols;
    switch (list.arrangement()) {
        case Arrangement::BySlip:
            cols = {{"表示用年月日", D}, {"伝票番号", I}, {"明細番号", I}, {side.nameColumn, T},
                    {"商品名", T},       {"金額", M},     {"伝票合計", M}};
            break;
        case Arrangement::ByItem:
            cols = {{"表示用商品コード", T}, {"商品名", T}, {side.goodsDateColumn, D}, {"伝票番号", I},
                    {"明細番号", I},         {"金額", M},   {"表示用合計", M}};
            break;
        case Arrangement::ByCustomer:
            cols = {{"表示用顧客コード", T},
                    {"顧客名", T},
                    {"表示用売上年月日", D},
                    {"伝票番号", I},
                    {"明細番号", I},
                    {"商品名", T},
                    {"金額", M},
                    {"伝票合計", M},
                    {"表示用合計", M}};
            break;
    }
    QStringList rows;
    for (int r = 0; r < ds.count(); ++r) {
        QStringList texts;
        for (const Col& c : cols)
            texts << ds.fieldAt(r, c.field).display(c.format);
        rows << texts.join(u'|');
    }
    return rows;
}

const QStringList BySlip{
    "2024/03/01|3|-1|||¥0|¥1,000",
    "|3|1||りんご|¥1,000|",
    "2024/03/15|12|-1|||¥0|¥5",
    "|12|1||空|¥5|",
    "2024/03/31|9|-1|一||¥0|¥160",
    "|9|1||外品|¥50|",
    "|9|2||りんご|¥110|",
    "2024/03/31|10|-1|一||¥0|¥270",
    "|10|1||りんご|¥220|",
    "|10|2||手書き|¥30|",
    "|10|3||名無|¥20|",
    "2024/03/31|4|-1|二||¥0|¥0",
};

}  // namespace

class TestDetailList : public QObject {
    Q_OBJECT

private slots:
    void arrangements_data();
    void arrangements();
    void emptyPeriod_data();
    void emptyPeriod();
    void oneDay();
};

void TestDetailList::arrangements_data()
{
    QTest::addColumn<bool>("sales");
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<QStringList>("rows");

    // Slips by date and number, each slip row first; slip 4 has no lines.
    QTest::newRow("sales by slip") << true << Arrangement::BySlip << BySlip;
    QTest::newRow("purchases by slip") << false << Arrangement::BySlip << BySlip;
    // Lines without an item code ("" or none) first, as one "その他" group; an
    // item not in the master and an item without a name are "その他" under their
    // code; within a day the lines go by slip number, then line number; the slip
    // without lines is absent.
    QTest::newRow("sales by item") << true << Arrangement::ByItem
                                   << QStringList{
                                          "|その他|||-1|¥0|¥35",      "||2024/03/15|12|1|¥5|",
                                          "||2024/03/31|10|2|¥30|",   "I1|りんご|||-1|¥0|¥1,330",
                                          "||2024/03/01|3|1|¥1,000|", "||2024/03/31|9|2|¥110|",
                                          "||2024/03/31|10|1|¥220|",  "I2|その他|||-1|¥0|¥20",
                                          "||2024/03/31|10|3|¥20|",   "X9|その他|||-1|¥0|¥50",
                                          "||2024/03/31|9|1|¥50|",
                                      };
    // Slips without a customer first; a customer's total is the sum of its slip
    // totals; a code missing from the master has no name, so "一般客".
    QTest::newRow("sales by customer") << true << Arrangement::ByCustomer
                                       << QStringList{
                                              "|一般客|||-2||¥0|¥0|¥1,000", "||2024/03/01|3|-1|||¥1,000|",
                                              "|||3|1|りんご|¥1,000||",     "C1|一|||-2||¥0|¥0|¥430",
                                              "||2024/03/31|9|-1|||¥160|",  "|||9|1|外品|¥50||",
                                              "|||9|2|りんご|¥110||",       "||2024/03/31|10|-1|||¥270|",
                                              "|||10|1|りんご|¥220||",      "|||10|2|手書き|¥30||",
                                              "|||10|3|名無|¥20||",         "C2|二|||-2||¥0|¥0|¥0",
                                              "||2024/03/31|4|-1|||¥0|",    "C9|一般客|||-2||¥0|¥0|¥5",
                                              "||2024/03/15|12|-1|||¥5|",   "|||12|1|空|¥5||",
                                          };
}

void TestDetailList::arrangements()
{
    QFETCH(bool, sales);
    QFETCH(Arrangement, arrangement);
    QFETCH(QStringList, rows);
    const PartnerSide& side = sales ? PartnerSide::customer() : PartnerSide::supplier();
    TestDb db;
    Connection c(db.path());
    ListBooks::write(c, side);
    DetailList list(c, side, arrangement);
    QVERIFY(!list.dataset().isOpen());
    list.build(March);
    QCOMPARE(rowsOf(list), rows);

    // The plain columns are filled on every row: the slip a row belongs to.
    for (int r = 0; r < list.dataset().count(); ++r) {
        const bool group = list.lineNoAt(r) < 0;
        const bool slipless = arrangement == Arrangement::ByItem ? group : list.lineNoAt(r) == -2;
        QCOMPARE(list.slipNoAt(r) == 0, slipless);
    }
    // Building again lists the same rows (parameters bound afresh, nothing left over).
    list.build(March);
    QCOMPARE(rowsOf(list), rows);
}

void TestDetailList::emptyPeriod_data()
{
    QTest::addColumn<Arrangement>("arrangement");
    QTest::newRow("by slip") << Arrangement::BySlip;
    QTest::newRow("by item") << Arrangement::ByItem;
    QTest::newRow("by customer") << Arrangement::ByCustomer;
}

void TestDetailList::emptyPeriod()
{
    QFETCH(Arrangement, arrangement);
    TestDb db;
    Connection c(db.path());
    ListBooks::write(c, PartnerSide::customer());
    DetailList list(c, PartnerSide::customer(), arrangement);
    list.build({QDate(2024, 3, 16), QDate(2024, 3, 30)});
    QVERIFY(list.dataset().isOpen());
    QCOMPARE(list.dataset().count(), 0);
    // The same list over a wider period, then back: no row kept from before.
    list.build(March);
    QVERIFY(list.dataset().count() > 0);
    list.build({QDate(2024, 3, 16), QDate(2024, 3, 30)});
    QCOMPARE(list.dataset().count(), 0);
}

void TestDetailList::oneDay()
{
    // A period of one day holds exactly the slips of that day, one with a time
    // of day included; a reversed period is refused here (the window orders it).
    TestDb db;
    Connection c(db.path());
    ListBooks::write(c, PartnerSide::customer());
    DetailList list(c, PartnerSide::customer(), Arrangement::BySlip);
    list.build({QDate(2024, 3, 31), QDate(2024, 3, 31)});
    QStringList slips;
    for (int r = 0; r < list.dataset().count(); ++r)
        if (list.lineNoAt(r) == DetailList::GroupRow)
            slips << QString::number(list.slipNoAt(r));
    QCOMPARE(slips, (QStringList{"9", "10", "4"}));
    QVERIFY(!errorOf([&] { list.build({QDate(2024, 3, 31), QDate(2024, 3, 1)}); }).isEmpty());
}

QTEST_GUILESS_MAIN(TestDetailList)
#include "tst_detaillist.moc"
