#include "statement.h"

#include <QDate>
#include <QDateTime>

#include <sqlite3.h>

#include "connection.h"
#include "dberror.h"
#include "money.h"

Statement::Statement(Connection& connection, const QString& sql) : m_connection(connection), m_sql(sql)
{
    const QByteArray text = sql.toUtf8();
    const int rc =
        sqlite3_prepare_v2(connection.handle(), text.constData(), int(text.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        connection.fail(QStringLiteral("SQL を準備できません"));
    }
    if (!m_stmt)
        throw DbError(QStringLiteral("SQL が空です。"));
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

namespace {

void requireStorableDate(const QDate& day)
{
    if (!day.isValid() || day.year() < 1 || day.year() > 9999)
        throw DbError(QStringLiteral(
            "日付が正しくありません。実在する日付 (西暦1年から9999年まで) を入力してください。"));
}

}  // namespace

QVariant Statement::toStorage(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
        // A day that is not a calendar date (2024-02-30) or has no four-digit
        // year would turn into empty text, that is no date at all: refused.
        case QMetaType::QDate:
            requireStorableDate(value.toDate());
            return value.toDate().toString(Qt::ISODate);
        case QMetaType::QDateTime: {
            const QDateTime dt = value.toDateTime();
            requireStorableDate(dt.date());
            return dt.time() == QTime(0, 0) ? dt.date().toString(Qt::ISODate)
                                            : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return qlonglong(value.toLongLong());
        case QMetaType::QString:
        case QMetaType::QByteArray:
        case QMetaType::Double:
            return value;
        default:
            break;
    }
    if (value.metaType() == QMetaType::fromType<Money>())
        return qlonglong(value.value<Money>().raw());
    return value.toString();
}

void Statement::bind(const QString& name, const QVariant& value)
{
    const QByteArray key = (name.startsWith(u':') ? name : u':' + name).toUtf8();
    const int index = sqlite3_bind_parameter_index(m_stmt, key.constData());
    if (index == 0)
        throw DbError(QStringLiteral("パラメータ %1 がありません: %2").arg(name, m_sql));
    bind(index, value);
}

void Statement::bind(int index, const QVariant& value)
{
    const QVariant v = toStorage(value);
    int rc = SQLITE_OK;
    if (!v.isValid()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else if (v.typeId() == QMetaType::LongLong) {
        rc = sqlite3_bind_int64(m_stmt, index, v.toLongLong());
    } else if (v.typeId() == QMetaType::Double) {
        rc = sqlite3_bind_double(m_stmt, index, v.toDouble());
    } else if (v.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = v.toByteArray();
        rc = sqlite3_bind_blob64(m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                 SQLITE_TRANSIENT);
    } else {
        const QByteArray text = v.toString().toUtf8();
        rc = sqlite3_bind_text64(m_stmt, index, text.constData(), sqlite3_uint64(text.size()),
                                 SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    if (rc != SQLITE_OK)
        m_connection.fail(QStringLiteral("パラメータを設定できません"));
}

int Statement::parameterCount() const
{
    return sqlite3_bind_parameter_count(m_stmt);
}

QString Statement::parameterName(int index) const
{
    const char* name = sqlite3_bind_parameter_name(m_stmt, index);
    return name ? QString::fromUtf8(name) : QString();
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE) {
        sqlite3_reset(m_stmt);
        return false;
    }
    // The error is read before the reset, which would replace it.
    const int code = sqlite3_extended_errcode(m_connection.handle());
    const QString msg = QString::fromUtf8(sqlite3_errmsg(m_connection.handle()));
    sqlite3_reset(m_stmt);
    throw DbError(msg, code);
}

int Statement::run()
{
    while (step()) {
    }
    return sqlite3_changes(m_connection.handle());
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

QVariant Statement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
        case SQLITE_INTEGER:
            return qlonglong(sqlite3_column_int64(m_stmt, column));
        case SQLITE_FLOAT:
            return sqlite3_column_double(m_stmt, column);
        case SQLITE_TEXT:
            return text(column);
        case SQLITE_BLOB: {
            const void* data = sqlite3_column_blob(m_stmt, column);
            return QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(m_stmt, column));
        }
        default:
            return {};
    }
}

std::int64_t Statement::int64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

std::optional<std::string_view> Statement::utf8Text(int column) const
{
    if (sqlite3_column_type(m_stmt, column) != SQLITE_TEXT)
        return std::nullopt;
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return std::string_view(data, size_t(sqlite3_column_bytes(m_stmt, column)));
}

QString Statement::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column));
}
