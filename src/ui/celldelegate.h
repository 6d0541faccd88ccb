#pragma once

#include "griddelegate.h"

class DbEditGrid;
class QFocusEvent;
class QKeyEvent;

// The editor of a text or number cell of an editable grid, and the base of the
// other cell kinds. A cell's value is written only when the user changed it, so
// opening a cell and leaving it keeps a new row "untouched". The keys that mean
// something to the grid (Enter, Escape, the arrows up and down, Tab, Insert,
// Ctrl+Delete) go to the grid, which writes the cell first; leaving the cell
// writes it too. Number cells show the plain number while typing; text that is
// not a number is refused by the grid's model.
class CellDelegate : public GridDelegate {
    Q_OBJECT

public:
    explicit CellDelegate(DbEditGrid* grid);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

    // What a cell kind does: its editor, showing the cell in it, the value the
    // editor holds, the cell's current value (to see whether anything changed)
    // and writing a changed value.
    virtual QWidget* makeEditor(QWidget* parent, const QModelIndex& index) const;
    virtual void showValue(QWidget* editor, const QModelIndex& index) const;
    virtual QVariant editorValue(QWidget* editor) const;
    virtual QVariant cellValue(const QModelIndex& index) const;
    virtual void writeValue(QAbstractItemModel* model, const QModelIndex& index, const QVariant& value) const;

    DbEditGrid* grid() const { return m_grid; }
    static bool sameValue(const QVariant& a, const QVariant& b);

private:
    DbEditGrid* m_grid;
};
