#include "dbcodeedit.h"

#include <QAction>
#include <QKeyEvent>

#include "keys.h"
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
    if (Keys::isDropDown(event)) {
        clickButton();
        return;
    }
    DbEdit::keyPressEvent(event);
}
