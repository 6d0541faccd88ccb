#include <QTest>
#include <QTextBoundaryFinder>

#include "accountspayablelistrptform.h"
#include "accountsreceivablelistrptform.h"
#include "ledgercustomerrptform.h"
#include "ledgeritemrptform.h"
#include "ledgersupplierrptform.h"
#include "reportfit.h"
#include "reportfixture.h"

// The four ledger and balance-list layouts: every item at its box, the rows as the
// window holds them, and the pages they make.
class TestReportLayouts : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fx = std::make_unique<ReportFixture>(); }
    void cleanup() { m_fx.reset(); }
    void emptyDatasetPrintsTitleAndHeaderOnly_data();
    void emptyDatasetPrintsTitleAndHeaderOnly();
    void columnBoxes_data();
    void columnBoxes();
    void ledgerLongerThanOnePage();
    void ledgerWithDetailsHidden();
    void nullAmountsEmptyZeroAmountsYen_data();
    void nullAmountsEmptyZeroAmountsYen();
    void listPrintsInTheWindowsOrder();
    void amountsFitTheNarrowestMoneyBox_data();
    void amountsFitTheNarrowestMoneyBox();
    void longNamesEndInAnEllipsis_data();
    void longNamesEndInAnEllipsis();
    void totalsAreFiguresNeverCut_data();
    void totalsAreFiguresNeverCut();
    void ledgerAmountsUpToNineDigitsPrintWhole_data();
    void ledgerAmountsUpToNineDigitsPrintWhole();

private:
    std::unique_ptr<ReportFixture> m_fx;
};

