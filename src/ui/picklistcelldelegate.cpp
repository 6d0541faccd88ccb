#include "picklistcelldelegate.h"

#include <QComboBox>

#include "dataset.h"
#include "dbeditgrid.h"

PickListCellDelegate::PickListCellDelegate(DbEditGrid* grid, PickListSource source, QString targetField)
    : CellDelegate(grid), m_source(std::move(source)), m_target(std::move(targetField))
{
}

void PickListCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    CellDelegate::initStyleOption(option, index);
    // A column that shows the code field itself shows its entry's text.
    if (grid()->datasetModel()->columnSpec(index.column()).field != m_target)
        return;
    const QVariant code = cellValue(index);
    for (const PickListItem& item : m_source.items())
        if (PickListSource::sameCode(item.code, code))
            option->text = item.text;
}

QWidget* PickListCellDelegate::makeEditor(QWidget* parent, const QModelIndex&) const
{
    auto* combo = new QComboBox(parent);
    combo->setFrame(false);
    PickListSource::fill(*combo, m_source.items());
    // A choice is written at once, as in a pick list field.
    connect(combo, &QComboBox::activated, grid(), [grid = grid()] { grid->commitCell(); });
    return combo;
}

void PickListCellDelegate::showValue(QWidget* editor, const QModelIndex& index) const
{
    auto* combo = static_cast<QComboBox*>(editor);
    combo->setCurrentIndex(PickListSource::find(*combo, cellValue(index)));
}

QVariant PickListCellDelegate::editorValue(QWidget* editor) const
{
    auto* combo = static_cast<QComboBox*>(editor);
    return combo->currentIndex() < 0 ? QVariant() : combo->currentData();
}

QVariant PickListCellDelegate::cellValue(const QModelIndex& index) const
{
    const Dataset* ds = grid()->dataset();
    if (!ds || index.row() >= ds->count())
        return {};
    return ds->fieldAt(index.row(), m_target).value();
}

void PickListCellDelegate::writeValue(QAbstractItemModel*, const QModelIndex& index,
                                      const QVariant& value) const
{
    grid()->writeField(index.row(), m_target, value);
}
