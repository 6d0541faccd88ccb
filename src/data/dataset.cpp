#include "dataset.h"

#include <QPointer>

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

#include "connection.h"
#include "dberror.h"
#include "statement.h"

namespace {

constexpr int kMaxNotifyDepth = 64;

// Looks a text up by the engine's bytes without making a string of them first.
struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

QString quoted(const QString& identifier)
{
    QString text = identifier;
    text.replace(u'"', QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

bool sameValue(const QVariant& a, const QVariant& b)
{
    const bool aNull = !a.isValid() || a.isNull();
    const bool bNull = !b.isValid() || b.isNull();
    if (aNull || bNull)
        return aNull == bNull;
    return a == b || (a.typeId() != b.typeId() && a.toString() == b.toString());
}

bool isNumber(const QVariant& v)
{
    return v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double;
}

// Nulls first, numbers by value, everything else as text.
int compareValues(const QVariant& a, const QVariant& b)
{
    const bool aNull = !a.isValid() || a.isNull();
    const bool bNull = !b.isValid() || b.isNull();
    if (aNull || bNull)
        return int(bNull) - int(aNull) == 0 ? 0 : (aNull ? -1 : 1);
    if (a.typeId() == QMetaType::LongLong && b.typeId() == QMetaType::LongLong) {
        const qlonglong x = a.toLongLong(), y = b.toLongLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString)
        return QString::compare(*static_cast<const QString*>(a.constData()),
                                *static_cast<const QString*>(b.constData()));
    if (isNumber(a) && isNumber(b)) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return QString::compare(a.toString(), b.toString());
}

QVariant normalised(const QVariant& value)
{
    QVariant v = Statement::toStorage(value);
    // Text is null when empty.
    if (v.typeId() == QMetaType::QString && v.toString().isEmpty())
        return {};
    return v;
}

DbConflict conflictError(const QString& table)
{
    return DbConflict(
        QStringLiteral("%1 の行は、読み込んだ後に他の画面または他のプログラムで変更または削除されたため、"
                       "保存できません。画面を開き直してから、もう一度操作してください。")
            .arg(table));
}

}  // namespace

// What a write changed in the held rows, so that a rollback of the transaction it
// ran in can put the rows back to "not yet written".
struct Dataset::Snapshot {
    std::weak_ptr<std::vector<RowPtr>> store;
    std::vector<std::pair<RowPtr, DatasetRow>> rows;
    std::vector<Deleted> deleted;
    bool hasDeleted = false;
    std::vector<std::pair<RowPtr, int>> removed;  // rows deleted in the database at once
};

Field RowRef::field(const QString& name) const
{
    const int column = m_shape->column(name);
    if (column >= 0)
        return Field(m_row->values[size_t(column)]);
    const auto it = m_shape->computedIndex.constFind(name);
    if (it != m_shape->computedIndex.constEnd())
        return Field(m_shape->computed[size_t(*it)].compute(*this));
    throw DbError(QStringLiteral("項目 %1 がありません。").arg(name));
}

Field Cursor::field(const QString& name) const
{
    if (eof())
        return Field();
    return RowRef(*m_shape, *(*m_rows)[size_t(m_pos)]).field(name);
}

Dataset::Dataset(Connection& connection, QString sql, QObject* parent)
    : QObject(parent),
      m_connection(connection),
      m_sql(std::move(sql)),
      m_shape(std::make_shared<DatasetShape>()),
      m_store(std::make_shared<std::vector<RowPtr>>())
{
}

Dataset::~Dataset() = default;

// -- query ---------------------------------------------------------------------------

void Dataset::setSql(const QString& sql)
{
    if (isOpen())
        throw DbError(QStringLiteral("開いているデータセットの SQL は変更できません。"));
    m_sql = sql;
}

void Dataset::setReadOnlyRows(bool on)
{
    if (isOpen())
        throw DbError(QStringLiteral("開いているデータセットの読み取り専用の指定は変更できません。"));
    if (on && !m_table.isEmpty())
        throw DbError(QStringLiteral("書き込み先のあるデータセットは読み取り専用にできません。"));
    m_readOnlyRows = on;
}

void Dataset::requireWritableRows() const
{
    if (m_readOnlyRows)
        throw DbError(QStringLiteral("読み取り専用のデータセットは編集できません。"));
}

void Dataset::setParam(const QString& name, const QVariant& value)
{
    m_params.insert(name.startsWith(u':') ? name.mid(1) : name, value);
}

void Dataset::open()
{
    if (isOpen())
        return;
    Statement st(m_connection, m_sql);
    for (int i = 1; i <= st.parameterCount(); ++i) {
        const QString name = st.parameterName(i).mid(1);
        const auto it = m_params.constFind(name);
        if (name.isEmpty() || it == m_params.constEnd())
            throw DbError(QStringLiteral("パラメータ :%1 に値が設定されていません。").arg(name));
        st.bind(i, *it);
    }
    auto shape = std::make_shared<DatasetShape>();
    for (int c = 0; c < st.columnCount(); ++c) {
        const QString name = st.columnName(c);
        shape->columns << name;
        if (!shape->columnIndex.contains(name))
            shape->columnIndex.insert(name, c);
    }
    shape->computed = m_shape->computed;
    shape->computedIndex = m_shape->computedIndex;

    auto store = std::make_shared<std::vector<RowPtr>>();
    const int n = st.columnCount();
    if (m_readOnlyRows) {
        // Each distinct text is made once and shared; most texts of a long list
        // (dates, names, codes) repeat from row to row.
        std::unordered_map<std::string, QVariant, TextHash, std::equal_to<>> texts;
        while (st.step()) {
            auto row = std::make_shared<DatasetRow>();
            row->values.reserve(size_t(n));
            for (int c = 0; c < n; ++c) {
                const std::optional<std::string_view> text = st.utf8Text(c);
                if (!text) {
                    row->values.push_back(st.value(c));
                    continue;
                }
                auto it = texts.find(*text);
                if (it == texts.end())
                    it = texts.emplace(std::string(*text), QVariant(st.text(c))).first;
                row->values.push_back(it->second);
            }
            store->push_back(std::move(row));
        }
    } else {
        while (st.step()) {
            auto row = std::make_shared<DatasetRow>();
            row->values.reserve(size_t(n));
            for (int c = 0; c < n; ++c)
                row->values.push_back(st.value(c));
            row->original = row->values;
            store->push_back(std::move(row));
        }
    }

    install(std::move(shape), std::move(store));
}

void Dataset::openRows(const QStringList& columns, std::vector<std::vector<QVariant>> rows)
{
    if (isOpen())
        throw DbError(QStringLiteral("開いているデータセットに行を入れることはできません。"));
    if (!m_table.isEmpty())
        throw DbError(QStringLiteral("書き込み先のあるデータセットに計算した行を入れることはできません。"));
    auto shape = std::make_shared<DatasetShape>();
    for (int c = 0; c < columns.size(); ++c) {
        shape->columns << columns[c];
        if (!shape->columnIndex.contains(columns[c]))
            shape->columnIndex.insert(columns[c], c);
    }
    shape->computed = m_shape->computed;
    shape->computedIndex = m_shape->computedIndex;
    auto store = std::make_shared<std::vector<RowPtr>>();
    store->reserve(rows.size());
    for (std::vector<QVariant>& values : rows) {
        if (values.size() != std::size_t(columns.size()))
            throw DbError(QStringLiteral("計算した行の列の数が見出しと合いません。"));
        auto row = std::make_shared<DatasetRow>();
        row->values = std::move(values);
        store->push_back(std::move(row));
    }
    m_readOnlyRows = true;
    install(std::move(shape), std::move(store));
}

void Dataset::install(std::shared_ptr<DatasetShape> shape, std::shared_ptr<std::vector<RowPtr>> store)
{
    emit layoutAboutToReset();
    m_shape = std::move(shape);
    m_store = std::move(store);
    m_deleted.clear();
    m_modified = false;
    if (!m_table.isEmpty())
        loadTargetColumns();
    m_state = State::Browse;
    rebuildVisible(nullptr);
    m_pos = m_visible.empty() ? -1 : 0;
    m_eof = m_visible.empty();
    m_bof = true;
    emit layoutReset();
    emit stateChanged();
    emit currentChanged(m_pos);
    if (events.afterScroll)
        events.afterScroll();
}

void Dataset::close()
{
    if (!isOpen())
        return;
    emit layoutAboutToReset();
    m_state = State::Inactive;
    m_store = std::make_shared<std::vector<RowPtr>>();
    m_visible.clear();
    m_deleted.clear();
    m_pos = -1;
    m_eof = m_bof = true;
    m_modified = false;
    emit layoutReset();
    emit stateChanged();
    emit currentChanged(-1);
}

// -- cursor --------------------------------------------------------------------------

void Dataset::first()
{
    checkBrowseMode();
    setPosition(m_visible.empty() ? -1 : 0);
    m_eof = m_visible.empty();
    m_bof = true;
}

void Dataset::last()
{
    checkBrowseMode();
    setPosition(int(m_visible.size()) - 1);
    m_eof = m_visible.empty();
    m_bof = m_visible.empty();
}

void Dataset::next()
{
    checkBrowseMode();
    if (m_pos + 1 < count()) {
        setPosition(m_pos + 1);
        m_bof = false;
    } else {
        m_eof = true;
    }
}

void Dataset::prior()
{
    checkBrowseMode();
    if (m_pos > 0) {
        setPosition(m_pos - 1);
        m_eof = false;
    } else {
        m_bof = true;
    }
}

void Dataset::moveTo(int row)
{
    if (row < 0 || row >= count())
        throw DbError(QStringLiteral("行 %1 はありません。").arg(row + 1));
    if (row == m_pos)
        return;
    checkBrowseMode();
    setPosition(row);
    m_eof = m_bof = false;
}

void Dataset::setPosition(int row)
{
    if (row == m_pos)
        return;
    m_pos = row;
    emit currentChanged(row);
    if (events.afterScroll)
        events.afterScroll();
}

// -- fields --------------------------------------------------------------------------

Field Dataset::field(const QString& name) const
{
    if (m_pos < 0) {
        if (!m_shape->has(name) && isOpen())
            throw DbError(QStringLiteral("項目 %1 がありません。").arg(name));
        return Field();
    }
    return RowRef(*m_shape, *m_visible[size_t(m_pos)]).field(name);
}

Field Dataset::fieldAt(int row, const QString& name) const
{
    if (row < 0 || row >= count())
        throw DbError(QStringLiteral("行 %1 はありません。").arg(row + 1));
    return RowRef(*m_shape, *m_visible[size_t(row)]).field(name);
}

RowRef Dataset::rowRef(int row) const
{
    if (row < 0 || row >= count())
        throw DbError(QStringLiteral("行 %1 はありません。").arg(row + 1));
    return RowRef(*m_shape, *m_visible[size_t(row)]);
}

int Dataset::fieldColumn(const QString& name) const
{
    const int column = m_shape->column(name);
    if (column < 0)
        throw DbError(QStringLiteral("項目 %1 には値を設定できません。").arg(name));
    return column;
}

void Dataset::setValue(const QString& name, const QVariant& value)
{
    if (!isEditing())
        throw DbError(QStringLiteral("編集中ではないため、%1 に値を設定できません。").arg(name));
    const int column = fieldColumn(name);
    m_visible[size_t(m_pos)]->values[size_t(column)] = normalised(value);
    if (!m_inInsertHandler)
        m_modified = true;
    emit rowUpdated(m_pos);
    emit valueChanged(name);
    notifyFieldChanged(name);
}

void Dataset::notifyFieldChanged(const QString& name)
{
    if (!events.fieldChanged)
        return;
    if (m_notifyDepth >= kMaxNotifyDepth)
        throw DbError(QStringLiteral("項目の変更が連鎖しすぎています: %1").arg(name));
    ++m_notifyDepth;
    try {
        events.fieldChanged(name);
    } catch (...) {
        --m_notifyDepth;
        throw;
    }
    --m_notifyDepth;
}

void Dataset::addCalculatedField(const QString& name, std::function<QVariant(const RowRef&)> compute)
{
    if (m_shape->columnIndex.contains(name) || m_shape->computedIndex.contains(name))
        throw DbError(QStringLiteral("項目 %1 は既にあります。").arg(name));
    // Cursors made earlier keep the shape they were made with.
    auto shape = std::make_shared<DatasetShape>(*m_shape);
    shape->computedIndex.insert(name, int(shape->computed.size()));
    shape->computed.push_back({name, std::move(compute)});
    m_shape = std::move(shape);
}

void Dataset::addLookupField(const QString& name, const QString& keyField, const Dataset& lookup,
                             const QString& lookupKey, const QString& resultField)
{
    const Dataset* source = &lookup;
    addCalculatedField(name, [=](const RowRef& row) -> QVariant {
        const QVariant key = row.value(keyField);
        if (!key.isValid() || key.isNull())
            return {};
        for (int i = 0; i < source->count(); ++i) {
            if (sameValue(source->fieldAt(i, lookupKey).value(), key))
                return source->fieldAt(i, resultField).value();
        }
        return {};
    });
}

// -- editing -------------------------------------------------------------------------

void Dataset::requireOpen() const
{
    if (!isOpen())
        throw DbError(QStringLiteral("データセットが開いていません。"));
}

void Dataset::requireBrowseRow() const
{
    requireOpen();
    if (m_pos < 0)
        throw DbError(QStringLiteral("対象の行がありません。"));
}

void Dataset::checkBrowseMode()
{
    if (isEditing())
        post();
}

void Dataset::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged();
}

void Dataset::append()
{
    startRow(true);
}

void Dataset::insert()
{
    startRow(false);
}

void Dataset::startRow(bool atEnd)
{
    requireOpen();
    requireWritableRows();
    checkBrowseMode();
    if (events.beforeInsert)
        events.beforeInsert();
    auto row = std::make_shared<DatasetRow>();
    row->values.resize(size_t(m_shape->columns.size()));
    row->original = row->values;
    row->status = DatasetRow::Status::Inserted;
    if (m_master && m_master->isOpen()) {
        const int column = m_shape->column(m_detailField);
        if (column >= 0)
            row->values[size_t(column)] = m_master->field(m_masterField).value();
    }

    const int visibleIndex = (atEnd || m_pos < 0) ? count() : m_pos;
    int storeIndex = int(m_store->size());
    if (visibleIndex < count())
        storeIndex = storeIndexOf(m_visible[size_t(visibleIndex)]);
    emit rowAboutToBeInserted(visibleIndex);
    m_store->insert(m_store->begin() + storeIndex, row);
    m_visible.insert(m_visible.begin() + visibleIndex, row.get());
    emit rowInserted(visibleIndex);
    m_pos = -1;  // the new row becomes current in any case
    setPosition(visibleIndex);
    m_eof = m_bof = false;
    m_modified = false;
    setState(State::Insert);
    if (events.afterInsert) {
        m_inInsertHandler = true;
        try {
            events.afterInsert();
        } catch (...) {
            m_inInsertHandler = false;
            throw;
        }
        m_inInsertHandler = false;
    }
}

void Dataset::edit()
{
    requireOpen();
    requireWritableRows();
    if (isEditing())
        return;
    if (m_pos < 0) {
        append();
        return;
    }
    if (events.beforeEdit)
        events.beforeEdit();
    const DatasetRow& row = *m_visible[size_t(m_pos)];
    m_editBackup = row.values;
    m_editStatusBackup = row.status;
    m_modified = false;
    setState(State::Edit);
}

void Dataset::post()
{
    requireOpen();
    if (!isEditing()) {
        // A row whose write was undone by a rolled-back transaction is written again.
        if (m_mode == WriteMode::Immediate && !m_table.isEmpty() && m_pos >= 0 &&
            m_visible[size_t(m_pos)]->status != DatasetRow::Status::Unchanged)
            writeRow(*m_visible[size_t(m_pos)]);
        return;
    }
    if (events.beforePost)
        events.beforePost();
    DatasetRow& row = *m_visible[size_t(m_pos)];
    if (row.status == DatasetRow::Status::Unchanged && row.values != row.original)
        row.status = DatasetRow::Status::Modified;
    if (m_mode == WriteMode::Immediate && !m_table.isEmpty() && row.status != DatasetRow::Status::Unchanged)
        writeRow(row);  // on failure the row stays in edit, with the user's values
    m_modified = false;
    setState(State::Browse);
    emit rowUpdated(m_pos);
    if (events.afterPost)
        events.afterPost();
}

void Dataset::cancel()
{
    if (!isEditing())
        return;
    DatasetRow* row = m_visible[size_t(m_pos)];
    m_modified = false;
    if (m_state == State::Insert) {
        setState(State::Browse);
        dropRow(row);
    } else {
        row->values = m_editBackup;
        row->status = m_editStatusBackup;
        setState(State::Browse);
        emit rowUpdated(m_pos);
    }
    if (events.afterCancel)
        events.afterCancel();
}

void Dataset::remove()
{
    requireOpen();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    requireBrowseRow();
    if (events.beforeDelete)
        events.beforeDelete();
    if (m_state == State::Edit) {
        DatasetRow& row = *m_visible[size_t(m_pos)];
        row.values = m_editBackup;
        row.status = m_editStatusBackup;
        m_modified = false;
        setState(State::Browse);
    }
    DatasetRow* row = m_visible[size_t(m_pos)];
    const int storeIndex = storeIndexOf(row);
    const RowPtr owner = (*m_store)[size_t(storeIndex)];
    if (row->status != DatasetRow::Status::Inserted && !m_table.isEmpty()) {
        if (m_mode == WriteMode::Immediate) {
            auto snapshot = std::make_shared<Snapshot>();
            snapshot->store = m_store;
            snapshot->removed.emplace_back(owner, storeIndex);
            Transaction tx(m_connection);
            deleteRow(*row);
            rememberUntilEnd(snapshot);
            tx.commit();
        } else {
            m_deleted.push_back({owner, storeIndex});
        }
    }
    dropRow(row);
    if (events.afterDelete)
        events.afterDelete();
}

void Dataset::dropRow(DatasetRow* row)
{
    const auto it = std::find(m_visible.begin(), m_visible.end(), row);
    const int visibleIndex = it == m_visible.end() ? -1 : int(it - m_visible.begin());
    if (visibleIndex >= 0)
        emit rowAboutToBeRemoved(visibleIndex);
    const int storeIndex = storeIndexOf(row);
    if (storeIndex >= 0)
        m_store->erase(m_store->begin() + storeIndex);
    if (visibleIndex < 0)
        return;
    m_visible.erase(m_visible.begin() + visibleIndex);
    emit rowRemoved(visibleIndex);
    const int newPos = std::min(visibleIndex, count() - 1);
    m_pos = -2;  // force the notification: the current row is a different one now
    setPosition(newPos);
    m_eof = m_bof = m_visible.empty();
}

int Dataset::storeIndexOf(const DatasetRow* row) const
{
    for (size_t i = 0; i < m_store->size(); ++i) {
        if ((*m_store)[i].get() == row)
            return int(i);
    }
    return -1;
}

// -- writing -------------------------------------------------------------------------

void Dataset::setWriteTarget(const QString& table, const QStringList& key, WriteMode mode,
                             const QStringList& keptByDatabase)
{
    if (isEditing() || hasPendingUpdates())
        throw DbError(QStringLiteral("編集中は書き込み先を変更できません。"));
    requireWritableRows();
    m_table = table;
    m_key = key;
    m_mode = mode;
    m_keptByDatabase = keptByDatabase;
    if (isOpen())
        loadTargetColumns();
}

void Dataset::loadTargetColumns()
{
    Statement st(m_connection, QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    st.bind(1, m_table);
    QStringList tableColumns;
    while (st.step())
        tableColumns << st.text(0);
    if (tableColumns.isEmpty())
        throw DbError(QStringLiteral("書き込み先のテーブル %1 がありません。").arg(m_table));
    m_targetColumns.clear();
    for (const QString& name : tableColumns) {
        const int column = m_shape->column(name);
        if (column >= 0 && !m_keptByDatabase.contains(name))
            m_targetColumns.push_back(column);
    }
    for (const QString& k : m_key) {
        if (m_shape->column(k) < 0)
            throw DbError(QStringLiteral("キー項目 %1 が %2 の結果にありません。").arg(k, m_table));
    }
}

bool Dataset::keyChanged(const DatasetRow& row) const
{
    for (const QString& k : m_key) {
        const size_t column = size_t(m_shape->column(k));
        if (!sameValue(row.values[column], row.original[column]))
            return true;
    }
    return false;
}

// The row as it was read: every column of the target that the query returned.
// Comparing them all is what detects a change by another connection. Stored
// text that is not valid UTF-8 (written by another tool) was read with U+FFFD in
// place of each bad sequence; such a column is compared as it reads
// (read_text(), the connection's own decoding), not byte for byte, or the row
// could never be written again.
static QString whereOriginal(const DatasetShape& shape, const std::vector<int>& columns,
                             const std::vector<QVariant>& original)
{
    QStringList terms;
    for (int c : columns) {
        const QVariant& read = original[size_t(c)];
        const bool decoded =
            read.typeId() == QMetaType::QString && read.toString().contains(QChar::ReplacementCharacter);
        terms << (decoded ? QStringLiteral("read_text(%1) IS ?") : QStringLiteral("%1 IS ?"))
                     .arg(quoted(shape.columns[c]));
    }
    return terms.join(QStringLiteral(" AND "));
}

void Dataset::insertRowToTarget(const DatasetRow& row)
{
    QStringList names, marks;
    for (int c : m_targetColumns) {
        names << quoted(m_shape->columns[c]);
        marks << QStringLiteral("?");
    }
    Statement st(m_connection, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(quoted(m_table), names.join(u','), marks.join(u',')));
    int i = 1;
    for (int c : m_targetColumns)
        st.bind(i++, row.values[size_t(c)]);
    st.run();
}

void Dataset::deleteRow(const DatasetRow& row)
{
    Statement st(m_connection,
                 QStringLiteral("DELETE FROM %1 WHERE %2")
                     .arg(quoted(m_table), whereOriginal(*m_shape, m_targetColumns, row.original)));
    int i = 1;
    for (int c : m_targetColumns)
        st.bind(i++, row.original[size_t(c)]);
    if (st.run() != 1)
        throw conflictError(m_table);
}

void Dataset::writeRow(DatasetRow& row)
{
    auto snapshot = std::make_shared<Snapshot>();
    snapshot->store = m_store;
    const RowPtr owner = (*m_store)[size_t(storeIndexOf(&row))];
    snapshot->rows.emplace_back(owner, row);

    Transaction tx(m_connection);
    if (row.status == DatasetRow::Status::Inserted) {
        insertRowToTarget(row);
    } else {
        std::vector<int> changed;
        for (int c : m_targetColumns) {
            if (!sameValue(row.values[size_t(c)], row.original[size_t(c)]))
                changed.push_back(c);
        }
        if (!changed.empty()) {
            QStringList sets;
            for (int c : changed)
                sets << quoted(m_shape->columns[c]) + QStringLiteral(" = ?");
            Statement st(m_connection, QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                           .arg(quoted(m_table), sets.join(u','),
                                                whereOriginal(*m_shape, m_targetColumns, row.original)));
            int i = 1;
            for (int c : changed)
                st.bind(i++, row.values[size_t(c)]);
            for (int c : m_targetColumns)
                st.bind(i++, row.original[size_t(c)]);
            if (st.run() != 1)
                throw conflictError(m_table);
        }
    }
    row.original = row.values;
    row.status = DatasetRow::Status::Unchanged;
    rememberUntilEnd(snapshot);
    tx.commit();
}

void Dataset::applyUpdates()
{
    if (!isOpen() || m_mode != WriteMode::Cached)
        return;
    checkBrowseMode();
    if (!hasPendingUpdates())
        return;
    if (m_table.isEmpty())
        throw DbError(QStringLiteral("書き込み先が指定されていません。"));

    auto snapshot = std::make_shared<Snapshot>();
    snapshot->store = m_store;
    snapshot->deleted = m_deleted;
    snapshot->hasDeleted = true;
    for (const RowPtr& row : *m_store) {
        if (row->status != DatasetRow::Status::Unchanged)
            snapshot->rows.emplace_back(row, *row);
    }

    // Deletions first, then updates in place, then insertions: a line renumbered
    // onto a number another line gives up is removed under its old key and written
    // under its new one, so no order of renumbering collides with a key.
    Transaction tx(m_connection);
    // Registered before the first write: whichever write fails, the rollback puts
    // every row back to pending, including those already marked written here.
    rememberUntilEnd(snapshot);
    for (const Deleted& d : m_deleted)
        deleteRow(*d.row);
    for (const auto& [row, before] : snapshot->rows) {
        if (row->status == DatasetRow::Status::Modified && keyChanged(*row))
            deleteRow(*row);
    }
    for (const auto& [row, before] : snapshot->rows) {
        if (row->status == DatasetRow::Status::Modified && !keyChanged(*row))
            writeRow(*row);
    }
    for (const auto& [row, before] : snapshot->rows) {
        if (row->status == DatasetRow::Status::Inserted ||
            (row->status == DatasetRow::Status::Modified && keyChanged(*row))) {
            insertRowToTarget(*row);
            row->original = row->values;
            row->status = DatasetRow::Status::Unchanged;
        }
    }
    m_deleted.clear();
    tx.commit();
}

void Dataset::cancelUpdates()
{
    if (!isOpen())
        return;
    cancel();
    DatasetRow* current = m_pos >= 0 ? m_visible[size_t(m_pos)] : nullptr;
    emit layoutAboutToReset();
    std::vector<RowPtr> kept;
    for (const RowPtr& row : *m_store) {
        if (row->status == DatasetRow::Status::Inserted)
            continue;
        if (row->status == DatasetRow::Status::Modified) {
            row->values = row->original;
            row->status = DatasetRow::Status::Unchanged;
        }
        kept.push_back(row);
    }
    *m_store = std::move(kept);
    for (auto it = m_deleted.rbegin(); it != m_deleted.rend(); ++it) {
        // A row edited before it was deleted comes back as it was read: its
        // edit goes with the deletion, or a later apply would write it.
        it->row->values = it->row->original;
        it->row->status = DatasetRow::Status::Unchanged;
        const size_t at = std::min(size_t(std::max(it->storeIndex, 0)), m_store->size());
        m_store->insert(m_store->begin() + at, it->row);
    }
    m_deleted.clear();
    rebuildVisible(current);
    emit layoutReset();
    emit currentChanged(m_pos);
}

bool Dataset::hasPendingUpdates() const
{
    if (!m_deleted.empty())
        return true;
    return std::any_of(m_store->begin(), m_store->end(),
                       [](const RowPtr& row) { return row->status != DatasetRow::Status::Unchanged; });
}

void Dataset::rememberUntilEnd(std::shared_ptr<Snapshot> snapshot)
{
    QPointer<Dataset> self(this);
    m_connection.onTransactionEnd([self, snapshot](bool committed) {
        if (!committed && self)
            self->restore(*snapshot);
    });
}

void Dataset::restore(const Snapshot& snapshot)
{
    if (snapshot.store.lock() != m_store)
        return;  // closed or reopened since: nothing held to put back
    for (const auto& [row, before] : snapshot.rows) {
        row->original = before.original;
        row->status = before.status;
    }
    if (snapshot.hasDeleted)
        m_deleted = snapshot.deleted;
    if (!snapshot.removed.empty()) {
        DatasetRow* current = m_pos >= 0 ? m_visible[size_t(m_pos)] : nullptr;
        emit layoutAboutToReset();
        for (const auto& [row, index] : snapshot.removed) {
            const size_t at = std::min(size_t(index), m_store->size());
            m_store->insert(m_store->begin() + at, row);
        }
        rebuildVisible(current);
        emit layoutReset();
        emit currentChanged(m_pos);
    }
}

// -- filter, search, order -----------------------------------------------------------

bool Dataset::visibleByLink(const DatasetRow& row) const
{
    if (!m_master)
        return true;
    const int column = m_shape->column(m_detailField);
    if (column < 0 || !m_master->isOpen() || m_master->currentRow() < 0)
        return false;
    const QVariant key = m_master->field(m_masterField).value();
    return !key.isNull() && key.isValid() && sameValue(row.values[size_t(column)], key);
}

bool Dataset::matches(const RowPredicate& predicate, const DatasetRow& row) const
{
    return !predicate || predicate(RowRef(*m_shape, row));
}

void Dataset::refreshView(DatasetRow* keep)
{
    emit layoutAboutToReset();
    rebuildVisible(keep);
    emit layoutReset();
    emit currentChanged(m_pos);
    if (events.afterScroll)
        events.afterScroll();
}

void Dataset::rebuildVisible(DatasetRow* keep)
{
    DatasetRow* editing = isEditing() && m_pos >= 0 ? m_visible[size_t(m_pos)] : nullptr;
    m_visible.clear();
    for (const RowPtr& row : *m_store) {
        // The row being typed stays in view until it is posted.
        if (row.get() == editing || (visibleByLink(*row) && (!m_filtered || matches(m_filter, *row))))
            m_visible.push_back(row.get());
    }
    int pos = m_visible.empty() ? -1 : 0;
    if (keep) {
        const auto it = std::find(m_visible.begin(), m_visible.end(), keep);
        if (it != m_visible.end())
            pos = int(it - m_visible.begin());
    }
    m_pos = pos;
    m_eof = m_bof = m_visible.empty();
}

void Dataset::setFilter(RowPredicate predicate)
{
    m_filter = std::move(predicate);
    if (m_filtered && isOpen())
        refreshView(m_pos >= 0 ? m_visible[size_t(m_pos)] : nullptr);
}

void Dataset::setFiltered(bool on)
{
    if (m_filtered == on)
        return;
    checkBrowseMode();
    m_filtered = on;
    if (isOpen())
        refreshView(m_pos >= 0 ? m_visible[size_t(m_pos)] : nullptr);
}

bool Dataset::findFirst(const RowPredicate& predicate)
{
    const RowPredicate& p = predicate ? predicate : m_filter;
    for (int i = 0; i < count(); ++i) {
        if (matches(p, *m_visible[size_t(i)])) {
            checkBrowseMode();
            setPosition(i);
            m_eof = m_bof = false;
            return true;
        }
    }
    return false;
}

bool Dataset::findNext(const RowPredicate& predicate)
{
    const RowPredicate& p = predicate ? predicate : m_filter;
    for (int i = m_pos + 1; i < count(); ++i) {
        if (matches(p, *m_visible[size_t(i)])) {
            checkBrowseMode();
            setPosition(i);
            m_eof = m_bof = false;
            return true;
        }
    }
    return false;
}

void Dataset::sortBy(const QList<SortKey>& keys)
{
    if (!isOpen())
        return;
    checkBrowseMode();
    for (const SortKey& k : keys) {
        if (!m_shape->has(k.field))
            throw DbError(QStringLiteral("項目 %1 がありません。").arg(k.field));
    }
    DatasetRow* current = m_pos >= 0 ? m_visible[size_t(m_pos)] : nullptr;
    emit layoutAboutToReset();
    const DatasetShape& shape = *m_shape;
    // A key on a column compares the held values in place; only a computed
    // field is computed (and looked up by name) per comparison.
    std::vector<int> columns;
    for (const SortKey& k : keys)
        columns.push_back(shape.column(k.field));
    std::stable_sort(m_store->begin(), m_store->end(), [&](const RowPtr& a, const RowPtr& b) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const int column = columns[i];
            const int c = column >= 0
                              ? compareValues(a->values[std::size_t(column)], b->values[std::size_t(column)])
                              : compareValues(RowRef(shape, *a).value(keys[int(i)].field),
                                              RowRef(shape, *b).value(keys[int(i)].field));
            if (c != 0)
                return keys[int(i)].descending ? c > 0 : c < 0;
        }
        return false;
    });
    rebuildVisible(current);
    emit layoutReset();
    emit currentChanged(m_pos);
}