namespace {

enum Kind { CustomerLedger, SupplierLedger, ReceivableList, PayableList };

bool isLedger(int kind)
{
    return kind == CustomerLedger || kind == SupplierLedger;
}

// A layout of the given kind over the fixture's datasets, with the period and
// print date set as a window sets them.
struct Printed {
    std::unique_ptr<Dataset> rows;
    std::unique_ptr<Dataset> partner;
    std::unique_ptr<Report> report;
};

Printed makeReport(ReportFixture& fx, int kind, int slips, std::vector<QStringList> listRows = {})
{
    Printed p;
    if (isLedger(kind)) {
        p.rows = fx.ledger(slips, kind == SupplierLedger);
        p.partner = fx.partner(kind == SupplierLedger, "C0001", "青木商店");
        std::unique_ptr<LedgerRptForm> rpt;
        if (kind == CustomerLedger)
            rpt = std::make_unique<TLedgerCustomerRptForm>(*p.rows, *p.partner);
        else
            rpt = std::make_unique<TLedgerSupplierRptForm>(*p.rows, *p.partner);
        rpt->QRLabelDateFrom.setCaption("2024/04/01");
        rpt->QRLabelDateTo.setCaption("2024/04/30");
        p.report = std::move(rpt);
    } else {
        p.rows = fx.list(kind == PayableList, listRows);
        std::unique_ptr<BalanceListRptForm> rpt;
        if (kind == ReceivableList)
            rpt = std::make_unique<TAccountsReceivableListRptForm>(*p.rows);
        else
            rpt = std::make_unique<TAccountsPayableListRptForm>(*p.rows);
        rpt->QRLabelDateFrom.setCaption("2024/04/01");
        rpt->QRLabelDateTo.setCaption("2024/04/30");
        p.report = std::move(rpt);
    }
    p.report->setPrintDate(QDate(2024, 5, 7));
    return p;
}

// Checks one text item of a page: its box (mm on the paper), alignment and weight.
bool textAt(const ReportPage& page, const QString& text, const QRectF& box, Qt::Alignment alignment,
            bool bold, qreal pointSize = 9)
{
    for (const ReportOp& op : page.ops) {
        if (op.kind == ReportOp::Kind::Text && op.text == text && sameBox(op.box, box))
            return op.alignment == alignment && op.font.bold == bold && op.font.pointSize == pointSize;
    }
    qWarning() << "not found at" << box << ":" << text;
    return false;
}

// The header band's items at the top of `page`, whose header band starts at `top`.
bool headerComplete(const ReportPage& page, int kind, qreal top)
{
    const qreal x = 10;
    const qreal period = isLedger(kind) ? 10.6 : 4.2;
    const qreal printLabel = isLedger(kind) ? 241.3 : 154.5;
    bool ok =
        textAt(page, "期間：", {x + 2.1, top + period, 10.8, 3.4}, Qt::AlignLeft, true) &&
        textAt(page, "2024/04/01", {x + 14.8, top + period, 19.3, 3.4}, Qt::AlignHCenter, false) &&
        textAt(page, "～", {x + 36.0, top + period, 6.6, 3.4}, Qt::AlignHCenter, false) &&
        textAt(page, "2024/04/30", {x + 44.5, top + period, 19.3, 3.4}, Qt::AlignHCenter, false) &&
        textAt(page, "印刷日：", {x + printLabel, top + period, 13.0, 3.4}, Qt::AlignLeft, true) &&
        textAt(page, "2024/05/07", {x + printLabel + 14.8, top + period, 19.3, 3.4}, Qt::AlignLeft, false);
    if (kind == CustomerLedger) {
        ok = ok && textAt(page, "顧客コード：", {x + 2.1, top + 4.2, 21.4, 3.4}, Qt::AlignLeft, true) &&
             textAt(page, "C0001", {x + 25.4, top + 4.2, 29.9, 3.4}, Qt::AlignLeft, true) &&
             textAt(page, "青木商店", {x + 57.1, top + 4.2, 53.2, 3.4}, Qt::AlignLeft, true);
    } else if (kind == SupplierLedger) {
        ok = ok && textAt(page, "仕入先コード：", {x + 2.1, top + 4.2, 21.4, 3.4}, Qt::AlignLeft, true) &&
             textAt(page, "C0001", {x + 27.5, top + 4.2, 29.9, 3.4}, Qt::AlignLeft, true) &&
             textAt(page, "青木商店", {x + 59.3, top + 4.2, 53.2, 3.4}, Qt::AlignLeft, true);
    }
    const qreal height = isLedger(kind) ? 24.3 : 16.1;
    const qreal width = isLedger(kind) ? 277 : 190;
    bool rule = false;
    for (const ReportOp* op : opsTagged(page, "rule")) {
        rule = rule ||
               (near(op->box.top() + op->penWidth / 2, top + height) && near(op->penWidth, 2 * 25.4 / 96) &&
                near(op->box.left(), x) && near(op->box.width(), width));
    }
    return ok && rule;
}

}  // namespace

void TestReportLayouts::emptyDatasetPrintsTitleAndHeaderOnly_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::newRow("customer ledger") << int(CustomerLedger) << "顧客元帳" << QPageLayout::Landscape;
    QTest::newRow("supplier ledger") << int(SupplierLedger) << "仕入先元帳" << QPageLayout::Landscape;
    QTest::newRow("receivable list") << int(ReceivableList) << "売掛残高一覧表" << QPageLayout::Portrait;
    QTest::newRow("payable list") << int(PayableList) << "買掛残高一覧表" << QPageLayout::Portrait;
}

void TestReportLayouts::emptyDatasetPrintsTitleAndHeaderOnly()
{
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QPageLayout::Orientation, orientation);
    Printed p = makeReport(*m_fx, kind, 0);
    if (isLedger(kind))
        p.rows->close();  // a ledger not yet displayed holds no rows
    const ReportDocument doc = p.report->paginate();

    QCOMPARE(doc.orientation, orientation);
    QCOMPARE(doc.title, title);
    QCOMPARE(int(doc.pages.size()), 1);
    const ReportPage& page = doc.pages[0];
    QCOMPARE(int(page.bands.size()), 2);
    QCOMPARE(page.bands[0].kind, BandKind::Title);
    QCOMPARE(page.bands[1].kind, BandKind::ColumnHeader);
    QVERIFY(near(page.bands[1].top, 19.3));
    QVERIFY(textAt(page, title, {12.1, 12.1, 38.4, 4.5}, Qt::AlignLeft, true, 12));
    QVERIFY(headerComplete(page, kind, 19.3));
    QCOMPARE(int(opsTagged(page, "rule").size()), 1);  // no detail band, so no thin rule
    QCOMPARE(int(opsTagged(page, "残高").size()), 0);
}

