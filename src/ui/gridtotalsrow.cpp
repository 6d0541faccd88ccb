#include "gridtotalsrow.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

GridTotalsRow::GridTotalsRow(QTableView* grid, QWidget* parent) : QTableWidget(parent), m_grid(grid)
{
    setRowCount(1);
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);  // as the grid's last column
    verticalHeader()->hide();
    setFocusPolicy(Qt::NoFocus);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalHeader()->setDefaultSectionSize(grid->verticalHeader()->defaultSectionSize());
    setFixedHeight(verticalHeader()->defaultSectionSize() + 2 * frameWidth());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    QHeaderView* header = grid->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, [this] { followColumns(); });
    connect(header, &QHeaderView::sectionCountChanged, this, [this] { followColumns(); });
    connect(header, &QHeaderView::geometriesChanged, this, [this] { followColumns(); });
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, horizontalScrollBar(),
            &QScrollBar::setValue);
    followColumns();
}

void GridTotalsRow::followColumns()
{
    const QHeaderView* header = m_grid->horizontalHeader();
    if (columnCount() != header->count())
        setColumnCount(header->count());
    for (int column = 0; column < header->count(); ++column) {
        setColumnHidden(column, header->isSectionHidden(column));
        setColumnWidth(column, header->sectionSize(column));
    }
    // The strip's right end lines up with the grid's viewport, not its scroll bar.
    const int scrollBar = m_grid->verticalScrollBar()->isVisible() ? m_grid->verticalScrollBar()->width() : 0;
    setViewportMargins(0, 0, scrollBar, 0);
    horizontalScrollBar()->setRange(m_grid->horizontalScrollBar()->minimum(),
                                    m_grid->horizontalScrollBar()->maximum());
    horizontalScrollBar()->setValue(m_grid->horizontalScrollBar()->value());
}

void GridTotalsRow::setCellText(int column, const QString& text, Qt::Alignment alignment)
{
    followColumns();
    if (column < 0 || column >= columnCount())
        return;
    auto* cell = item(0, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        QFont bold = font();
        bold.setBold(true);
        cell->setFont(bold);
        setItem(0, column, cell);
    }
    cell->setText(text);
    cell->setTextAlignment(alignment);
    // A sum wider than its column widens the grid's column; the strip follows.
    const int needed = QFontMetrics(cell->font()).horizontalAdvance(text) + 12;
    QHeaderView* header = m_grid->horizontalHeader();
    if (header->sectionSize(column) < needed && column != header->count() - 1)
        header->resizeSection(column, needed);
}

QString GridTotalsRow::cellText(int column) const
{
    const QTableWidgetItem* cell = item(0, column);
    return cell ? cell->text() : QString();
}

void GridTotalsRow::clearTexts()
{
    for (int column = 0; column < columnCount(); ++column)
        if (QTableWidgetItem* cell = item(0, column))
            cell->setText(QString());
}
