#pragma once

#include <sqlite3.h>

#include <memory>
#include <vector>

class QString;

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
