#pragma once

#include "celldelegate.h"
#include "picklistsource.h"

// A drop-down cell: choosing an entry (code and name) writes its code into the
// row's `targetField` at once. The column may show that code field itself (the
// cell then shows code and name) or a looked-up display field of the dataset
// (the item category "0001 食品"). Alt+Down (or F4) opens the list, and a
// choice made in it is written at once; typing the first characters of an entry
// chooses it, written when the cell is confirmed or left (so typing "0002" does
// not write "0001" on the way).
class PickListCellDelegate : public CellDelegate {
    Q_OBJECT

public:
    PickListCellDelegate(DbEditGrid* grid, PickListSource source, QString targetField);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    QWidget* makeEditor(QWidget* parent, const QModelIndex& index) const override;
    void showValue(QWidget* editor, const QModelIndex& index) const override;
    QVariant editorValue(QWidget* editor) const override;
    QVariant cellValue(const QModelIndex& index) const override;
    void writeValue(QAbstractItemModel* model, const QModelIndex& index,
                    const QVariant& value) const override;

private:
    PickListSource m_source;
    QString m_target;
};
