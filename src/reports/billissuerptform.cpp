#include "billissuerptform.h"

namespace {

const QString kList = QStringLiteral("ListDataSet");
const QString kDetail = QStringLiteral("DetailDataSet");
const QString kCompany = QStringLiteral("CompanyDataSet");
const QString kPostal = QStringLiteral("郵便番号表示");

constexpr auto L = Qt::AlignLeft;
constexpr auto R = Qt::AlignRight;
constexpr auto C = Qt::AlignHCenter;

// The light grey of the caption rows.
const QColor kSilver(192, 192, 192);

constexpr qreal TextHeight = 3.4;
constexpr qreal TableLeft = 6.3;
constexpr qreal TableWidth = 178.1;

// A caption drawn on a grey row: the grey shows round the letters.
ReportItem onGrey(ReportItem item)
{
    item.background = Qt::transparent;
    return item;
}

ReportItem wrapped(ReportItem item)
{
    item.wordWrap = true;
    return item;
}

struct LineColumn {
    QString caption;
    QString field;
    qreal left;
    qreal width;
    Qt::Alignment alignment;
    DisplayFormat format;
};

const std::vector<LineColumn>& lineColumns()
{
    static const std::vector<LineColumn> columns{
        {QStringLiteral("売上年月日"), QStringLiteral("売上年月日"), 8.5, 19.3, L, DisplayFormat::Date},
        {QStringLiteral("伝票番号"), QStringLiteral("伝票番号"), 29.6, 15.1, R, DisplayFormat::Integer},
        {QStringLiteral("商品名"), QStringLiteral("商品名"), 46.6, 40.5, L, DisplayFormat::Text},
        {QStringLiteral("単価"), QStringLiteral("単価"), 88.9, 17.2, R, DisplayFormat::Money},
        {QStringLiteral("税額"), QStringLiteral("税額"), 108.0, 17.2, R, DisplayFormat::Money},
        {QStringLiteral("数量"), QStringLiteral("数量"), 127.0, 17.2, R, DisplayFormat::Quantity},
        {QStringLiteral("単位"), QStringLiteral("単位"), 146.1, 17.2, L, DisplayFormat::Text},
        {QStringLiteral("金額"), QStringLiteral("金額"), 165.1, 17.2, R, DisplayFormat::Money},
    };
    return columns;
}

// The rules between the columns of the line table.
constexpr qreal kLineRules[] = {28.6, 45.5, 87.8, 106.9, 125.9, 145.0, 164.0};

void addHeading(ReportBand& band)
{
    band.add(ReportItem::fixedText({84.9, 2.1, 20.1, 6.6}, QStringLiteral("請求書"), L, {18, true, true}));
    band.add(ReportItem::namedText(QStringLiteral("QRLabelDate"), {148.2, 7.1, 38.4, 4.2}, R,
                                   ReportFont::regular(11), {}, DisplayFormat::Date));

    // The customer.
    band.add(ReportItem::fixedText({4.2, 14.8, 4.0, TextHeight}, QStringLiteral("〒"), L));
    band.add(ReportItem::dataText(kList, kPostal, {8.5, 14.8, 18.0, TextHeight}, L));
    band.add(wrapped(ReportItem::dataText(kList, QStringLiteral("住所"), {8.5, 19.1, 68.0, 8.7}, L)));
    band.add(ReportItem::dataText(kList, QStringLiteral("顧客名"), {4.2, 29.6, 59.5, 4.5}, L,
                                  DisplayFormat::Text, ReportFont::bolded(11)));
    band.add(
        ReportItem::fixedText({67.7, 29.6, 9.8, 4.5}, QStringLiteral("御中"), L, ReportFont::bolded(11)));
    band.add(ReportItem::horizontalLine({4.2, 34.4, 73.3, 0}));

    // The company, in its frame.
    band.add(ReportItem::rectangle({120.7, 12.7, 65.9, 44.7}));
    band.add(ReportItem::dataImage(kCompany, QStringLiteral("会社ロゴ"), {122.8, 14.8, 33.9, 16.9}));
    band.add(ReportItem::fixedText({122.8, 33.9, 4.0, TextHeight}, QStringLiteral("〒"), L));
    band.add(ReportItem::dataText(kCompany, kPostal, {127.0, 33.9, 17.2, TextHeight}, L));
    band.add(wrapped(ReportItem::dataText(kCompany, QStringLiteral("住所"), {127.0, 38.1, 57.4, 8.7}, L)));
    band.add(ReportItem::fixedText({122.8, 48.4, 8.2, TextHeight}, QStringLiteral("TEL："), L));
    band.add(ReportItem::dataText(kCompany, QStringLiteral("電話番号"), {131.2, 48.7, 53.2, TextHeight}, L));
    band.add(ReportItem::dataText(kCompany, QStringLiteral("会社名"), {122.8, 52.9, 61.6, 3.7}, L,
                                  DisplayFormat::Text, ReportFont::bolded(10)));

    band.add(ReportItem::fixedText({6.3, 62.2, 100.0, TextHeight}, TBillIssueRptForm::Request, L));

    // The amounts: a grey caption row over a white value row.
    band.add(ReportItem::rectangle({TableLeft, 66.7, TableWidth, 5.6}, kSilver));
    band.add(ReportItem::rectangle({TableLeft, 72.0, TableWidth, 5.6}, Qt::white));
    for (const qreal x : {51.3, 96.0, 140.5})
        band.add(ReportItem::verticalLine({x, 66.7, 0, 10.8}));
    struct Amount {
        qreal left;
        QString caption;
        QString field;
        bool bold;
    };
    const Amount amounts[] = {
        {10.6, QStringLiteral("前月繰越残高"), QStringLiteral("前月迄売掛残高"), false},
        {55.0, QStringLiteral("今月以降入金額"), QStringLiteral("今月以降入金額"), false},
        {99.5, QStringLiteral("今月掛売額"), QStringLiteral("今月掛売合計"), false},
        {143.9, QStringLiteral("今月請求額"), QStringLiteral("今月請求額"), true},
    };
    for (const Amount& a : amounts) {
        const ReportFont font{9, a.bold, false};
        band.add(onGrey(ReportItem::fixedText({a.left, 67.7, 38.4, TextHeight}, a.caption, C, font)));
        band.add(ReportItem::dataText(kList, a.field, {a.left, 73.0, 38.4, TextHeight}, R,
                                      DisplayFormat::Balance, font));
    }

    // The caption row of the line table.
    band.add(ReportItem::fixedText({8.5, 79.6, 30.0, TextHeight}, QStringLiteral("今月掛売明細"), L));
    band.add(ReportItem::rectangle({TableLeft, 84.1, TableWidth, 5.6}, kSilver));
    for (const qreal x : kLineRules)
        band.add(ReportItem::verticalLine({x, 84.4, 0, 5.0}));
    for (const LineColumn& c : lineColumns())
        band.add(onGrey(ReportItem::fixedText({c.left, 85.2, c.width, TextHeight}, c.caption, C)));
}

void addLine(ReportBand& band)
{
    for (const LineColumn& c : lineColumns())
        band.add(ReportItem::dataText(kDetail, c.field, {c.left, 1.1, c.width, TextHeight}, c.alignment,
                                      c.format));
    band.add(ReportItem::verticalLine({TableLeft, 0, 0, band.height}));
    for (const qreal x : kLineRules)
        band.add(ReportItem::verticalLine({x, 0, 0, band.height}));
    band.add(ReportItem::verticalLine({TableLeft + TableWidth, 0, 0, band.height}));
    band.add(ReportItem::horizontalLine({TableLeft, 5.3, TableWidth, 0}));
}

}  // namespace