void TestReportLayouts::columnBoxes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("field");
    QTest::addColumn<qreal>("left");
    QTest::addColumn<qreal>("width");
    QTest::addColumn<bool>("right");
    struct Col {
        const char* caption;
        const char* field;
        qreal left, width;
        bool right;
    };
    const Col ledger[] = {
        {"年月日", "表示用年月日", 2.1, 19.3, false}, {"種別", "種別", 23.3, 15.1, false},
        {"区分", "区分", 40.2, 10.8, false},          {"商品名", "商品名", 52.9, 48.9, false},
        {"分類名", "分類名", 103.7, 29.9, false},     {"単価", "単価", 135.5, 13.0, true},
        {"税額", "税額", 150.3, 10.8, true},          {"数量", "数量", 163.0, 13.0, true},
        {"金額", "金額", 177.8, 13.0, true},          {"現金合計", "現金合計", 192.6, 15.1, true},
        {"掛売合計", "掛売合計", 209.6, 15.1, true},  {"入金額", "入金額", 226.5, 15.1, true},
        {"入金合計", "入金合計", 243.4, 15.1, true},  {"残高", "残高", 260.4, 15.1, true},
    };
    const Col supplierOnly[] = {
        {"掛仕合計", "掛仕合計", 209.6, 15.1, true},
        {"支払額", "支払額", 226.5, 15.1, true},
        {"支払合計", "支払合計", 243.4, 15.1, true},
    };
    const Col receivable[] = {
        {"顧客コード", "顧客コード", 0.0, 23.5, false},
        {"顧客名", "顧客名", 25.4, 34.1, false},
        {"繰越残高", "繰越残高", 61.4, 23.5, true},
        {"期間現金売合計", "期間現金売合計", 86.8, 25.7, true},
        {"期間掛売合計", "期間掛売合計", 114.3, 23.5, true},
        {"期間入金合計", "期間入金合計", 139.7, 23.5, true},
        {"残高", "残高", 165.1, 23.5, true},
    };
    const Col payable[] = {
        {"仕入先コード", "仕入先コード", 0.0, 23.5, false},
        {"仕入先名", "仕入先名", 25.4, 34.1, false},
        {"繰越残高", "繰越残高", 61.4, 23.5, true},
        {"期間現金仕合計", "期間現金仕合計", 86.8, 25.7, true},
        {"期間掛仕合計", "期間掛仕合計", 114.3, 23.5, true},
        {"期間支払合計", "期間支払合計", 139.7, 23.5, true},
        {"残高", "残高", 165.1, 23.5, true},
    };
    auto add = [](int kind, const char* layout, const Col& c) {
        QTest::addRow("%s %s", layout, c.caption)
            << kind << QString::fromUtf8(c.caption) << QString::fromUtf8(c.field) << c.left << c.width
            << c.right;
    };
    for (const Col& c : ledger)
        add(CustomerLedger, "customer", c);
    for (const Col& c : ledger) {
        const QString field = QString::fromUtf8(c.field);
        if (field == "掛売合計" || field == "入金額" || field == "入金合計")
            continue;
        add(SupplierLedger, "supplier", c);
    }
    for (const Col& c : supplierOnly)
        add(SupplierLedger, "supplier", c);
    for (const Col& c : receivable)
        add(ReceivableList, "receivable", c);
    for (const Col& c : payable)
        add(PayableList, "payable", c);
}

