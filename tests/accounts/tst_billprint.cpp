// The bill on paper: one bill per marked customer from a new page, the line
// table continued over pages without the heading, the bank account at the foot
// of every page, and texts, rules and the logo where the layout puts them, read
// back from the PDF.
#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "billcomputation.h"
#include "billissuerptform.h"
#include "books.h"
#include "connection.h"
#include "dataset.h"
#include "formats.h"
#include "pdftext.h"
#include "reportfit.h"
#include "reportpainter.h"
#include "testdb.h"

namespace {

const QString kBank = QStringLiteral("青葉銀行 本店 普通 1234567");

// March 2004, month end. K1, K2, K3 bought once; LONG bought `longLines`
// lines; OLD owes from February and bought nothing in March.
struct Addresses {
    QString customer = QStringLiteral("札幌市");
    QString company = QStringLiteral("東京都千代田区");
};

void writeBook(Connection& c, int longLines, const Addresses& addresses)
{
    Books b(c, kCustomerSide);
    for (const char* code : {"K1", "K2", "K3", "LONG", "OLD"})
        b.partner(code, QStringLiteral("顧客") + QString::fromLatin1(code));
    Statement customers(c, QStringLiteral("UPDATE m_顧客 SET 締日 = 32, 郵便番号 = 600001, 住所 = ?"));
    customers.bind(1, addresses.customer);
    customers.run();
    b.goods(1, QDate(2004, 3, 2), Books::Credit, "K1", yen(1000));
    b.goods(2, QDate(2004, 3, 3), Books::Credit, "K2", yen(2000));
    b.goods(3, QDate(2004, 3, 4), Books::Credit, "K3", yen(3000));
    QList<GoodsLine> lines;
    for (int i = 1; i <= longLines; ++i)
        lines << GoodsLine{yen(100 * i), Money(), yen(1), "I1", QStringLiteral("品物%1").arg(i)};
    if (!lines.isEmpty())
        b.goods(4, QDate(2004, 3, 5), Books::Credit, "LONG", lines);
    b.goods(5, QDate(2004, 2, 5), Books::Credit, "OLD", yen(5000));

    QImage logo(60, 30, QImage::Format_RGB32);
    logo.fill(Qt::blue);
    for (int x = 0; x < 60; x += 3)  // sharp edges, which a lossy encoding would blur
        for (int y = 0; y < 30; ++y)
            logo.setPixel(x, y, qRgb(255, 255 - 8 * y, 4 * x));
    QByteArray png;
    QBuffer buffer(&png);
    logo.save(&buffer, "PNG");
    Statement s(c, QStringLiteral("UPDATE m_自社情報 SET 会社名 = '本社商事', 郵便番号 = 1000001, "
                                  "住所 = ?, 電話番号 = '03-1234-5678', 取引銀行口座 = ?, 会社ロゴ = ?"));
    s.bind(1, addresses.company);
    s.bind(2, kBank);
    s.bind(3, png);
    s.run();
}

// The bills of March for month end with only `marked` marked, laid out.
struct Printed {
    TestDb db;
    Connection connection{db.path()};
    BillComputation bills{connection};
    Dataset company{connection, QStringLiteral("SELECT * FROM m_自社情報")};
    std::unique_ptr<TBillIssueRptForm> report;

    Printed(const QStringList& marked, int longLines = 3, const Addresses& addresses = {})
    {
        writeBook(connection, longLines, addresses);
        bills.build(2004, 3, 32);
        Dataset& list = bills.list();
        for (list.first(); !list.eof(); list.next())
            if (!marked.contains(list.field(QStringLiteral("顧客コード")).asText()))
                bills.toggleMark();
        company.addCalculatedField(BillComputation::PostalCodeText, [](const RowRef& row) -> QVariant {
            return QStringLiteral("%1").arg(row.field(QStringLiteral("郵便番号")).asInt(), 7, 10,
                                            QLatin1Char('0'));
        });
        company.open();
        bills.showMarkedOnly(true);
        report = std::make_unique<TBillIssueRptForm>(bills.list(), bills.lines(), company);
        report->QRLabelDate.setCaption(QStringLiteral("2004年03月31日"));
        report->QRLabelBank.setCaption(kBank);
    }
};

int bandsOf(const ReportPage& page, BandKind kind)
{
    int n = 0;
    for (const PlacedBand& band : page.bands)
        n += band.kind == kind ? 1 : 0;
    return n;
}

QStringList textsOn(const ReportPage& page, const QString& tag)
{
    QStringList texts;
    for (const ReportOp& op : page.ops)
        if (op.kind == ReportOp::Kind::Text && op.tag == tag)
            texts << op.text;
    return texts;
}

}  // namespace

