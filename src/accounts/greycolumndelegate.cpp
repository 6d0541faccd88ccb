#include "greycolumndelegate.h"

#include <QPalette>

#include "datasetmodel.h"

GreyColumnDelegate::GreyColumnDelegate(QSet<QString> fields, QObject* parent)
    : QStyledItemDelegate(parent), m_fields(std::move(fields))
{
}

bool GreyColumnDelegate::isGrey(const QModelIndex& index) const
{
    const auto* model = qobject_cast<const DatasetModel*>(index.model());
    if (!model || !index.isValid() || index.column() >= model->columnCount())
        return false;
    return m_fields.contains(model->columnSpec(index.column()).field);
}

void GreyColumnDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (isGrey(index))
        option->palette.setColor(QPalette::Text, option->palette.color(QPalette::Disabled, QPalette::Text));
}
