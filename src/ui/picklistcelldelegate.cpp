#include "picklistcelldelegate.h"

#include <QComboBox>
#include <QKeyEvent>

#include "dataset.h"
#include "dbeditgrid.h"

namespace {

const char* const Typing = "corvintaTyping";

}  // namespace

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
    connect(combo, &QComboBox::activated, grid(), [grid = grid(), combo] {
        if (!combo->property(Typing).toBool())
            grid->commitCell();
    });
    return combo;
}

bool PickListCellDelegate::eventFilter(QObject* object, QEvent* event)
{
    // Whether the entry is being chosen by typing its first characters.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        object->setProperty(Typing, !key->text().isEmpty() && key->text().at(0).isPrint() &&
                                        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)));
    } else if (event->type() == QEvent::MouseButtonPress) {
        object->setProperty(Typing, false);
    }
    return CellDelegate::eventFilter(object, event);
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
