#include "dbeditgrid.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>

#include "celldelegate.h"
#include "dataset.h"
#include "datecelldelegate.h"
#include "ellipsiscelldelegate.h"
#include "errorreport.h"
#include "keys.h"
#include "pendinginputguard.h"
#include "picklistcelldelegate.h"
#include "rowindicator.h"

namespace {

// The grid's own question, before Ctrl+Delete removes a row. No is the safe answer.
bool askDelete(QWidget* parent)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), DbEditGrid::DeleteQuestion,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace

DbEditGrid::~DbEditGrid()
{
    // An open cell editor that still has the focus would otherwise report its
    // focus-out to a grid already half torn down (a window destroyed while shown).
    if (QWidget* focused = QApplication::focusWidget(); focused && isAncestorOf(focused))
        focused->clearFocus();
}

DbEditGrid::DbEditGrid(QWidget* parent)
    : DbGrid(parent),
      m_textDelegate(new CellDelegate(this)),
      m_dateDelegate(new DateCellDelegate(this)),
      m_ellipsisDelegate(new EllipsisCellDelegate(this))
{
    setWholeRowSelection(false);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setItemDelegate(m_textDelegate);
    auto* indicator = new RowIndicator(this);
    indicator->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    setVerticalHeader(indicator);
    indicator->show();
    // An F-key action or a click on a button writes the open cell first.
    new PendingInputGuard(this, [this] { return commitCell(Report::Later); });
}

// -- columns ---------------------------------------------------------------------------

void DbEditGrid::setPickListColumn(const QString& column, const Dataset& lookup, const QString& codeField,
                                   const QString& nameField, const QString& targetField)
{
    PickColumn pick{{&lookup, codeField, nameField}, targetField, nullptr};
    pick.delegate = new PickListCellDelegate(this, pick.source, targetField);
    if (m_pickColumns.contains(column))
        releaseDelegate(m_pickColumns[column].delegate, true);
    m_pickColumns.insert(column, pick);
    columnsChanged();
}

void DbEditGrid::setEllipsisColumn(const QString& column)
{
    m_ellipsisColumns.insert(column);
    columnsChanged();
}

void DbEditGrid::setColumnDelegate(const QString& column, CellDelegate* delegate)
{
    if (CellDelegate* old = m_columnDelegates.value(column); old && old != delegate)
        releaseDelegate(old, false);
    m_columnDelegates.insert(column, delegate);
    columnsChanged();
}

// Takes a replaced delegate off the columns it serves (it then no longer
// counts as the grid's own, and would stay as if the window had put it there).
void DbEditGrid::releaseDelegate(QAbstractItemDelegate* delegate, bool destroy)
{
    for (int c = 0; c < m_delegatedColumns; ++c)
        if (itemDelegateForColumn(c) == delegate)
            setItemDelegateForColumn(c, nullptr);
    if (destroy)
        delegate->deleteLater();
}

bool DbEditGrid::isOwnDelegate(const QAbstractItemDelegate* delegate) const
{
    if (delegate == m_dateDelegate || delegate == m_ellipsisDelegate)
        return true;
    for (const PickColumn& pick : m_pickColumns)
        if (pick.delegate == delegate)
            return true;
    for (const CellDelegate* own : m_columnDelegates)
        if (own == delegate)
            return true;
    return false;
}

void DbEditGrid::setMaxLength(const QString& column, int maxLength)
{
    m_maxLengths.insert(column, maxLength);
}

int DbEditGrid::maxLengthOf(int modelColumn) const
{
    if (!datasetModel() || modelColumn < 0 || modelColumn >= datasetModel()->columnCount())
        return 0;
    return m_maxLengths.value(datasetModel()->columnSpec(modelColumn).field, 0);
}

