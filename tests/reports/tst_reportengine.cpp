#include <QBuffer>
#include <QImage>
#include <QTest>

#include "dataset.h"
#include "datasetmodel.h"
#include "dberror.h"
#include "report.h"
#include "reportfixture.h"

// The engine on small made-up layouts: paging, band order, sub-details, formats,
// named texts and the errors a layout can make.
class TestReportEngine : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fx = std::make_unique<ReportFixture>(); }
    void cleanup() { m_fx.reset(); }
    void pagination_data();
    void pagination();
    void summaryFollowsTheLastDetail();
    void newPageBeforeEachDetail_data();
    void newPageBeforeEachDetail();
    void subDetails_data();
    void subDetails();
    void followsFilterAndSortAndKeepsCursor();
    void dataTextFormats_data();
    void dataTextFormats();
    void windowFormatsOverrideTheLayout();
    void pageNumbers();
    void shapesRulesAndImages();
    void layoutFaults_data();
    void layoutFaults();

private:
    std::unique_ptr<Dataset> numbers(int count);
    std::unique_ptr<ReportFixture> m_fx;
};

namespace {

// Portrait A4, 277 mm between the margins: a 17 mm title and a 10 mm header leave
// exactly 250 mm (25 bands of 10 mm) on the first page and 267 mm on later ones.
ReportLayout pagedLayout(qreal footerHeight)
{
    ReportLayout layout;
    layout.title = "test";
    layout.drivingDataset = "Rows";
    layout.addBand(BandKind::Title, 17).add(ReportItem::fixedText({0, 0, 50, 5}, "TITLE", Qt::AlignLeft));
    layout.addBand(BandKind::ColumnHeader, 10)
        .add(ReportItem::fixedText({0, 0, 50, 5}, "HEAD", Qt::AlignLeft));
    layout.addBand(BandKind::Detail, 10)
        .add(ReportItem::dataText("Rows", "n", {0, 0, 30, 5}, Qt::AlignRight, DisplayFormat::Integer));
    if (footerHeight > 0)
        layout.addBand(BandKind::PageFooter, footerHeight)
            .add(ReportItem::fixedText({0, 0, 50, 5}, "FOOT", Qt::AlignLeft));
    return layout;
}

QString bandOrder(const ReportDocument& document)
{
    QStringList out;
    for (size_t p = 0; p < document.pages.size(); ++p) {
        QStringList bands;
        for (const PlacedBand& band : document.pages[p].bands) {
            switch (band.kind) {
                case BandKind::Title:
                    bands << "T";
                    break;
                case BandKind::ColumnHeader:
                    bands << "H";
                    break;
                case BandKind::Detail:
                    bands << QStringLiteral("D%1").arg(band.row);
                    break;
                case BandKind::SubDetail:
                    bands << QStringLiteral("S%1.%2").arg(band.row).arg(band.subRow);
                    break;
                case BandKind::Summary:
                    bands << "Σ";
                    break;
                case BandKind::PageFooter:
                    bands << "F";
                    break;
                case BandKind::PageHeader:
                    bands << QStringLiteral("P%1").arg(band.row);
                    break;
            }
        }
        out << bands.join(u' ');
    }
    return out.join(u'|');
}

}  // namespace

std::unique_ptr<Dataset> TestReportEngine::numbers(int count)
{
    auto ds = std::make_unique<Dataset>(
        m_fx->connection,
        "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < :count) "
        "SELECT n, n % 3 AS m FROM c WHERE :count > 0");
    ds->setParam("count", count);
    ds->open();
    return ds;
}

// The totals print once, after the last row; a full page moves them to the next.
void TestReportEngine::summaryFollowsTheLastDetail()
{
    for (const int rows : {0, 2, 25}) {
        auto ds = numbers(rows);
        ReportLayout layout = pagedLayout(0);
        layout.addBand(BandKind::Summary, 10).add(ReportItem::fixedText({0, 0, 50, 5}, "SUM", Qt::AlignLeft));
        Report report(layout);
        report.bindDataset("Rows", *ds);
        const QString order = bandOrder(report.paginate());
        QVERIFY2(order.endsWith(rows == 0 ? "T H" : rows == 2 ? "D1 Σ" : "D24|H Σ"), qPrintable(order));
    }
}

