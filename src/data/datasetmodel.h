#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>

#include "field.h"

class Dataset;
class RowRef;

// One grid column: which field, its title and width in pixels, alignment, how
// values are shown, whether it is shown and whether the user may type into it.
struct ColumnSpec {
    QString field;
    QString title;
    int width = 80;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    DisplayFormat format = DisplayFormat::Text;
    bool visible = true;
    bool readOnly = false;
};

// A table model over a dataset's visible rows, for grids. The grid's order is the
// dataset's order: a header click sorts the held rows themselves, so what is
// printed follows what is shown. Edits go through the dataset (edit, setValue),
// so the window's field handlers run as they do for typed input.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    DatasetModel(Dataset& dataset, QList<ColumnSpec> columns, QObject* parent = nullptr);

    Dataset& dataset() const { return m_dataset; }
    // Declared columns, shown or not; the model's columns are the shown ones.
    const QList<ColumnSpec>& declaredColumns() const { return m_columns; }
    void setColumnVisible(const QString& field, bool visible);
    const ColumnSpec& columnSpec(int modelColumn) const;
    int modelColumnOf(const QString& field) const;  // -1 when hidden or unknown
    // Retitles a declared column, its title drawn in `color` where that is valid
    // (a day's title in its weekday's colour).
    void setColumnTitle(const QString& field, const QString& title, const QColor& color = {});

    // Background of a row (a QColor or QBrush), or an invalid QVariant for none.
    void setRowPainter(std::function<QVariant(const RowRef& row, int rowIndex)> painter);
    void setSortable(bool sortable) { m_sortable = sortable; }

    // The message of the last refused edit (text that is not a number, a value the
    // dataset refused); the grid shows it.
    const QString& lastError() const { return m_lastError; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

signals:
    void editRejected(const QString& message);

private:
    void rebuildShown();

    Dataset& m_dataset;
    QList<ColumnSpec> m_columns;
    QHash<QString, QColor> m_titleColors;
    QList<int> m_shown;  // model column -> declared column
    std::function<QVariant(const RowRef&, int)> m_painter;
    bool m_sortable = true;
    QString m_lastError;
};
