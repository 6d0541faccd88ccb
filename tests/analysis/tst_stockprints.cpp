// The stock list and item ledger prints written to PDF and read back with the
// poppler tools: a sorted list in its order, and a ledger longer than one
// landscape page with its heading on every page, at their positions.
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

#include "connection.h"
#include "dataset.h"
#include "itemledgercomputation.h"
#include "itemstocklistrptform.h"
#include "ledgeritemrptform.h"
#include "pdftext.h"
#include "reportpainter.h"
#include "stockbooks.h"
#include "stocklistcomputation.h"
#include "testdb.h"

namespace {

const QDate F(2024, 3, 1);
const QDate T(2024, 3, 31);

// The word `text` on `page` whose top is nearest `top`, if within 0.3 mm of it
// (and of `left` when given).
const PdfWord* wordAt(const QList<PdfWord>& words, const QString& text, int page, qreal top, qreal left = -1)
{
    for (const PdfWord& w : words)
        if (w.text == text && w.page == page && std::abs(w.mm.top() - top) < 0.3 &&
            (left < 0 || std::abs(w.mm.left() - left) < 0.3))
            return &w;
    return nullptr;
}

// The word `text` on `page` at `top` whose right edge is at `right` (a right-aligned figure).
const PdfWord* figureAt(const QList<PdfWord>& words, const QString& text, int page, qreal top, qreal right)
{
    for (const PdfWord& w : words)
        if (w.text == text && w.page == page && std::abs(w.mm.top() - top) < 0.3 &&
            std::abs(w.mm.right() - right) < 0.3)
            return &w;
    return nullptr;
}

}  // namespace

