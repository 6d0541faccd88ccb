#include "frozencolumns.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include "dbgrid.h"

FrozenColumns::FrozenColumns(DbGrid* grid, int count)
    : QObject(grid), m_grid(grid), m_view(new QTableView(grid)), m_count(count)
{
    m_view->setObjectName(grid->objectName() + QStringLiteral("Frozen"));
    m_view->setModel(grid->model());
    m_view->setSelectionModel(grid->selectionModel());
    m_view->setItemDelegate(grid->itemDelegate());
    m_view->setSelectionBehavior(grid->selectionBehavior());
    m_view->setSelectionMode(grid->selectionMode());
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->setFocusPolicy(Qt::NoFocus);
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(grid->verticalHeader()->defaultSectionSize());
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setVerticalScrollMode(grid->verticalScrollMode());
    QHeaderView* header = m_view->horizontalHeader();
    header->setDefaultAlignment(grid->horizontalHeader()->defaultAlignment());
    header->setMinimumHeight(grid->horizontalHeader()->minimumHeight());
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsClickable(grid->horizontalHeader()->sectionsClickable());
    header->setSortIndicatorShown(grid->horizontalHeader()->isSortIndicatorShown());
    // A title click here is a click on the grid's title of the same column,
    // with the keys held (the grid reads them from the press).
    header->viewport()->installEventFilter(grid);
    connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
        emit m_grid->horizontalHeader()->sectionClicked(section);
        syncHeader();
    });

    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, grid->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, m_view->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (section < m_count) {
            m_view->setColumnWidth(section, size);
            relayout();
        }
    });
    connect(grid->model(), &QAbstractItemModel::modelReset, this, [this] {
        hideOthers();
        // The grid sets its sort indicator after the rows are in their new order.
        QTimer::singleShot(0, this, [this] { syncHeader(); });
    });
    connect(grid->model(), &QAbstractItemModel::headerDataChanged, m_view->horizontalHeader(),
            [this] { m_view->horizontalHeader()->viewport()->update(); });
    // A cell reached with the keys (or the mouse) is never left under the
    // frozen columns: the grid scrolled it into its viewport, this scrolls it
    // out from behind them.
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { keepInView(current); });
    grid->installEventFilter(this);
    hideOthers();
    m_view->show();
    m_view->raise();
}

int FrozenColumns::width() const
{
    int width = 0;
    for (int c = 0; c < m_count; ++c)
        width += m_grid->columnWidth(c);
    return width;
}

void FrozenColumns::hideOthers()
{
    const int columns = m_view->model() ? m_view->model()->columnCount() : 0;
    for (int c = 0; c < columns; ++c) {
        m_view->setColumnHidden(c, c >= m_count);
        if (c < m_count)
            m_view->setColumnWidth(c, m_grid->columnWidth(c));
    }
    relayout();
}

void FrozenColumns::syncHeader()
{
    const QHeaderView* from = m_grid->horizontalHeader();
    QHeaderView* to = m_view->horizontalHeader();
    const QSignalBlocker quiet(to);
    to->setSortIndicatorShown(from->isSortIndicatorShown());
    to->setSortIndicator(from->sortIndicatorSection() < m_count ? from->sortIndicatorSection() : -1,
                         from->sortIndicatorOrder());
}

void FrozenColumns::keepInView(const QModelIndex& current)
{
    if (!current.isValid() || current.column() < m_count)
        return;
    const int hidden = width() - m_grid->columnViewportPosition(current.column());
    if (hidden <= 0)
        return;
    QScrollBar* bar = m_grid->horizontalScrollBar();
    if (m_grid->horizontalScrollMode() == QAbstractItemView::ScrollPerPixel) {
        bar->setValue(bar->value() - hidden);
        return;
    }
    // Column by column: back until the cell starts right of the frozen columns.
    while (bar->value() > bar->minimum() && m_grid->columnViewportPosition(current.column()) < width())
        bar->setValue(bar->value() - 1);
}

void FrozenColumns::relayout()
{
    const int left = m_grid->frameWidth() +
                     (m_grid->verticalHeader()->isVisible() ? m_grid->verticalHeader()->width() : 0);
    m_view->setGeometry(left, m_grid->frameWidth(), width(),
                        m_grid->viewport()->height() + m_grid->horizontalHeader()->height());
}

bool FrozenColumns::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && (event->type() == QEvent::Resize || event->type() == QEvent::Show ||
                              event->type() == QEvent::LayoutRequest))
        relayout();
    return QObject::eventFilter(watched, event);
}