void DbEditGrid::columnsChanged()
{
    DbGrid::columnsChanged();
    if (dataset() != m_watched) {
        // The row indicator follows the current row and its state.
        for (const auto& link : std::as_const(m_indicatorLinks))
            disconnect(link);
        m_indicatorLinks.clear();
        m_watched = dataset();
        if (m_watched) {
            QWidget* indicator = verticalHeader()->viewport();
            m_indicatorLinks << connect(m_watched, &Dataset::stateChanged, indicator,
                                        qOverload<>(&QWidget::update))
                             << connect(m_watched, &Dataset::currentChanged, indicator,
                                        qOverload<>(&QWidget::update));
        }
    }
    const int count = datasetModel() ? datasetModel()->columnCount() : 0;
    for (int c = 0; c < qMax(count, m_delegatedColumns); ++c) {
        const QAbstractItemDelegate* current = itemDelegateForColumn(c);
        if (current && !isOwnDelegate(current))
            continue;  // put there by the window itself
        CellDelegate* delegate = nullptr;
        if (c < count) {
            const ColumnSpec& spec = datasetModel()->columnSpec(c);
            if (m_columnDelegates.contains(spec.field))
                delegate = m_columnDelegates.value(spec.field);
            else if (m_pickColumns.contains(spec.field))
                delegate = m_pickColumns.value(spec.field).delegate;
            else if (m_ellipsisColumns.contains(spec.field))
                delegate = m_ellipsisDelegate;
            else if (spec.format == DisplayFormat::Date)
                delegate = m_dateDelegate;
        }
        setItemDelegateForColumn(c, delegate);
    }
    m_delegatedColumns = count;
}

bool DbEditGrid::isEditable(int modelColumn) const
{
    return datasetModel() && modelColumn >= 0 && modelColumn < datasetModel()->columnCount() &&
           !datasetModel()->columnSpec(modelColumn).readOnly;
}

int DbEditGrid::firstEditableColumn() const
{
    const int count = datasetModel() ? datasetModel()->columnCount() : 0;
    for (int c = 0; c < count; ++c)
        if (isEditable(c))
            return c;
    return count > 0 ? 0 : -1;
}

void DbEditGrid::setTabSkip(const QString& from, const QString& to, std::function<bool()> skip)
{
    m_tabSkips.append({from, to, std::move(skip)});
}

QModelIndex DbEditGrid::nextEditableCell(const QModelIndex& from, bool forward) const
{
    if (forward)
        for (const TabSkip& s : m_tabSkips)
            if (from.column() == datasetModel()->modelColumnOf(s.from) && s.skip()) {
                const int to = datasetModel()->modelColumnOf(s.to);
                if (to > from.column() && isEditable(to))
                    return datasetModel()->index(from.row(), to);
            }
    const int rows = datasetModel()->rowCount();
    const int columns = datasetModel()->columnCount();
    int row = from.row();
    int column = from.column();
    for (;;) {
        column += forward ? 1 : -1;
        if (column >= columns) {
            column = 0;
            ++row;
        } else if (column < 0) {
            column = columns - 1;
            --row;
        }
        if (row < 0 || row >= rows)
            return {};
        if (isEditable(column))
            return datasetModel()->index(row, column);
    }
}

// -- state ----------------------------------------------------------------------------

bool DbEditGrid::isOpen() const
{
    return dataset() && dataset()->isOpen();
}

bool DbEditGrid::isUntouchedNewRow() const
{
    return isOpen() && dataset()->state() == Dataset::State::Insert && !dataset()->isModified();
}

bool DbEditGrid::isCellEditing() const
{
    return m_editor != nullptr;
}

bool DbEditGrid::inside(const QWidget* widget) const
{
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w == this)
            return true;
    return false;
}

void DbEditGrid::report(Report when, const QString& message)
{
    if (when == Report::Now)
        reportNow(message);
    else
        reportLater(message);
}

void DbEditGrid::onEditRejected(const QString& message)
{
    if (m_committing)
        m_refusal = message;
    else
        reportLater(message);
}

// -- editing operations -----------------------------------------------------------------

