#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

#include "field.h"

class Connection;
class Dataset;

// One held row. Values are in the engine's storage form (see Statement::toStorage).
struct DatasetRow {
    enum class Status { Unchanged, Inserted, Modified };
    std::vector<QVariant> values;
    std::vector<QVariant> original;  // as last read from or written to the database
    Status status = Status::Unchanged;
};

// The columns of a result and the fields computed from them (lookup and
// calculated fields); shared by a dataset and its cursors.
struct DatasetShape {
    struct Computed {
        QString name;
        std::function<QVariant(const class RowRef&)> compute;
    };
    QStringList columns;
    QHash<QString, int> columnIndex;
    std::vector<Computed> computed;
    QHash<QString, int> computedIndex;

    int column(const QString& name) const { return columnIndex.value(name, -1); }
    bool has(const QString& name) const { return columnIndex.contains(name) || computedIndex.contains(name); }
};

// Read access to one row by field name (filters, calculated fields, sorting).
class RowRef {
public:
    RowRef(const DatasetShape& shape, const DatasetRow& row) : m_shape(&shape), m_row(&row) {}
    Field field(const QString& name) const;
    QVariant value(const QString& name) const { return field(name).value(); }

private:
    const DatasetShape* m_shape;
    const DatasetRow* m_row;
};

using RowPredicate = std::function<bool(const RowRef&)>;

// A second cursor over a dataset's held rows, cached changes and the row being
// edited included. It reads; it never writes. It stays valid after the dataset
// closes, over the rows it was made on.
class Cursor {
public:
    void first() { m_pos = 0; }
    void next()
    {
        if (m_pos < count())
            ++m_pos;
    }
    bool eof() const { return m_pos >= count(); }
    int count() const { return int(m_rows->size()); }
    Field field(const QString& name) const;

private:
    friend class Dataset;
    std::shared_ptr<std::vector<std::shared_ptr<DatasetRow>>> m_rows;
    std::shared_ptr<DatasetShape> m_shape;
    int m_pos = 0;
};

// The handlers a window hangs on a dataset. A "before" handler may throw to stop
// the operation; a handler left empty does nothing.
struct DatasetEvents {
    std::function<void()> beforeInsert, afterInsert;
    std::function<void()> beforeEdit;
    std::function<void()> beforePost, afterPost;
    std::function<void()> beforeDelete, afterDelete;
    std::function<void()> afterCancel;
    std::function<void()> afterScroll;
    // After every assignment to a field, by the user or the program, including
    // assignments made inside this handler.
    std::function<void(const QString& field)> fieldChanged;
};

struct SortKey {
    QString field;
    bool descending = false;
};

// The held result of one query and a cursor over it: a window's view of its rows.
// Parameters are bound by name; the whole result is read at open. Rows can be
// written back to one declared table, at once (Immediate) or held until
// applyUpdates (Cached). A write finds its row by every column it read, so a row
// changed or deleted by another connection since it was read is never
// overwritten: the write fails with a clear message and the dataset keeps the
// user's values.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    enum class WriteMode { Immediate, Cached };

    explicit Dataset(Connection& connection, QString sql = {}, QObject* parent = nullptr);
    ~Dataset() override;

    DatasetEvents events;

    // -- query ------------------------------------------------------------------
    void setSql(const QString& sql);  // only while closed
    const QString& sql() const { return m_sql; }
    // QDate is bound as ISO text, Money as ten-thousandths, an invalid QVariant as NULL.
    void setParam(const QString& name, const QVariant& value);
    void open();
    // Opens on rows the program computed instead of a query's: `rows` in
    // order, each holding a value per column (as a query would give it:
    // qlonglong, double, QString, or invalid for NULL). It turns on
    // setReadOnlyRows, which stays on; a dataset with a write target refuses.
    void openRows(const QStringList& columns, std::vector<std::vector<QVariant>> rows);
    void close();
    // Rows that are only ever read (a document's list of many rows): open()
    // keeps no second copy of their values for the write-back and holds each
    // distinct text once, shared by every row that has it. Editing such rows,
    // or giving them a write target, is refused. Set while closed.
    void setReadOnlyRows(bool on);
    bool readOnlyRows() const { return m_readOnlyRows; }
    bool isOpen() const { return m_state != State::Inactive; }
    // An unopened dataset counts as empty.
    bool isEmpty() const { return count() == 0; }
    int count() const { return int(m_visible.size()); }
    const QStringList& columns() const { return m_shape->columns; }
    bool hasField(const QString& name) const { return m_shape->has(name); }

    // -- cursor -----------------------------------------------------------------
    // Moving off a row being edited posts it first.
    void first();
    void last();
    void next();
    void prior();
    void moveTo(int row);
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    int currentRow() const { return m_pos; }  // -1 when there is no row

    // -- fields -----------------------------------------------------------------
    Field field(const QString& name) const;  // of the current row
    Field fieldAt(int row, const QString& name) const;
    RowRef rowRef(int row) const;  // a visible row, for painting and printing
    void setValue(const QString& name, const QVariant& value);
    void addCalculatedField(const QString& name, std::function<QVariant(const RowRef&)> compute);
    // A field showing `resultField` of the row of `lookup` whose `lookupKey`
    // equals this row's `keyField`; null when there is none.
    void addLookupField(const QString& name, const QString& keyField, const Dataset& lookup,
                        const QString& lookupKey, const QString& resultField);

    // -- editing ------------------------------------------------------------------
    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Edit || m_state == State::Insert; }
    // Whether the row being edited or inserted was changed after its insert handler ran.
    bool isModified() const { return m_modified; }
    // `keptByDatabase`: columns of the table that the database keeps itself (a
    // slip's total, kept by triggers on its lines). They are read but never
    // written, and a change to them is not taken for another connection's edit.
    void setWriteTarget(const QString& table, const QStringList& key, WriteMode mode,
                        const QStringList& keptByDatabase = {});
    WriteMode writeMode() const { return m_mode; }
    void append();
    void insert();
    void edit();  // on an empty dataset this starts a new row
    // Ends the edit. In immediate mode it writes the row; also a row left unwritten
    // by a rolled-back transaction is written again.
    void post();
    void cancel();
    void remove();

    // -- cached writes ------------------------------------------------------------
    // Writes every pending change in one step: inside the connection's transaction
    // when one is open (kept pending again if that transaction rolls back), else in
    // a transaction of its own.
    void applyUpdates();
    void cancelUpdates();
    bool hasPendingUpdates() const;

    // -- filter, search, order ----------------------------------------------------
    void setFilter(RowPredicate predicate);
    void setFiltered(bool on);
    bool isFiltered() const { return m_filtered; }
    // Steps through the rows that match (the filter predicate when none is given).
    bool findFirst(const RowPredicate& predicate = {});
    bool findNext(const RowPredicate& predicate = {});
    void sortBy(const QList<SortKey>& keys);  // reorders the held rows

    Cursor clone() const;
    // The rows as they stand confirmed: without a row being inserted, and with a
    // row being edited as it was before the edit.
    Cursor confirmedClone() const;
    // Shows only the rows whose `detailField` equals the master's current `masterField`;
    // a new row takes the master's value.
    void setMasterLink(Dataset* master, const QString& masterField, const QString& detailField);

