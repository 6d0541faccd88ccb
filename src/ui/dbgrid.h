#pragma once

#include <QColor>
#include <QHash>
#include <QTableView>

#include <functional>

#include "dataset.h"
#include "datasetmodel.h"

// A read-only grid over a dataset: one row per visible row of the dataset, the
// declared columns (title, width, alignment, display format), and a current
// row that follows the dataset's cursor both ways: moving the dataset moves the
// grid, and moving in the grid (keys, mouse) moves the dataset.
//
//     GridLedger->setDataset(LedgerDataSet, {
//         {"表示用年月日", "年月日", 65, Qt::AlignLeft | Qt::AlignVCenter, DisplayFormat::Date},
//         {"残高", "売掛残高", 62, Qt::AlignRight | Qt::AlignVCenter, DisplayFormat::Money}, ...});
//     GridLedger->setRowPainter([](const RowRef& row, int) -> QVariant { ... });
//     connect(GridLedger, &DbGrid::rowActivated, this, [this] { ... ActionDispDetail ... });
//
// The grid selects whole rows unless told otherwise. Where the window allows it
// (setSortable), a click on a column title sorts the held rows of the dataset by
// that column, ascending, and a further click turns the order round; with Shift
// or Ctrl held the column is added as a further key. What is printed follows
// what is shown; opening the dataset again shows the query's order. Double-click
// on a row, or Enter, sends rowActivated; in a window with Enter as Tab the
// window exempts the grid for Enter to reach it.
class DbGrid : public QTableView {
    Q_OBJECT

public:
    explicit DbGrid(QWidget* parent = nullptr);

    // Shows `dataset` with `columns`. The grid owns the model; calling this
    // again replaces it.
    DatasetModel* setDataset(Dataset& dataset, QList<ColumnSpec> columns);
    DatasetModel* datasetModel() const { return m_model; }
    Dataset* dataset() const;

    void setWholeRowSelection(bool on);
    void setSortable(bool on);
    bool isSortable() const { return m_sortable; }
    // The background of a row (QColor or QBrush), or an invalid QVariant for none.
    void setRowPainter(std::function<QVariant(const RowRef& row, int rowIndex)> painter);
    // The background of single cells (QColor or QBrush, or an invalid QVariant
    // for the row's own), by row and column field.
    void setCellPainter(
        std::function<QVariant(const RowRef& row, int rowIndex, const QString& field)> painter);
    // The text colour of a column (palette(QPalette::Disabled, QPalette::Text) for the grey ones).
    void setColumnTextColor(const QString& field, const QColor& color);
    void setColumnVisible(const QString& field, bool visible);

    // Every column's width, the frame and a scroll bar: what a window needs to
    // show the grid without a horizontal scroll bar.
    int preferredWidth() const;
    // The widest text a value of `format` shows with `digits` whole yen digits
    // (empty for free text): a column of that format is never narrower.
    static QString widestValue(DisplayFormat format, int digits = 9);
    // Money columns hold `digits` whole yen digits (9 unless set): a list whose
    // sums run into the tens of billions sets more.
    void setMoneyDigits(int digits);

    // Used by the grid's delegates.
    void decorateCell(QStyleOptionViewItem* option, const QModelIndex& index) const;

signals:
    // A double-click on a row, or Enter on the current row. Not sent without a row.
    void rowActivated(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Keeps the grid's current row on the dataset's current row.
    void followDataset();
    // The columns changed (a new model, a column shown or hidden): widths, delegates.
    virtual void columnsChanged();
    virtual void onEditRejected(const QString& message);
    void reportLater(const QString& message);
    void reportNow(const QString& message);
    int firstVisibleColumn() const;
    // Inside the user's own navigation (a key, the mouse).
    bool isUserMoving() const { return m_userMoving; }

    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

    // While the grid itself changes the dataset (a post, an append), the
    // selection's reactions to rows appearing and disappearing must not move
    // the dataset's cursor again.
    struct Busy {
        explicit Busy(DbGrid* grid) : m_grid(grid) { ++m_grid->m_busy; }
        ~Busy() { --m_grid->m_busy; }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;
        DbGrid* m_grid;
    };
    // Around the user's own navigation: only then does a change of the grid's
    // current row move the dataset.
    struct UserMove {
        explicit UserMove(DbGrid* grid) : m_grid(grid), m_was(grid->m_userMoving)
        {
            m_grid->m_userMoving = true;
        }
        ~UserMove() { m_grid->m_userMoving = m_was; }
        UserMove(const UserMove&) = delete;
        UserMove& operator=(const UserMove&) = delete;
        DbGrid* m_grid;
        bool m_was;
    };

private:
    // The widest text shown in `column` (capped), for free-text columns.
    int shownTextWidth(int column) const;
    void sortByHeader(int section);
    void showSortIndicator(int section, Qt::SortOrder order);

    DatasetModel* m_model = nullptr;
    QMetaObject::Connection m_cursorLink;
    QMetaObject::Connection m_datasetGone;
    bool m_wholeRow = true;
    int m_moneyDigits = 9;
    bool m_sortable = false;
    bool m_sorting = false;
    QList<SortKey> m_sortKeys;
    Qt::KeyboardModifiers m_clickModifiers;
    std::function<QVariant(const RowRef&, int, const QString&)> m_cellPainter;
    QHash<QString, QColor> m_textColors;
    bool m_following = false;
    bool m_userMoving = false;
    int m_busy = 0;
};