void TestReportLayouts::columnBoxes()
{
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(QString, field);
    QFETCH(qreal, left);
    QFETCH(qreal, width);
    QFETCH(bool, right);
    Printed p = makeReport(*m_fx, kind, 1, {{"C1", "青木商店", "1", "2", "3", "4", "5"}});
    const ReportDocument doc = p.report->paginate();
    const ReportPage& page = doc.pages[0];
    const qreal captionTop = 19.3 + (isLedger(kind) ? 19.1 : 10.6);
    QVERIFY(textAt(page, caption, {10 + left, captionTop, width, 3.4}, Qt::AlignHCenter, true));

    // One data text per printed row, in the caption's box, 1.3 mm into its band.
    const auto details = bandsOf(page, BandKind::Detail);
    const auto data = opsTagged(page, field);
    QCOMPARE(data.size(), details.size());
    QVERIFY(!data.empty());
    for (size_t i = 0; i < data.size(); ++i) {
        QVERIFY(sameBox(data[i]->box, {10 + left, details[i]->top + 1.3, width, 3.4}));
        QCOMPARE(data[i]->alignment, right ? Qt::AlignRight : Qt::AlignLeft);
        QCOMPARE(data[i]->font, ReportFont::regular(9));
    }
    QVERIFY(near(details[0]->top, 19.3 + (isLedger(kind) ? 24.3 : 16.1)));
}

void TestReportLayouts::ledgerLongerThanOnePage()
{
    // 190 mm of landscape page: 26 rows under title and header, then 28 a page.
    Printed p = makeReport(*m_fx, CustomerLedger, 23);  // 1 + 69 rows
    QCOMPARE(p.rows->count(), 70);
    const ReportDocument doc = p.report->paginate();
    QCOMPARE(int(doc.pages.size()), 3);
    QCOMPARE(countText(doc, "顧客元帳"), 1);
    const QList<int> perPage{26, 28, 16};
    int next = 0;
    for (int i = 0; i < 3; ++i) {
        const ReportPage& page = doc.pages[size_t(i)];
        const qreal headerTop = i == 0 ? 19.3 : 10;
        QVERIFY2(headerComplete(page, CustomerLedger, headerTop), qPrintable(QString("page %1").arg(i + 1)));
        QVERIFY(textAt(page, "年月日", {12.1, headerTop + 19.1, 19.3, 3.4}, Qt::AlignHCenter, true));
        const auto details = bandsOf(page, BandKind::Detail);
        QCOMPARE(int(details.size()), perPage[i]);
        for (size_t d = 0; d < details.size(); ++d) {
            QCOMPARE(details[d]->row, next++);
            QVERIFY(near(details[d]->top, headerTop + 24.3 + 5.8 * qreal(d)));
        }
        QVERIFY(details.back()->top + 5.8 <= 200 + 1e-6);
    }
    // Dataset order: slip 1 and its two lines, slip 2 …
    const QStringList names = textsTagged(doc, "商品名");
    QCOMPARE(names.mid(0, 7), QStringList({"", "", "商品1-1", "商品1-2", "", "商品2-1", "商品2-2"}));
    QCOMPARE(names.last(), QString("商品23-2"));
}

void TestReportLayouts::ledgerWithDetailsHidden()
{
    Printed p = makeReport(*m_fx, CustomerLedger, 5);
    // What "詳細表示" unticked leaves: the rows whose 明細番号 is -1.
    p.rows->setFilter([](const RowRef& r) { return r.field("明細番号").asInt() == -1; });
    p.rows->setFiltered(true);
    const ReportDocument doc = p.report->paginate();
    QCOMPARE(int(doc.pages.size()), 1);
    QCOMPARE(int(bandsOf(doc.pages[0], BandKind::Detail).size()), 6);
    QCOMPARE(textsTagged(doc, "種別"), QStringList({"繰越残高", "掛売", "掛売", "掛売", "掛売", "掛売"}));
    QCOMPARE(textsTagged(doc, "表示用年月日"), QStringList({"2024/04/01", "2024/04/02", "2024/04/03",
                                                            "2024/04/04", "2024/04/05", "2024/04/06"}));
    QCOMPARE(textsTagged(doc, "残高"),
             QStringList({"¥5,000", "¥6,000", "¥8,000", "¥11,000", "¥15,000", "¥20,000"}));
    QVERIFY(!textsTagged(doc, "商品名").join("").contains("商品"));

    p.rows->setFiltered(false);  // ticked again: lines come back between their slips
    QCOMPARE(int(bandsOf(p.report->paginate().pages[0], BandKind::Detail).size()), 16);
}

