// A summary printed as its grid shows it: a month's days over two page widths
// with the code and name columns on both, the rows in the grid's order, the
// total row and the 合計 column shaded, nothing below 7 pt; a year on one.
#include <QtTest>

#include "connection.h"
#include "dataset.h"
#include "report.h"
#include "reportdocument.h"
#include "summarybooks.h"
#include "summaryprint.h"
#include "testdb.h"

namespace {

const QColor Face(0xd4, 0xd0, 0xc8);

// The texts of the ops tagged `tag` on a page, in their order.
QStringList textsOf(const ReportPage& page, const QString& tag)
{
    QStringList texts;
    for (const ReportOp& op : page.ops)
        if (op.kind == ReportOp::Kind::Text && op.tag == tag)
            texts << op.text;
    return texts;
}

QStringList allTexts(const ReportPage& page, bool boldOnly = false)
{
    QStringList texts;
    for (const ReportOp& op : page.ops)
        if (op.kind == ReportOp::Kind::Text && (op.font.bold || !boldOnly))
            texts << op.text;
    return texts;
}

}  // namespace

class TestSummaryPrint : public QObject {
    Q_OBJECT

private slots:
    void printedTable_data();
    void printedTable();
    void codesWholeNamesAThird_data();
    void codesWholeNamesAThird();
};

void TestSummaryPrint::printedTable_data()
{
    QTest::addColumn<int>("bucket");
    QTest::addColumn<QStringList>("firstWidth");  // column titles on the first page width only
    QTest::addColumn<QStringList>("lastWidth");   // on the last one only
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("period");
    QTest::newRow("month: two page widths") << int(SummaryBucket::Day) << QStringList{"1 (金)", "2 (土)"}
                                            << QStringList{"31 (日)", "合計"} << "月間売上集計表"
                                            << "2024年3月";
    QTest::newRow("year: one page width") << int(SummaryBucket::Month) << QStringList{"1月", "12月", "合計"}
                                          << QStringList{"1月", "12月", "合計"} << "年間売上集計表"
                                          << "2024年";
}

void TestSummaryPrint::printedTable()
{
    QFETCH(int, bucket);
    QFETCH(QStringList, firstWidth);
    QFETCH(QStringList, lastWidth);
    QFETCH(QString, caption);
    QFETCH(QString, period);
    TestDb db;
    Connection c(db.path());
    SummaryBooks books(c);
    books.master(QStringLiteral("m_商品"), QStringLiteral("A"), QStringLiteral("りんご"));
    // A code of thirteen digits printed whole on every page width.
    books.master(QStringLiteral("m_商品"), QStringLiteral("4901234567894"), QStringLiteral("みかん"));
    books.slip({true, "2024-03-01", {}, {}, {{QStringLiteral("A"), 100}}});
    // The largest figure of the table still at 7 pt or more.
    books.slip({true, "2024-03-31", {}, {}, {{QStringLiteral("4901234567894"), 12345678, 9}}});
    books.slip({true, "2024-12-31", {}, {}, {{QStringLiteral("A"), 5}}});
    const SummaryBucket b = SummaryBucket(bucket);
    SummaryComputation summary(c, SummaryGroup::salesByItem(), b);
    const Period p = SummaryComputation::periodOf(QStringLiteral("2024"), b == SummaryBucket::Day ? 3 : 0);
    summary.build(p);
    // As a title click leaves it: 合計 descending, the total row on top.
    summary.dataset().sortBy({{QStringLiteral("合計"), true}});
    const QStringList order{"合計欄", "4901234567894", "A"};

    const auto report = summaryReport(caption, summary, p, Face);
    report->setPrintDate(QDate(2024, 4, 2));
    const ReportDocument doc = report->paginate();
    QCOMPARE(doc.orientation, QPageLayout::Landscape);
    const int widths = firstWidth == lastWidth ? 1 : 2;
    QCOMPARE(int(doc.pages.size()), widths);
    QCOMPARE(doc.overflows.size(), size_t(0));

    for (size_t n = 0; n < doc.pages.size(); ++n) {
        const ReportPage& page = doc.pages[n];
        QCOMPARE(page.columnGroup, int(n));
        const QStringList texts = allTexts(page);
        // Every page width: the title, the period, the print date, "n / m", the
        // frozen columns in the grid's order.
        QVERIFY(texts.contains(caption + QStringLiteral("（商品別）")));
        QVERIFY(texts.contains(period));
        QVERIFY(texts.contains(QStringLiteral("2024/04/02")));
        QVERIFY(texts.contains(QStringLiteral("%1 / %2").arg(n + 1).arg(widths)));
        const QStringList titles = allTexts(page, true);
        QVERIFY(titles.contains(QStringLiteral("商品コード")));
        QVERIFY(titles.contains(QStringLiteral("商品名")));
        QCOMPARE(textsOf(page, QStringLiteral("商品コード")), order);
        QCOMPARE(textsOf(page, QStringLiteral("商品名")), (QStringList{"合計", "みかん", "りんご"}));
        const bool last = n + 1 == doc.pages.size();
        for (const QString& title : firstWidth)
            QCOMPARE(titles.contains(title), n == 0 || lastWidth.contains(title));
        for (const QString& title : lastWidth)
            QCOMPARE(titles.contains(title), last || firstWidth.contains(title));
        // The total row shaded across the page, the 合計 cells where they print.
        int shadedCells = 0;
        for (const ReportOp& op : page.ops) {
            if (op.kind == ReportOp::Kind::Text && !op.text.isEmpty())
                QVERIFY2(op.font.pointSize >= 7, qPrintable(op.text));
            if (op.tag != QStringLiteral("rowBackground") && op.text.isEmpty() && op.background == Face)
                ++shadedCells;
        }
        QCOMPARE(shadedCells, last ? 3 : 0);
        // A month's day titles in their weekdays' colours.
        for (const ReportOp& op : page.ops) {
            if (op.text == QStringLiteral("2 (土)"))
                QCOMPARE(op.color, QColor(0, 0, 255));
            if (op.text == QStringLiteral("31 (日)"))
                QCOMPARE(op.color, QColor(255, 0, 0));
            if (op.text == QStringLiteral("1 (金)"))
                QCOMPARE(op.color, QColor(Qt::black));
        }
        QCOMPARE(textsOf(page, QStringLiteral("rowBackground")).size(), 1);
    }
    // The whole month's figure printed whole.
    QVERIFY(allTexts(doc.pages.back()).contains(QStringLiteral("¥111,111,102")));
}

