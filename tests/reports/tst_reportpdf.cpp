#include <QElapsedTimer>
#include <QFileDialog>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include "accountspayablelistrptform.h"
#include "accountsreceivablelistrptform.h"
#include "connection.h"
#include "ledgercustomerrptform.h"
#include "ledgersupplierrptform.h"
#include "pdftext.h"
#include "pdftextlayer.h"
#include "reportfixture.h"
#include "reportpainter.h"
#include "reportpreview.h"

// Rendered output: PDF files read back with the poppler tools, and the preview.
class TestReportPdf : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void ledgerTextLandsInItsBoxes_data();
    void ledgerTextLandsInItsBoxes();
    void emptyLayoutsRenderTitleAndHeader_data();
    void emptyLayoutsRenderTitleAndHeader();
    void sortedListPrintsTopToBottomInOrder();
    void faceIsEmbedded();
    void twentyPageLedgerRendersQuickly();
    void largeAmountsReadAsPrinted();
    void namesBeyondTheFaceCopyOut_data();
    void namesBeyondTheFaceCopyOut();
    void unwritableFileIsAnError();
    void previewSaveRefusesTheBook();
    void previewShowsEveryPageAndIsReleased();

private:
    QString render(const Report& report, const QString& name);
    const PdfWord* wordNear(const QList<PdfWord>& words, const QString& text, qreal top, int page = 1);

    std::unique_ptr<ReportFixture> m_fx;
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

enum Kind { CustomerLedger, SupplierLedger, ReceivableList, PayableList };

}  // namespace

void TestReportPdf::init()
{
    m_fx = std::make_unique<ReportFixture>();
    m_dir = std::make_unique<QTemporaryDir>();
    // To look at the pages: CORVINTA_KEEP_PDF=1 keeps the files and names their folder.
    if (qEnvironmentVariableIsSet("CORVINTA_KEEP_PDF")) {
        m_dir->setAutoRemove(false);
        qInfo() << "PDF files in" << m_dir->path();
    }
}

void TestReportPdf::cleanup()
{
    m_fx.reset();
    m_dir.reset();
}

QString TestReportPdf::render(const Report& report, const QString& name)
{
    const QString path = m_dir->filePath(name);
    writePdf(report.paginate(), path);
    return path;
}

const PdfWord* TestReportPdf::wordNear(const QList<PdfWord>& words, const QString& text, qreal top, int page)
{
    const PdfWord* best = nullptr;
    for (const PdfWord& w : words) {
        if (w.text == text && w.page == page &&
            (!best || std::abs(w.mm.top() - top) < std::abs(best->mm.top() - top)))
            best = &w;
    }
    return best;
}

void TestReportPdf::ledgerTextLandsInItsBoxes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qreal>("left");  // of the box on the paper, mm
    QTest::addColumn<qreal>("top");
    QTest::addColumn<qreal>("width");
    QTest::addColumn<int>("align");  // -1 left, 0 centre, 1 right
    // Title band at 10 mm, header band at 19.3 mm, first detail band at 43.6 mm.
    QTest::newRow("title") << "顧客元帳" << 12.1 << 12.1 << 38.4 << -1;
    QTest::newRow("partner caption") << "顧客コード：" << 12.1 << 23.5 << 21.4 << -1;
    QTest::newRow("partner code") << "C0001" << 35.4 << 23.5 << 29.9 << -1;
    QTest::newRow("partner name") << "青木商店" << 67.1 << 23.5 << 53.2 << -1;
    QTest::newRow("period caption") << "期間：" << 12.1 << 29.9 << 10.8 << -1;
    QTest::newRow("period from") << "2024/03/01" << 24.8 << 29.9 << 19.3 << 0;
    QTest::newRow("period mark") << "～" << 46.0 << 29.9 << 6.6 << 0;
    QTest::newRow("period to") << "2024/04/30" << 54.5 << 29.9 << 19.3 << 0;
    QTest::newRow("print date caption") << "印刷日：" << 251.3 << 29.9 << 13.0 << -1;
    QTest::newRow("print date") << "2024/05/07" << 266.1 << 29.9 << 19.3 << -1;
    QTest::newRow("first caption") << "年月日" << 12.1 << 38.4 << 19.3 << 0;
    QTest::newRow("last caption") << "残高" << 270.4 << 38.4 << 15.1 << 0;
    QTest::newRow("date of the first row") << "2024/04/01" << 12.1 << 44.9 << 19.3 << -1;
    QTest::newRow("kind of the first row") << "繰越残高" << 33.3 << 44.9 << 15.1 << -1;
    QTest::newRow("carried-forward balance") << "¥5,000" << 270.4 << 44.9 << 15.1 << 1;
    QTest::newRow("credit total of slip 1") << "¥1,000" << 219.6 << 50.7 << 15.1 << 1;
    QTest::newRow("item of the first line") << "商品1-1" << 62.9 << 56.5 << 48.9 << -1;
    QTest::newRow("quantity of the first line") << "1.00" << 173.0 << 56.5 << 13.0 << 1;
}