void TestReportLayouts::nullAmountsEmptyZeroAmountsYen_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    // Ledger row 0 carries forward; row 1 is a credit-sale slip; row 2 its first line.
    QTest::newRow("carried forward: zero cash total") << int(CustomerLedger) << 0 << "現金合計"
                                                      << "¥0";
    QTest::newRow("carried forward: balance") << int(CustomerLedger) << 0 << "残高"
                                              << "¥5,000";
    QTest::newRow("slip row: zero unit price") << int(CustomerLedger) << 1 << "単価"
                                               << "¥0";
    QTest::newRow("slip row: null cash total") << int(CustomerLedger) << 1 << "現金合計"
                                               << "";
    QTest::newRow("slip row: null receipt line") << int(CustomerLedger) << 1 << "入金額"
                                                 << "";
    QTest::newRow("slip row: credit total") << int(CustomerLedger) << 1 << "掛売合計"
                                            << "¥1,000";
    QTest::newRow("detail line: null balance") << int(CustomerLedger) << 2 << "残高"
                                               << "";
    QTest::newRow("detail line: null date") << int(CustomerLedger) << 2 << "表示用年月日"
                                            << "";
    QTest::newRow("detail line: quantity") << int(CustomerLedger) << 2 << "数量"
                                           << "1.00";
    QTest::newRow("supplier detail: null payment") << int(SupplierLedger) << 2 << "支払額"
                                                   << "";
    QTest::newRow("supplier slip: credit total") << int(SupplierLedger) << 1 << "掛仕合計"
                                                 << "¥1,000";
    QTest::newRow("list: zero") << int(ReceivableList) << 0 << "期間現金売合計"
                                << "¥0";
    QTest::newRow("list: null") << int(ReceivableList) << 0 << "期間入金合計"
                                << "";
    QTest::newRow("list: negative") << int(PayableList) << 0 << "残高"
                                    << "-¥1,200";
}

void TestReportLayouts::nullAmountsEmptyZeroAmountsYen()
{
    QFETCH(int, kind);
    QFETCH(int, row);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    Printed p = makeReport(*m_fx, kind, 1, {{"C1", "青木商店", "300", "0", "500", "", "-1200"}});
    const ReportDocument doc = p.report->paginate();
    const auto ops = opsTagged(doc.pages[0], field);
    QVERIFY(row < int(ops.size()));
    QCOMPARE(ops[size_t(row)]->text, expected);
    QCOMPARE(ops[size_t(row)]->background, QColor(Qt::white));  // an empty box stays a box
}

void TestReportLayouts::listPrintsInTheWindowsOrder()
{
    Printed p = makeReport(*m_fx, ReceivableList, 0,
                           {{"C1", "青木商店", "0", "0", "0", "0", "300"},
                            {"C2", "井上商事", "0", "0", "0", "0", "-50"},
                            {"C3", "上田物産", "0", "0", "0", "0", "1200"},
                            {"C4", "江藤商会", "0", "0", "0", "0", ""}});
    p.rows->sortBy({{"残高", true}});
    QCOMPARE(textsTagged(p.report->paginate(), "顧客コード"), QStringList({"C3", "C1", "C2", "C4"}));
    p.rows->sortBy({{"顧客名", false}});
    QStringList held;
    for (int i = 0; i < p.rows->count(); ++i)
        held << p.rows->fieldAt(i, "顧客名").asText();
    const ReportDocument doc = p.report->paginate();
    QCOMPARE(textsTagged(doc, "顧客名"), held);
    QCOMPARE(held.size(), 4);
    // Each line under the one before it.
    const auto details = bandsOf(doc.pages[0], BandKind::Detail);
    for (size_t i = 0; i < details.size(); ++i)
        QVERIFY(near(details[i]->top, 19.3 + 16.1 + 5.8 * qreal(i)));
}