void TestReportEngine::pagination_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<qreal>("footer");
    QTest::addColumn<QList<int>>("perPage");
    QTest::newRow("empty") << 0 << 0.0 << QList<int>{0};
    QTest::newRow("first page exactly full") << 25 << 0.0 << QList<int>{25};
    QTest::newRow("one more spills") << 26 << 0.0 << QList<int>{25, 1};
    QTest::newRow("second page full") << 51 << 0.0 << QList<int>{25, 26};
    QTest::newRow("third page") << 52 << 0.0 << QList<int>{25, 26, 1};
    QTest::newRow("footer, empty") << 0 << 17.0 << QList<int>{0};
    QTest::newRow("footer shortens the page") << 24 << 17.0 << QList<int>{23, 1};
    QTest::newRow("footer, later page exactly full") << 48 << 17.0 << QList<int>{23, 25};
    QTest::newRow("footer, third page") << 49 << 17.0 << QList<int>{23, 25, 1};
}

void TestReportEngine::pagination()
{
    QFETCH(int, rows);
    QFETCH(qreal, footer);
    QFETCH(QList<int>, perPage);
    auto ds = numbers(rows);
    Report report(pagedLayout(footer));
    report.bindDataset("Rows", *ds);
    const ReportDocument doc = report.paginate();

    QCOMPARE(int(doc.pages.size()), perPage.size());
    QCOMPARE(countText(doc, "TITLE"), 1);
    QCOMPARE(countText(doc, "HEAD"), perPage.size());
    QCOMPARE(countText(doc, "FOOT"), footer > 0 ? perPage.size() : 0);
    int next = 0;
    for (size_t p = 0; p < doc.pages.size(); ++p) {
        const ReportPage& page = doc.pages[p];
        // The header opens every page, under the title on the first.
        const auto headers = bandsOf(page, BandKind::ColumnHeader);
        QCOMPARE(int(headers.size()), 1);
        QCOMPARE(headers[0]->top, p == 0 ? 27.0 : 10.0);
        QCOMPARE(int(bandsOf(page, BandKind::Title).size()), p == 0 ? 1 : 0);
        // Rows follow on, each band under the last, none past the footer.
        const auto details = bandsOf(page, BandKind::Detail);
        QCOMPARE(int(details.size()), perPage[int(p)]);
        qreal y = headers[0]->top + 10;
        for (const PlacedBand* band : details) {
            QCOMPARE(band->row, next++);
            QVERIFY(near(band->top, y));
            y += 10;
            QVERIFY(y <= 287 - footer + 1e-6);
        }
        if (footer > 0) {
            const auto footers = bandsOf(page, BandKind::PageFooter);
            QCOMPARE(int(footers.size()), 1);
            QVERIFY(near(footers[0]->top, 287 - footer));
        }
    }
    QCOMPARE(next, rows);
    if (rows > 0)
        QCOMPARE(doc.pages.back().ops.back().text, footer > 0 ? QString("FOOT") : QString::number(rows));
}

void TestReportEngine::newPageBeforeEachDetail_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none: one page with the footer") << 0 << "F";
    QTest::newRow("the first row stays on page one") << 1 << "D0 F";
    QTest::newRow("each later row on its own page") << 3 << "D0 F|D1 F|D2 F";
}

void TestReportEngine::newPageBeforeEachDetail()
{
    QFETCH(int, rows);
    QFETCH(QString, expected);
    auto ds = numbers(rows);
    ReportLayout layout;
    layout.drivingDataset = "Rows";
    ReportBand& detail = layout.addBand(BandKind::Detail, 30);
    detail.newPageBefore = true;
    layout.addBand(BandKind::PageFooter, 10);
    Report report(std::move(layout));
    report.bindDataset("Rows", *ds);
    QCOMPARE(bandOrder(report.paginate()), expected);
}

void TestReportEngine::subDetails_data()
{
    QTest::addColumn<bool>("byLinkFields");
    QTest::newRow("linked by fields") << true;
    QTest::newRow("following the master link") << false;
}

