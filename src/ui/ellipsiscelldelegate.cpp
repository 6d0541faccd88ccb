#include "ellipsiscelldelegate.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

#include "dbcodeedit.h"
#include "dbeditgrid.h"
#include "widgeticons.h"

QRect EllipsisCellDelegate::buttonRect(const QRect& cell)
{
    const int width = qMin(18, cell.width());
    return QRect(cell.right() - width + 1, cell.top(), width, cell.height());
}

void EllipsisCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const
{
    CellDelegate::paint(painter, option, index);
    if (index != grid()->currentIndex() || !(index.flags() & Qt::ItemIsEditable))
        return;
    QStyleOptionButton button;
    button.rect = buttonRect(option.rect);
    button.state = option.state | QStyle::State_Raised;
    button.icon = WidgetIcons::ellipsis();
    button.iconSize = QSize(12, 12);
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_PushButton, &button, painter, option.widget);
}

bool EllipsisCellDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                       const QStyleOptionViewItem& option, const QModelIndex& index)
{
    // The view hands the release of a click on the current cell to the delegate
    // before it would open the cell; the press goes on as usual.
    if (event->type() == QEvent::MouseButtonRelease && index == grid()->currentIndex()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            buttonRect(option.rect).contains(mouse->position().toPoint())) {
            grid()->clickEllipsis(index);
            return true;
        }
    }
    return CellDelegate::editorEvent(event, model, option, index);
}

QWidget* EllipsisCellDelegate::makeEditor(QWidget* parent, const QModelIndex& index) const
{
    auto* edit = new DbCodeEdit(parent);
    edit->setFrame(false);
    const int maxLength = grid()->maxLengthOf(index.column());
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    const QPersistentModelIndex cell(index);
    connect(edit, &DbCodeEdit::buttonClicked, grid(), [grid = grid(), cell] { grid->clickEllipsis(cell); });
    return edit;
}
