#pragma once

#include <QObject>

class DbGrid;
class QModelIndex;
class QTableView;

// Keeps the first columns of a grid in place while the grid scrolls sideways
// (a code and a name beside thirty-one day columns): a second view over the
// grid's model and selection, laid over the grid's left edge, scrolling up and
// down with it, its titles sorting the grid as the grid's own do. Made after
// the grid has its dataset; the columns keep the grid's widths.
class FrozenColumns : public QObject {
    Q_OBJECT

public:
    FrozenColumns(DbGrid* grid, int count);

    QTableView* view() const { return m_view; }
    int count() const { return m_count; }
    // The width the frozen columns cover, from the grid's left edge inside its frame.
    int width() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hideOthers();
    void syncHeader();
    void relayout();
    void keepInView(const QModelIndex& current);

    DbGrid* m_grid;
    QTableView* m_view;
    int m_count;
};