class TestBillPrint : public QObject {
    Q_OBJECT

private slots:
    void threeBillsFromNewPages();
    void longBillContinuesWithoutHeading();
    void nothingMarkedPrintsTheFooterAlone();
    void billWithoutLinesPrintsTheCaptionRow();
    void textLandsInItsBoxes_data();
    void textLandsInItsBoxes();
    void logoIsDrawnIntoItsBox();
    void everyPageNamesItsBill();
    void addressesWrapWithinTheirBoxes_data();
    void addressesWrapWithinTheirBoxes();
};

void TestBillPrint::threeBillsFromNewPages()
{
    Printed p({"K1", "K2", "K3"});
    const ReportDocument doc = p.report->paginate();
    QCOMPARE(doc.pages.size(), size_t(3));
    const QStringList names{"顧客K1", "顧客K2", "顧客K3"};
    for (size_t i = 0; i < doc.pages.size(); ++i) {
        const ReportPage& page = doc.pages[i];
        QCOMPARE(bandsOf(page, BandKind::Detail), 1);
        QCOMPARE(page.bands.front().kind, BandKind::Detail);
        QCOMPARE(page.bands.front().top, 10.0);
        QCOMPARE(bandsOf(page, BandKind::SubDetail), 1);
        QCOMPARE(bandsOf(page, BandKind::PageFooter), 1);
        QCOMPARE(textsOn(page, "顧客名"), QStringList{names[int(i)]});
        QCOMPARE(textsOn(page, "QRLabelBank"), QStringList{kBank});
        QCOMPARE(page.bands.back().kind, BandKind::PageFooter);
        QCOMPARE(page.bands.back().top, 297.0 - 10.0 - 10.6);
    }
    QCOMPARE(textsOn(doc.pages[1], "今月請求額"), QStringList{"¥2,000"});
    QCOMPARE(textsOn(doc.pages[1], "金額"), QStringList{"¥2,000"});
    // The window's cursor is where it was.
    QCOMPARE(p.bills.list().currentRow(), 0);
}

void TestBillPrint::longBillContinuesWithoutHeading()
{
    // Between the heading and the footer (99.7 to 276.4 mm) 31 lines fit, on a
    // page without the heading 47.
    Printed p({"K1", "LONG", "K3"}, 40);
    const ReportDocument doc = p.report->paginate();
    QCOMPARE(doc.pages.size(), size_t(4));  // K1, K3, LONG on two pages
    QCOMPARE(textsOn(doc.pages[1], "顧客名"), QStringList{"顧客K3"});
    QCOMPARE(bandsOf(doc.pages[2], BandKind::Detail), 1);
    QCOMPARE(bandsOf(doc.pages[2], BandKind::SubDetail), 31);
    QCOMPARE(bandsOf(doc.pages[3], BandKind::Detail), 0);
    QCOMPARE(bandsOf(doc.pages[3], BandKind::SubDetail), 9);
    QCOMPARE(doc.pages[3].bands.front().kind, BandKind::SubDetail);
    QCOMPARE(doc.pages[3].bands.front().top, 10.0);
    QCOMPARE(textsOn(doc.pages[3], "QRLabelBank"), QStringList{kBank});
    QCOMPARE(textsOn(doc.pages[3], "商品名").first(), QStringLiteral("品物32"));
    QCOMPARE(textsOn(doc.pages[3], "商品名").last(), QStringLiteral("品物40"));
    // Every line row closes with its rule under it.
    for (const ReportPage& page : doc.pages)
        for (const PlacedBand& band : page.bands)
            QVERIFY(band.kind != BandKind::SubDetail || band.top + band.height <= 297.0 - 10.0 - 10.6 + 1e-6);
}

void TestBillPrint::nothingMarkedPrintsTheFooterAlone()
{
    Printed p({});
    QVERIFY(p.bills.list().isEmpty());
    const ReportDocument doc = p.report->paginate();
    QCOMPARE(doc.pages.size(), size_t(1));
    QCOMPARE(doc.pages[0].bands.size(), size_t(1));
    QCOMPARE(doc.pages[0].bands[0].kind, BandKind::PageFooter);
    QStringList texts;
    for (const ReportOp& op : doc.pages[0].ops)
        texts << op.text;
    QCOMPARE(texts, (QStringList{"振込口座", kBank}));
}

void TestBillPrint::billWithoutLinesPrintsTheCaptionRow()
{
    Printed p({"OLD"});
    const ReportDocument doc = p.report->paginate();
    QCOMPARE(doc.pages.size(), size_t(1));
    QCOMPARE(bandsOf(doc.pages[0], BandKind::SubDetail), 0);
    QCOMPARE(textsOn(doc.pages[0], "前月迄売掛残高"), QStringList{"¥5,000"});
    QCOMPARE(textsOn(doc.pages[0], "今月掛売合計"), QStringList{"¥0"});
    QCOMPARE(textsOn(doc.pages[0], "今月請求額"), QStringList{"¥5,000"});
    int captions = 0;
    for (const ReportOp& op : doc.pages[0].ops)
        captions += op.text == QStringLiteral("売上年月日") || op.text == QStringLiteral("金額") ? 1 : 0;
    QCOMPARE(captions, 2);
}