bool DbEditGrid::commitCell()
{
    return commitCell(Report::Now);
}

bool DbEditGrid::commitCell(Report when)
{
    if (!m_editor)
        return true;
    const QPointer<QWidget> editor = m_editor;
    m_refusal.clear();
    m_committing = true;
    commitData(editor);
    m_committing = false;
    const QString refusal = std::exchange(m_refusal, QString());
    if (editor && editor == m_editor)
        closeEditor(editor, refusal.isEmpty() ? QAbstractItemDelegate::NoHint
                                              : QAbstractItemDelegate::RevertModelCache);
    if (refusal.isEmpty())
        return true;
    report(when, refusal);
    return false;
}

bool DbEditGrid::postRow()
{
    if (!commitCell(Report::Now))
        return false;
    if (!isOpen() || !dataset()->isEditing() || isUntouchedNewRow())
        return true;
    try {
        const Busy busy(this);
        dataset()->post();
    } catch (...) {
        // The row stays in editing with the user's values.
        reportNow(currentExceptionMessage());
        return false;
    }
    return true;
}

void DbEditGrid::appendRow()
{
    if (!isOpen() || !commitCell(Report::Now))
        return;
    const int column = currentIndex().isValid() ? currentIndex().column() : firstEditableColumn();
    const QModelIndex appended = appendBelow(column);
    if (appended.isValid())
        setCurrentIndex(appended);
}

QModelIndex DbEditGrid::appendBelow(int column)
{
    if (isUntouchedNewRow())
        return {};  // the new row at hand is the one to type into
    try {
        const Busy busy(this);
        dataset()->append();  // posts the row being left first
    } catch (...) {
        reportNow(currentExceptionMessage());
        return {};
    }
    return datasetModel()->index(dataset()->currentRow(), qMax(column, 0));
}

void DbEditGrid::insertRow()
{
    if (!isOpen() || !commitCell(Report::Now) || isUntouchedNewRow())
        return;
    try {
        const Busy busy(this);
        dataset()->insert();
    } catch (...) {
        reportNow(currentExceptionMessage());
    }
}

void DbEditGrid::deleteRow()
{
    if (!isOpen() || dataset()->currentRow() < 0)
        return;
    if (m_editor)
        closeEditor(m_editor, QAbstractItemDelegate::RevertModelCache);
    if (!askDelete(window()))
        return;
    try {
        const Busy busy(this);
        dataset()->remove();
    } catch (...) {
        reportNow(currentExceptionMessage());
    }
}

void DbEditGrid::cancelRow()
{
    if (m_editor)
        closeEditor(m_editor, QAbstractItemDelegate::RevertModelCache);
    if (!isOpen() || !dataset()->isEditing())
        return;
    try {
        const Busy busy(this);
        dataset()->cancel();
    } catch (...) {
        reportNow(currentExceptionMessage());
    }
}

bool DbEditGrid::writeField(int row, const QString& field, const QVariant& value)
{
    if (!isOpen())
        return false;
    try {
        const Busy busy(this);
        if (dataset()->currentRow() != row)
            dataset()->moveTo(row);
        dataset()->edit();
        dataset()->setValue(field, value);
        return true;
    } catch (...) {
        onEditRejected(currentExceptionMessage());
        return false;
    }
}

void DbEditGrid::clickEllipsis(const QModelIndex& cell)
{
    if (!isOpen() || !cell.isValid() || !commitCell(Report::Now))
        return;
    emit ellipsisClicked(datasetModel()->columnSpec(cell.column()).field);
}

// -- leaving rows and the grid --------------------------------------------------------------

