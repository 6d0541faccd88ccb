#include <QTest>

#include <limits>
#include <stdexcept>

#include "formats.h"
#include "money.h"

namespace {
Money raw(qint64 v)
{
    return Money::fromRaw(v);
}
}  // namespace

class TestMoney : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void parseRejects_data();
    void parseRejects();
    void product_data();
    void product();
    void overflowThrows();
    void wholeYen_data();
    void wholeYen();
    void displayTexts_data();
    void displayTexts();
    void dates();
    void typedDates_data();
    void typedDates();
    void postalCodes();
};

void TestMoney::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("whole") << "1234" << qint64(12340000);
    QTest::newRow("separators and decimals") << "1,234.5" << qint64(12345000);
    QTest::newRow("yen sign") << "¥1,234" << qint64(12340000);
    QTest::newRow("negative four decimals") << "-12.3456" << qint64(-123456);
    QTest::newRow("sign after yen") << "¥-5" << qint64(-50000);
    QTest::newRow("full-width digits") << "１２３．５" << qint64(1235000);
    QTest::newRow("full-width yen and minus") << "￥−８" << qint64(-80000);
    QTest::newRow("spaces around") << "  42 " << qint64(420000);
    QTest::newRow("empty is zero") << "" << qint64(0);
    QTest::newRow("leading point") << ".5" << qint64(5000);
    QTest::newRow("largest") << "922337203685477.5807" << std::numeric_limits<qint64>::max();
    QTest::newRow("groups of three") << "-1,234,567.25" << qint64(-12345672500);
    QTest::newRow("trailing zeros past four decimals") << "0.00010" << qint64(1);
    QTest::newRow("many trailing zeros") << "１.５０００００" << qint64(15000);
}

void TestMoney::parse()
{
    QFETCH(QString, text);
    QFETCH(qint64, raw);
    QCOMPARE(Money::parse(text).raw(), raw);
}

void TestMoney::parseRejects_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("letters") << "abc"
                             << "数値ではありません";
    QTest::newRow("two points") << "1.2.3"
                                << "数値ではありません";
    QTest::newRow("sign only") << "-"
                               << "数値ではありません";
    QTest::newRow("yen only") << "¥"
                              << "数値ではありません";
    QTest::newRow("trailing letter") << "12a"
                                     << "数値ではありません";
    QTest::newRow("five decimals") << "1.23456"
                                   << "小数は4桁まで";
    QTest::newRow("circled digits") << "①②"
                                    << "数値ではありません";
    QTest::newRow("separators not in threes") << "1,2,,3"
                                              << "数値ではありません";
    QTest::newRow("short last group") << "12,34"
                                      << "数値ではありません";
    QTest::newRow("long group") << "1,2345"
                                << "数値ではありません";
    QTest::newRow("leading separator") << ",123"
                                       << "数値ではありません";
    QTest::newRow("short group before point") << "1,23.5"
                                              << "数値ではありません";
    QTest::newRow("digit after zeros past four") << "0.000101"
                                                 << "小数は4桁まで";
    QTest::newRow("too large") << "922337203685477.5808"
                               << "大きすぎます";
    QTest::newRow("far too large") << "99999999999999999999999"
                                   << "大きすぎます";
}

void TestMoney::parseRejects()
{
    QFETCH(QString, text);
    QFETCH(QString, messagePart);
    try {
        Money::parse(text);
        QFAIL("accepted");
    } catch (const std::invalid_argument& e) {
        const QString message = QString::fromStdString(e.what());
        QVERIFY2(message.contains(messagePart), qPrintable(message));
        QVERIFY2(message.contains(text), "the message names what was typed");
    }
}

