#include "plaindb.h"

#include <QByteArray>
#include <QString>

#include <stdexcept>
#include <string>

PlainDb::PlainDb(const QString& path)
{
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const std::string msg = sqlite3_errmsg(m_db);
        sqlite3_close(m_db);
        throw std::runtime_error("cannot open " + path.toStdString() + ": " + msg);
    }
}

PlainDb::~PlainDb()
{
    m_statements.clear();  // finalized before the connection closes
    sqlite3_close(m_db);
}

sqlite3_stmt* PlainDb::prepare(const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string(sqlite3_errmsg(m_db)) + ": " + sql);
    m_statements.emplace_back(stmt, &sqlite3_finalize);
    return stmt;
}

sqlite3_stmt* PlainDb::prepare(const QString& sql)
{
    return prepare(sql.toUtf8().constData());
}

void bindText(sqlite3_stmt* stmt, int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}
