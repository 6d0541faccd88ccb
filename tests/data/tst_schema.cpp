// The database file itself: what the tables refuse, what the report views hold
// and how they compute totals, the fixed rows, and that the views reach the
// headers' indexes.
#include <QDate>
#include <QRegularExpression>
#include <QStringList>
#include <QtTest>

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "connection.h"
#include "dberror.h"
#include "money.h"
#include "rng.h"
#include "statement.h"
#include "testdb.h"
#include "testhelp.h"

namespace {

// Runs one statement with positional parameters; returns the rows changed.
int run(Connection& c, const QString& sql, const QVariantList& params = {})
{
    Statement s(c, sql);
    for (int i = 0; i < params.size(); ++i)
        s.bind(i + 1, params[i]);
    return s.run();
}

// The first column of every row.
QVariantList column(Connection& c, const QString& sql, const QVariantList& params = {})
{
    Statement s(c, sql);
    for (int i = 0; i < params.size(); ++i)
        s.bind(i + 1, params[i]);
    QVariantList out;
    while (s.step())
        out << s.value(0);
    return out;
}

QVariant raw(std::int64_t tenThousandths)
{
    return QVariant::fromValue(Money::fromRaw(tenThousandths));
}

// The names of one kind of slip, so each check runs over all four kinds.
struct SlipKind {
    QString header, lines, view, lineView, date, partner, partnerTable, partnerName;
    bool goods;  // lines with price, tax and quantity rather than an amount
};

const SlipKind kSales{"t_売上",     "t_売上明細", "v_売上", "v_売上明細", "売上年月日",
                      "顧客コード", "m_顧客",     "顧客名", true};
const SlipKind kPurchase{"t_仕入",       "t_仕入明細", "v_仕入",   "v_仕入明細", "仕入年月日",
                         "仕入先コード", "m_仕入先",   "仕入先名", true};
const SlipKind kReceipt{"t_入金",     "t_入金明細", "v_入金", "v_入金明細", "入金年月日",
                        "顧客コード", "m_顧客",     "顧客名", false};
const SlipKind kPayment{"t_支払",       "t_支払明細", "v_支払",   "v_支払明細", "支払年月日",
                        "仕入先コード", "m_仕入先",   "仕入先名", false};

void addKindRows()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("sales") << 0;
    QTest::newRow("purchase") << 1;
    QTest::newRow("receipt") << 2;
    QTest::newRow("payment") << 3;
}

const SlipKind& kindAt(int i)
{
    static const SlipKind* kinds[] = {&kSales, &kPurchase, &kReceipt, &kPayment};
    return *kinds[i];
}

void insertHeader(Connection& c, const SlipKind& k, int no, const QVariant& date, const QVariant& partner)
{
    run(c,
        QStringLiteral("INSERT INTO %1 (伝票番号, %2, %3) VALUES (?, ?, ?)").arg(k.header, k.date, k.partner),
        {no, date, partner});
}

// A goods line carries price and quantity; an amount line puts `amount` in 金額.
void insertLine(Connection& c, const SlipKind& k, int no, int line, std::int64_t amount)
{
    if (k.goods)
        run(c,
            QStringLiteral("INSERT INTO %1 (伝票番号, 明細番号, 単価, 税額, 数量) VALUES (?, ?, ?, 0, ?)")
                .arg(k.lines),
            {no, line, raw(amount), raw(Money::Scale)});
    else
        run(c,
            QStringLiteral("INSERT INTO %1 (伝票番号, 明細番号, 区分コード, 金額) VALUES (?, ?, '10', ?)")
                .arg(k.lines),
            {no, line, raw(amount)});
}

QStringList planOf(Connection& c, const QString& sql)
{
    Statement s(c, QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    QStringList details;
    while (s.step())
        details << s.text(3);
    return details;
}

}  // namespace

class TestSchema : public QObject {
    Q_OBJECT

private slots:
    void viewRowWithoutMasters_data() { addKindRows(); }
    void viewRowWithoutMasters();
    void lineViewsWithoutMasters();
    void goodsSlipTotal_data();
    void goodsSlipTotal();
    void lineTotalAgreesWithMoney();
    void amountSlipTotal_data() { addKindRows(); }
    void amountSlipTotal();
    void periodEdges_data() { addKindRows(); }
    void periodEdges();
    void refused_data();
    void refused();
    void cascadeAndReusedNumber_data() { addKindRows(); }
    void cascadeAndReusedNumber();
    void fixedRows();
    void rateInForce_data();
    void rateInForce();
    void queryPlan_data();
    void queryPlan();
    void slipTotalKeptOnHeader_data() { addKindRows(); }
    void slipTotalKeptOnHeader();
    void slipTotalOverflowRefused_data();
    void slipTotalOverflowRefused();
};

