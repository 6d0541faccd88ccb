#include "balancelistrptform.h"

#include "tabularlayout.h"

using TabularLayout::Column;

const BalanceListRptForm::Names& BalanceListRptForm::receivableNames()
{
    static const Names names{
        QStringLiteral("売掛残高一覧表"), QStringLiteral("顧客コード"),   QStringLiteral("顧客名"),
        QStringLiteral("期間現金売合計"), QStringLiteral("期間掛売合計"), QStringLiteral("期間入金合計"),
    };
    return names;
}

const BalanceListRptForm::Names& BalanceListRptForm::payableNames()
{
    static const Names names{
        QStringLiteral("買掛残高一覧表"), QStringLiteral("仕入先コード"), QStringLiteral("仕入先名"),
        QStringLiteral("期間現金仕合計"), QStringLiteral("期間掛仕合計"), QStringLiteral("期間支払合計"),
    };
    return names;
}

ReportLayout BalanceListRptForm::buildLayout(const Names& names)
{
    const QString list = QStringLiteral("ListDataSet");

    ReportLayout layout;
    layout.title = names.title;
    layout.orientation = QPageLayout::Portrait;
    layout.drivingDataset = list;
    layout.bands.push_back(TabularLayout::titleBand(names.title));

    ReportBand header = TabularLayout::headerBand(16.1);
    TabularLayout::addPeriodLine(header, 4.2, 154.5, 169.3);

    const auto L = Qt::AlignLeft;
    const auto R = Qt::AlignRight;
    const auto M = DisplayFormat::Money;
    const auto B = DisplayFormat::Balance;  // the balances, rounded as the ledger rounds them
    const std::vector<Column> columns{
        {names.codeField, names.codeField, 0.0, 23.5, L, DisplayFormat::Text},
        {names.nameField, names.nameField, 25.4, 34.1, L, DisplayFormat::Text},
        {QStringLiteral("繰越残高"), QStringLiteral("繰越残高"), 61.4, 23.5, R, B},
        {names.cashField, names.cashField, 86.8, 25.7, R, M},
        {names.creditField, names.creditField, 114.3, 23.5, R, M},
        {names.payField, names.payField, 139.7, 23.5, R, M},
        {QStringLiteral("残高"), QStringLiteral("残高"), 165.1, 23.5, R, B},
    };
    ReportBand detail = TabularLayout::detailBand();
    TabularLayout::addColumns(header, 10.6, detail, list, columns);

    // 合計: under the name column its caption, under each money column its sum.
    ReportBand summary;
    summary.kind = BandKind::Summary;
    summary.height = TabularLayout::DetailBandHeight;
    summary.rule = BandRule::Thin;
    const Column& nameColumn = columns[1];
    summary.add(ReportItem::fixedText(
        {nameColumn.left, TabularLayout::DataTop, nameColumn.width, TabularLayout::TextHeight},
        QStringLiteral("合計"), Qt::AlignLeft, ReportFont::bolded()));
    for (const Column& column : columns) {
        if (column.format != M && column.format != B)
            continue;
        summary.add(ReportItem::namedText(
            totalName(column.field),
            {column.left, TabularLayout::DataTop, column.width, TabularLayout::TextHeight}, R,
            ReportFont::bolded(), {}, column.format));
    }
    layout.bands.push_back(std::move(header));
    layout.bands.push_back(std::move(detail));
    layout.bands.push_back(std::move(summary));
    return layout;
}

void BalanceListRptForm::setTotals(const std::vector<std::pair<QString, Money>>& totals)
{
    for (const auto& [field, sum] : totals) {
        if (!m_printed.contains(field))
            continue;
        const bool balance = field == QStringLiteral("繰越残高") || field == QStringLiteral("残高");
        setText(
            totalName(field),
            Field(QVariant::fromValue(sum)).display(balance ? DisplayFormat::Balance : DisplayFormat::Money));
    }
}

BalanceListRptForm::BalanceListRptForm(const Names& names, Dataset& list)
    : Report(buildLayout(names)),
      m_printed{QStringLiteral("繰越残高"), names.cashField, names.creditField, names.payField,
                QStringLiteral("残高")}
{
    bindDataset(QStringLiteral("ListDataSet"), list);
}
