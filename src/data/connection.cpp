#include "connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>
#include <sys/stat.h>

#include "book.h"
#include "dberror.h"
#include "statement.h"

namespace {

QString& databaseDirectoryOverride()
{
    static QString directory;
    return directory;
}

QString& databaseFileChoice()
{
    static QString file;
    return file;
}

// read_text(x): text as the program reads it (decoded from UTF-8, each invalid
// sequence replaced), encoded again; any other value unchanged. A write compares
// what a window read with what is stored in this one form.
void readText(sqlite3_context* context, int, sqlite3_value** args)
{
    if (sqlite3_value_type(args[0]) != SQLITE_TEXT) {
        sqlite3_result_value(context, args[0]);
        return;
    }
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    const QByteArray read = QString::fromUtf8(bytes, sqlite3_value_bytes(args[0])).toUtf8();
    sqlite3_result_text(context, read.constData(), int(read.size()), SQLITE_TRANSIENT);
}

}  // namespace

QString BuildConnectionString()
{
    if (!databaseFileChoice().isEmpty())
        return databaseFileChoice();
    const QString& forced = databaseDirectoryOverride();
    const QString dir = forced.isEmpty() ? QCoreApplication::applicationDirPath() : forced;
    return QDir(dir).filePath(QStringLiteral("BaseDB.mdb"));
}

void overrideDatabaseDirectory(const QString& directory)
{
    databaseDirectoryOverride() = directory;
}

void chooseDatabaseFile(const QString& path)
{
    databaseFileChoice() = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

Connection::~Connection()
{
    close();
}

void Connection::open(const QString& path)
{
    close();
    // Read-only first: a file that is not a book of this version is never
    // switched to WAL or otherwise written.
    const Book::State state = Book::inspect(path, Book::Depth::Quick);
    if (state.kind != Book::State::Ok)
        throw DbError(Book::problemMessage(path, state), state.kind == Book::State::ReadOnly ? SQLITE_READONLY
                                                         : state.kind == Book::State::Locked ? SQLITE_BUSY
                                                                                             : 0);
    openFile(path, Mode::Book);
}

void Connection::openUnchecked(const QString& path)
{
    close();
    openFile(path, Mode::AsItIs);
}

void Connection::openReadOnly(const QString& path)
{
    close();
    try {
        openFile(path, Mode::ReadOnly);
    } catch (const DbError& e) {
        const QFileInfo info(path);
        if (!info.exists() || (info.isWritable() && QFileInfo(info.absolutePath()).isWritable()))
            throw;
        // A WAL book is read through its -shm file, which a folder that cannot
        // be written cannot take. Opening it immutable instead would read wrong
        // pages while another program writes it.
        throw DbError(
            QStringLiteral("データベース %1 を読めません。フォルダに書き込めないため、作業用のファイル"
                           " (%2-shm) を作れません。フォルダに書き込めるようにするか、書き込める場所に"
                           "複写してから使ってください。\n(%3)")
                .arg(path, info.fileName(), e.message()),
            e.extendedCode());
    }
}

void Connection::openFile(const QString& path, Mode mode)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw DbError(QStringLiteral("データベースファイルが見つかりません: %1").arg(path));
    if (!info.isFile())
        throw DbError(QStringLiteral("データベースファイルではありません: %1").arg(path));

    sqlite3* db = nullptr;
    // READWRITE without CREATE: a file that vanished since the check above is an
    // error, never a new empty database.
    const int flags = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
        sqlite3_close(db);
        throw DbError(QStringLiteral("データベースを開けません (%1): %2").arg(path, msg), rc);
    }
    m_db = db;
    m_path = path;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        m_device = st.st_dev;
        m_inode = st.st_ino;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, DefaultBusyTimeoutMs);
    sqlite3_create_function(m_db, "read_text", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, readText,
                            nullptr, nullptr);
    try {
        // The probe reads the schema, so a file that is not a database fails here
        // rather than at the window's first query.
        exec(QStringLiteral("SELECT count(*) FROM sqlite_schema"));
        if (mode == Mode::ReadOnly) {
            exec(QStringLiteral("PRAGMA query_only=ON"));
            return;
        }
        if (sqlite3_db_readonly(m_db, "main") == 1)
            throw DbError(
                QStringLiteral(
                    "データベースファイルに書き込めません (%1): attempt to write a readonly database")
                    .arg(path),
                SQLITE_READONLY);
        if (mode == Mode::Book)
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

bool Connection::stillTheFileOpened() const
{
    struct stat st {};
    return ::stat(QFile::encodeName(m_path).constData(), &st) == 0 && st.st_dev == m_device &&
           st.st_ino == m_inode;
}

void Connection::beginLevel()
{
    if (m_levels.empty()) {
        exec(QStringLiteral("BEGIN IMMEDIATE"));
        // A book replaced under an open window (restored by another program,
        // moved away): what this connection writes would land in a file nobody
        // opens again. Refused before anything is written, never reported saved.
        if (!stillTheFileOpened()) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw DbError(QStringLiteral("帳簿 %1 は、この画面を開いた後で別のファイルに置き換えられました"
                                         "（復元など）。この内容は保存されていません。画面を閉じて開き直して"
                                         "ください。")
                              .arg(m_path),
                          SQLITE_READONLY);
        }
    } else
        exec(QStringLiteral("SAVEPOINT corvinta_%1").arg(m_levels.size()));
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
