#include "datasetmodel.h"

#include <stdexcept>

#include "dataset.h"
#include "dberror.h"

DatasetModel::DatasetModel(Dataset& dataset, QList<ColumnSpec> columns, QObject* parent)
    : QAbstractTableModel(parent), m_dataset(dataset), m_columns(std::move(columns))
{
    rebuildShown();
    connect(&m_dataset, &Dataset::layoutAboutToReset, this, [this] { beginResetModel(); });
    connect(&m_dataset, &Dataset::layoutReset, this, [this] { endResetModel(); });
    connect(&m_dataset, &Dataset::rowAboutToBeInserted, this,
            [this](int row) { beginInsertRows({}, row, row); });
    connect(&m_dataset, &Dataset::rowInserted, this, [this] { endInsertRows(); });
    connect(&m_dataset, &Dataset::rowAboutToBeRemoved, this,
            [this](int row) { beginRemoveRows({}, row, row); });
    connect(&m_dataset, &Dataset::rowRemoved, this, [this] { endRemoveRows(); });
    connect(&m_dataset, &Dataset::rowUpdated, this, [this](int row) {
        if (row >= 0 && row < rowCount() && columnCount() > 0)
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
}

void DatasetModel::rebuildShown()
{
    m_shown.clear();
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].visible)
            m_shown << i;
    }
}

void DatasetModel::setColumnVisible(const QString& field, bool visible)
{
    for (ColumnSpec& c : m_columns) {
        if (c.field == field && c.visible != visible) {
            beginResetModel();
            c.visible = visible;
            rebuildShown();
            endResetModel();
            return;
        }
    }
}

const ColumnSpec& DatasetModel::columnSpec(int modelColumn) const
{
    return m_columns[m_shown.at(modelColumn)];
}

int DatasetModel::modelColumnOf(const QString& field) const
{
    for (int i = 0; i < m_shown.size(); ++i) {
        if (m_columns[m_shown[i]].field == field)
            return i;
    }
    return -1;
}

void DatasetModel::setRowPainter(std::function<QVariant(const RowRef&, int)> painter)
{
    m_painter = std::move(painter);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::BackgroundRole});
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_dataset.count();
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const ColumnSpec& spec = columnSpec(index.column());
    try {
        switch (role) {
            case Qt::DisplayRole:
                return m_dataset.fieldAt(index.row(), spec.field).display(spec.format);
            case Qt::EditRole: {
                const Field f = m_dataset.fieldAt(index.row(), spec.field);
                if (f.isNull())
                    return QString();
                switch (spec.format) {
                    case DisplayFormat::Money:
                    case DisplayFormat::Balance:
                    case DisplayFormat::Price:
                    case DisplayFormat::Quantity:
                        return f.asMoney().toPlainText();
                    case DisplayFormat::Date:
                        return f.asDate();
                    default:
                        return f.asText();
                }
            }
            case Qt::TextAlignmentRole:
                return QVariant::fromValue(spec.alignment);
            case Qt::BackgroundRole:
                if (m_painter)
                    return m_painter(m_dataset.rowRef(index.row()), index.row());
                return {};
            default:
                return {};
        }
    } catch (const std::exception&) {
        // A value that cannot be shown leaves its cell empty; painting must not throw.
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const ColumnSpec& spec = columnSpec(section);
    // Widths are the grid's business (it sizes its sections from the column specs).
    if (role == Qt::DisplayRole)
        return spec.title.isEmpty() ? spec.field : spec.title;
    if (role == Qt::ForegroundRole) {
        const QColor color = m_titleColors.value(spec.field);
        if (color.isValid())
            return color;
    }
    return {};
}

void DatasetModel::setColumnTitle(const QString& field, const QString& title, const QColor& color)
{
    for (ColumnSpec& spec : m_columns)
        if (spec.field == field)
            spec.title = title;
    if (color.isValid())
        m_titleColors.insert(field, color);
    else
        m_titleColors.remove(field);
    const int column = modelColumnOf(field);
    if (column >= 0)
        emit headerDataChanged(Qt::Horizontal, column, column);
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && !columnSpec(index.column()).readOnly)
        f |= Qt::ItemIsEditable;
    return f;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    const ColumnSpec& spec = columnSpec(index.column());
    if (spec.readOnly)
        return false;
    try {
        QVariant stored;
        const bool empty = !value.isValid() ||
                           (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty());
        if (!empty) {
            switch (spec.format) {
                case DisplayFormat::Money:
                case DisplayFormat::Balance:
                case DisplayFormat::Price:
                case DisplayFormat::Quantity:
                    stored = QVariant::fromValue(Money::parse(value.toString()));
                    break;
                case DisplayFormat::Integer: {
                    bool ok = false;
                    const qlonglong n = value.toString().trimmed().toLongLong(&ok);
                    if (!ok)
                        throw std::invalid_argument(
                            QStringLiteral("整数ではありません: 「%1」").arg(value.toString()).toStdString());
                    stored = n;
                    break;
                }
                default:
                    stored = value;
                    break;
            }
        }
        if (m_dataset.currentRow() != index.row())
            m_dataset.moveTo(index.row());
        m_dataset.edit();
        m_dataset.setValue(spec.field, stored);
        m_lastError.clear();
        return true;
    } catch (const DbError& e) {
        m_lastError = e.message();
    } catch (const std::exception& e) {
        m_lastError = QString::fromStdString(e.what());
    }
    emit editRejected(m_lastError);
    return false;
}

void DatasetModel::sort(int column, Qt::SortOrder order)
{
    if (!m_sortable || column < 0 || column >= columnCount())
        return;
    try {
        m_dataset.sortBy({{columnSpec(column).field, order == Qt::DescendingOrder}});
    } catch (const std::exception& e) {
        m_lastError = QString::fromStdString(e.what());
        emit editRejected(m_lastError);
    }
}