void TestReportPdf::ledgerTextLandsInItsBoxes()
{
    QFETCH(QString, text);
    QFETCH(qreal, left);
    QFETCH(qreal, top);
    QFETCH(qreal, width);
    QFETCH(int, align);
    auto ledger = m_fx->ledger(2);
    auto customer = m_fx->partner(false, "C0001", "青木商店");
    TLedgerCustomerRptForm rpt(*ledger, *customer);
    rpt.QRLabelDateFrom.setCaption("2024/03/01");
    rpt.QRLabelDateTo.setCaption("2024/04/30");
    rpt.setPrintDate(QDate(2024, 5, 7));
    const QList<PdfWord> found = pdfWords(render(rpt, "ledger.pdf"));

    const PdfWord* w = wordNear(found, text, top);
    QVERIFY2(w, qPrintable(text));
    const QString mismatch = boxMismatch(*w, left, top, width, align, 0.3);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void TestReportPdf::emptyLayoutsRenderTitleAndHeader_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("lastCaption");
    QTest::addColumn<qreal>("captionTop");
    QTest::addColumn<qreal>("pageWidth");
    QTest::newRow("customer ledger") << int(CustomerLedger) << "顧客元帳"
                                     << "残高" << 38.4 << 297.0;
    QTest::newRow("supplier ledger") << int(SupplierLedger) << "仕入先元帳"
                                     << "支払合計" << 38.4 << 297.0;
    QTest::newRow("receivable list") << int(ReceivableList) << "売掛残高一覧表"
                                     << "期間入金合計" << 29.9 << 210.0;
    QTest::newRow("payable list") << int(PayableList) << "買掛残高一覧表"
                                  << "期間支払合計" << 29.9 << 210.0;
}

void TestReportPdf::emptyLayoutsRenderTitleAndHeader()
{
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QString, lastCaption);
    QFETCH(qreal, captionTop);
    QFETCH(qreal, pageWidth);
    std::unique_ptr<Dataset> rows;
    std::unique_ptr<Dataset> partner;
    std::unique_ptr<Report> rpt;
    const bool supplier = kind == SupplierLedger;
    if (kind == CustomerLedger || kind == SupplierLedger) {
        rows = m_fx->ledger(0, supplier);
        rows->close();
        partner = m_fx->partner(supplier, "S01", "");
        if (supplier)
            rpt = std::make_unique<TLedgerSupplierRptForm>(*rows, *partner);
        else
            rpt = std::make_unique<TLedgerCustomerRptForm>(*rows, *partner);
    } else {
        rows = m_fx->list(kind == PayableList, {});
        if (kind == PayableList)
            rpt = std::make_unique<TAccountsPayableListRptForm>(*rows);
        else
            rpt = std::make_unique<TAccountsReceivableListRptForm>(*rows);
    }
    rpt->setText("QRLabelDateFrom", "2024/04/01");
    const QString pdf = render(*rpt, "empty.pdf");
    const QString info = runTool("pdfinfo", {pdf});
    QVERIFY(info.contains(QRegularExpression("Pages:\\s+1\\n")));
    QVERIFY2(
        info.contains(QRegularExpression(QString("Page size:\\s+%1 x").arg(qRound(pageWidth * 72 / 25.4)))),
        qPrintable(info));

    const QList<PdfWord> found = pdfWords(pdf);
    const PdfWord* t = wordNear(found, title, 12.1);
    QVERIFY(t && std::abs(t->mm.left() - 12.1) < 0.3 && std::abs(t->mm.top() - 12.1) < 0.3);
    const PdfWord* c = wordNear(found, lastCaption, captionTop);
    QVERIFY(c && std::abs(c->mm.top() - captionTop) < 0.3);
    // Nothing below the header band.
    for (const PdfWord& w : found)
        QVERIFY2(w.mm.top() < captionTop + 4, qPrintable(w.text));
}