void TestReportLayouts::amountsFitTheNarrowestMoneyBox_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("someOverflow");  // thirteen digits do not fit even at 6 pt
    QTest::newRow("customer ledger") << int(CustomerLedger) << true;
    QTest::newRow("supplier ledger") << int(SupplierLedger) << true;
    QTest::newRow("receivable list") << int(ReceivableList) << false;
    QTest::newRow("payable list") << int(PayableList) << false;
}

void TestReportLayouts::amountsFitTheNarrowestMoneyBox()
{
    QFETCH(int, kind);
    QFETCH(bool, someOverflow);
    ReportItem item;
    for (const ReportBand& band : makeReport(*m_fx, kind, 0).report->layout().bands) {
        for (const ReportItem& i : band.items) {
            if (i.format == DisplayFormat::Money &&
                (item.field.isEmpty() || i.box.width() < item.box.width()))
                item = i;
        }
    }
    item.dataset = item.field = "v";
    ReportLayout layout;
    layout.drivingDataset = "v";
    layout.addBand(BandKind::Detail, 5.8).add(item);
    auto amounts = m_fx->open(  // 1 to 13 digits, each positive and negative
        "WITH RECURSIVE d(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM d WHERE n < 13) "
        "SELECT CAST(substr('9876543210987', 1, n) AS INTEGER) * 10000 * s AS v "
        "FROM d, (SELECT 1 AS s UNION ALL SELECT -1) ORDER BY n, s DESC");
    Report report(std::move(layout));
    report.bindDataset("v", *amounts);
    const ReportDocument doc = report.paginate();
    const auto ops = opsTagged(doc.pages[0], "v");
    QCOMPARE(int(ops.size()), 26);

    TextFitter fitter;
    const qreal box = item.box.width();
    int shrunk = 0;
    size_t marked = 0;
    for (int i = 0; i < 26; ++i) {
        const QString whole = amounts->fieldAt(i, "v").display(DisplayFormat::Money);
        const ReportOp& op = *ops[size_t(i)];
        QVERIFY(sameBox(op.box, item.box.translated(10, 10 + 5.8 * i)) && op.alignment == item.alignment);
        QVERIFY(near(op.baseline, fitter.ascent(item.font), 1e-9));  // on the line of its neighbours
        QVERIFY(op.font.pointSize >= 6 && fitter.width(op.text, op.font) <= box);
        ReportFont larger = op.font;
        larger.pointSize += 0.5;
        if (op.text == whole) {
            shrunk += op.font.pointSize < 9;
            QVERIFY2(op.font.pointSize == 9 || fitter.width(whole, larger) > box, qPrintable(whole));
            continue;
        }
        // Not even at 6 pt: the box is filled with the mark, and the caller hears of it.
        QCOMPARE(op.text, QString(op.text.size(), u'＊'));
        QVERIFY(fitter.width(op.text + u'＊', op.font) > box &&
                fitter.width(whole, ReportFont::regular(6)) > box);
        QVERIFY(marked < doc.overflows.size());
        const ReportOverflow& overflow = doc.overflows[marked++];
        QVERIFY(overflow.page == 0 && overflow.row == i && overflow.tag == "v" && overflow.text == whole);
    }
    QCOMPARE(doc.overflows.size(), marked);
    QVERIFY(shrunk > 0);
    QCOMPARE(marked > 0, someOverflow);
}