void TestSummaryPrint::codesWholeNamesAThird_data()
{
    QTest::addColumn<int>("bucket");
    QTest::addColumn<bool>("byItem");
    QTest::addColumn<int>("nameLength");
    QTest::newRow("year by item, short names") << int(SummaryBucket::Month) << true << 3;
    QTest::newRow("year by item, long names") << int(SummaryBucket::Month) << true << 50;
    QTest::newRow("month by customer, long names") << int(SummaryBucket::Day) << false << 50;
    QTest::newRow("year by customer, long names") << int(SummaryBucket::Month) << false << 50;
}

void TestSummaryPrint::codesWholeNamesAThird()
{
    // Thirteen-digit codes print whole under a whole caption; a name column takes
    // at most a third of the page width and its names end in "…".
    QFETCH(int, bucket);
    QFETCH(bool, byItem);
    QFETCH(int, nameLength);
    TestDb db;
    Connection c(db.path());
    SummaryBooks books(c);
    const QString table = byItem ? QStringLiteral("m_商品") : QStringLiteral("m_顧客");
    const QString name = QStringLiteral("株式会社東日本青木商店").repeated(5).left(nameLength);
    QStringList codes;
    for (int i = 0; i < 12; ++i) {
        codes << QStringLiteral("49012340%1").arg(10000 + i * 7919, 5, 10, QLatin1Char('0'));
        books.master(table, codes.last(), name);
        const QVariant code = codes.last();
        books.slip({true,
                    QStringLiteral("2024-03-%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                    byItem ? QVariant() : code,
                    {},
                    {{byItem ? code : QVariant(), 1234567}}});
    }
    const SummaryBucket b = SummaryBucket(bucket);
    const SummaryGroup& group = byItem ? SummaryGroup::salesByItem() : SummaryGroup::salesByCustomer();
    SummaryComputation summary(c, group, b);
    const Period p = SummaryComputation::periodOf(QStringLiteral("2024"), b == SummaryBucket::Day ? 3 : 0);
    summary.build(p);
    const ReportDocument doc = summaryReport(QStringLiteral("集計表"), summary, p)->paginate();
    QVERIFY(doc.overflows.empty());
    const qreal third = 277.0 / 3;
    for (const ReportPage& page : doc.pages) {
        QStringList printedCodes;
        for (const ReportOp& op : page.ops) {
            if (op.kind != ReportOp::Kind::Text)
                continue;
            QVERIFY2(!op.font.bold || !op.text.endsWith(u'…'), qPrintable(op.text));  // captions whole
            if (op.tag == group.codeColumn && codes.contains(op.text))
                printedCodes << op.text;
            if (op.tag == group.codeColumn)
                QVERIFY2(!op.text.contains(u'…') && !op.text.contains(u'＊'), qPrintable(op.text));
            if (op.tag == group.nameColumn) {
                QVERIFY(op.box.width() <= third);
                QVERIFY(op.text == name || op.text == QStringLiteral("合計") ||
                        (nameLength > 40 && op.text.endsWith(u'…') && name.startsWith(op.text.chopped(1))));
            }
        }
        QCOMPARE(printedCodes.size(), codes.size());
        QVERIFY(allTexts(page, true).contains(group.codeColumn));
    }
}

QTEST_MAIN(TestSummaryPrint)
#include "tst_summaryprint.moc"
