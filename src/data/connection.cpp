#include "connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include "dberror.h"
#include "statement.h"

namespace {

QString& databaseDirectoryOverride()
{
    static QString directory;
    return directory;
}

}  // namespace

QString BuildConnectionString()
{
    const QString& forced = databaseDirectoryOverride();
    const QString dir = forced.isEmpty() ? QCoreApplication::applicationDirPath() : forced;
    return QDir(dir).filePath(QStringLiteral("BaseDB.mdb"));
}

void overrideDatabaseDirectory(const QString& directory)
{
    databaseDirectoryOverride() = directory;
}

Connection::~Connection()
{
    close();
}

void Connection::open(const QString& path)
{
    close();
    const QFileInfo info(path);
    if (!info.exists())
        throw DbError(QStringLiteral("データベースファイルが見つかりません: %1").arg(path));
    if (!info.isFile())
        throw DbError(QStringLiteral("データベースファイルではありません: %1").arg(path));

    sqlite3* db = nullptr;
    // READWRITE without CREATE: a file that vanished since the check above is an
    // error, never a new empty database.
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
        sqlite3_close(db);
        throw DbError(QStringLiteral("データベースを開けません (%1): %2").arg(path, msg), rc);
    }
    m_db = db;
    m_path = path;
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, DefaultBusyTimeoutMs);
    try {
        // The probe reads the schema, so a file that is not a database fails here
        // rather than at the window's first query.
        exec(QStringLiteral("SELECT count(*) FROM sqlite_schema"));
        if (sqlite3_db_readonly(m_db, "main") == 1)
            throw DbError(
                QStringLiteral(
                    "データベースファイルに書き込めません (%1): attempt to write a readonly database")
                    .arg(path),
                SQLITE_READONLY);
        exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        exec(QStringLiteral("PRAGMA synchronous=FULL"));
        exec(QStringLiteral("PRAGMA foreign_keys=ON"));
    } catch (...) {
        close();
        throw;
    }
}

void Connection::close()
{
    if (!m_db)
        return;
    // An unfinished transaction is abandoned: roll back and tell its listeners.
    while (!m_levels.empty()) {
        auto hooks = std::move(m_levels.back());
        m_levels.pop_back();
        finishHooks(hooks, false);
    }
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_path.clear();
}

sqlite3* Connection::handle() const
{
    if (!m_db)
        throw DbError(QStringLiteral("データベースに接続されていません。"));
    return m_db;
}

void Connection::setBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(handle(), milliseconds);
}

void Connection::exec(const QString& sql)
{
    char* err = nullptr;
    const int rc = sqlite3_exec(handle(), sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : sqlite3_errmsg(m_db));
        sqlite3_free(err);
        throw DbError(msg, rc);
    }
}

void Connection::fail(const QString& doing) const
{
    const int code = m_db ? sqlite3_extended_errcode(m_db) : 0;
    const QString msg = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("not connected");
    throw DbError(doing.isEmpty() ? msg : QStringLiteral("%1: %2").arg(doing, msg), code);
}

void Connection::onTransactionEnd(std::function<void(bool)> hook)
{
    if (m_levels.empty())
        hook(true);
    else
        m_levels.back().push_back(std::move(hook));
}

void Connection::beginLevel()
{
    if (m_levels.empty())
        exec(QStringLiteral("BEGIN IMMEDIATE"));
    else
        exec(QStringLiteral("SAVEPOINT corvinta_%1").arg(m_levels.size()));
    m_levels.emplace_back();
}

void Connection::commitLevel()
{
    if (m_levels.size() == 1) {
        exec(QStringLiteral("COMMIT"));
        auto hooks = std::move(m_levels.back());
        m_levels.pop_back();
        finishHooks(hooks, true);
        return;
    }
    exec(QStringLiteral("RELEASE corvinta_%1").arg(m_levels.size() - 1));
    // What the savepoint did now stands or falls with the enclosing level.
    auto hooks = std::move(m_levels.back());
    m_levels.pop_back();
    for (auto& hook : hooks)
        m_levels.back().push_back(std::move(hook));
}

void Connection::rollbackLevel()
{
    auto hooks = std::move(m_levels.back());
    m_levels.pop_back();
    // A rollback must not throw (it runs in destructors). If the engine refuses,
    // the outer transaction is rolled back as a whole when it ends or the
    // connection closes.
    if (m_levels.empty()) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    } else {
        const QByteArray name = QStringLiteral("corvinta_%1").arg(m_levels.size()).toUtf8();
        sqlite3_exec(m_db, ("ROLLBACK TO " + name + "; RELEASE " + name).constData(), nullptr, nullptr,
                     nullptr);
    }
    finishHooks(hooks, false);
}

void Connection::finishHooks(std::vector<std::function<void(bool)>>& hooks, bool committed)
{
    // Undo bookkeeping in the reverse order it was done.
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it)
        (*it)(committed);
}

Transaction::Transaction(Connection& connection) : m_connection(connection)
{
    m_connection.handle();
    m_connection.beginLevel();
    m_active = true;
}

Transaction::~Transaction()
{
    if (m_active && m_connection.isOpen())
        m_connection.rollbackLevel();
}

void Transaction::commit()
{
    if (!m_active)
        throw DbError(QStringLiteral("トランザクションは終了しています。"));
    m_connection.commitLevel();
    m_active = false;
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    m_active = false;
    if (m_connection.isOpen())
        m_connection.rollbackLevel();
}
