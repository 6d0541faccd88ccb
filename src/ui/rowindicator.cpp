#include "rowindicator.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionHeader>

#include "dataset.h"
#include "dbgrid.h"

RowIndicator::RowIndicator(DbGrid* grid) : QHeaderView(Qt::Vertical, grid), m_grid(grid)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Fixed);
}

QSize RowIndicator::sizeHint() const
{
    return QSize(16, QHeaderView::sizeHint().height());
}

void RowIndicator::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logicalIndex;
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

    const Dataset* ds = m_grid->dataset();
    if (!ds || !ds->isOpen() || logicalIndex != ds->currentRow())
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::ButtonText);
    const QPointF c = QRectF(rect).center();
    switch (ds->state()) {
        case Dataset::State::Insert: {
            QFont star = painter->font();
            star.setBold(true);
            painter->setFont(star);
            painter->setPen(ink);
            painter->drawText(rect, Qt::AlignCenter, QStringLiteral("*"));
            break;
        }
        case Dataset::State::Edit: {
            painter->setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
            painter->drawLine(QPointF(c.x() - 3, c.y() + 4), QPointF(c.x() + 3, c.y() - 4));
            painter->drawLine(QPointF(c.x() - 4, c.y() + 5), QPointF(c.x() - 2, c.y() + 5));
            break;
        }
        default: {
            QPainterPath arrow;
            arrow.moveTo(c.x() - 3, c.y() - 4);
            arrow.lineTo(c.x() + 3, c.y());
            arrow.lineTo(c.x() - 3, c.y() + 4);
            arrow.closeSubpath();
            painter->fillPath(arrow, ink);
            break;
        }
    }
    painter->restore();
}
