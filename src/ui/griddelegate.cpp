#include "griddelegate.h"

#include "dbgrid.h"

GridDelegate::GridDelegate(DbGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

void GridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    m_grid->decorateCell(option, index);
}
