#include "itemstocklistrptform.h"

#include "tabularlayout.h"

using TabularLayout::Column;

ReportLayout TItemStockListRptForm::buildLayout()
{
    const QString list = QStringLiteral("ListDataSet");
    const QString title = QStringLiteral("商品在庫一覧表");

    ReportLayout layout;
    layout.title = title;
    layout.orientation = QPageLayout::Portrait;
    layout.drivingDataset = list;
    layout.bands.push_back(TabularLayout::titleBand(title));

    ReportBand header = TabularLayout::headerBand(16.1);
    TabularLayout::addPeriodLine(header, 4.2, 154.5, 169.3);

    const auto L = Qt::AlignLeft;
    const auto R = Qt::AlignRight;
    const auto Q = DisplayFormat::Quantity;
    const std::vector<Column> columns{
        {QStringLiteral("商品コード"), QStringLiteral("商品コード"), 0.0, 23.5, L, DisplayFormat::Text},
        {QStringLiteral("商品名"), QStringLiteral("商品名"), 25.4, 34.1, L, DisplayFormat::Text},
        {QStringLiteral("繰越数量"), QStringLiteral("繰越数量"), 61.4, 23.5, R, Q},
        {QStringLiteral("期間入庫数"), QStringLiteral("期間入庫数"), 86.8, 23.5, R, Q},
        {QStringLiteral("期間出庫数"), QStringLiteral("期間出庫数"), 112.2, 23.5, R, Q},
        {QStringLiteral("在庫数"), QStringLiteral("在庫数"), 137.6, 23.5, R, Q},
    };
    ReportBand detail = TabularLayout::detailBand();
    TabularLayout::addColumns(header, 10.6, detail, list, columns);
    layout.bands.push_back(std::move(header));
    layout.bands.push_back(std::move(detail));
    return layout;
}

TItemStockListRptForm::TItemStockListRptForm(Dataset& ListDataSet) : Report(buildLayout())
{
    bindDataset(QStringLiteral("ListDataSet"), ListDataSet);
}
