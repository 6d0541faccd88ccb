#pragma once

#include <QHeaderView>

class DbGrid;

// The narrow column at the left of an editable grid that marks the current row:
// a triangle while it is only looked at, a pencil while it is being changed, a
// star while it is a new row. The user sees at a glance which row is not
// written yet.
class RowIndicator : public QHeaderView {
    Q_OBJECT

public:
    explicit RowIndicator(DbGrid* grid);

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    DbGrid* m_grid;
};