signals:
    // For item models: each "about" signal comes before the held rows change.
    void layoutAboutToReset();
    void layoutReset();  // opened, closed, filtered, sorted or reordered
    void rowAboutToBeInserted(int row);
    void rowInserted(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void rowUpdated(int row);
    void currentChanged(int row);
    void stateChanged();
    void valueChanged(const QString& field);

private:
    using RowPtr = std::shared_ptr<DatasetRow>;
    struct Deleted {
        RowPtr row;
        int storeIndex;
    };
    struct Snapshot;

    void requireOpen() const;
    void requireBrowseRow() const;
    void requireWritableRows() const;
    void checkBrowseMode();
    void setState(State state);
    void rebuildVisible(DatasetRow* keep);
    void install(std::shared_ptr<DatasetShape> shape, std::shared_ptr<std::vector<RowPtr>> store);
    void refreshView(DatasetRow* keep);
    void setPosition(int row);
    bool visibleByLink(const DatasetRow& row) const;
    int fieldColumn(const QString& name) const;
    int storeIndexOf(const DatasetRow* row) const;
    void startRow(bool atEnd);
    void dropRow(DatasetRow* row);
    void loadTargetColumns();
    void writeRow(DatasetRow& row);
    void deleteRow(const DatasetRow& row);
    void insertRowToTarget(const DatasetRow& row);
    bool keyChanged(const DatasetRow& row) const;
    void rememberUntilEnd(std::shared_ptr<Snapshot> snapshot);
    void restore(const Snapshot& snapshot);
    bool matches(const RowPredicate& predicate, const DatasetRow& row) const;
    void notifyFieldChanged(const QString& name);

    Connection& m_connection;
    QString m_sql;
    QHash<QString, QVariant> m_params;
    std::shared_ptr<DatasetShape> m_shape;
    std::shared_ptr<std::vector<RowPtr>> m_store;
    std::vector<DatasetRow*> m_visible;
    std::vector<Deleted> m_deleted;
    int m_pos = -1;
    bool m_eof = true;
    bool m_bof = true;
    State m_state = State::Inactive;
    bool m_modified = false;
    bool m_inInsertHandler = false;
    std::vector<QVariant> m_editBackup;
    DatasetRow::Status m_editStatusBackup = DatasetRow::Status::Unchanged;
    int m_notifyDepth = 0;

    QString m_table;
    QStringList m_key;
    QStringList m_keptByDatabase;
    WriteMode m_mode = WriteMode::Immediate;
    std::vector<int> m_targetColumns;  // dataset columns that are columns of m_table

    bool m_readOnlyRows = false;

    RowPredicate m_filter;
    bool m_filtered = false;

    Dataset* m_master = nullptr;
    QString m_masterField, m_detailField;
    QMetaObject::Connection m_masterMoved, m_masterReset, m_masterUpdated;
};