// Makes `target` the current row, doing what leaving the current row means: a
// new row nobody typed into disappears, a changed row is posted. Returns the
// row `target` has afterwards (a dropped row above it moves it up), or -1 when
// the current row could not be left.
int DbEditGrid::leaveRowTo(int target)
{
    Dataset& ds = *dataset();
    const int from = ds.currentRow();
    if (target == from)
        return target;
    const Busy busy(this);
    try {
        if (isUntouchedNewRow()) {
            ds.cancel();
            if (target > from)
                --target;
        } else if (ds.isEditing()) {
            ds.post();
        }
        if (target < 0 || target >= ds.count())
            return ds.currentRow();
        ds.moveTo(target);
    } catch (...) {
        reportNow(currentExceptionMessage());
        return -1;
    }
    return target;
}

void DbEditGrid::leftGrid()
{
    if (!isUntouchedNewRow())
        return;
    try {
        const Busy busy(this);
        dataset()->cancel();
    } catch (...) {
        reportLater(currentExceptionMessage());
    }
}

void DbEditGrid::leaveGrid(bool forward)
{
    if (!commitCell(Report::Now))
        return;
    // QAbstractItemView keeps Tab for its cells; the widget's own chain leaves it.
    QWidget::focusNextPrevChild(forward);
}

void DbEditGrid::focusOutEvent(QFocusEvent* event)
{
    DbGrid::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    QWidget* now = QApplication::focusWidget();
    if (!now || !inside(now))
        leftGrid();
}

// -- editors ----------------------------------------------------------------------------

void DbEditGrid::editorOpened(QWidget* editor)
{
    m_editor = editor;
}

void DbEditGrid::editorClosed(QWidget* editor)
{
    if (m_editor == editor)
        m_editor = nullptr;
}

void DbEditGrid::editorFocusOut(QWidget* editor, QFocusEvent* event)
{
    // A popup of the editor (its list, its calendar) or another window (a
    // lookup dialog, a message box) takes the focus only for a while.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    QWidget* now = QApplication::focusWidget();
    for (QWidget* w = now; w; w = w->parentWidget())
        if (w == editor)
            return;
    if (editor == m_editor && !commitCell(Report::Later)) {
        // A click on another row moved the focus: that row must not be left to
        // now, as if the refused value had been accepted.
        m_refusedOnFocusOut = true;
        QTimer::singleShot(0, this, [this] { m_refusedOnFocusOut = false; });
    }
    if (!now || !inside(now))
        leftGrid();
}

bool DbEditGrid::editorKey(QWidget* editor, QKeyEvent* event)
{
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (mods & (Qt::ControlModifier | Qt::AltModifier))
                return false;
            postRow();
            return true;
        case Qt::Key_Escape:
            closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            if (mods & Qt::AltModifier)
                return false;  // the editor's own list
            if (commitCell(Report::Now)) {
                QKeyEvent move(event->type(), event->key(), event->modifiers());
                keyPressEvent(&move);
            }
            return true;
        }
        case Qt::Key_Tab:
        case Qt::Key_Backtab: {
            const bool forward = event->key() == Qt::Key_Tab && !(mods & Qt::ShiftModifier);
            if (mods & Qt::ControlModifier) {
                leaveGrid(forward);
                return true;
            }
            if (!commitCell(Report::Now))
                return true;
            const UserMove moving(this);
            const QModelIndex next = moveCursor(forward ? MoveNext : MovePrevious, Qt::NoModifier);
            if (!next.isValid()) {
                leaveGrid(forward);
                return true;
            }
            setCurrentIndex(next);
            edit(next);  // typing goes on in the next cell
            return true;
        }
        case Qt::Key_Insert:
            if (mods != Qt::NoModifier)
                return false;
            insertRow();
            return true;
        case Qt::Key_Delete:
            if (mods != Qt::ControlModifier)
                return false;
            deleteRow();
            return true;
        default:
            return false;
    }
}

// -- keys and mouse -------------------------------------------------------------------------