void TestReportPdf::sortedListPrintsTopToBottomInOrder()
{
    auto list = m_fx->list(false, {{"C1", "青木商店", "0", "0", "0", "0", "300"},
                                   {"C2", "井上商事", "0", "0", "0", "0", "-50"},
                                   {"C3", "上田物産", "0", "0", "0", "0", "1200"}});
    list->sortBy({{"残高", true}});
    TAccountsReceivableListRptForm rpt(*list);
    const QList<PdfWord> found = pdfWords(render(rpt, "list.pdf"));
    // First line at 19.3 + 16.1 + 1.3 mm, then one every 5.8 mm.
    const QStringList order{"C3", "C1", "C2"};
    for (int i = 0; i < order.size(); ++i) {
        const qreal top = 36.7 + 5.8 * i;
        const PdfWord* w = wordNear(found, order[i], top);
        QVERIFY(w && std::abs(w->mm.top() - top) < 0.3 && std::abs(w->mm.left() - 10) < 0.3);
    }
    const PdfWord* balance = wordNear(found, "¥1,200", 36.7);
    QVERIFY(balance && std::abs(balance->mm.right() - 198.6) < 0.3);
}

void TestReportPdf::faceIsEmbedded()
{
    auto ledger = m_fx->ledger(1);
    auto customer = m_fx->partner(false, "C0001", "青木商店");
    TLedgerCustomerRptForm rpt(*ledger, *customer);
    const QString out = runTool("pdffonts", {render(rpt, "fonts.pdf")});
    const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(lines.size() >= 3);  // heading, rule, at least one font
    for (const QString& line : lines.mid(2)) {
        const QStringList cols = line.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        QVERIFY2(cols.first().endsWith("IPAPGothic"), qPrintable(line));                 // no fallback face
        QVERIFY2(cols.size() >= 5 && cols[cols.size() - 5] == "yes", qPrintable(line));  // embedded
    }
}

void TestReportPdf::twentyPageLedgerRendersQuickly()
{
    // 26 rows on the first landscape page, 28 on each later one: 558 rows fill 20.
    auto ledger = m_fx->ledger(185);  // 556 rows
    auto customer = m_fx->partner(false, "C0001", "青木商店");
    TLedgerCustomerRptForm rpt(*ledger, *customer);
    rpt.QRLabelDateFrom.setCaption("2024/04/01");
    rpt.QRLabelDateTo.setCaption("2024/04/30");
    const QString path = m_dir->filePath("long.pdf");

    QElapsedTimer timer;
    timer.start();
    const ReportDocument doc = rpt.paginate();
    const qint64 laidOut = timer.elapsed();
    writePdf(doc, path);
    const qint64 total = timer.elapsed();
    qInfo("20-page ledger: laid out in %lld ms, PDF written in %lld ms", laidOut, total);
    QCOMPARE(int(doc.pages.size()), 20);
    QVERIFY(runTool("pdfinfo", {path}).contains(QRegularExpression("Pages:\\s+20\\n")));
    QVERIFY2(total < 2000, qPrintable(QString::number(total)));

    // The last page carries the header again and the last line.
    const QList<PdfWord> found = pdfWords(path);
    QVERIFY(wordNear(found, "顧客元帳", 12.1, 1));
    QVERIFY(!wordNear(found, "顧客元帳", 12.1, 20));
    QVERIFY(wordNear(found, "年月日", 29.1, 20));
    QVERIFY(wordNear(found, "商品185-2", 150, 20));
}

