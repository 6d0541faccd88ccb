#include "picklistsource.h"

#include <QComboBox>

#include "dataset.h"

QList<PickListItem> PickListSource::items() const
{
    QList<PickListItem> result;
    if (!dataset || !dataset->isOpen())
        return result;
    for (int row = 0; row < dataset->count(); ++row) {
        const Field code = dataset->fieldAt(row, codeField);
        QString text = code.asText();
        if (!nameField.isEmpty())
            text += u' ' + dataset->fieldAt(row, nameField).asText();
        result.append({code.value(), text});
    }
    return result;
}

void PickListSource::fill(QComboBox& combo, const QList<PickListItem>& items)
{
    combo.clear();
    for (const PickListItem& item : items)
        combo.addItem(item.text, item.code);
}

int PickListSource::find(const QComboBox& combo, const QVariant& code)
{
    for (int i = 0; i < combo.count(); ++i)
        if (sameCode(combo.itemData(i), code))
            return i;
    return -1;
}

bool PickListSource::sameCode(const QVariant& a, const QVariant& b)
{
    const bool aNull = !a.isValid() || a.isNull();
    const bool bNull = !b.isValid() || b.isNull();
    if (aNull || bNull)
        return false;
    return a.toString() == b.toString();
}