void TestMoney::product_data()
{
    QTest::addColumn<qint64>("a");
    QTest::addColumn<qint64>("b");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("price times rate") << qint64(12345000) << qint64(800) << qint64(987600);  // 1234.5 × 0.08
    QTest::newRow("half rounds away up")
        << qint64(10001) << qint64(5000) << qint64(5001);  // 1.0001 × 0.5 = 0.50005
    QTest::newRow("half rounds away down") << qint64(-10001) << qint64(5000) << qint64(-5001);
    QTest::newRow("below half truncates") << qint64(10001) << qint64(4999) << qint64(4999);  // 0.49994999
    QTest::newRow("negative quantity") << qint64(1000000) << qint64(-25000) << qint64(-2500000);
    QTest::newRow("zero") << qint64(0) << qint64(123456789) << qint64(0);
    QTest::newRow("beyond 64-bit intermediate")
        << qint64(100000000000000) << qint64(10000000) << qint64(100000000000000000);  // ¥1e10 × 1000
}

void TestMoney::product()
{
    QFETCH(qint64, a);
    QFETCH(qint64, b);
    QFETCH(qint64, expected);
    QCOMPARE((raw(a) * raw(b)).raw(), expected);
    QCOMPARE((raw(b) * raw(a)).raw(), expected);
}

void TestMoney::overflowThrows()
{
    const Money max = raw(std::numeric_limits<qint64>::max());
    const Money min = raw(std::numeric_limits<qint64>::min());
    QVERIFY_THROWS_EXCEPTION(MoneyOverflow, max + raw(1));
    QVERIFY_THROWS_EXCEPTION(MoneyOverflow, min - raw(1));
    QVERIFY_THROWS_EXCEPTION(MoneyOverflow, -min);
    QVERIFY_THROWS_EXCEPTION(MoneyOverflow, max * Money::fromYen(2));
    QVERIFY_THROWS_EXCEPTION(MoneyOverflow, max * qint64(2));
    QVERIFY_THROWS_EXCEPTION(MoneyOverflow, Money::fromYen(std::numeric_limits<qint64>::max() / 1000));
    Money sum;
    for (int i = 0; i < 10; ++i)
        sum += Money::fromYen(1000);
    QCOMPARE(sum, Money::fromYen(10000));
    QCOMPARE(max - max, Money());
}

void TestMoney::wholeYen_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<qint64>("halfAway");
    QTest::addColumn<qint64>("truncated");
    QTest::newRow("0.5") << qint64(5000) << qint64(1) << qint64(0);
    QTest::newRow("1.5") << qint64(15000) << qint64(2) << qint64(1);
    QTest::newRow("2.5") << qint64(25000) << qint64(3) << qint64(2);
    QTest::newRow("2.5001") << qint64(25001) << qint64(3) << qint64(2);
    QTest::newRow("2.4999") << qint64(24999) << qint64(2) << qint64(2);
    QTest::newRow("-1.5") << qint64(-15000) << qint64(-2) << qint64(-1);
    QTest::newRow("-2.5") << qint64(-25000) << qint64(-3) << qint64(-2);
    QTest::newRow("-0.9999") << qint64(-9999) << qint64(-1) << qint64(0);
}

void TestMoney::wholeYen()
{
    QFETCH(qint64, value);
    QFETCH(qint64, halfAway);
    QFETCH(qint64, truncated);
    QCOMPARE(raw(value).yenHalfAway(), halfAway);
    QCOMPARE(raw(value).yenTruncated(), truncated);
}

void TestMoney::displayTexts_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("money");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("plain");
    QTest::newRow("zero") << qint64(0) << "¥0"
                          << "¥0"
                          << "0.00"
                          << "0";
    QTest::newRow("whole") << qint64(12340000) << "¥1,234"
                           << "¥1,234"
                           << "1,234.00"
                           << "1234";
    QTest::newRow("one decimal") << qint64(12345000) << "¥1,235"
                                 << "¥1,234.5"
                                 << "1,234.50"
                                 << "1234.5";
    QTest::newRow("two decimals") << qint64(12345600) << "¥1,235"
                                  << "¥1,234.56"
                                  << "1,234.56"
                                  << "1234.56";
    QTest::newRow("four decimals") << qint64(12345550) << "¥1,235"
                                   << "¥1,234.56"
                                   << "1,234.56"
                                   << "1234.555";
    QTest::newRow("trailing zero decimal") << qint64(12340500) << "¥1,234"
                                           << "¥1,234.05"
                                           << "1,234.05"
                                           << "1234.05";
    QTest::newRow("negative") << qint64(-12344999) << "-¥1,234"
                              << "-¥1,234.5"
                              << "-1,234.50"
                              << "-1234.4999";
    QTest::newRow("small negative") << qint64(-4000) << "¥0"
                                    << "-¥0.4"
                                    << "-0.40"
                                    << "-0.4";
    QTest::newRow("millions") << qint64(12345678900000) << "¥1,234,567,890"
                              << "¥1,234,567,890"
                              << "1,234,567,890.00"
                              << "1234567890";
}