void TestReportLayouts::longNamesEndInAnEllipsis_data()
{
    QTest::addColumn<QString>("typed");
    QString fifty = QStringLiteral("株式会社東日本青木商店").repeated(5);
    fifty.truncate(50);
    QTest::newRow("fits at a smaller size") << QStringLiteral("東日本青木商店第一営業部");
    QTest::newRow("fifty characters") << fifty;
    QTest::newRow("beyond the basic plane") << QStringLiteral("𠮷").repeated(25);
    QTest::newRow("combining marks") << QStringLiteral("か\u3099").repeated(30);
}

void TestReportLayouts::longNamesEndInAnEllipsis()
{
    QFETCH(QString, typed);
    Printed p = makeReport(*m_fx, ReceivableList, 0, {{"C1", typed, "0", "0", "0", "0", "0"}});
    const ReportDocument doc = p.report->paginate();
    const ReportOp& op = *opsTagged(doc.pages[0], "顧客名").at(0);
    TextFitter fitter;
    // As printed: a character no installed face draws (𠮷 without fonts-noto-cjk) is the mark.
    std::vector<char32_t> marked;
    const QString name = fitter.printable(typed, op.font, marked);
    const qreal box = op.box.width();
    QVERIFY(fitter.width(op.text, op.font) <= box && doc.overflows.empty());
    ReportFont larger = op.font;
    larger.pointSize += 0.5;
    if (op.text == name) {
        QVERIFY(op.font.pointSize < 9 && fitter.width(name, larger) > box);
        return;
    }
    // At 7 pt, cut between whole characters, and one more would not fit.
    QVERIFY(op.font.pointSize == 7 && op.text.endsWith(u'…'));
    const QString head = op.text.chopped(1);
    QVERIFY(!head.isEmpty() && name.startsWith(head));
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, name);
    graphemes.setPosition(head.size());
    QVERIFY(graphemes.isAtBoundary());
    QVERIFY(fitter.width(name.left(graphemes.toNextBoundary()) + u'…', op.font) > box);
}

void TestReportLayouts::totalsAreFiguresNeverCut_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<qint64>("yen");
    QTest::newRow("receivable, thirteen digits") << int(ReceivableList) << Q_INT64_C(10973931999849);
    QTest::newRow("payable, thirteen digits, negative") << int(PayableList) << Q_INT64_C(-9876543210987);
    QTest::newRow("receivable, fourteen digits") << int(ReceivableList) << Q_INT64_C(98765432109876);
}

void TestReportLayouts::totalsAreFiguresNeverCut()
{
    // The 合計 row's amounts are figures like the lines': smaller, or the mark, never a part.
    QFETCH(int, kind);
    QFETCH(qint64, yen);
    Printed p = makeReport(*m_fx, kind, 0, {{"C1", "青木商店", "0", "0", "0", "0", "0"}});
    auto& list = static_cast<BalanceListRptForm&>(*p.report);
    const QStringList fields =
        kind == ReceivableList
            ? QStringList{"繰越残高", "期間現金売合計", "期間掛売合計", "期間入金合計", "残高"}
            : QStringList{"繰越残高", "期間現金仕合計", "期間掛仕合計", "期間支払合計", "残高"};
    std::vector<std::pair<QString, Money>> totals;
    for (const QString& field : fields)
        totals.emplace_back(field, Money::fromYen(yen));
    list.setTotals(totals);
    const ReportDocument doc = p.report->paginate();
    const QString whole = Field(QVariant::fromValue(Money::fromYen(yen))).display(DisplayFormat::Money);
    TextFitter fitter;
    for (const QString& field : fields) {
        const auto ops = opsTagged(doc.pages[0], BalanceListRptForm::totalName(field));
        QCOMPARE(int(ops.size()), 1);
        const ReportOp& op = *ops[0];
        QVERIFY2(!op.text.contains(u'…'), qPrintable(op.text));
        QVERIFY(op.font.pointSize >= 6 && fitter.width(op.text, op.font) <= op.box.width() + 1e-6);
        if (op.text == whole)
            continue;
        QCOMPARE(op.text, QString(op.text.size(), u'＊'));
        QVERIFY(std::any_of(doc.overflows.begin(), doc.overflows.end(),
                            [&](const ReportOverflow& o) { return o.tag == op.tag && o.text == whole; }));
    }
}

