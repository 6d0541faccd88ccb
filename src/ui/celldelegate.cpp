#include "celldelegate.h"

#include <QDate>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "dbeditgrid.h"

CellDelegate::CellDelegate(DbEditGrid* grid) : GridDelegate(grid), m_grid(grid) {}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const
{
    QWidget* editor = makeEditor(parent, index);
    editor->setAutoFillBackground(true);
    m_grid->editorOpened(editor);
    return editor;
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    showValue(editor, index);
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    const QVariant value = editorValue(editor);
    if (!sameValue(value, cellValue(index)))
        writeValue(model, index, value);
}

void CellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    m_grid->editorClosed(editor);
    GridDelegate::destroyEditor(editor, index);
}

QWidget* CellDelegate::makeEditor(QWidget* parent, const QModelIndex& index) const
{
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    edit->setAlignment(Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()));
    const int maxLength = m_grid->maxLengthOf(index.column());
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    return edit;
}

void CellDelegate::showValue(QWidget* editor, const QModelIndex& index) const
{
    auto* edit = static_cast<QLineEdit*>(editor);
    edit->setText(cellValue(index).toString());
    edit->selectAll();
}

QVariant CellDelegate::editorValue(QWidget* editor) const
{
    return static_cast<QLineEdit*>(editor)->text();
}

QVariant CellDelegate::cellValue(const QModelIndex& index) const
{
    return index.data(Qt::EditRole);
}

void CellDelegate::writeValue(QAbstractItemModel* model, const QModelIndex& index,
                              const QVariant& value) const
{
    model->setData(index, value, Qt::EditRole);
}

bool CellDelegate::sameValue(const QVariant& a, const QVariant& b)
{
    const auto empty = [](const QVariant& v) {
        return !v.isValid() || v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
    };
    if (empty(a) || empty(b))
        return empty(a) && empty(b);
    if (a.typeId() == QMetaType::QDate || b.typeId() == QMetaType::QDate)
        return a.toDate() == b.toDate();
    return a.toString() == b.toString();
}

bool CellDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor) {
        if (event->type() == QEvent::KeyPress && m_grid->editorKey(editor, static_cast<QKeyEvent*>(event)))
            return true;
        if (event->type() == QEvent::FocusOut) {
            // The grid decides: a popup of the editor keeps it open; leaving writes the cell.
            m_grid->editorFocusOut(editor, static_cast<QFocusEvent*>(event));
            return false;
        }
    }
    return GridDelegate::eventFilter(object, event);
}
