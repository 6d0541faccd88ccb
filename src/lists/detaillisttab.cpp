#include "detaillisttab.h"

#include <QAction>
#include <QPalette>

#include "csvwriter.h"
#include "dataset.h"
#include "dbgrid.h"
#include "gridreport.h"
#include "messageboxes.h"
#include "report.h"

DetailListTab::DetailListTab(Connection& connection, const PartnerSide& side, const Names& names,
                             DbGrid* grid, SlipOpener opener)
    : m_list(connection, side, names.arrangement),
      m_names(names),
      m_grid(grid),
      m_opener(opener),
      m_columns(columnsOf(side, names.arrangement))
{
    m_grid->setDataset(m_list.dataset(), m_columns);
    m_grid->setSortable(false);
    m_grid->setRowPainter([this](const RowRef&, int row) -> QVariant {
        const QColor color = rowBackground(row, m_grid->palette());
        return color.isValid() ? QVariant(color) : QVariant();
    });
}

DetailListTab::~DetailListTab() = default;

QList<ColumnSpec> DetailListTab::columnsOf(const PartnerSide& side, DetailList::Arrangement arrangement)
{
    constexpr auto L = Qt::AlignLeft | Qt::AlignVCenter;
    constexpr auto R = Qt::AlignRight | Qt::AlignVCenter;
    constexpr auto T = DisplayFormat::Text, D = DisplayFormat::Date, I = DisplayFormat::Integer,
                   M = DisplayFormat::Money, Q = DisplayFormat::Quantity;
    const QList<ColumnSpec> amounts{{"単価", "単価", 80, R, M},
                                    {"税額", "税額", 64, R, M},
                                    {"数量", "数量", 72, R, Q},
                                    {"金額", "金額", 88, R, M}};
    QList<ColumnSpec> columns;
    switch (arrangement) {
        case DetailList::Arrangement::BySlip:
            columns = {{"表示用年月日", side.goodsDateColumn, 80, L, D},
                       {"表示用伝票番号", "伝票番号", 64, R, I},
                       {side.nameColumn, side.nameColumn, 150, L, T},
                       {"区分", "区分", 48, L, T},
                       {"商品名", "商品名", 170, L, T},
                       {"分類名", "分類名", 90, L, T}};
            columns += amounts;
            columns += ColumnSpec{"伝票合計", "伝票合計", 92, R, M};
            break;
        case DetailList::Arrangement::ByItem:
            columns = {{"表示用商品コード", "商品コード", 100, L, T},
                       {"商品名", "商品名", 170, L, T},
                       {side.goodsDateColumn, side.goodsDateColumn, 80, L, D},
                       {"伝票番号", "伝票番号", 64, R, I}};
            columns += amounts;
            columns += ColumnSpec{"表示用合計", "商品別合計", 96, R, M};
            break;
        case DetailList::Arrangement::ByCustomer:
            columns = {{"表示用" + side.codeColumn, side.codeColumn, 100, L, T},
                       {side.nameColumn, side.nameColumn, 150, L, T},
                       {"表示用" + side.goodsDateColumn, side.goodsDateColumn, 80, L, D},
                       {"表示用伝票番号", "伝票番号", 64, R, I},
                       {"商品名", "商品名", 170, L, T}};
            columns += amounts;
            columns += ColumnSpec{"伝票合計", "伝票合計", 92, R, M};
            columns += ColumnSpec{"表示用合計", side.label + "別合計", 96, R, M};
            break;
    }
    for (ColumnSpec& c : columns)
        c.readOnly = true;
    return columns;
}

void DetailListTab::build(const Period& period)
{
    m_list.build(period);
    m_period = period;
}

bool DetailListTab::hasRows() const
{
    return dataset().isOpen() && !dataset().isEmpty();
}

void DetailListTab::updateActions()
{
    const bool rows = hasRows();
    disp->setEnabled(rows);
    print->setEnabled(rows);
}

QColor DetailListTab::rowBackground(int row, const QPalette& palette) const
{
    if (row < 0 || row >= dataset().count())
        return {};
    switch (m_list.lineNoAt(row)) {
        case DetailList::GroupRow:
            return palette.color(QPalette::Button);
        case DetailList::CustomerRow:
            return CustomerRowColor;
        default:
            return {};
    }
}

void DetailListTab::showSlip(QWidget* owner)
{
    const int row = dataset().currentRow();
    if (row < 0)
        return;
    const int slipNo = m_list.slipNoAt(row);
    const bool noSlip = m_names.arrangement == DetailList::Arrangement::ByItem
                            ? m_list.lineNoAt(row) == DetailList::GroupRow
                            : m_list.lineNoAt(row) == DetailList::CustomerRow;
    if (noSlip) {
        MessageBoxes::plain(owner, m_names.noSlipMessage);
        return;
    }
    m_opener(owner, QString::number(slipNo));
}

void DetailListTab::printList(QWidget* owner, const ReportPreview& preview)
{
    const QPalette palette = m_grid->palette();
    const std::unique_ptr<Report> report =
        gridReport({m_names.printTitle, [this, palette](int row) { return rowBackground(row, palette); }},
                   dataset(), m_columns);
    report->setText(QStringLiteral("QRLabelDateFrom"), m_period.fromText());
    report->setText(QStringLiteral("QRLabelDateTo"), m_period.toText());
    preview(owner, *report);
}

QString DetailListTab::csvFileName() const
{
    return CsvWriter::proposedFileName(m_names.printTitle, {}, m_period.from, m_period.to);
}