void TestReportPdf::largeAmountsReadAsPrinted()
{
    auto ledger = m_fx->ledger(8, false, 10000);  // 25 rows, amounts of five to nine digits
    auto customer = m_fx->partner(false, "C0001", "Aoki Trading 青木商店");
    TLedgerCustomerRptForm rpt(*ledger, *customer);
    rpt.QRLabelDateFrom.setCaption("2024/04/01");
    rpt.QRLabelDateTo.setCaption("2024/04/30");
    const QString pdf = render(rpt, "large.pdf");
    const QList<PdfWord> found = pdfWords(pdf);

    // Row by row, each column reads what the dataset holds, inside its box.
    const ReportBand* detail = rpt.layout().band(BandKind::Detail);
    QCOMPARE(ledger->count(), 25);
    for (int r = 0; r < ledger->count(); ++r) {
        const qreal top = 43.6 + 5.8 * r;
        for (const ReportItem& item : detail->items) {
            const QRectF box = item.box.translated(10, top);
            QString printed;
            for (const PdfWord& w : found) {
                const QPointF c = w.mm.center();
                if (w.page == 1 && c.y() > top && c.y() < top + 5.8 && c.x() > box.left() &&
                    c.x() < box.right()) {
                    printed += w.text;
                    QVERIFY(w.mm.left() > box.left() - 0.05 && w.mm.right() < box.right() + 0.05);
                }
            }
            QCOMPARE(printed, ledger->fieldAt(r, item.field).display(item.format));
        }
    }

    // The text layer maps the space glyph to a space and the tilde to the full-width tilde.
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const qsizetype from = bytes.indexOf("begincmap\n");
    QVERIFY(from > 0);
    QByteArrayList destinations;
    for (const QByteArray& line : bytes.mid(from, bytes.indexOf("endcmap", from) - from).split('\n'))
        destinations << line.mid(line.indexOf('>', line.indexOf('>') + 1) + 1).toUpper();
    const QByteArray mapped = destinations.join(' ');
    QVERIFY(mapped.contains("<0020>") && mapped.contains("<FF5E>"));
    QVERIFY(!mapped.contains("<0009>") && !mapped.contains("<301C>"));
}

void TestReportPdf::namesBeyondTheFaceCopyOut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("marked");  // no face has a character of it: it prints as the mark
    QTest::newRow("beyond JIS X 0208") << QStringLiteral("𠮷野家") << false;
    QTest::newRow("emoji") << QStringLiteral("青木😀商店") << false;
    QTest::newRow("private use") << QStringLiteral("青木\uE000商店") << true;
    QTest::newRow("unassigned") << QStringLiteral("青木\U0003FFFD商店") << true;
}

void TestReportPdf::namesBeyondTheFaceCopyOut()
{
    QFETCH(QString, name);
    QFETCH(bool, marked);
    const QRectF nameBox(67.1, 21.5, 53.2, 5);
    auto ledger = m_fx->ledger(2);
    auto print = [&](const QString& partnerName, const QString& file) {
        auto customer = m_fx->partner(false, "C0001", partnerName);
        TLedgerCustomerRptForm rpt(*ledger, *customer);
        rpt.setPrintDate(QDate(2024, 5, 7));
        const ReportDocument doc = rpt.paginate();
        writePdf(doc, m_dir->filePath(file));
        return doc;
    };
    print(QStringLiteral("青木商店"), "plain.pdf");
    const ReportDocument doc = print(name, "named.pdf");
    const QList<PdfWord> plain = pdfWords(m_dir->filePath("plain.pdf"));
    const QList<PdfWord> found = pdfWords(m_dir->filePath("named.pdf"));
    if (marked) {
        const auto& ops = doc.pages.front().ops;
        QVERIFY(std::any_of(ops.begin(), ops.end(),
                            [](const ReportOp& op) { return op.text == QStringLiteral("青木〓商店"); }));
    }

    // The name copies out as typed, whichever face drew it, also where the mark stands in for it.
    QString copied;
    for (const PdfWord& w : found) {
        if (w.page == 1 && nameBox.contains(w.mm.center()))
            copied += w.text;
    }
    QCOMPARE(copied, name);
    // Every other text stands where it stands beside a name of the print face.
    const auto others = [&](const QList<PdfWord>& words) {
        return std::count_if(words.begin(), words.end(),
                             [&](const PdfWord& w) { return !nameBox.contains(w.mm.center()); });
    };
    QCOMPARE(others(found), others(plain));
    for (const PdfWord& w : plain) {
        if (nameBox.contains(w.mm.center()))
            continue;
        const auto same = std::find_if(found.begin(), found.end(), [&](const PdfWord& f) {
            return f.text == w.text && f.page == w.page &&
                   (f.mm.topLeft() - w.mm.topLeft()).manhattanLength() < 0.01 &&
                   std::abs(f.mm.width() - w.mm.width()) < 0.01;
        });
        QVERIFY2(same != found.end(), qPrintable(w.text));
    }
}