void TestBillPrint::textLandsInItsBoxes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qreal>("left");  // of the box on the paper, mm
    QTest::addColumn<qreal>("top");
    QTest::addColumn<qreal>("width");
    QTest::addColumn<int>("align");  // -1 left, 0 centre, 1 right
    // The heading band at 10 mm, the first line at 99.7 mm, the footer at 276.4 mm.
    QTest::newRow("title") << "請求書" << 94.9 << 12.1 << 20.1 << -1;
    QTest::newRow("issue date") << "2004年03月31日" << 158.2 << 17.1 << 38.4 << 1;
    QTest::newRow("customer postal code") << "0600001" << 18.5 << 24.8 << 18.0 << -1;
    QTest::newRow("customer name") << "顧客K2" << 14.2 << 39.6 << 59.5 << -1;
    QTest::newRow("company address") << "東京都千代田区" << 137.0 << 48.1 << 57.4 << -1;
    QTest::newRow("company name") << "本社商事" << 132.8 << 62.9 << 61.6 << -1;
    QTest::newRow("request") << "下記の通り御請求申し上げます。" << 16.3 << 72.2 << 100.0 << -1;
    QTest::newRow("billed caption") << "今月請求額" << 153.9 << 77.7 << 38.4 << 0;
    QTest::newRow("billed value") << "¥2,000" << 153.9 << 83.0 << 38.4 << 1;
    QTest::newRow("line date") << "2004/03/03" << 18.5 << 100.8 << 19.3 << -1;
    QTest::newRow("line slip number") << "2" << 39.6 << 100.8 << 15.1 << 1;
    QTest::newRow("bank caption") << "振込口座" << 75.6 << 281.4 << 19.3 << -1;
}