void TestReportEngine::subDetails()
{
    QFETCH(bool, byLinkFields);
    auto master = m_fx->open("SELECT column1 AS code FROM (VALUES ('A'), ('B'), ('C'))");
    auto lines = m_fx->open(
        "SELECT column1 AS code, column2 AS item FROM (VALUES ('A', 'a1'), ('C', 'c1'), ('A', 'a2'), (NULL, "
        "'x'))");
    if (!byLinkFields)
        lines->setMasterLink(master.get(), "code", "code");
    master->moveTo(1);

    ReportLayout layout;
    layout.drivingDataset = "Master";
    layout.addBand(BandKind::Detail, 8)
        .add(ReportItem::dataText("Master", "code", {0, 0, 20, 4}, Qt::AlignLeft));
    ReportBand& sub = layout.addBand(BandKind::SubDetail, 5);
    sub.dataset = "Lines";
    if (byLinkFields) {
        sub.masterField = "code";
        sub.detailField = "code";
    }
    sub.add(ReportItem::dataText("Lines", "item", {5, 0, 20, 4}, Qt::AlignLeft));
    Report report(std::move(layout));
    report.bindDataset("Master", *master);
    report.bindDataset("Lines", *lines);
    const ReportDocument doc = report.paginate();

    QCOMPARE(textsTagged(doc, "item"), QStringList({"a1", "a2", "c1"}));
    QCOMPARE(textsTagged(doc, "code"), QStringList({"A", "B", "C"}));
    const auto bands = doc.pages[0].bands;
    QCOMPARE(int(bands.size()), 6);
    const QList<BandKind> kinds{BandKind::Detail, BandKind::SubDetail, BandKind::SubDetail,
                                BandKind::Detail, BandKind::Detail,    BandKind::SubDetail};
    const QList<qreal> tops{10, 18, 23, 28, 36, 44};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(bands[size_t(i)].kind, kinds[i]);
        QVERIFY(near(bands[size_t(i)].top, tops[i]));
    }
    // The window's selection is where it was, and so are the lines it shows.
    QCOMPARE(master->currentRow(), 1);
    QCOMPARE(master->field("code").asText(), QString("B"));
    if (!byLinkFields)
        QVERIFY(lines->isEmpty());
}

void TestReportEngine::followsFilterAndSortAndKeepsCursor()
{
    auto ds = numbers(7);
    ds->setFilter([](const RowRef& r) { return r.field("m").asInt() != 0; });
    ds->setFiltered(true);
    ds->sortBy({{"n", true}});
    ds->moveTo(2);
    const int before = ds->currentRow();
    const QString beforeValue = ds->field("n").asText();

    Report report(pagedLayout(0));
    report.bindDataset("Rows", *ds);
    const ReportDocument doc = report.paginate();
    QCOMPARE(textsTagged(doc, "n"), QStringList({"7", "5", "4", "2", "1"}));
    QCOMPARE(ds->currentRow(), before);
    QCOMPARE(ds->field("n").asText(), beforeValue);
}

void TestReportEngine::dataTextFormats_data()
{
    QTest::addColumn<QString>("value");  // an SQL expression
    QTest::addColumn<DisplayFormat>("format");
    QTest::addColumn<QString>("expected");
    QTest::newRow("money") << "12345000" << DisplayFormat::Money << "¥1,235";
    QTest::newRow("money zero") << "0" << DisplayFormat::Money << "¥0";
    QTest::newRow("money null") << "NULL" << DisplayFormat::Money << "";
    QTest::newRow("money negative") << "-30000000" << DisplayFormat::Money << "-¥3,000";
    QTest::newRow("price") << "12345000" << DisplayFormat::Price << "¥1,234.5";
    QTest::newRow("quantity") << "15000" << DisplayFormat::Quantity << "1.50";
    QTest::newRow("quantity zero") << "0" << DisplayFormat::Quantity << "0.00";
    QTest::newRow("date") << "'2005-04-01'" << DisplayFormat::Date << "2005/04/01";
    QTest::newRow("date and time") << "'2005-04-01 13:45:00'" << DisplayFormat::Date << "2005/04/01";
    QTest::newRow("date null") << "NULL" << DisplayFormat::Date << "";
    QTest::newRow("text") << "'青木商店'" << DisplayFormat::Text << "青木商店";
    QTest::newRow("empty text") << "''" << DisplayFormat::Text << "";
    QTest::newRow("integer") << "1234" << DisplayFormat::Integer << "1234";
}

