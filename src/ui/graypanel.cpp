#include "graypanel.h"

#include <QEvent>

TGrayPanel::TGrayPanel(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    updateBackground();
}

void TGrayPanel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        updateBackground();
    QFrame::changeEvent(event);
}

void TGrayPanel::updateBackground()
{
    QPalette p = palette();
    const QColor normal = p.color(QPalette::Active, QPalette::Window);
    p.setColor(QPalette::Disabled, QPalette::Window, normal.darker(112));
    setPalette(p);
}
