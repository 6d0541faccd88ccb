#include "decimalcelldelegate.h"

#include "dbeditgrid.h"

DecimalCellDelegate::DecimalCellDelegate(DbEditGrid* grid) : CellDelegate(grid) {}

QString DecimalCellDelegate::shownText(const QModelIndex& index) const
{
    // A number column's edit value is the plain number, exactly as stored.
    return index.data(Qt::EditRole).toString();
}

void DecimalCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    CellDelegate::initStyleOption(option, index);
    option->text = shownText(index);
}
