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
      m_columns(DetailList::columns(side, names.arrangement))
{
    m_grid->setDataset(m_list.dataset(), m_columns);
    m_grid->setSortable(false);
    m_grid->setRowPainter([this](const RowRef&, int row) -> QVariant {
        const QColor color = rowBackground(row, m_grid->palette());
        return color.isValid() ? QVariant(color) : QVariant();
    });
}

DetailListTab::~DetailListTab() = default;

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
    return rowBackground(m_list, row, palette);
}

QColor DetailListTab::rowBackground(const DetailList& list, int row, const QPalette& palette)
{
    if (row < 0 || row >= list.dataset().count())
        return {};
    switch (list.lineNoAt(row)) {
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

std::unique_ptr<Report> DetailListTab::makePrint() const
{
    return makePrint(m_list, m_names.printTitle, m_period);
}

std::unique_ptr<Report> DetailListTab::makePrint(const DetailList& list, const QString& title,
                                                 const Period& period)
{
    QPalette palette;
    palette.setColor(QPalette::Button, GridReport::shade());
    std::unique_ptr<Report> report =
        gridReport({title, [&list, palette](int row) { return rowBackground(list, row, palette); }},
                   list.dataset(), DetailList::columns(list.side(), list.arrangement()));
    report->setPeriodTexts(period.fromText(), period.toText());
    return report;
}

QString DetailListTab::csvFileName() const
{
    return fileName(m_names.printTitle, m_period);
}

QString DetailListTab::fileName(const QString& title, const Period& period)
{
    return CsvWriter::proposedFileName(title, {}, period.from, period.to);
}