void TestSchema::viewRowWithoutMasters()
{
    QFETCH(int, kind);
    const SlipKind& k = kindAt(kind);
    TestDb db;
    Connection c(db.path());
    run(c, QStringLiteral("INSERT INTO %1 (%2, %3) VALUES ('A1', '相手一'), ('GONE', '削除済')")
               .arg(k.partnerTable, k.partner, k.partnerName));
    insertHeader(c, k, 1, QDate(2024, 5, 1), "A1");
    insertHeader(c, k, 2, QDate(2024, 5, 2), "GONE");
    insertHeader(c, k, 3, QDate(2024, 5, 3), QVariant());
    run(c, QStringLiteral("DELETE FROM %1 WHERE %2 = 'GONE'").arg(k.partnerTable, k.partner));

    Statement s(c, QStringLiteral("SELECT 伝票番号, %1, %2 FROM %3 ORDER BY 伝票番号")
                       .arg(k.partner, k.partnerName, k.view));
    QList<QVariantList> rows;
    while (s.step())
        rows << QVariantList{s.value(0), s.value(1), s.value(2)};
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0], (QVariantList{1LL, "A1", "相手一"}));
    // The deleted partner's code stays on the slip; its name is gone.
    QCOMPARE(rows[1][1].toString(), QStringLiteral("GONE"));
    QVERIFY(rows[1][2].isNull());
    // A cash sale without a customer: no code, no name.
    QVERIFY(rows[2][1].isNull());
    QVERIFY(rows[2][2].isNull());
}

void TestSchema::lineViewsWithoutMasters()
{
    TestDb db;
    Connection c(db.path());
    run(c, "INSERT INTO m_商品分類 (商品分類コード, 分類名) VALUES ('A', '文具')");
    // A purchase slip of an unknown class: still one row, without a class name.
    run(c, "INSERT INTO t_仕入 (伝票番号, 仕入区分コード) VALUES (1, '10'), (2, '99')");
    QCOMPARE(column(c, "SELECT 区分名 FROM v_仕入 ORDER BY 伝票番号"), (QVariantList{"掛仕", QVariant()}));
    QCOMPARE(column(c, "SELECT 区分 FROM v_仕入 ORDER BY 伝票番号"), (QVariantList{"掛仕", QVariant()}));
    run(c, "INSERT INTO t_売上 (伝票番号, 売上区分コード) VALUES (1, '20')");
    QCOMPARE(scalar(c, "SELECT 区分名 FROM v_売上").toString(), QStringLiteral("現金"));

    for (const QString& table : {QStringLiteral("t_売上明細"), QStringLiteral("t_仕入明細")}) {
        run(c, QStringLiteral(
                   "INSERT INTO %1 (伝票番号, 明細番号, 商品コード, 単位, 商品分類コード)"
                   " VALUES (1, 1, 'X', '個', 'A'), (1, 2, NULL, NULL, 'Z'), (1, 3, NULL, NULL, NULL)")
                   .arg(table));
        const QString view = table == QStringLiteral("t_売上明細") ? "v_売上明細" : "v_仕入明細";
        QCOMPARE(column(c, QStringLiteral("SELECT 分類名 FROM %1 ORDER BY 明細番号").arg(view)),
                 (QVariantList{"文具", QVariant(), QVariant()}));
        QCOMPARE(column(c, QStringLiteral("SELECT 単位 FROM %1 ORDER BY 明細番号").arg(view)),
                 (QVariantList{"個", QVariant(), QVariant()}));
    }

    run(c, "INSERT INTO t_入金 (伝票番号) VALUES (1)");
    run(c, "INSERT INTO t_入金明細 (伝票番号, 明細番号, 区分コード) VALUES (1, 1, '20'), (1, 2, '77')");
    QCOMPARE(column(c, "SELECT 区分名 FROM v_入金明細 ORDER BY 明細番号"),
             (QVariantList{"振込", QVariant()}));
    run(c, "INSERT INTO t_支払 (伝票番号) VALUES (1)");
    run(c, "INSERT INTO t_支払明細 (伝票番号, 明細番号, 区分コード) VALUES (1, 1, '10'), (1, 2, NULL)");
    QCOMPARE(column(c, "SELECT 区分名 FROM v_支払明細 ORDER BY 明細番号"),
             (QVariantList{"現金", QVariant()}));
}

// (単価 + 税額) × 数量, exact in 128 bits, to whole yen halves away from zero:
// worked out here apart from the view's text and from LineTax.
Money wholeYenLine(std::int64_t price, std::int64_t tax, std::int64_t qty)
{
    const __int128 p = (__int128(price) + tax) * qty;  // units of 1e-8 yen
    const __int128 unit = __int128(Money::Scale) * Money::Scale;
    __int128 yen = p / unit;
    if ((p % unit) * 2 >= unit)
        ++yen;
    else if ((p % unit) * 2 <= -unit)
        --yen;
    return Money::fromYen(std::int64_t(yen));
}

// Lines as (単価, 税額, 数量) in ten-thousandths; a missing value is null.
using LineValues = std::vector<std::array<std::optional<std::int64_t>, 3>>;
Q_DECLARE_METATYPE(LineValues)

