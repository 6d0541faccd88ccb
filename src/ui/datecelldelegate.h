#pragma once

#include "celldelegate.h"

// A date cell: the date field with its calendar ("yyyy/MM/dd"). An empty cell
// offers today's date to start from; it is written only when the user types
// into it, picks a day in the calendar or presses Enter, so passing through the
// cell leaves it empty.
class DateCellDelegate : public CellDelegate {
    Q_OBJECT

public:
    using CellDelegate::CellDelegate;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
    QWidget* makeEditor(QWidget* parent, const QModelIndex& index) const override;
    void showValue(QWidget* editor, const QModelIndex& index) const override;
    QVariant editorValue(QWidget* editor) const override;
};
