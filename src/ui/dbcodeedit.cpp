#include "dbcodeedit.h"

#include <QAction>
#include <QKeyEvent>

#include "widgeticons.h"

DbCodeEdit::DbCodeEdit(QWidget* parent) : DbEdit(parent)
{
    QAction* button = addAction(WidgetIcons::ellipsis(), QLineEdit::TrailingPosition);
    button->setObjectName(QStringLiteral("ButtonAction"));
    button->setToolTip(QStringLiteral("検索 (Alt+↓)"));
    connect(button, &QAction::triggered, this, &DbCodeEdit::clickButton);
}

void DbCodeEdit::clickButton()
{
    if (!isEnabled())
        return;
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    emit buttonClicked();
}

void DbCodeEdit::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Down && event->modifiers() == Qt::AltModifier) ||
        (event->key() == Qt::Key_F4 && event->modifiers() == Qt::NoModifier)) {
        clickButton();
        return;
    }
    DbEdit::keyPressEvent(event);
}