ReportLayout TBillIssueRptForm::buildLayout()
{
    ReportLayout layout;
    layout.title = QStringLiteral("請求書");
    layout.orientation = QPageLayout::Portrait;
    layout.drivingDataset = kList;

    ReportBand& heading = layout.addBand(BandKind::Detail, 89.7);
    heading.newPageBefore = true;
    addHeading(heading);

    // The lines follow the list's current row (the window's master link), so
    // the band names no link fields.
    ReportBand& lines = layout.addBand(BandKind::SubDetail, 5.6);
    lines.dataset = kDetail;
    addLine(lines);

    // Every page names its bill, so that a page out of its envelope finds its
    // place: the customer, the billing date and the page among the bill's pages.
    ReportBand& top = layout.addBand(BandKind::PageHeader, 5.0);
    ReportItem customer = ReportItem::dataText(kList, QStringLiteral("顧客名"), {6.3, 0.8, 100.0, 3.0}, L,
                                               DisplayFormat::Text, ReportFont::regular(PageHeaderPointSize));
    customer.name = PageCustomer;
    top.add(std::move(customer));
    top.add(ReportItem::namedText(QStringLiteral("QRLabelDate"), {110.0, 0.8, 50.0, 3.0}, R,
                                  ReportFont::regular(PageHeaderPointSize), {}, DisplayFormat::Date));
    ReportItem page = ReportItem::pageNumber({164.0, 0.8, 20.4, 3.0}, R, QStringLiteral("%3 / %4"),
                                             ReportFont::regular(PageHeaderPointSize));
    page.name = PageOfBill;
    top.add(std::move(page));

    ReportBand& footer = layout.addBand(BandKind::PageFooter, 10.6);
    footer.add(ReportItem::fixedText({65.6, 5.0, 19.3, 4.2}, QStringLiteral("振込口座"), L,
                                     ReportFont::regular(11)));
    footer.add(ReportItem::namedText(QStringLiteral("QRLabelBank"), {86.8, 5.0, 99.7, 4.2}, L,
                                     ReportFont::regular(11)));
    return layout;
}

TBillIssueRptForm::TBillIssueRptForm(Dataset& ListDataSet, Dataset& DetailDataSet, Dataset& CompanyDataSet)
    : Report(buildLayout())
{
    bindDataset(kList, ListDataSet);
    bindDataset(kDetail, DetailDataSet);
    bindDataset(kCompany, CompanyDataSet);
}