QModelIndex DbEditGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // The view also asks where to go when it merely gets the focus: only the
    // user's keys append, post or drop rows.
    if (!isOpen() || !isUserMoving())
        return DbGrid::moveCursor(action, modifiers);
    if (dataset()->count() == 0) {
        if (action == MoveDown || action == MoveNext)
            return appendBelow(firstEditableColumn());
        return {};
    }
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return DbGrid::moveCursor(action, modifiers);
    const bool lastRow = current.row() == datasetModel()->rowCount() - 1;
    QModelIndex target;
    if (action == MoveNext || action == MovePrevious) {
        target = nextEditableCell(current, action == MoveNext);
        if (!target.isValid())
            // Past the last cell a new row; before the first one, nothing (Tab leaves the grid).
            return action == MoveNext && lastRow ? appendBelow(firstEditableColumn()) : QModelIndex();
    } else {
        if (action == MoveDown && lastRow) {
            // A new line starts where typing a line starts, not under a computed cell.
            const QModelIndex appended = appendBelow(firstEditableColumn());
            return appended.isValid() ? appended : current;
        }
        target = DbGrid::moveCursor(action, modifiers);
    }
    if (!target.isValid() || target.row() == current.row())
        return target;
    const int row = leaveRowTo(target.row());
    if (row < 0)
        return current;
    return datasetModel()->index(row, target.column());
}

void DbEditGrid::startTyping(QKeyEvent* event)
{
    const QModelIndex cell = appendBelow(firstEditableColumn());
    if (!cell.isValid())
        return;
    setCurrentIndex(cell);
    edit(cell, QAbstractItemView::AnyKeyPressed, event);
}

void DbEditGrid::keyPressEvent(QKeyEvent* event)
{
    if (!isOpen()) {
        DbGrid::keyPressEvent(event);
        return;
    }
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    const QModelIndex current = currentIndex();
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (dataset()->isEditing() && !isUntouchedNewRow())
                postRow();
            else if (current.isValid() && isEditable(current.column()))
                edit(current);
            else if (dataset()->count() == 0)
                appendRow();
            return;
        case Qt::Key_Escape:
            if (mods == Qt::NoModifier && dataset()->isEditing())
                cancelRow();
            else
                event->ignore();
            return;
        case Qt::Key_Insert:
            if (mods == Qt::NoModifier) {
                insertRow();
                return;
            }
            break;
        case Qt::Key_Delete:
            if (mods == Qt::ControlModifier) {
                deleteRow();
                return;
            }
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (mods & Qt::ControlModifier) {
                leaveGrid(event->key() == Qt::Key_Tab && !(mods & Qt::ShiftModifier));
                return;
            }
            break;
        default:
            break;
    }
    if (Keys::isDropDown(event) && current.isValid()) {
        const QString field = datasetModel()->columnSpec(current.column()).field;
        if (m_ellipsisColumns.contains(field)) {
            clickEllipsis(current);
            return;
        }
        if (m_pickColumns.contains(field) && isEditable(current.column())) {
            edit(current);
            if (auto* combo = qobject_cast<QComboBox*>(m_editor.data()))
                combo->showPopup();
            return;
        }
    }
    const QString text = event->text();
    if (dataset()->count() == 0 && !text.isEmpty() && text.at(0).isPrint() &&
        !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
        startTyping(event);  // typing into an empty grid starts its first row
        return;
    }
    DbGrid::keyPressEvent(event);
}

void DbEditGrid::mousePressEvent(QMouseEvent* event)
{
    if (std::exchange(m_refusedOnFocusOut, false)) {
        event->accept();
        return;
    }
    const QModelIndex at = indexAt(event->position().toPoint());
    const QModelIndex current = currentIndex();
    if (isOpen() && at.isValid() && current.isValid() && at.row() != current.row()) {
        // The row is left first; a dropped new row above moves the clicked one up.
        const int row = leaveRowTo(at.row());
        if (row >= 0) {
            const UserMove moving(this);
            setCurrentIndex(datasetModel()->index(row, at.column()));
        }
        event->accept();
        return;
    }
    DbGrid::mousePressEvent(event);
}