void TestBillPrint::textLandsInItsBoxes()
{
    QFETCH(QString, text);
    QFETCH(qreal, left);
    QFETCH(qreal, top);
    QFETCH(qreal, width);
    QFETCH(int, align);
    Printed p({"K2"});
    QTemporaryDir dir;
    const QString pdf = dir.filePath("bill.pdf");
    writePdf(p.report->paginate(), pdf);
    const PdfWord* w = nullptr;
    const QList<PdfWord> words = pdfWords(pdf);
    // The word of that text nearest to the box (the same amount may print twice).
    const QPointF centre(left + width / 2, top);
    auto distance = [&](const PdfWord& word) { return QLineF(word.mm.center(), centre).length(); };
    for (const PdfWord& word : words)
        if (word.text == text && (!w || distance(word) < distance(*w)))
            w = &word;
    QVERIFY2(w, qPrintable(text));
    const QString mismatch = boxMismatch(*w, left, top, width, align, 0.4);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void TestBillPrint::logoIsDrawnIntoItsBox()
{
    Printed p({"K1"});
    const ReportDocument doc = p.report->paginate();
    const ReportOp* logo = nullptr;
    for (const ReportOp& op : doc.pages[0].ops)
        if (op.kind == ReportOp::Kind::Image)
            logo = &op;
    QVERIFY(logo);
    QCOMPARE(logo->box, QRectF(132.8, 24.8, 33.9, 16.9));
    QCOMPARE(logo->image.size(), QSize(60, 30));

    QTemporaryDir dir;
    const QString pdf = dir.filePath("bill.pdf");
    writePdf(doc, pdf);
    const QStringList images = runTool("pdfimages", {"-list", pdf}).split(u'\n', Qt::SkipEmptyParts);
    // A heading line, a rule, then one image of the logo's pixels, stored without loss.
    QCOMPARE(images.size(), 3);
    QVERIFY2(images[2].contains(QRegularExpression(R"(\s60\s+30\s)")), qPrintable(images[2]));
    QVERIFY2(!images[2].contains(QStringLiteral("jpeg")), qPrintable(images[2]));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(!bytes.contains("/DCTDecode"));
    runTool("pdfimages", {"-png", pdf, dir.filePath("logo")});
    const QImage read = QImage(dir.filePath("logo-000.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(read, logo->image.convertToFormat(QImage::Format_RGB32));
}

void TestBillPrint::everyPageNamesItsBill()
{
    // A loose page is placed by the line in its top margin: the customer, the
    // billing date and the page among that bill's pages.
    Addresses addresses;
    addresses.company =
        QStringLiteral("東京都千代田区丸の内二丁目7番3号 東京ビルディング二十一階 本社商事株式会社 経理部");
    addresses.customer =
        QStringLiteral("北海道札幌市中央区北一条西二丁目1番地 札幌時計台ビル十階 青木商店本店営業部");
    Printed p({"K1", "LONG", "K3"}, 40, addresses);
    const ReportDocument doc = p.report->paginate();
    QCOMPARE(doc.pages.size(), size_t(4));
    const QStringList customers{"顧客K1", "顧客K3", "顧客LONG", "顧客LONG"};
    const QStringList pages{"1 / 1", "1 / 1", "1 / 2", "2 / 2"};
    for (size_t i = 0; i < doc.pages.size(); ++i) {
        const ReportPage& page = doc.pages[i];
        QCOMPARE(textsOn(page, TBillIssueRptForm::PageCustomer), QStringList{customers[int(i)]});
        QCOMPARE(textsOn(page, TBillIssueRptForm::PageOfBill), QStringList{pages[int(i)]});
        QVERIFY(textsOn(page, "QRLabelDate").contains(QStringLiteral("2004年03月31日")));
        for (const ReportOp& op : page.ops)
            if (op.tag == TBillIssueRptForm::PageCustomer || op.tag == TBillIssueRptForm::PageOfBill)
                QVERIFY(op.box.top() >= 0 && op.box.bottom() <= 10.0);
    }
    QTemporaryDir dir;
    const QString pdf = dir.filePath("bill.pdf");
    writePdf(doc, pdf);
    bool named = false;
    for (const PdfWord& word : pdfWords(pdf))
        named =
            named || (word.page == 4 && word.text == QStringLiteral("顧客LONG") && word.mm.bottom() < 10.0);
    QVERIFY(named);
}

void TestBillPrint::addressesWrapWithinTheirBoxes_data()
{
    QTest::addColumn<bool>("company");  // the company's address, else the customer's
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<bool>("breaksWell");  // the first line ends after a space or a part of the address
    const QString tokyo = QStringLiteral(
        "東京都千代田区丸の内二丁目7番3号 東京ビルディング二十一階 本社商事株式会社 "
        "経理部請求書発送係 気付 総務課");
    const QString sapporo =
        QStringLiteral("北海道札幌市中央区北一条西二丁目1番地 札幌時計台ビル十階 青木商店本店営業部");
    QTest::newRow("company, 60 characters") << true << tokyo.left(60) << false << true;
    QTest::newRow("company, 100 characters") << true << tokyo.repeated(2).left(100) << true << false;
    QTest::newRow("customer, 50 characters") << false << sapporo.left(50) << false << true;
    QTest::newRow("customer, no break point")
        << false << QStringLiteral("ABCDEFGHIJ1234567890").repeated(3).left(50) << false << false;
}

void TestBillPrint::addressesWrapWithinTheirBoxes()
{
    // Whole characters per line, smaller down to 7 pt to fit, only then "…"; no
    // line wider than the box, none below it.
    QFETCH(bool, company);
    QFETCH(QString, address);
    QFETCH(bool, cut);
    QFETCH(bool, breaksWell);
    Addresses addresses;
    (company ? addresses.company : addresses.customer) = address;
    Printed p({"K1"}, 3, addresses);
    const ReportDocument doc = p.report->paginate();
    const QRectF box = company ? QRectF(137.0, 48.1, 57.4, 8.7) : QRectF(18.5, 29.1, 68.0, 8.7);
    QStringList lines;
    TextFitter fitter;
    for (const ReportOp& op : doc.pages[0].ops) {
        if (op.tag != QStringLiteral("住所") || op.text.isEmpty() ||
            std::abs(op.box.left() - box.left()) > 0.01)
            continue;
        lines << op.text;
        QVERIFY2(fitter.width(op.text, op.font) <= box.width() + 1e-6, qPrintable(op.text));
        QVERIFY(op.box.top() >= box.top() - 1e-6 && op.box.bottom() <= box.bottom() + 1e-6);
        QVERIFY(op.font.pointSize >= 7 && (!cut || op.font.pointSize == 7));
    }
    QVERIFY(!lines.isEmpty());
    QString joined = lines.join(QString());
    QCOMPARE(joined.endsWith(u'…'), cut);
    if (cut)
        joined.chop(1);
    QString spaceless = address;
    spaceless.remove(u' ');
    QVERIFY2(cut ? spaceless.startsWith(joined.remove(u' ')) : spaceless == joined.remove(u' '),
             qPrintable(lines.join(u'|')));
    const QString& first = lines.first();
    QVERIFY(address.startsWith(first));
    if (breaksWell)
        QVERIFY2(address[first.size()] == u' ' || QStringLiteral("都道府県市区町村").contains(first.back()) ||
                     first.endsWith(QStringLiteral("番地")),
                 qPrintable(first));
}

QTEST_MAIN(TestBillPrint)
#include "tst_billprint.moc"