void TestMoney::displayTexts()
{
    QFETCH(qint64, value);
    QFETCH(QString, money);
    QFETCH(QString, price);
    QFETCH(QString, quantity);
    QFETCH(QString, plain);
    QCOMPARE(raw(value).toMoneyText(), money);
    QCOMPARE(raw(value).toPriceText(), price);
    QCOMPARE(raw(value).toQuantityText(), quantity);
    QCOMPARE(raw(value).toPlainText(), plain);
    QCOMPARE(Money::parse(plain).raw(), value);
}

void TestMoney::dates()
{
    QCOMPARE(Formats::displayDate(QDate(2005, 4, 1)), QStringLiteral("2005/04/01"));
    QCOMPARE(Formats::isoDate(QDate(2005, 4, 1)), QStringLiteral("2005-04-01"));
    QCOMPARE(Formats::parseDate("2005-04-01 13:45:00"), QDate(2005, 4, 1));
    QCOMPARE(Formats::parseDate("2005/04/01"), QDate(2005, 4, 1));
    QVERIFY(!Formats::parseDate("2005-02-30").isValid());
    QVERIFY(!Formats::parseDate("April").isValid());
    for (const char* refused : {"2024-02-29junk", "2024-02-30", "10000-01-01", "2024-02-29 ", "2024/02-29"})
        QVERIFY2(!Formats::parseDate(refused).isValid(), refused);
    QCOMPARE(Formats::parseDate("2024-02-29 08:15"), QDate(2024, 2, 29));
    QCOMPARE(Formats::displayStoredDate(QVariant()), QString());
    QCOMPARE(Formats::displayStoredDate(QStringLiteral("2024-12-31 23:59:59")), QStringLiteral("2024/12/31"));
}

void TestMoney::typedDates_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("expected");  // invalid: refused
    QTest::newRow("compact") << "20261120" << QDate(2026, 11, 20);
    QTest::newRow("slashes") << "2026/11/20" << QDate(2026, 11, 20);
    QTest::newRow("hyphens, short") << "2026-1-5" << QDate(2026, 1, 5);
    QTest::newRow("this year") << "11/20" << QDate(2025, 11, 20);
    QTest::newRow("full-width") << "２０２６／１１／２０" << QDate(2026, 11, 20);
    QTest::newRow("no such day") << "2026/02/30" << QDate();
    QTest::newRow("mixed separators") << "2026/11-20" << QDate();
    QTest::newRow("words") << "tomorrow" << QDate();
    QTest::newRow("empty") << "" << QDate();
}

void TestMoney::typedDates()
{
    QFETCH(QString, typed);
    QFETCH(QDate, expected);
    QCOMPARE(Formats::parseTypedDate(typed, QDate(2025, 6, 1)), expected);
}

void TestMoney::postalCodes()
{
    QCOMPARE(Formats::postalCodeText(QVariant(qlonglong(600001))), QStringLiteral("0600001"));
    QCOMPARE(Formats::postalCodeText(QVariant(qlonglong(1500001))), QStringLiteral("1500001"));
    QCOMPARE(Formats::postalCodeText(QVariant()), QString());
    for (const char* typed : {"0600001", "060-0001", "０６０－０００１", " 060ー0001 "})
        QCOMPARE(Formats::parsePostalCode(QString::fromUtf8(typed)), QVariant(qlonglong(600001)));
    QVERIFY(Formats::parsePostalCode(QString()).isNull());
    for (const char* refused : {"600001", "06000011", "060-00-01", "abc", "0600001.0"})
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Formats::parsePostalCode(QString::fromUtf8(refused)));
}
QTEST_APPLESS_MAIN(TestMoney)
#include "tst_money.moc"
