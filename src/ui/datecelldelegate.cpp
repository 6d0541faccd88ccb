#include "datecelldelegate.h"

#include <QCalendarWidget>
#include <QKeyEvent>

#include <stdexcept>

#include "datepicker.h"
#include "inputerror.h"

namespace {

const char* const Offered = "corvintaOffered";
const char* const Stored = "corvintaStored";

}  // namespace

QWidget* DateCellDelegate::makeEditor(QWidget* parent, const QModelIndex&) const
{
    auto* picker = new DatePicker(parent);
    picker->setFrame(false);
    connect(picker, &QDateEdit::dateChanged, picker, [picker] { picker->setProperty(Offered, false); });
    connect(picker->calendarWidget(), &QCalendarWidget::clicked, picker,
            [picker] { picker->setProperty(Offered, false); });
    return picker;
}

void DateCellDelegate::showValue(QWidget* editor, const QModelIndex& index) const
{
    auto* picker = static_cast<DatePicker*>(editor);
    const QDate stored = cellValue(index).toDate();
    picker->setDate(stored.isValid() ? stored : QDate::currentDate());
    picker->setProperty(Offered, !stored.isValid());
    picker->setProperty(Stored, stored.isValid() ? QVariant(stored) : QVariant());
}

QVariant DateCellDelegate::editorValue(QWidget* editor) const
{
    if (editor->property(Offered).toBool())
        return {};
    auto* picker = static_cast<DatePicker*>(editor);
    try {
        const QDate typed = picker->inputDate();
        return typed.isValid() ? QVariant(typed) : QVariant();
    } catch (const std::invalid_argument& e) {
        // Refused: the cell keeps the date it had.
        InputError::reportLater(editor->parentWidget(), QString::fromStdString(e.what()));
        return editor->property(Stored);
    }
}

bool DateCellDelegate::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool typed = !key->text().isEmpty() && key->text().at(0).isPrint() &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (typed || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            object->setProperty(Offered, false);
    }
    return CellDelegate::eventFilter(object, event);
}
