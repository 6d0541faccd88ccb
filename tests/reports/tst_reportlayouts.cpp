#include <QTest>

#include "accountspayablelistrptform.h"
#include "accountsreceivablelistrptform.h"
#include "ledgercustomerrptform.h"
#include "ledgersupplierrptform.h"
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

QTEST_MAIN(TestReportLayouts)
#include "tst_reportlayouts.moc"