class TestStockPrints : public QObject {
    Q_OBJECT

private slots:
    void init();
    void sortedListPrintsInItsOrder();
    void longLedgerRepeatsItsHeading();

private:
    QString render(const Report& report, const QString& name)
    {
        const QString path = m_dir->filePath(name);
        writePdf(report.paginate(), path);
        return path;
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestStockPrints::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestStockPrints::sortedListPrintsInItsOrder()
{
    TestDb db;
    Connection c(db.path());
    StockBooks b(c);
    b.item("A1", "あ品");
    b.item("B2", "い品");
    b.item("C3", "う品");
    b.purchase(1, F, {{QStringLiteral("A1"), qty("3")}, {QStringLiteral("C3"), qty("1234.5")}});
    b.sale(2, F.addDays(-1), {{QStringLiteral("B2"), qty("7")}});
    StockListComputation list(c);
    list.build(F, T);
    list.dataset().sortBy({{"在庫数", true}});

    TItemStockListRptForm rpt(list.dataset());
    rpt.QRLabelDateFrom.setCaption(list.PeriodFromText());
    rpt.QRLabelDateTo.setCaption(list.PeriodToText());
    rpt.setPrintDate(QDate(2024, 4, 2));
    const QList<PdfWord> words = pdfWords(render(rpt, "list.pdf"));
    QVERIFY(!words.isEmpty());
    // Portrait, margins 10 mm: title band 9.3, header band 16.1, a line every 5.8 mm.
    QVERIFY(wordAt(words, "商品在庫一覧表", 1, 12.1, 12.1));
    QVERIFY(wordAt(words, "2024/03/01", 1, 23.5));
    QVERIFY(wordAt(words, "2024/03/31", 1, 23.5));
    QVERIFY(wordAt(words, "2024/04/02", 1, 23.5, 179.3));
    const QStringList order{"C3", "A1", "B2"};
    const QStringList stock{"1,234.50", "3.00", "-7.00"};
    for (int i = 0; i < order.size(); ++i) {
        const qreal top = 36.7 + 5.8 * i;
        QVERIFY2(wordAt(words, order[i], 1, top, 10), qPrintable(order[i]));
        QVERIFY2(figureAt(words, stock[i], 1, top, 171.1), qPrintable(stock[i]));
    }
    // B2's carried-forward stock, under its caption.
    QVERIFY(figureAt(words, "-7.00", 1, 36.7 + 5.8 * 2, 94.9));
    QVERIFY(figureAt(words, "1,234.50", 1, 36.7, 120.3));
}

void TestStockPrints::longLedgerRepeatsItsHeading()
{
    TestDb db;
    Connection c(db.path());
    StockBooks b(c);
    b.item("IT-0001", "長い元帳の商品");
    b.supplier("S1", "南物産");
    b.customer("K1", "北商店");
    // 60 movements: more than two landscape pages.
    for (int i = 1; i <= 60; ++i) {
        const QList<ItemLine> line{{QStringLiteral("IT-0001"), qty("2")}};
        if (i % 2)
            b.purchase(i, F.addDays((i - 1) / 3), line, "S1");
        else
            b.sale(i, F.addDays((i - 1) / 3), line, "K1");
    }
    b.purchase(100, F.addDays(-3), {{QStringLiteral("IT-0001"), qty("5")}}, "S1");
    ItemLedgerComputation ledger(c);
    ledger.build("IT-0001", F, T);
    QCOMPARE(ledger.dataset().count(), 61);
    Dataset item(c, "SELECT * FROM m_商品 WHERE 商品コード = :Code");
    item.setParam("Code", QStringLiteral("IT-0001"));
    item.open();

    TLedgerItemRptForm rpt(ledger.dataset(), item);
    rpt.QRLabelDateFrom.setCaption(ledger.PeriodFromText());
    rpt.QRLabelDateTo.setCaption(ledger.PeriodToText());
    rpt.setPrintDate(QDate(2024, 4, 2));
    const ReportDocument doc = rpt.paginate();
    QCOMPARE(int(doc.pages.size()), 3);
    const QList<PdfWord> words = pdfWords(render(rpt, "ledger.pdf"));
    QVERIFY(!words.isEmpty());
    QVERIFY(wordAt(words, "商品元帳", 1, 12.1, 12.1));
    QVERIFY(!wordAt(words, "商品元帳", 2, 12.1));
    for (int page = 1; page <= 3; ++page) {
        // The header band starts under the title on the first page, at the top margin after.
        const qreal top = page == 1 ? 19.3 : 10.0;
        QVERIFY2(wordAt(words, "商品コード：", page, top + 4.2, 12.1), qPrintable(QString::number(page)));
        QVERIFY2(wordAt(words, "IT-0001", page, top + 4.2, 37.5), qPrintable(QString::number(page)));
        QVERIFY2(wordAt(words, "長い元帳の商品", page, top + 4.2, 69.3), qPrintable(QString::number(page)));
        QVERIFY2(wordAt(words, "2024/03/01", page, top + 10.6), qPrintable(QString::number(page)));
        QVERIFY2(wordAt(words, "2024/03/31", page, top + 10.6), qPrintable(QString::number(page)));
        QVERIFY2(wordAt(words, "2024/04/02", page, top + 10.6, 266.1), qPrintable(QString::number(page)));
        QVERIFY2(wordAt(words, "年月日", page, top + 19.1), qPrintable(QString::number(page)));
        QVERIFY2(wordAt(words, "在庫数", page, top + 19.1), qPrintable(QString::number(page)));
    }
    // The first line is the carried-forward row; a purchase prints a negative amount.
    const qreal firstLine = 19.3 + 24.3 + 1.3;
    QVERIFY(wordAt(words, "繰越在庫数", 1, firstLine, 33.3));
    QVERIFY(figureAt(words, "5.00", 1, firstLine, 238.9));
    QVERIFY(figureAt(words, "-¥220", 1, firstLine + 5.8, 196.5));
    QVERIFY(figureAt(words, "7.00", 1, firstLine + 5.8, 238.9));
    QVERIFY(wordAt(words, "南物産", 1, firstLine + 5.8, 62.9));
}

QTEST_MAIN(TestStockPrints)
#include "tst_stockprints.moc"
