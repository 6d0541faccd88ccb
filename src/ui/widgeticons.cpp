#include "widgeticons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

#include <functional>

namespace {

constexpr int Size = 16;

QIcon drawn(const std::function<void(QPainter&, const QColor&)>& draw)
{
    QIcon icon;
    for (const auto mode : {QIcon::Normal, QIcon::Disabled}) {
        const QColor ink = QApplication::palette().color(
            mode == QIcon::Normal ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
        QPixmap pixmap(Size, Size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p, ink);
        p.end();
        icon.addPixmap(pixmap, mode);
    }
    return icon;
}

}  // namespace

namespace WidgetIcons {

QIcon ellipsis()
{
    return drawn([](QPainter& p, const QColor& ink) {
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF(3.5 + i * 4.5, 11.0), 1.3, 1.3);
    });
}

QIcon dropDown()
{
    return drawn([](QPainter& p, const QColor& ink) {
        QPainterPath arrow;
        arrow.moveTo(4, 6);
        arrow.lineTo(12, 6);
        arrow.lineTo(8, 11);
        arrow.closeSubpath();
        p.fillPath(arrow, ink);
    });
}

QIcon calculator()
{
    return drawn([](QPainter& p, const QColor& ink) {
        p.setPen(QPen(ink, 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(3.5, 1.5, 9, 13), 1.5, 1.5);
        p.fillRect(QRectF(5, 3, 6, 3), ink);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                p.drawRect(QRectF(5 + col * 2.2, 7.5 + row * 2.2, 1.4, 1.4));
    });
}

}  // namespace WidgetIcons