void TestSchema::goodsSlipTotal_data()
{
    QTest::addColumn<LineValues>("lines");
    QTest::addColumn<qlonglong>("expected");  // the slip total in ten-thousandths, worked out by hand

    // 999 at 8 %: tax 79, (999 + 79) × 3 = 3,234.
    QTest::newRow("tax included") << LineValues{{9990000, 790000, 30000}} << 32340000LL;
    // Quantity 2.5 at 100 + 5: 262.5, a whole yen 263.
    QTest::newRow("fractional quantity") << LineValues{{1000000, 50000, 25000}} << 2630000LL;
    QTest::newRow("two lines") << LineValues{{9990000, 790000, 30000}, {1000000, 50000, 25000}} << 34970000LL;
    // A returned item: negative quantity.
    QTest::newRow("negative quantity")
        << LineValues{{1000000, 100000, -20000}, {500000, 0, 10000}} << -1700000LL;
    QTest::newRow("negative price") << LineValues{{-12340000, -610000, 10000}} << -12950000LL;
    // 1 × 0.5 = 0.5 yen: a half, rounded away from zero either way.
    QTest::newRow("half up") << LineValues{{10000, 0, 5000}} << 10000LL;
    QTest::newRow("half down") << LineValues{{-10000, 0, 5000}} << -10000LL;
    QTest::newRow("half, negative quantity") << LineValues{{10000, 0, -5000}} << -10000LL;
    QTest::newRow("2.5 to 3, not to the even 2") << LineValues{{25000, 0, 10000}} << 30000LL;
    QTest::newRow("below half") << LineValues{{10000, 0, 4999}} << 0LL;
    QTest::newRow("above half") << LineValues{{10000, 0, 5001}} << 10000LL;
    QTest::newRow("a ten-thousandth of a yen") << LineValues{{1, 0, 5000}} << 0LL;
    // 0.3 yen × 5 = 1.5 → 2 on each line; the sum adds the whole yen.
    QTest::newRow("each line rounds") << LineValues{{3000, 0, 50000}, {3000, 0, 50000}} << 40000LL;
    QTest::newRow("rounding cancels") << LineValues{{3000, 0, 50000}, {-3000, 0, 50000}} << 0LL;
    // A null price, tax or quantity counts as 0.
    QTest::newRow("null quantity") << LineValues{{1000000, 50000, std::nullopt}} << 0LL;
    QTest::newRow("null price and tax") << LineValues{{std::nullopt, std::nullopt, 30000}} << 0LL;
    QTest::newRow("null tax") << LineValues{{1000000, std::nullopt, 30000}} << 3000000LL;
    QTest::newRow("no lines") << LineValues{} << 0LL;
    // Large but inside the line guard: 9 billion yen × 10 pieces.
    QTest::newRow("large") << LineValues{{90000000000000LL, 0, 100000}} << 900000000000000LL;
}

void TestSchema::goodsSlipTotal()
{
    QFETCH(LineValues, lines);
    QFETCH(qlonglong, expected);

    // The same total line by line in whole yen, as a slip window computes it.
    Money viaMoney;
    for (const auto& l : lines)
        viaMoney += wholeYenLine(l[0].value_or(0), l[1].value_or(0), l[2].value_or(0));
    QCOMPARE(viaMoney.raw(), expected);

    TestDb db;
    Connection c(db.path());
    for (const SlipKind* k : {&kSales, &kPurchase}) {
        run(c, QStringLiteral("INSERT INTO %1 (伝票番号) VALUES (7)").arg(k->header));
        int n = 0;
        Money lineSum;
        for (const auto& l : lines) {
            auto v = [](const std::optional<std::int64_t>& x) { return x ? raw(*x) : QVariant(); };
            run(c,
                QStringLiteral("INSERT INTO %1 (伝票番号, 明細番号, 単価, 税額, 数量) VALUES (7, ?, ?, ?, ?)")
                    .arg(k->lines),
                {++n, v(l[0]), v(l[1]), v(l[2])});
            const QVariant lineTotal =
                scalar(c,
                       QStringLiteral("SELECT 税込合計 FROM %1 WHERE 伝票番号 = 7 AND 明細番号 = ?")
                           .arg(k->lineView),
                       {n});
            QCOMPARE(lineTotal.typeId(), QMetaType::LongLong);
            const Money m = wholeYenLine(l[0].value_or(0), l[1].value_or(0), l[2].value_or(0));
            QCOMPARE(lineTotal.toLongLong(), m.raw());
            lineSum += m;
        }
        const QVariant total =
            scalar(c, QStringLiteral("SELECT 伝票合計 FROM %1 WHERE 伝票番号 = 7").arg(k->view));
        QCOMPARE(total.typeId(), QMetaType::LongLong);
        QCOMPARE(total.toLongLong(), expected);
        QCOMPARE(lineSum.raw(), expected);
    }
}

