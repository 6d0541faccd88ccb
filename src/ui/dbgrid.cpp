#include "dbgrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "dataset.h"
#include "errorreport.h"
#include "inputerror.h"
#include "messageboxes.h"

DbGrid::DbGrid(QWidget* parent) : QTableView(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setAlternatingRowColors(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    // The model's size hint for a title gives only its width (the height is 0),
    // which would fold the titles away.
    horizontalHeader()->setMinimumHeight(horizontalHeader()->fontMetrics().height() + 8);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DbGrid::sortByHeader);
}

DatasetModel* DbGrid::setDataset(Dataset& dataset, QList<ColumnSpec> columns)
{
    DatasetModel* old = m_model;
    m_model = new DatasetModel(dataset, std::move(columns), this);
    m_model->setSortable(m_sortable);
    setModel(m_model);
    delete old;
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (!m_sorting)
            showSortIndicator(-1, Qt::AscendingOrder);  // opened again: the query's order
        columnsChanged();
        followDataset();
    });
    connect(m_model, &DatasetModel::editRejected, this, &DbGrid::onEditRejected);
    disconnect(m_cursorLink);
    m_cursorLink = connect(&dataset, &Dataset::currentChanged, this, [this] { followDataset(); });
    columnsChanged();
    followDataset();
    return m_model;
}

Dataset* DbGrid::dataset() const
{
    return m_model ? &m_model->dataset() : nullptr;
}

void DbGrid::setWholeRowSelection(bool on)
{
    m_wholeRow = on;
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void DbGrid::setSortable(bool on)
{
    m_sortable = on;
    if (m_model)
        m_model->setSortable(on);
    horizontalHeader()->setSectionsClickable(on);
    horizontalHeader()->setSortIndicatorShown(on);
    showSortIndicator(-1, Qt::AscendingOrder);
}

void DbGrid::showSortIndicator(int section, Qt::SortOrder order)
{
    m_sortSection = section;
    m_sortOrder = order;
    const QSignalBlocker quiet(horizontalHeader());
    horizontalHeader()->setSortIndicator(section, order);
}

void DbGrid::setRowPainter(std::function<QVariant(const RowRef&, int)> painter)
{
    if (m_model)
        m_model->setRowPainter(std::move(painter));
}

void DbGrid::setColumnVisible(const QString& field, bool visible)
{
    if (m_model)
        m_model->setColumnVisible(field, visible);
}

void DbGrid::columnsChanged()
{
    if (!m_model)
        return;
    for (int c = 0; c < m_model->columnCount(); ++c)
        horizontalHeader()->resizeSection(c, m_model->columnSpec(c).width);
}

int DbGrid::firstVisibleColumn() const
{
    return m_model && m_model->columnCount() > 0 ? 0 : -1;
}

void DbGrid::followDataset()
{
    if (!m_model)
        return;
    const int row = m_model->dataset().currentRow();
    const QModelIndex current = currentIndex();
    if (row < 0 || row >= m_model->rowCount() || (current.isValid() && current.row() == row))
        return;
    const int column = current.isValid() ? current.column() : firstVisibleColumn();
    if (column < 0)
        return;
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (m_wholeRow)
        flags |= QItemSelectionModel::Rows;
    m_following = true;
    selectionModel()->setCurrentIndex(m_model->index(row, column), flags);
    m_following = false;
}

void DbGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    Dataset* ds = dataset();
    if (!m_userMoving || m_following || m_busy > 0 || !current.isValid() || !ds || !ds->isOpen() ||
        current.row() == ds->currentRow())
        return;
    try {
        const Busy busy(this);
        ds->moveTo(current.row());
    } catch (...) {
        // The row could not be left (its post failed): the grid goes back to it.
        reportLater(currentExceptionMessage());
        QTimer::singleShot(0, this, [this] {
            const QModelIndex here = currentIndex();
            if (dataset() && here.isValid() && here.row() != dataset()->currentRow()) {
                m_following = true;
                selectionModel()->setCurrentIndex(
                    m_model->index(dataset()->currentRow(), here.column()),
                    QItemSelectionModel::ClearAndSelect |
                        (m_wholeRow ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
                m_following = false;
            }
        });
    }
}

void DbGrid::sortByHeader(int section)
{
    if (!m_model || !m_sortable || section < 0)
        return;
    // A first click sorts ascending, whatever the style's habit; the next one turns it round.
    const Qt::SortOrder order = section == m_sortSection && m_sortOrder == Qt::AscendingOrder
                                    ? Qt::DescendingOrder
                                    : Qt::AscendingOrder;
    m_sorting = true;
    m_model->sort(section, order);
    m_sorting = false;
    showSortIndicator(section, order);
}

void DbGrid::onEditRejected(const QString& message)
{
    reportLater(message);
}

void DbGrid::reportLater(const QString& message)
{
    InputError::reportLater(this, message);
}

void DbGrid::reportNow(const QString& message)
{
    MessageBoxes::error(window(), message);
}

void DbGrid::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        editTriggers() == QAbstractItemView::NoEditTriggers) {
        if (currentIndex().isValid())
            emit rowActivated(currentIndex().row());
        else
            event->ignore();
        return;
    }
    const UserMove moving(this);
    QTableView::keyPressEvent(event);
}

void DbGrid::mousePressEvent(QMouseEvent* event)
{
    const UserMove moving(this);
    QTableView::mousePressEvent(event);
}

void DbGrid::mouseMoveEvent(QMouseEvent* event)
{
    const UserMove moving(this);
    QTableView::mouseMoveEvent(event);
}

void DbGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const UserMove moving(this);
    QTableView::mouseDoubleClickEvent(event);
    const QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid() && editTriggers() == QAbstractItemView::NoEditTriggers)
        emit rowActivated(at.row());
}
