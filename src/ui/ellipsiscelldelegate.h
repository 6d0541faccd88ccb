#pragma once

#include "celldelegate.h"

// A cell with an ellipsis button (the item code of a slip line): the code may
// be typed, and the button, shown in the current cell, asks the window to open
// its lookup dialog (DbEditGrid::ellipsisClicked). Alt+Down (or F4) does the same
// from the keyboard.
class EllipsisCellDelegate : public CellDelegate {
    Q_OBJECT

public:
    using CellDelegate::CellDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    // Where the button of a cell is drawn.
    static QRect buttonRect(const QRect& cell);

protected:
    QWidget* makeEditor(QWidget* parent, const QModelIndex& index) const override;
};