// Many random lines, from tiny fractions to large amounts and of either sign:
// the view's 税込合計 equals Money's product, rounded to whole yen halves away
// from zero, on every one.
void TestSchema::lineTotalAgreesWithMoney()
{
    TestDb db;
    Connection c(db.path());
    Transaction t(c);
    run(c, "INSERT INTO t_売上 (伝票番号) VALUES (1)");
    Rng rng(20240501);
    std::vector<Money> expected;
    Statement ins(c, "INSERT INTO t_売上明細 (伝票番号, 明細番号, 単価, 税額, 数量) VALUES (1, ?, ?, ?, ?)");
    for (int i = 1; i <= 3000; ++i) {
        // Magnitudes from 0.0001 up to about 7 million yen and 6,700 pieces, so
        // that the product stays inside the line guard.
        const std::int64_t priceScale = std::int64_t(1) << rng.between(0, 36);
        const std::int64_t qtyScale = std::int64_t(1) << rng.between(0, 26);
        const std::int64_t price = rng.between(-priceScale, priceScale);
        const std::int64_t tax = price / 10;
        const std::int64_t qty = rng.between(-qtyScale, qtyScale);
        ins.bind(1, i);
        ins.bind(2, raw(price));
        ins.bind(3, raw(tax));
        ins.bind(4, raw(qty));
        ins.run();
        expected.push_back(wholeYenLine(price, tax, qty));
    }
    t.commit();

    Statement s(c, "SELECT 明細番号, 税込合計 FROM v_売上明細 WHERE 伝票番号 = 1 ORDER BY 明細番号");
    Money sum;
    int n = 0;
    while (s.step()) {
        QCOMPARE(s.int64(0), ++n);
        QCOMPARE(s.int64(1), expected[n - 1].raw());
        sum += expected[n - 1];
    }
    QCOMPARE(n, 3000);
    QCOMPARE(scalar(c, "SELECT 伝票合計 FROM v_売上 WHERE 伝票番号 = 1").toLongLong(), sum.raw());
}

void TestSchema::amountSlipTotal()
{
    QFETCH(int, kind);
    const SlipKind& k = kindAt(kind);
    TestDb db;
    Connection c(db.path());
    insertHeader(c, k, 1, QDate(2024, 1, 10), "A");
    insertLine(c, k, 1, 1, 123456789);               // 12,345.6789
    insertLine(c, k, 1, 2, -23456789);               // a deduction
    insertLine(c, k, 1, 3, 1);                       // 0.0001
    insertHeader(c, k, 2, QDate(2024, 1, 11), "A");  // no lines
    if (!k.goods)
        run(c, QStringLiteral("INSERT INTO %1 (伝票番号, 明細番号, 金額) VALUES (1, 4, NULL)").arg(k.lines));
    // Goods lines are whole yen each (12,346 - 2,346 + 0); amounts add as typed.
    QCOMPARE(column(c, QStringLiteral("SELECT 伝票合計 FROM %1 ORDER BY 伝票番号").arg(k.view)),
             (QVariantList{k.goods ? 100000000LL : 100000001LL, 0LL}));
}

void TestSchema::periodEdges()
{
    QFETCH(int, kind);
    const SlipKind& k = kindAt(kind);
    TestDb db;
    Connection c(db.path());
    const QList<std::pair<int, QString>> slips = {
        {1, "2024-02-29 23:59:59"}, {2, "2024-03-01"}, {3, "2024-03-15 12:00:00"}, {4, "2024-03-31"},
        {5, "2024-03-31 23:59:59"}, {6, "2024-04-01"}, {7, "2024-04-01 00:00:00"},
    };
    for (const auto& [no, date] : slips)
        insertHeader(c, k, no, date, "A");
    // The period 2024-03-01 … 2024-03-31 is ">= first day AND < the day after the last".
    const QString sql =
        QStringLiteral("SELECT 伝票番号 FROM %1 WHERE %2 = ? AND %3 >= ? AND %3 < ? ORDER BY 伝票番号")
            .arg(k.view, k.partner, k.date);
    QCOMPARE(column(c, sql, {"A", QDate(2024, 3, 1), QDate(2024, 3, 31).addDays(1)}),
             (QVariantList{2LL, 3LL, 4LL, 5LL}));
    // A one-day period takes in every time of that day.
    QCOMPARE(column(c, sql, {"A", QDate(2024, 4, 1), QDate(2024, 4, 2)}), (QVariantList{6LL, 7LL}));
    // Before the first day: the carried-forward part.
    QCOMPARE(column(c, QStringLiteral("SELECT 伝票番号 FROM %1 WHERE %2 < ?").arg(k.view, k.date),
                    {QDate(2024, 3, 1)}),
             (QVariantList{1LL}));
}