void TestReportLayouts::ledgerAmountsUpToNineDigitsPrintWhole_data()
{
    QTest::addColumn<int>("kind");  // the two partner ledgers, or -1 for the item ledger
    QTest::addColumn<qint64>("yen");
    for (const auto& [kind, name] :
         {std::pair{int(CustomerLedger), "customer"}, {int(SupplierLedger), "supplier"}, {-1, "item"}}) {
        QTest::addRow("%s ledger, eight digits", name) << kind << Q_INT64_C(12345678);
        QTest::addRow("%s ledger, nine digits", name) << kind << Q_INT64_C(999999999);
        QTest::addRow("%s ledger, nine digits negative", name) << kind << Q_INT64_C(-999999999);
    }
}

void TestReportLayouts::ledgerAmountsUpToNineDigitsPrintWhole()
{
    // Every amount column of a line holds the amount: the columns widen for it,
    // the names give the room, nothing prints as the mark.
    QFETCH(int, kind);
    QFETCH(qint64, yen);
    const bool itemLedger = kind < 0;
    const QStringList amounts =
        itemLedger ? QStringList{"単価", "税額", "金額"}
        : kind == SupplierLedger
            ? QStringList{"単価", "税額", "金額", "現金合計", "掛仕合計", "支払額", "支払合計", "残高"}
            : QStringList{"単価", "税額", "金額", "現金合計", "掛売合計", "入金額", "入金合計", "残高"};
    const QStringList quantities =
        itemLedger ? QStringList{"数量", "入出庫数", "在庫数"} : QStringList{"数量"};
    QStringList select{"'2024-04-01' AS 表示用年月日",
                       "'2024-04-01' AS 年月日",
                       "'売上' AS 種別",
                       "'掛売' AS 区分",
                       "'特選品目の長い名前の商品' AS 商品名",
                       "'食品' AS 分類名",
                       "'株式会社東日本青木商店' AS 相手先名"};
    for (const QString& field : amounts)
        select << QStringLiteral("%1 * 10000 AS %2").arg(yen).arg(field);
    for (const QString& field : quantities)
        select << QStringLiteral("123456 * 10000 AS %1").arg(field);
    auto rows = m_fx->open("SELECT " + select.join(", "));
    auto partner = m_fx->partner(kind == SupplierLedger, "C0001", "青木商店");
    auto item = m_fx->open("SELECT 'I1' AS 商品コード, '品物' AS 商品名");
    std::unique_ptr<Report> report;
    if (itemLedger)
        report = std::make_unique<TLedgerItemRptForm>(*rows, *item);
    else if (kind == SupplierLedger)
        report = std::make_unique<TLedgerSupplierRptForm>(*rows, *partner);
    else
        report = std::make_unique<TLedgerCustomerRptForm>(*rows, *partner);
    const ReportDocument doc = report->paginate();
    QVERIFY(doc.overflows.empty());
    const QString whole = Field(QVariant::fromValue(Money::fromYen(yen))).display(DisplayFormat::Money);
    for (const QString& field : amounts)
        QCOMPARE(opsTagged(doc.pages[0], field).at(0)->text, whole);
    // The line's boxes stay in their order, apart, within the page.
    const ReportBand& detail = *report->layout().band(BandKind::Detail);
    for (size_t i = 0; i + 1 < detail.items.size(); ++i)
        QVERIFY(detail.items[i].box.right() < detail.items[i + 1].box.left());
    QVERIFY(detail.items.back().box.right() <= 277);
}

QTEST_MAIN(TestReportLayouts)
#include "tst_reportlayouts.moc"