Cursor Dataset::clone() const
{
    Cursor cursor;
    cursor.m_rows = m_store;
    cursor.m_shape = m_shape;
    return cursor;
}

Cursor Dataset::confirmedClone() const
{
    if (!isEditing())
        return clone();
    const DatasetRow* editing = m_visible[size_t(m_pos)];
    auto rows = std::make_shared<std::vector<RowPtr>>();
    rows->reserve(m_store->size());
    for (const RowPtr& row : *m_store) {
        if (row.get() != editing) {
            rows->push_back(row);
        } else if (m_state == State::Edit) {
            auto before = std::make_shared<DatasetRow>(*row);
            before->values = m_editBackup;
            rows->push_back(std::move(before));
        }
    }
    Cursor cursor;
    cursor.m_rows = std::move(rows);
    cursor.m_shape = m_shape;
    return cursor;
}

void Dataset::setMasterLink(Dataset* master, const QString& masterField, const QString& detailField)
{
    disconnect(m_masterMoved);
    disconnect(m_masterReset);
    disconnect(m_masterUpdated);
    m_master = master;
    m_masterField = masterField;
    m_detailField = detailField;
    if (master) {
        auto follow = [this] {
            // A row being typed stays the current row: the cursor never moves
            // under an edit, or the next assignment would land on another row.
            if (isOpen())
                refreshView(isEditing() ? m_visible[size_t(m_pos)] : nullptr);
        };
        m_masterMoved = connect(master, &Dataset::currentChanged, this, follow);
        m_masterReset = connect(master, &Dataset::layoutReset, this, follow);
        m_masterUpdated = connect(master, &Dataset::destroyed, this, [this] { m_master = nullptr; });
    }
    if (isOpen())
        refreshView(nullptr);
}