void TestSchema::refused_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("good");  // parameters the database accepts
    QTest::addColumn<QVariantList>("bad");   // the same statement with one value it refuses

    const QString fifty = QString(50, QChar(u'あ'));
    const QString customer = "INSERT INTO m_顧客 (顧客コード, 顧客名, 郵便番号, 締日) VALUES (?, ?, ?, ?)";
    QTest::newRow("text longer than its column (characters, not bytes)")
        << customer << QVariantList{"C", fifty, 1000001, 32} << QVariantList{"C", fifty + u'あ', 1000001, 32};
    QTest::newRow("code longer than 13")
        << customer << QVariantList{"1234567890123", "x", 1, 1} << QVariantList{"12345678901234", "x", 1, 1};
    QTest::newRow("duplicate customer code")
        << customer << QVariantList{"C", "x", 1, 1} << QVariantList{"EXISTING", "x", 1, 1};
    QTest::newRow("codes differ by zero-filling")
        << customer << QVariantList{"001", "x", 1, 1} << QVariantList{"EXISTING", "y", 1, 1};
    QTest::newRow("customer without code")
        << customer << QVariantList{"C", "x", 1, 1} << QVariantList{QVariant(), "x", 1, 1};
    QTest::newRow("postal code of 8 digits")
        << customer << QVariantList{"C", "x", 9999999, 1} << QVariantList{"C", "x", 10000000, 1};
    QTest::newRow("closing day 33") << customer << QVariantList{"C", "x", 0, 1}
                                    << QVariantList{"C", "x", 0, 33};
    QTest::newRow("closing day 0") << customer << QVariantList{"C", "x", QVariant(), 31}
                                   << QVariantList{"C", "x", QVariant(), 0};

    const QString header = "INSERT INTO t_売上 (伝票番号, 売上年月日, 売上区分コード) VALUES (?, ?, '10')";
    QTest::newRow("duplicate slip number")
        << header << QVariantList{2, "2024-01-31"} << QVariantList{1, "2024-01-31"};
    QTest::newRow("slip number beyond 32 bits")
        << header << QVariantList{2147483647LL, "2024-01-31"} << QVariantList{2147483648LL, "2024-01-31"};
    QTest::newRow("date that does not exist")
        << header << QVariantList{2, "2024-02-29"} << QVariantList{2, "2023-02-29"};
    QTest::newRow("date with slashes")
        << header << QVariantList{2, "2024-01-31"} << QVariantList{2, "2024/01/31"};
    QTest::newRow("time of day out of range")
        << header << QVariantList{2, "2024-01-31 23:59:59"} << QVariantList{2, "2024-01-31 24:00:00"};
    QTest::newRow("date as a number") << header << QVariantList{2, "2024-01-31"} << QVariantList{2, 20240131};

    const QString line =
        "INSERT INTO t_売上明細 (伝票番号, 明細番号, 単価, 税額, 数量) VALUES (?, ?, ?, ?, ?)";
    QTest::newRow("line without its header") << line << QVariantList{1, 2, raw(10000), raw(0), raw(10000)}
                                             << QVariantList{99, 1, raw(10000), raw(0), raw(10000)};
    QTest::newRow("duplicate line key") << line << QVariantList{1, 2, raw(10000), raw(0), raw(10000)}
                                        << QVariantList{1, 1, raw(10000), raw(0), raw(10000)};
    QTest::newRow("float in a money column")
        << line << QVariantList{1, 2, 2.0, raw(0), raw(10000)} << QVariantList{1, 2, 1.5, raw(0), raw(10000)};
    QTest::newRow("text in a money column") << line << QVariantList{1, 2, "15000", raw(0), raw(10000)}
                                            << QVariantList{1, 2, "abc", raw(0), raw(10000)};
    // (単価 + 税額) × 数量 in units of 1e-8 must stay a 64-bit integer.
    QTest::newRow("overflowing line product")
        << line << QVariantList{1, 2, raw(900000000000000LL), raw(0), raw(10000)}
        << QVariantList{1, 2, raw(900000000000000LL), raw(0), raw(20000)};
    QTest::newRow("overflowing price plus tax") << line << QVariantList{1, 2, raw(INT64_MAX), raw(0), raw(0)}
                                                << QVariantList{1, 2, raw(INT64_MAX), raw(1), raw(0)};
    QTest::newRow("product at the rounding margin")
        << line << QVariantList{1, 2, raw(922337203685477LL), raw(0), raw(10000)}
        << QVariantList{1, 2, raw(9223372036854775807LL), raw(0), raw(1)};

    const QString rate = "INSERT INTO m_税率 (適用年月日, 消費税率) VALUES (?, ?)";
    QTest::newRow("duplicate rate date")
        << rate << QVariantList{"2025-04-01", raw(1200)} << QVariantList{"2019-10-01", raw(1200)};
    QTest::newRow("rate date with a time")
        << rate << QVariantList{"2025-04-01", raw(1200)} << QVariantList{"2025-04-01 00:00:00", raw(1200)};
    QTest::newRow("rate as a float") << rate << QVariantList{"2025-04-01", raw(1200)}
                                     << QVariantList{"2025-04-01", 0.12};

    // With the one row present, neither an explicit nor an automatic key fits.
    QTest::newRow("second company row") << "INSERT INTO m_自社情報 (自社ID, 会社名) VALUES (?, ?)"
                                        << QVariantList{1, "x"} << QVariantList{2, "x"};
    QTest::newRow("second company row, automatic key")
        << "INSERT INTO m_自社情報 (自社ID, 会社名) VALUES (?, ?)" << QVariantList{1, "x"}
        << QVariantList{QVariant(), "x"};
    QTest::newRow("duplicate unit name")
        << "INSERT INTO m_単位 (単位) VALUES (?)" << QVariantList{"ダース"} << QVariantList{"個"};
    QTest::newRow("unit name longer than 8")
        << "INSERT INTO m_単位 (単位) VALUES (?)" << QVariantList{"１２３４５６７８"}
        << QVariantList{"１２３４５６７８９"};
}

