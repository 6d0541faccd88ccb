#pragma once

#include "celldelegate.h"

// A number cell of an editable grid shown as the plain decimal it holds (a tax
// rate reads "0.05", "0.1", "0.035"), not rounded to a display format. Typing
// works as in every other number cell.
class DecimalCellDelegate : public CellDelegate {
    Q_OBJECT

public:
    explicit DecimalCellDelegate(DbEditGrid* grid);

    // The text the cell shows.
    QString shownText(const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
