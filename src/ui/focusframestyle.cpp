#include "focusframestyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionComplex>

void FocusFrameStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                         QPainter* painter, const QWidget* widget) const
{
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (control != CC_ComboBox || !(option->state & State_HasFocus))
        return;
    // Two pixels of the highlight colour just inside the box's edge.
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    QPen pen(option->palette.color(QPalette::Highlight), 2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(option->rect).adjusted(1, 1, -1, -1));
    painter->restore();
}

void installFocusFrameStyle()
{
    QApplication::setStyle(new FocusFrameStyle(QApplication::style()->name()));
}