void TestSchema::refused()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, good);
    QFETCH(QVariantList, bad);

    TestDb db;
    Connection c(db.path());
    // Rows the statements collide with.
    run(c, "INSERT INTO m_顧客 (顧客コード, 顧客名) VALUES ('EXISTING', 'x'), ('1', 'x')");
    run(c, "INSERT INTO t_売上 (伝票番号, 売上年月日) VALUES (1, '2024-01-01')");
    run(c, "INSERT INTO t_売上明細 (伝票番号, 明細番号) VALUES (1, 1)");

    const QString table = sql.section(u' ', 2, 2);
    const qlonglong before = scalar(c, QStringLiteral("SELECT count(*) FROM %1").arg(table)).toLongLong();
    try {
        run(c, sql, bad);
        QFAIL("the database accepted the row");
    } catch (const DbError& e) {
        QCOMPARE(e.engineCode(), SQLITE_CONSTRAINT);
    }
    QCOMPARE(scalar(c, QStringLiteral("SELECT count(*) FROM %1").arg(table)).toLongLong(), before);
    if (table == QStringLiteral("m_自社情報"))
        run(c, "DELETE FROM m_自社情報");  // the good case is the one row itself
    // The same statement with acceptable values goes in: what was refused was the value.
    QCOMPARE(run(c, sql, good), 1);
}

void TestSchema::cascadeAndReusedNumber()
{
    QFETCH(int, kind);
    const SlipKind& k = kindAt(kind);
    TestDb db;
    Connection c(db.path());
    insertHeader(c, k, 5, QDate(2024, 6, 1), "A");
    insertLine(c, k, 5, 1, 10000);
    insertLine(c, k, 5, 2, 20000);
    insertHeader(c, k, 6, QDate(2024, 6, 1), "A");
    insertLine(c, k, 6, 1, 70000);

    QCOMPARE(run(c, QStringLiteral("DELETE FROM %1 WHERE 伝票番号 = 5").arg(k.header)), 1);
    QCOMPARE(
        scalar(c, QStringLiteral("SELECT count(*) FROM %1 WHERE 伝票番号 = 5").arg(k.lines)).toLongLong(),
        0LL);
    QCOMPARE(scalar(c, QStringLiteral("SELECT count(*) FROM %1").arg(k.lines)).toLongLong(), 1LL);

    // A new slip under the old number starts without lines and with total 0.
    insertHeader(c, k, 5, QDate(2024, 7, 1), "B");
    QCOMPARE(
        scalar(c, QStringLiteral("SELECT count(*) FROM %1 WHERE 伝票番号 = 5").arg(k.lineView)).toLongLong(),
        0LL);
    QCOMPARE(scalar(c, QStringLiteral("SELECT 伝票合計 FROM %1 WHERE 伝票番号 = 5").arg(k.view)).toLongLong(),
             0LL);
    QCOMPARE(scalar(c, QStringLiteral("SELECT 伝票合計 FROM %1 WHERE 伝票番号 = 6").arg(k.view)).toLongLong(),
             70000LL);
}

void TestSchema::fixedRows()
{
    TestDb db;
    Connection c(db.path());
    QCOMPARE(scalar(c, "SELECT 税区分名 FROM m_税区分 WHERE 税区分コード = '01'").toString(),
             QStringLiteral("課税"));
    QVERIFY(scalar(c, "SELECT count(*) FROM m_税区分").toLongLong() >= 2);
    QCOMPARE(column(c, "SELECT 売上区分コード || 区分名 FROM m_売上区分 ORDER BY 1"),
             (QVariantList{"10掛売", "20現金"}));
    QCOMPARE(column(c, "SELECT 仕入区分コード || 区分名 FROM m_仕入区分 ORDER BY 1"),
             (QVariantList{"10掛仕", "20現金"}));
    // "10" is the class of a new receipt or payment line, and comes first.
    QCOMPARE(scalar(c, "SELECT 入金区分コード FROM m_入金明細区分 ORDER BY 入金区分コード").toString(),
             QStringLiteral("10"));
    QCOMPARE(scalar(c, "SELECT 支払区分コード FROM m_支払明細区分 ORDER BY 支払区分コード").toString(),
             QStringLiteral("10"));
    QVERIFY(scalar(c, "SELECT count(*) FROM m_単位").toLongLong() >= 5);
    QCOMPARE(column(c, "SELECT 単位 FROM m_単位 WHERE 単位 IN ('個', '本', '箱') ORDER BY 単位コード"),
             (QVariantList{"個", "本", "箱"}));
    // One empty company row, read with SELECT * as the bill does.
    Statement s(c, "SELECT * FROM m_自社情報");
    QVERIFY(s.step());
    QCOMPARE(s.columnName(1), QStringLiteral("会社名"));
    QVERIFY(s.isNull(1));
    QVERIFY(!s.step());
}

void TestSchema::rateInForce_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QVariant>("rate");  // ten-thousandths, or null where no rate is in force
    QTest::newRow("before the first rate") << QDate(1989, 3, 31) << QVariant();
    QTest::newRow("1989 first day") << QDate(1989, 4, 1) << QVariant(300LL);
    QTest::newRow("1997 day before") << QDate(1997, 3, 31) << QVariant(300LL);
    QTest::newRow("1997 first day") << QDate(1997, 4, 1) << QVariant(500LL);
    QTest::newRow("2014 day before") << QDate(2014, 3, 31) << QVariant(500LL);
    QTest::newRow("2014 first day") << QDate(2014, 4, 1) << QVariant(800LL);
    QTest::newRow("2019 day before") << QDate(2019, 9, 30) << QVariant(800LL);
    QTest::newRow("2019 first day") << QDate(2019, 10, 1) << QVariant(1000LL);
    QTest::newRow("later") << QDate(2026, 12, 31) << QVariant(1000LL);
}

