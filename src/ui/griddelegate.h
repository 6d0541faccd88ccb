#pragma once

#include <QStyledItemDelegate>

class DbGrid;

// Draws the cells of a grid with what the window asked for beyond the row's
// background: a column's text colour (the grey columns of a ledger) and single
// cells' backgrounds (the total column of a summary). The selected row keeps
// the selection look.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit GridDelegate(DbGrid* grid);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    DbGrid* m_grid;
};
