// The detail lists printed through the grid-to-layout function: every row in
// the list's order, group rows shaded as on screen, the column header and the
// page number on every page, the title on the first; read back from the
// display list and from the PDF itself.
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "dataset.h"
#include "dbgrid.h"
#include "detaillisttab.h"
#include "gridreport.h"
#include "listbooks.h"
#include "pdftext.h"
#include "report.h"
#include "reportdocument.h"
#include "reportpainter.h"
#include "testdb.h"

using Arrangement = DetailList::Arrangement;

namespace {

// Eighteen more slips of one line each on 2024-03-20, for C2 and item I1: every
// list runs over two pages.
void moreSlips(Connection& c, const PartnerSide& side)
{
    for (int no = 100; no < 118; ++no)
        ListBooks::slip(c, side, no, "2024-03-20", "C2", {{"I1", "りんご", 10, 1, 1}});
}

const QColor Face(0xd4, 0xd0, 0xc8);

QColor shadeOf(int lineNo)
{
    return lineNo == DetailList::CustomerRow ? DetailListTab::CustomerRowColor
           : lineNo == DetailList::GroupRow  ? Face
                                             : QColor();
}

bool close(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
           std::abs(a.blue() - b.blue()) <= 3;
}

}  // namespace

class TestDetailListPrint : public QObject {
    Q_OBJECT

private slots:
    void printedList_data();
    void printedList();
};

void TestDetailListPrint::printedList_data()
{
    QTest::addColumn<bool>("sales");
    QTest::addColumn<int>("arrangement");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("caption");  // a column title printed on every page
    QTest::newRow("sales by slip") << true << int(Arrangement::BySlip) << "売上明細表（伝票別）"
                                   << "伝票合計";
    QTest::newRow("sales by item") << true << int(Arrangement::ByItem) << "売上明細表（商品別）"
                                   << "商品別合計";
    QTest::newRow("sales by customer") << true << int(Arrangement::ByCustomer) << "売上明細表（顧客別）"
                                       << "顧客別合計";
    QTest::newRow("purchases") << false << int(Arrangement::BySlip) << "仕入明細表"
                               << "仕入先名";
}

void TestDetailListPrint::printedList()
{
    QFETCH(bool, sales);
    QFETCH(int, arrangement);
    QFETCH(QString, title);
    QFETCH(QString, caption);
    const PartnerSide& side = sales ? PartnerSide::customer() : PartnerSide::supplier();
    TestDb db;
    Connection c(db.path());
    ListBooks::write(c, side);
    moreSlips(c, side);
    DbGrid grid;
    QPalette palette = grid.palette();
    palette.setColor(QPalette::Button, Face);
    grid.setPalette(palette);
    const DetailListTab::Names names{Arrangement(arrangement), title, {}};
    DetailListTab tab(c, side, names, &grid, nullptr);
    tab.build({QDate(2024, 3, 1), QDate(2024, 3, 31)});
    const Dataset& ds = tab.dataset();
    QVERIFY(ds.count() > 28);

    const auto report = gridReport({title, [&](int row) { return tab.rowBackground(row, palette); }},
                                   tab.dataset(), tab.columns());
    report->setText("QRLabelDateFrom", "2024/03/01");
    report->setText("QRLabelDateTo", "2024/03/31");
    const ReportDocument doc = report->paginate();
    QCOMPARE(doc.orientation, QPageLayout::Landscape);
    QCOMPARE(int(doc.pages.size()), 2);

    // Every row once, in the list's order; a shade under each group row only.
    int next = 0;
    for (const ReportPage& page : doc.pages) {
        std::vector<qreal> shaded;
        for (const ReportOp& op : page.ops)
            if (op.tag == "rowBackground")
                shaded.push_back(op.box.top());
        size_t s = 0;
        for (const PlacedBand& band : page.bands) {
            if (band.kind != BandKind::Detail)
                continue;
            QCOMPARE(band.row, next++);
            const bool group = tab.list().lineNoAt(band.row) < 0;
            const bool hasShade = s < shaded.size() && std::abs(shaded[s] - band.top) < 1e-6;
            QCOMPARE(hasShade, group);
            s += hasShade ? 1 : 0;
        }
        QCOMPARE(s, shaded.size());
    }
    QCOMPARE(next, ds.count());
    QCOMPARE(doc.overflows.size(), size_t(0));

    // The PDF: the title on the first page only, the header and "n / m" on both.
    QTemporaryDir dir;
    const QString pdf = dir.filePath("list.pdf");
    writePdf(doc, pdf);
    for (int page = 1; page <= 2; ++page) {
        const QString text = runTool(
            "pdftotext", {"-layout", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
        QCOMPARE(text.contains(title), page == 1);
        QVERIFY(text.contains(caption));
        QVERIFY(text.contains("2024/03/31"));
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("%1\\s*/\\s*2").arg(page))));
    }
    const QString firstPage = runTool("pdftotext", {"-layout", "-f", "1", "-l", "1", pdf, "-"});
    QVERIFY(firstPage.contains(sales && arrangement == int(Arrangement::ByItem) ? "その他" : "2024/03/01"));

    // The shading on paper: across the middle of each band of the first page, a
    // group row is mostly its colour and a line row has none of it.
    constexpr int dpi = 100;
    runTool("pdftoppm", {"-r", QString::number(dpi), "-png", "-f", "1", "-l", "1", "-singlefile", pdf,
                         dir.filePath("page")});
    const QImage image(dir.filePath("page.png"));
    QVERIFY(!image.isNull());
    const qreal px = dpi / 25.4;
    int groups = 0;
    for (const PlacedBand& band : doc.pages[0].bands) {
        if (band.kind != BandKind::Detail)
            continue;
        const QColor want = shadeOf(tab.list().lineNoAt(band.row));
        const int y = int((band.top + band.height / 2) * px);
        int matching = 0, samples = 0, tinted = 0;
        for (qreal x = 12; x < 285; x += 1.0, ++samples) {
            const QColor got = image.pixelColor(int(x * px), y);
            matching += want.isValid() && close(got, want) ? 1 : 0;
            tinted += close(got, Face) || close(got, DetailListTab::CustomerRowColor) ? 1 : 0;
        }
        if (want.isValid()) {
            ++groups;
            QVERIFY2(matching > samples / 2, qPrintable(QString("row %1").arg(band.row)));
        } else {
            QCOMPARE(tinted, 0);
        }
    }
    QVERIFY(groups > 0);
}

QTEST_MAIN(TestDetailListPrint)
#include "tst_detaillistprint.moc"