void TestSchema::rateInForce()
{
    QFETCH(QDate, date);
    QFETCH(QVariant, rate);
    TestDb db;
    Connection c(db.path());
    const QVariantList found = column(
        c, "SELECT 消費税率 FROM m_税率 WHERE 適用年月日 <= ? ORDER BY 適用年月日 DESC LIMIT 1", {date});
    if (rate.isNull()) {
        QVERIFY(found.isEmpty());
    } else {
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().typeId(), QMetaType::LongLong);
        QCOMPARE(found.first(), rate);
    }
}

void TestSchema::queryPlan_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("expected");  // pieces the plan must contain

    // A slip's lines are reached through their key, for the lines themselves and
    // for the slip total of a header view.
    const QString linesByKey = QStringLiteral("SEARCH d USING PRIMARY KEY (伝票番号=?)");
    const char* kinds[][3] = {{"v_売上", "顧客コード", "売上年月日"},
                              {"v_仕入", "仕入先コード", "仕入年月日"},
                              {"v_入金", "顧客コード", "入金年月日"},
                              {"v_支払", "仕入先コード", "支払年月日"}};
    for (const auto& k : kinds) {
        const QString view = QString::fromUtf8(k[0]);
        const QString table = u't' + view.mid(1);
        const QString partner = QString::fromUtf8(k[1]);
        const QString date = QString::fromUtf8(k[2]);
        // The slip total is kept on the header: a header view never reads lines.
        QTest::addRow("%s by partner and period", k[0])
            << QStringLiteral("SELECT * FROM %1 WHERE %2 = ? AND %3 >= ? AND %3 < ?").arg(view, partner, date)
            << QStringList{
                   QStringLiteral("INDEX ix_%1_%2_%3 (%2=? AND %3>? AND %3<?)").arg(table, partner, date)};
        QTest::addRow("%s by period", k[0])
            << QStringLiteral("SELECT * FROM %1 WHERE %2 >= ? AND %2 < ?").arg(view, date)
            << QStringList{QStringLiteral("INDEX ix_%1_%2 (%2>? AND %2<?)").arg(table, date)};
        // The carried-forward balance: an aggregate over everything before the
        // period, answered from the partner index alone.
        QTest::addRow("%s carried forward", k[0])
            << QStringLiteral("SELECT IFNULL(SUM(伝票合計), 0) FROM %1 WHERE %2 < ? AND %3 = ?")
                   .arg(view, date, partner)
            << QStringList{
                   QStringLiteral("COVERING INDEX ix_%1_%2_%3 (%2=? AND %3<?)").arg(table, partner, date)};
    }
    QTest::newRow("ledger lines")
        << QStringLiteral(
               "SELECT v_売上明細.*, v_売上.伝票合計 FROM v_売上, v_売上明細"
               " WHERE v_売上.伝票番号 = v_売上明細.伝票番号"
               " AND v_売上.売上区分コード = '10' AND v_売上.売上年月日 >= ? AND v_売上.売上年月日 < ?"
               " AND v_売上.顧客コード = ?")
        << QStringList{
               "INDEX ix_t_売上_顧客コード_売上年月日 (顧客コード=? AND 売上年月日>? AND 売上年月日<?)",
               linesByKey};
    QTest::newRow("slip lines") << "SELECT * FROM v_売上明細 WHERE 伝票番号 = ? ORDER BY 明細番号"
                                << QStringList{linesByKey};
    QTest::newRow("purchase lines") << "SELECT * FROM v_仕入明細 WHERE 伝票番号 = ? ORDER BY 明細番号"
                                    << QStringList{linesByKey};
    QTest::newRow("receipt lines") << "SELECT * FROM v_入金明細 WHERE 伝票番号 = ? ORDER BY 明細番号"
                                   << QStringList{linesByKey};
    QTest::newRow("sales of an item") << "SELECT * FROM v_売上明細 WHERE 商品コード = ?"
                                      << QStringList{"INDEX ix_t_売上明細_商品コード (商品コード=?)"};
    QTest::newRow("purchases of an item") << "SELECT * FROM v_仕入明細 WHERE 商品コード = ?"
                                          << QStringList{"INDEX ix_t_仕入明細_商品コード (商品コード=?)"};
}

void TestSchema::queryPlan()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, expected);
    TestDb db;
    Connection c(db.path());
    const QStringList plan = planOf(c, sql);
    const QString text = plan.join(u'\n');
    for (const QString& piece : expected)
        QVERIFY2(text.contains(piece), qPrintable(piece + QStringLiteral(" not in:\n") + text));
    // Every table is reached through a key or an index: no full scan, of the lines least of all.
    for (const QString& step : plan)
        QVERIFY2(!step.startsWith(QStringLiteral("SCAN ")), qPrintable(text));
}

