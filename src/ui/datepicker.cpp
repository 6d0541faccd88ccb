#include "datepicker.h"
#include "keys.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWheelEvent>

DatePicker::DatePicker(QWidget* parent) : QDateEdit(QDate::currentDate(), parent)
{
    setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    setCalendarPopup(true);
    setFocusPolicy(Qt::StrongFocus);
}

void DatePicker::openCalendar()
{
    if (!isEnabled() || isReadOnly())
        return;
    // The calendar opens from a press on the drop-down button; Qt offers no other way.
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.editable = true;
    option.subControls = QStyle::SC_All;
    const QPoint arrow =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this).center();
    QMouseEvent press(QEvent::MouseButtonPress, arrow, mapToGlobal(arrow), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QDateEdit::mousePressEvent(&press);
}

bool DatePicker::focusNextPrevChild(bool next)
{
    // QDateEdit would walk its sections on Tab.
    return QWidget::focusNextPrevChild(next);
}

void DatePicker::keyPressEvent(QKeyEvent* event)
{
    if (Keys::isDropDown(event)) {
        openCalendar();
        return;
    }
    QDateEdit::keyPressEvent(event);
}

void DatePicker::wheelEvent(QWheelEvent* event)
{
    if (hasFocus())
        QDateEdit::wheelEvent(event);
    else
        event->ignore();
}
