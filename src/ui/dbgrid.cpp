#include "dbgrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QTimer>

#include <algorithm>

#include "dataset.h"
#include "errorreport.h"
#include "functionwindow.h"
#include "griddelegate.h"
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
    horizontalHeader()->setStretchLastSection(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DbGrid::sortByHeader);
    // Shift or Ctrl on a title click adds a sort key; the click signal does not say.
    horizontalHeader()->viewport()->installEventFilter(this);
    setItemDelegate(new GridDelegate(this));
    // Enter, on the main keyboard or the keypad alike, takes the current row
    // (keyPressEvent): it does not move on as in the fields.
    FunctionWindow::exemptFromEnterAsTab(this);
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
    disconnect(m_datasetGone);
    m_cursorLink = connect(&dataset, &Dataset::currentChanged, this, [this] { followDataset(); });
    // A window's datasets may go before its widgets: the model must not outlive its rows.
    m_datasetGone = connect(&dataset, &QObject::destroyed, this, [this] {
        setModel(nullptr);
        delete m_model;
        m_model = nullptr;
    });
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
    if (section < 0)
        m_sortKeys.clear();
    const QSignalBlocker quiet(horizontalHeader());
    horizontalHeader()->setSortIndicator(section, order);
}

void DbGrid::setCellPainter(std::function<QVariant(const RowRef&, int, const QString&)> painter)
{
    m_cellPainter = std::move(painter);
    viewport()->update();
}

void DbGrid::setColumnTextColor(const QString& field, const QColor& color)
{
    m_textColors.insert(field, color);
    viewport()->update();
}

void DbGrid::decorateCell(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    if (!m_model || !index.isValid() || index.column() >= m_model->columnCount())
        return;
    const QString& field = m_model->columnSpec(index.column()).field;
    const auto color = m_textColors.constFind(field);
    if (color != m_textColors.constEnd())
        option->palette.setColor(QPalette::Text, *color);
    if (m_cellPainter && index.row() < m_model->dataset().count()) {
        try {
            const QVariant background =
                m_cellPainter(m_model->dataset().rowRef(index.row()), index.row(), field);
            if (background.canConvert<QBrush>())
                option->backgroundBrush = background.value<QBrush>();
        } catch (const std::exception&) {
            // Painting must not throw; the cell keeps its row's look.
        }
    }
}

bool DbGrid::eventFilter(QObject* watched, QEvent* event)
{
    // Also the titles of frozen columns laid over the grid (frozencolumns.h).
    const bool title = watched == horizontalHeader()->viewport() ||
                       (watched->parent() && qobject_cast<QHeaderView*>(watched->parent()) &&
                        watched->parent()->parent() && watched->parent()->parent()->parent() == this);
    if (title && event->type() == QEvent::MouseButtonPress)
        m_clickModifiers = static_cast<QMouseEvent*>(event)->modifiers();
    return QTableView::eventFilter(watched, event);
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
    // A declared width is a minimum: the title always fits (the widths were
    // laid out for a smaller screen font).
    QHeaderView* header = horizontalHeader();
    const int padding = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) +
                        (header->isSortIndicatorShown() ? 16 : 0);
    // A formatted column is as wide as the widest value of its kind.
    const int cellPadding = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 6;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const ColumnSpec& spec = m_model->columnSpec(c);
        const int title =
            header->fontMetrics().horizontalAdvance(m_model->headerData(c, Qt::Horizontal).toString());
        const QString widest = widestValue(spec.format, m_moneyDigits);
        const int value = widest.isEmpty() ? shownTextWidth(c) : fontMetrics().horizontalAdvance(widest);
        header->resizeSection(c, std::max({spec.width, title + padding, value + cellPadding}));
    }
}

QString DbGrid::widestValue(DisplayFormat format, int digits)
{
    // "999,999,999" for nine digits: the commas between groups of three.
    QString nines(digits, u'9');
    for (int at = digits - 3; at > 0; at -= 3)
        nines.insert(at, u',');
    switch (format) {
        case DisplayFormat::Money:
        case DisplayFormat::Balance:
            return QStringLiteral("-¥") + nines;
        case DisplayFormat::Price:
            return QStringLiteral("-¥") + nines + QStringLiteral(".99");
        case DisplayFormat::Quantity:
            return QStringLiteral("-9,999,999.99");
        case DisplayFormat::Date:
            return QStringLiteral("8888/88/88");
        default:
            return {};
    }
}

int DbGrid::shownTextWidth(int column) const
{
    // The rows at hand, as many as a reader scrolls through; a long name is cut
    // at a width that leaves room for the other columns.
    constexpr int Rows = 1000;
    constexpr int Widest = 320;
    const int rows = std::min(m_model->rowCount(), Rows);
    int width = 0;
    for (int row = 0; row < rows && width < Widest; ++row)
        width =
            std::max(width, fontMetrics().horizontalAdvance(m_model->index(row, column).data().toString()));
    return std::min(width, Widest);
}

void DbGrid::setMoneyDigits(int digits)
{
    m_moneyDigits = digits;
    columnsChanged();
}

int DbGrid::preferredWidth() const
{
    const int rowHeader = verticalHeader()->isHidden() ? 0 : verticalHeader()->sizeHint().width();
    return rowHeader + horizontalHeader()->length() + 2 * frameWidth() +
           style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) + 2;
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
    if (!m_model || !m_sortable || section < 0 || section >= m_model->columnCount())
        return;
    const QString field = m_model->columnSpec(section).field;
    const bool further = m_clickModifiers & (Qt::ShiftModifier | Qt::ControlModifier);
    m_clickModifiers = {};
    QList<SortKey> keys = m_sortKeys;
    const auto it =
        std::find_if(keys.begin(), keys.end(), [&](const SortKey& k) { return k.field == field; });
    // A first click sorts ascending, whatever the style's habit; the next one
    // on the same title turns it round.
    if (!further) {
        const bool turn = keys.size() == 1 && it != keys.end();
        keys = {{field, turn && !it->descending}};
    } else if (it != keys.end()) {
        it->descending = !it->descending;
    } else {
        keys.append({field, false});
    }
    const bool descending = std::find_if(keys.begin(), keys.end(), [&](const SortKey& k) {
                                return k.field == field;
                            })->descending;
    try {
        m_sorting = true;
        m_model->dataset().sortBy(keys);
        m_sorting = false;
    } catch (...) {
        m_sorting = false;
        reportNow(currentExceptionMessage());
        return;
    }
    m_sortKeys = keys;
    showSortIndicator(section, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
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