namespace {

// Every header's kept total against the sum of its lines, computed afresh from
// the line view; the differing slips, or empty when all agree.
QString totalsDisagree(Connection& c, const SlipKind& k)
{
    const QString lineAmount = k.goods ? QStringLiteral("税込合計") : QStringLiteral("金額");
    const QVariantList bad = column(
        c, QStringLiteral("SELECT h.伝票番号 || ':' || h.伝票合計 || '<>' || IFNULL(l.total, 0) FROM %1 AS h"
                          " LEFT JOIN (SELECT 伝票番号, SUM(%3) AS total FROM %2 GROUP BY 伝票番号) AS l"
                          " ON l.伝票番号 = h.伝票番号 WHERE h.伝票合計 IS NOT IFNULL(l.total, 0)")
               .arg(k.header, k.lineView, lineAmount));
    QStringList out;
    for (const QVariant& v : bad)
        out << v.toString();
    return out.join(u' ');
}

}  // namespace

void TestSchema::slipTotalKeptOnHeader()
{
    QFETCH(int, kind);
    const SlipKind& k = kindAt(kind);
    TestDb db;
    Connection c(db.path());
    const QString amount = k.goods ? QStringLiteral("単価") : QStringLiteral("金額");
    auto step = [&](const QString& what, const QString& sql, const QVariantList& params = {}) {
        if (!sql.isEmpty()) {
            // %1 header table, %2 line table, %3 the amount column
            QString q = sql;
            run(c, q.replace("%1", k.header).replace("%2", k.lines).replace("%3", amount), params);
        }
        const QString bad = totalsDisagree(c, k);
        QVERIFY2(bad.isEmpty(), qPrintable(what + ": " + bad));
    };
    insertHeader(c, k, 1, "2024-05-01", QVariant());
    insertHeader(c, k, 2, "2024-05-02", QVariant());
    step("new headers", {});
    QCOMPARE(
        scalar(c, QStringLiteral("SELECT 伝票合計 FROM %1 WHERE 伝票番号 = 1").arg(k.header)).toLongLong(),
        0);
    insertLine(c, k, 1, 1, 12345);  // fractional yen
    insertLine(c, k, 1, 2, -5001);
    insertLine(c, k, 1, 3, 1000000);
    insertLine(c, k, 2, 1, 70000);
    step("lines inserted", {});
    step("amount changed", "UPDATE %2 SET %3 = %3 * 3 WHERE 伝票番号 = 1 AND 明細番号 = 3");
    if (k.goods) {
        step("tax changed", "UPDATE %2 SET 税額 = 800 WHERE 伝票番号 = 1");
        step("quantity changed", "UPDATE %2 SET 数量 = 25000 WHERE 明細番号 = 1");
        step("price emptied", "UPDATE %2 SET 単価 = NULL WHERE 伝票番号 = 2");
    }
    step("lines renumbered", "UPDATE %2 SET 明細番号 = 明細番号 + 10 WHERE 伝票番号 = 1");
    step("line moved to another slip", "UPDATE %2 SET 伝票番号 = 2 WHERE 伝票番号 = 1 AND 明細番号 = 11");
    step("line deleted", "DELETE FROM %2 WHERE 伝票番号 = 1 AND 明細番号 = 12");
    step("all lines of a slip deleted", "DELETE FROM %2 WHERE 伝票番号 = 2");
    step("header deleted with its lines", "DELETE FROM %1 WHERE 伝票番号 = 1");
    insertHeader(c, k, 1, "2024-06-01", QVariant());
    step("number reused", {});
    QCOMPARE(
        scalar(c, QStringLiteral("SELECT 伝票合計 FROM %1 WHERE 伝票番号 = 1").arg(k.header)).toLongLong(),
        0);
    // A header row written by the program never writes the kept total.
    step("header date changed", "UPDATE %1 SET " + k.date + " = '2024-06-02' WHERE 伝票番号 = 1");
    QVERIFY_THROWS_EXCEPTION(DbError, run(c, QStringLiteral("UPDATE %1 SET 伝票合計 = NULL").arg(k.header)));
}

// A goods line's total is bounded by the line's own overflow guard to a
// ten-thousandth of the range, so only amount slips can reach it in two lines.
void TestSchema::slipTotalOverflowRefused_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("receipt") << 2;
    QTest::newRow("payment") << 3;
}

void TestSchema::slipTotalOverflowRefused()
{
    QFETCH(int, kind);
    const SlipKind& k = kindAt(kind);
    TestDb db;
    Connection c(db.path());
    insertHeader(c, k, 1, "2024-05-01", QVariant());
    // Two lines that each fit, but whose slip total would not.
    const std::int64_t big = std::numeric_limits<std::int64_t>::max() - 1;
    insertLine(c, k, 1, 1, big);
    try {
        insertLine(c, k, 1, 2, big);
        QFAIL("a slip total that overflows was stored");
    } catch (const DbError& e) {
        QVERIFY2(e.message().contains("overflow"), qPrintable(e.message()));
    }
    QCOMPARE(scalar(c, QStringLiteral("SELECT count(*) FROM %1").arg(k.lines)).toInt(), 1);
    QVERIFY(totalsDisagree(c, k).isEmpty());
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
