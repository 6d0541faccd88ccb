#include "ledgerrptform.h"

#include "tabularlayout.h"

using TabularLayout::Column;

const LedgerRptForm::Names& LedgerRptForm::customerNames()
{
    static const Names names{
        QStringLiteral("顧客元帳"),
        QStringLiteral("CustomerDataSet"),
        QStringLiteral("顧客コード："),
        QStringLiteral("顧客コード"),
        QStringLiteral("顧客名"),
        25.4,
        57.1,
        QStringLiteral("掛売合計"),
        QStringLiteral("掛売合計"),
        QStringLiteral("入金額"),
        QStringLiteral("入金額"),
        QStringLiteral("入金合計"),
        QStringLiteral("入金合計"),
    };
    return names;
}

const LedgerRptForm::Names& LedgerRptForm::supplierNames()
{
    static const Names names{
        QStringLiteral("仕入先元帳"),
        QStringLiteral("SupplierDataSet"),
        QStringLiteral("仕入先コード："),
        QStringLiteral("仕入先コード"),
        QStringLiteral("仕入先名"),
        27.5,
        59.3,
        QStringLiteral("掛仕合計"),
        QStringLiteral("掛仕合計"),
        QStringLiteral("支払額"),
        QStringLiteral("支払額"),
        QStringLiteral("支払合計"),
        QStringLiteral("支払合計"),
    };
    return names;
}

ReportLayout LedgerRptForm::buildLayout(const Names& names, const Dataset* rows)
{
    constexpr qreal h = TabularLayout::TextHeight;
    const QString ledger = QStringLiteral("LedgerDataSet");

    ReportLayout layout;
    layout.title = names.title;
    layout.orientation = QPageLayout::Landscape;
    layout.drivingDataset = ledger;
    layout.bands.push_back(TabularLayout::titleBand(names.title));

    ReportBand header = TabularLayout::headerBand(24.3);
    header.add(
        ReportItem::fixedText({2.1, 4.2, 21.4, h}, names.codeCaption, Qt::AlignLeft, ReportFont::bolded()));
    header.add(ReportItem::dataText(names.partnerDataset, names.codeField, {names.codeLeft, 4.2, 29.9, h},
                                    Qt::AlignLeft, DisplayFormat::Text, ReportFont::bolded()));
    header.add(ReportItem::dataText(names.partnerDataset, names.nameField, {names.nameLeft, 4.2, 53.2, h},
                                    Qt::AlignLeft, DisplayFormat::Text, ReportFont::bolded()));
    TabularLayout::addPeriodLine(header, 10.6, 241.3, 256.1);

    const auto L = Qt::AlignLeft;
    const auto R = Qt::AlignRight;
    const auto M = DisplayFormat::Money;
    std::vector<Column> columns{
        {QStringLiteral("年月日"), QStringLiteral("表示用年月日"), 2.1, 19.3, L, DisplayFormat::Date},
        {QStringLiteral("種別"), QStringLiteral("種別"), 23.3, 15.1, L, DisplayFormat::Text},
        {QStringLiteral("区分"), QStringLiteral("区分"), 40.2, 10.8, L, DisplayFormat::Text},
        {QStringLiteral("商品名"), QStringLiteral("商品名"), 52.9, 48.9, L, DisplayFormat::Text},
        {QStringLiteral("分類名"), QStringLiteral("分類名"), 103.7, 29.9, L, DisplayFormat::Text},
        {QStringLiteral("単価"), QStringLiteral("単価"), 135.5, 13.0, R, M},
        {QStringLiteral("税額"), QStringLiteral("税額"), 150.3, 10.8, R, M},
        {QStringLiteral("数量"), QStringLiteral("数量"), 163.0, 13.0, R, DisplayFormat::Quantity},
        {QStringLiteral("金額"), QStringLiteral("金額"), 177.8, 13.0, R, M},
        {QStringLiteral("現金合計"), QStringLiteral("現金合計"), 192.6, 15.1, R, M},
        {names.creditTotalCaption, names.creditTotalField, 209.6, 15.1, R, M},
        {names.payLineCaption, names.payLineField, 226.5, 15.1, R, M},
        {names.payTotalCaption, names.payTotalField, 243.4, 15.1, R, M},
        {QStringLiteral("残高"), QStringLiteral("残高"), 260.4, 15.1, R, M},
    };
    columns = TabularLayout::widenForFigures(std::move(columns), rows,
                                             {QStringLiteral("商品名"), QStringLiteral("分類名")});
    ReportBand detail = TabularLayout::detailBand();
    TabularLayout::addColumns(header, 19.1, detail, ledger, columns);
    layout.bands.push_back(std::move(header));
    layout.bands.push_back(std::move(detail));
    return layout;
}

LedgerRptForm::LedgerRptForm(const Names& names, Dataset& ledger, Dataset& partner)
    : Report(buildLayout(names, &ledger))
{
    bindDataset(QStringLiteral("LedgerDataSet"), ledger);
    bindDataset(names.partnerDataset, partner);
}