void TestReportPdf::unwritableFileIsAnError()
{
    auto list = m_fx->list(false, {});
    TAccountsReceivableListRptForm rpt(*list);
    QVERIFY_THROWS_EXCEPTION(ReportError, writePdf(rpt.paginate(), m_dir->filePath("missing/dir/x.pdf")));
}

void TestReportPdf::previewSaveRefusesTheBook()
{
    auto list = m_fx->list(false, {});
    TAccountsReceivableListRptForm rpt(*list);
    const ReportDocument document = rpt.paginate();
    const QString book = BuildConnectionString();
    QFile file(book);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    const QString fifo = m_dir->filePath("fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    for (const QString& path : {book, fifo}) {
        QString refused;
        try {
            savePreviewPdf(document, path);
        } catch (const ReportError& e) {
            refused = e.message();
        }
        QVERIFY2(refused.contains(path == book ? QStringLiteral("出力先が帳簿そのものです")
                                               : QStringLiteral("通常のファイルではありません")),
                 qPrintable(refused));
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}

void TestReportPdf::previewShowsEveryPageAndIsReleased()
{
    auto ledger = m_fx->ledger(40);  // 121 rows: 5 pages
    auto customer = m_fx->partner(false, "C0001", "青木商店");
    TLedgerCustomerRptForm rpt(*ledger, *customer);
    const int pages = int(rpt.paginate().pages.size());
    QCOMPARE(pages, 5);
    const QString saved = m_dir->filePath("saved.pdf");

    // The user looks at the pages, saves a PDF from the preview, and closes it.
    QPointer<QPrintPreviewDialog> seen;
    int shownPages = -1;
    int step = 0;
    int ticks = 0;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (++ticks > 500) {  // ten seconds: give up rather than hang
            if (modal)
                modal->close();
            return;
        }
        if (auto* dialog = qobject_cast<QPrintPreviewDialog*>(modal)) {
            seen = dialog;
            auto* preview = dialog->findChild<QPrintPreviewWidget*>();
            if (step == 0 && preview && preview->pageCount() > 0) {
                shownPages = preview->pageCount();
                if (auto* save = dialog->findChild<QAction*>("ActionSavePdf"))
                    QTimer::singleShot(0, save, &QAction::trigger);
                step = 1;
            } else if (step == 2) {
                dialog->reject();
                step = 3;
            }
        } else if (auto* files = qobject_cast<QFileDialog*>(modal); files && step == 1) {
            files->selectFile(saved);
            static_cast<QDialog*>(files)->accept();  // as the Save button does
            step = 2;
        }
    });
    poll.start();
    QWidget owner;
    const int result = previewReport(&owner, rpt);
    poll.stop();
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(shownPages, pages);
    QCOMPARE(step, 3);
    QVERIFY(seen.isNull());  // released when it closed
    QVERIFY(runTool("pdfinfo", {saved}).contains(QRegularExpression("Pages:\\s+5\\n")));
}

QTEST_MAIN(TestReportPdf)
#include "tst_reportpdf.moc"
