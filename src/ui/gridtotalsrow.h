#pragma once

#include <QTableWidget>

class QTableView;

// A one-row strip under a grid showing its totals (the 合計 row). Its columns
// keep the grid's widths, hidden columns and horizontal scroll. It is no row of
// the grid: sorting, the cursor and the grid's row count never reach it.
class GridTotalsRow : public QTableWidget {
    Q_OBJECT

public:
    explicit GridTotalsRow(QTableView* grid, QWidget* parent = nullptr);

    // The text under the grid's model column `column`, bold, with `alignment`.
    void setCellText(int column, const QString& text, Qt::Alignment alignment);
    QString cellText(int column) const;
    // Empties every cell (the grid shows no rows).
    void clearTexts();

private:
    void followColumns();

    QTableView* m_grid;
};