void TestReportEngine::dataTextFormats()
{
    QFETCH(QString, value);
    QFETCH(DisplayFormat, format);
    QFETCH(QString, expected);
    auto ds = m_fx->open("SELECT " + value + " AS v");
    ReportLayout layout;
    layout.drivingDataset = "D";
    layout.addBand(BandKind::Detail, 5)
        .add(ReportItem::dataText("D", "v", {1, 1, 20, 3}, Qt::AlignRight, format));
    Report report(std::move(layout));
    report.bindDataset("D", *ds);
    const ReportDocument doc = report.paginate();
    const auto ops = opsTagged(doc.pages[0], "v");
    QCOMPARE(int(ops.size()), 1);  // a null still occupies its box
    QCOMPARE(ops[0]->text, expected);
    QVERIFY(sameBox(ops[0]->box, {11, 11, 20, 3}));
    QCOMPARE(ops[0]->alignment, Qt::AlignRight);
}

void TestReportEngine::windowFormatsOverrideTheLayout()
{
    auto ds = m_fx->open("SELECT 12345000 AS 単価, 15000 AS 数量");
    ReportLayout layout;
    layout.drivingDataset = "D";
    layout.addBand(BandKind::Detail, 5)
        .add(ReportItem::dataText("D", "単価", {0, 0, 20, 3}, Qt::AlignRight, DisplayFormat::Money))
        .add(ReportItem::dataText("D", "数量", {20, 0, 20, 3}, Qt::AlignRight, DisplayFormat::Quantity));
    Report report(std::move(layout));
    report.bindDataset("D", *ds);
    report.adoptFormats("D", {{"単価", "単価", 70, Qt::AlignRight, DisplayFormat::Price}});
    const ReportDocument doc = report.paginate();
    QCOMPARE(opsTagged(doc.pages[0], "単価")[0]->text, QString("¥1,234.5"));
    QCOMPARE(opsTagged(doc.pages[0], "数量")[0]->text, QString("1.50"));
}

void TestReportEngine::pageNumbers()
{
    auto ds = numbers(60);
    ReportLayout layout = pagedLayout(17);
    layout.bands.back().add(ReportItem::pageNumber({100, 5, 30, 4}, Qt::AlignRight, "%1 / %2"));
    Report report(std::move(layout));
    report.bindDataset("Rows", *ds);
    QCOMPARE(textsTagged(report.paginate(), "pageNumber"), QStringList({"1 / 3", "2 / 3", "3 / 3"}));
}

