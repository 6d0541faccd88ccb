#pragma once

#include <QString>
#include <QVariant>

#include <optional>
#include <string_view>

#include <cstdint>

class Connection;
struct sqlite3_stmt;

// One prepared statement, finalised on every path. Values are always bound as
// parameters: Money as its count of ten-thousandths, QDate as ISO text, an invalid
// QVariant as NULL. A statement left mid-result is reset when it is destroyed, so
// no read transaction stays open behind the caller's back.
class Statement {
public:
    Statement(Connection& connection, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // ":Name" or "Name"; a name the SQL does not have throws DbError.
    void bind(const QString& name, const QVariant& value);
    void bind(int index, const QVariant& value);  // 1-based
    int parameterCount() const;
    QString parameterName(int index) const;  // 1-based, with its leading ':'

    // Steps once: true while a row is ready. Throws DbError on failure.
    bool step();
    // Steps to the end (a write); returns the number of rows changed.
    int run();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    bool isNull(int column) const;
    // INTEGER as qlonglong, TEXT as QString, BLOB as QByteArray, REAL as double,
    // NULL as an invalid QVariant.
    QVariant value(int column) const;
    std::int64_t int64(int column) const;
    QString text(int column) const;
    // The column's text as the engine holds it (UTF-8), valid until the next
    // step; std::nullopt when the value is not TEXT.
    std::optional<std::string_view> utf8Text(int column) const;

    // The value as the engine stores it: what bind() turns a QVariant into.
    static QVariant toStorage(const QVariant& value);

private:
    Connection& m_connection;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_sql;
};
