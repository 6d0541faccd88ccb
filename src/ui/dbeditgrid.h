#pragma once

#include <QHash>
#include <QPointer>
#include <QSet>

#include <functional>

#include "dbgrid.h"
#include "picklistsource.h"

class CellDelegate;

// An editable grid over a dataset, with the familiar data-grid keys:
//
//   typing, F2, a double-click   open the cell (typing replaces its text)
//   Tab / Shift+Tab               next / previous editable cell (an open cell
//                                 opens the next one); past the last row's last
//                                 cell a new row is appended
//   Enter                         writes the open cell and posts the row; on a
//                                 row not being edited it opens the cell
//   Escape                        closes the open cell unchanged; then cancels
//                                 the row's changes (a new row disappears)
//   ↑ ↓ PageUp PageDown           move between rows; ↓ on the last row appends one,
//                                 its first editable cell current
//   Insert                        inserts a new row before the current one
//   Ctrl+Delete                   deletes the current row after the question
//                                 "レコードを削除してもよいですか？"
//   Alt+↓ or F4                   opens a drop-down cell's list, or runs an
//                                 ellipsis cell's button
//   Ctrl+Tab                      leaves the grid
//
// A changed row is posted when the cursor leaves it (in Immediate mode this
// writes it); a new row left without any change is dropped when the cursor or
// the focus leaves it. A value the dataset or the database refuses is shown in
// the error box and the row stays in editing, so the user can correct it or
// cancel it with Escape. Text that is not a number in a number cell is refused
// with a message, and the old value stays.
//
// Enter belongs to the grid: a window with Enter as Tab exempts the grid
// (exemptFromEnterAsTab). Columns come from ColumnSpec as for DbGrid; money,
// quantity and date columns get their editors from the format, drop-down and
// ellipsis cells are declared by column:
//
//     DetailGrid->setDataset(DetailDataSet, {{"商品コード", "", 107}, ...});
//     DetailGrid->setEllipsisColumn("商品コード");
//     DetailGrid->setPickListColumn("商品分類", ItemCategoDataSet,
//                                   "商品分類コード", "分類名", "商品分類コード");
//     connect(DetailGrid, &DbEditGrid::ellipsisClicked, this, ...);
class DbEditGrid : public DbGrid {
    Q_OBJECT

public:
    explicit DbEditGrid(QWidget* parent = nullptr);
    ~DbEditGrid() override;

    // The cells of `column` are a drop-down list of `lookup` (code and name);
    // choosing an entry writes its code into `targetField` of the row.
    void setPickListColumn(const QString& column, const Dataset& lookup, const QString& codeField,
                           const QString& nameField, const QString& targetField);
    // The cells of `column` have an ellipsis button (ellipsisClicked).
    void setEllipsisColumn(const QString& column);
    // A cell kind of the window's own (derived from CellDelegate) for `column`;
    // it follows the column when columns are shown or hidden. A delegate set
    // through QAbstractItemView::setItemDelegateForColumn stays where it was put.
    void setColumnDelegate(const QString& column, CellDelegate* delegate);
    // The most characters a text cell of `column` takes (the column's width).
    void setMaxLength(const QString& column, int maxLength);
    int maxLengthOf(int modelColumn) const;
    // Tab (and Enter where the window moves on) from a cell of `from` goes
    // straight to `to` in the same row when `skip` holds for that row, passing
    // cells already filled for the user.
    void setTabSkip(const QString& from, const QString& to, std::function<bool()> skip);

    inline static const QString DeleteQuestion = QStringLiteral("レコードを削除してもよいですか？");

    // A cell's editor is open.
    bool isCellEditing() const;
    // Writes what is typed in the open cell into the row, which stays in
    // editing, and closes the cell. False when the value was refused (the error
    // box has been shown, the old value stays).
    bool commitCell();
    // What Enter does: commitCell, then posts the row. False when refused.
    bool postRow();
    void appendRow();
    void insertRow();
    // Asks the grid's question, then deletes the current row.
    void deleteRow();
    // Cancels the current row's changes; a new row disappears.
    void cancelRow();

    // Used by the cell delegates.
    void editorOpened(QWidget* editor);
    void editorClosed(QWidget* editor);
    bool editorKey(QWidget* editor, QKeyEvent* event);
    void editorFocusOut(QWidget* editor, QFocusEvent* event);
    bool writeField(int row, const QString& field, const QVariant& value);
    void clickEllipsis(const QModelIndex& cell);

signals:
    // The ellipsis button of a cell of `column` was clicked (or Alt+Down / F4
    // pressed on it), on the current row, after the open cell was written.
    void ellipsisClicked(const QString& column);

protected:
    void columnsChanged() override;
    void onEditRejected(const QString& message) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    enum class Report { Now, Later };
    bool commitCell(Report report);
    bool isOpen() const;
    bool isUntouchedNewRow() const;
    int leaveRowTo(int target);
    QModelIndex appendBelow(int column);
    QModelIndex nextEditableCell(const QModelIndex& from, bool forward) const;
    int firstEditableColumn() const;
    bool isEditable(int modelColumn) const;
    bool inside(const QWidget* widget) const;
    void leaveGrid(bool forward);
    void leftGrid();
    void startTyping(QKeyEvent* event);
    void report(Report when, const QString& message);
    bool isOwnDelegate(const QAbstractItemDelegate* delegate) const;
    void releaseDelegate(QAbstractItemDelegate* delegate, bool destroy);

    struct PickColumn {
        PickListSource source;
        QString target;
        CellDelegate* delegate = nullptr;
    };
    QHash<QString, PickColumn> m_pickColumns;
    QSet<QString> m_ellipsisColumns;
    QHash<QString, CellDelegate*> m_columnDelegates;
    QHash<QString, int> m_maxLengths;
    struct TabSkip {
        QString from, to;
        std::function<bool()> skip;
    };
    QList<TabSkip> m_tabSkips;
    CellDelegate* m_textDelegate;
    CellDelegate* m_dateDelegate;
    CellDelegate* m_ellipsisDelegate;
    int m_delegatedColumns = 0;
    Dataset* m_watched = nullptr;
    QList<QMetaObject::Connection> m_indicatorLinks;
    QPointer<QWidget> m_editor;
    bool m_committing = false;
    bool m_refusedOnFocusOut = false;
    QString m_refusal;
};