void TestReportEngine::shapesRulesAndImages()
{
    QImage png(4, 2, QImage::Format_RGB32);
    png.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    png.save(&buffer, "PNG");
    m_fx->db.exec(
        "CREATE TABLE pics (n INTEGER, logo BLOB);"
        "INSERT INTO pics VALUES (1, X'" +
        QString::fromLatin1(bytes.toHex()) + "'), (2, NULL);");
    auto ds = m_fx->open("SELECT n, logo FROM pics ORDER BY n");

    ReportLayout layout;
    layout.drivingDataset = "D";
    ReportBand& band = layout.addBand(BandKind::Detail, 20, BandRule::Thin);
    band.add(ReportItem::rectangle({6.3, 1, 178.1, 5.6}, Qt::lightGray))
        .add(ReportItem::horizontalLine({4.2, 10, 73.3, 1}))
        .add(ReportItem::verticalLine({51.3, 1, 1, 10.8}))
        .add(ReportItem::dataImage("D", "logo", {122.8, 2, 33.9, 16.9}));
    layout.addBand(BandKind::PageFooter, 10, BandRule::Thick);
    Report report(std::move(layout));
    report.bindDataset("D", *ds);
    const ReportDocument doc = report.paginate();
    const ReportPage& page = doc.pages[0];

    // Row 1: rectangle, two lines, the picture, the rule; row 2 has no picture.
    std::vector<const ReportOp*> shapes[3];
    for (const ReportOp& op : page.ops)
        shapes[op.box.top() < 30 ? 0 : op.box.top() < 50 ? 1 : 2].push_back(&op);
    QCOMPARE(int(shapes[0].size()), 5);
    QCOMPARE(int(shapes[1].size()), 4);
    QCOMPARE(int(shapes[2].size()), 1);
    QCOMPARE(shapes[0][0]->kind, ReportOp::Kind::Rectangle);
    QVERIFY(sameBox(shapes[0][0]->box, {16.3, 11, 178.1, 5.6}));
    QCOMPARE(shapes[0][0]->fill, QColor(Qt::lightGray));
    QCOMPARE(shapes[0][1]->kind, ReportOp::Kind::Line);  // across the middle of its box
    QVERIFY(sameBox(shapes[0][1]->box, {14.2, 20.5, 73.3, 0}));
    QVERIFY(sameBox(shapes[0][2]->box, {61.8, 11, 0, 10.8}));  // down the middle
    QCOMPARE(shapes[0][3]->kind, ReportOp::Kind::Image);
    QCOMPARE(shapes[0][3]->image.size(), QSize(4, 2));
    QVERIFY(sameBox(shapes[0][3]->box, {132.8, 12, 33.9, 16.9}));
    // The thin rule lies along the band's bottom edge, across the printable width.
    const ReportOp* rule = shapes[0][4];
    QCOMPARE(rule->tag, QString("rule"));
    QVERIFY(near(rule->penWidth, 25.4 / 96));
    QVERIFY(near(rule->box.top() + rule->penWidth / 2, 30));
    QVERIFY(near(rule->box.left(), 10) && near(rule->box.right(), 200));
    // The footer's thick rule ends at the bottom margin.
    const ReportOp* footerRule = shapes[2][0];
    QVERIFY(near(footerRule->penWidth, 2 * 25.4 / 96));
    QVERIFY(near(footerRule->box.top() + footerRule->penWidth / 2, 287));
}

void TestReportEngine::layoutFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("unbound driving dataset") << "driving";
    QTest::newRow("unbound dataset of an item") << "item";
    QTest::newRow("unknown field") << "field";
    QTest::newRow("unknown named text") << "name";
}

void TestReportEngine::layoutFaults()
{
    QFETCH(QString, fault);
    auto ds = numbers(2);
    auto other = numbers(1);
    ReportLayout layout;
    layout.drivingDataset = "Rows";
    ReportBand& header = layout.addBand(BandKind::ColumnHeader, 10);
    header.add(ReportItem::namedText("QRLabelDateFrom", {0, 0, 20, 4}, Qt::AlignLeft));
    header.add(ReportItem::dataText("Other", "n", {30, 0, 20, 4}, Qt::AlignLeft));
    layout.addBand(BandKind::Detail, 5)
        .add(ReportItem::dataText("Rows", fault == "field" ? "nothing" : "n", {0, 0, 20, 4}, Qt::AlignLeft));
    Report report(std::move(layout));
    if (fault != "driving")
        report.bindDataset("Rows", *ds);
    if (fault != "item")
        report.bindDataset("Other", *other);

    bool failed = false;
    try {
        if (fault == "name")
            report.setText("QRLabelDateFomr", "2024/04/01");
        else
            report.paginate();
    } catch (const ReportError& e) {
        failed = fault != "field" && !e.message().isEmpty();
    } catch (const DbError& e) {
        failed = fault == "field" && e.message().contains("nothing");
    }
    QVERIFY(failed);
    QCOMPARE(report.text("QRLabelDateFrom"), QString());
    report.setText("QRLabelDateFrom", "2024/04/01");
    QCOMPARE(report.text("QRLabelDateFrom"), QString("2024/04/01"));
    QCOMPARE(report.textNames(), QStringList{"QRLabelDateFrom"});
}

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
