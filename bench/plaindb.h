#pragma once

#include <QString>

#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A plain connection for the baselines, its statements prepared once: the
// fastest way the engine itself offers, to compare the program's figures with.
class PlainDb {
public:
    explicit PlainDb(const QString& path);
    ~PlainDb();
    PlainDb(const PlainDb&) = delete;
    PlainDb& operator=(const PlainDb&) = delete;

    // Kept until the connection closes.
    sqlite3_stmt* prepare(const char* sql);
    sqlite3_stmt* prepare(const QString& sql);

private:
    sqlite3* m_db = nullptr;
    std::vector<std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>> m_statements;
};

void bindText(sqlite3_stmt* stmt, int index, const QString& text);

// A text column's bytes as the engine holds them (UTF-8).
inline std::string columnText(sqlite3_stmt* stmt, int column)
{
    return std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                       std::size_t(sqlite3_column_bytes(stmt, column)));
}

// The same as a QString.
inline QString columnQString(sqlite3_stmt* stmt, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                             sqlite3_column_bytes(stmt, column));
}

// Steps to the end, calling `row` for each row, and resets.
template <typename F>
void eachRow(sqlite3_stmt* stmt, F row)
{
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        row();
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(sqlite3_db_handle(stmt)));
    sqlite3_reset(stmt);
}
