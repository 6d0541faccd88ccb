#include "ledgeritemrptform.h"

#include "tabularlayout.h"

using TabularLayout::Column;

ReportLayout TLedgerItemRptForm::buildLayout(const Dataset* rows)
{
    constexpr qreal h = TabularLayout::TextHeight;
    const QString ledger = QStringLiteral("LedgerDataSet");
    const QString item = QStringLiteral("ItemDataSet");
    const QString title = QStringLiteral("商品元帳");

    ReportLayout layout;
    layout.title = title;
    layout.orientation = QPageLayout::Landscape;
    layout.drivingDataset = ledger;
    layout.bands.push_back(TabularLayout::titleBand(title));

    ReportBand header = TabularLayout::headerBand(24.3);
    header.add(ReportItem::fixedText({2.1, 4.2, 21.4, h}, QStringLiteral("商品コード："), Qt::AlignLeft,
                                     ReportFont::bolded()));
    header.add(ReportItem::dataText(item, QStringLiteral("商品コード"), {27.5, 4.2, 29.9, h}, Qt::AlignLeft,
                                    DisplayFormat::Text, ReportFont::bolded()));
    header.add(ReportItem::dataText(item, QStringLiteral("商品名"), {59.3, 4.2, 53.2, h}, Qt::AlignLeft,
                                    DisplayFormat::Text, ReportFont::bolded()));
    TabularLayout::addPeriodLine(header, 10.6, 241.3, 256.1);

    const auto L = Qt::AlignLeft;
    const auto R = Qt::AlignRight;
    const auto M = DisplayFormat::Money;
    const auto Q = DisplayFormat::Quantity;
    std::vector<Column> columns{
        {QStringLiteral("年月日"), QStringLiteral("年月日"), 2.1, 19.3, L, DisplayFormat::Date},
        {QStringLiteral("種別"), QStringLiteral("種別"), 23.3, 27.8, L, DisplayFormat::Text},
        {QStringLiteral("相手先名"), QStringLiteral("相手先名"), 52.9, 65.9, L, DisplayFormat::Text},
        {QStringLiteral("単価"), QStringLiteral("単価"), 120.7, 15.1, R, M},
        {QStringLiteral("税額"), QStringLiteral("税額"), 137.6, 13.0, R, M},
        {QStringLiteral("数量"), QStringLiteral("数量"), 152.4, 15.1, R, Q},
        {QStringLiteral("金額"), QStringLiteral("金額"), 169.3, 17.2, R, M},
        {QStringLiteral("入出庫数"), QStringLiteral("入出庫数"), 188.4, 19.3, R, Q},
        {QStringLiteral("在庫数"), QStringLiteral("在庫数"), 209.6, 19.3, R, Q},
    };
    columns = TabularLayout::widenForFigures(std::move(columns), rows, {QStringLiteral("相手先名")});
    ReportBand detail = TabularLayout::detailBand();
    TabularLayout::addColumns(header, 19.1, detail, ledger, columns);
    layout.bands.push_back(std::move(header));
    layout.bands.push_back(std::move(detail));
    return layout;
}

TLedgerItemRptForm::TLedgerItemRptForm(Dataset& LedgerDataSet, Dataset& ItemDataSet)
    : Report(buildLayout(&LedgerDataSet))
{
    bindDataset(QStringLiteral("LedgerDataSet"), LedgerDataSet);
    bindDataset(QStringLiteral("ItemDataSet"), ItemDataSet);
}
