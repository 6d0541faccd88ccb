#pragma once

#include <QString>

#include <functional>
#include <vector>

struct sqlite3;

// The path of BaseDB.mdb beside the running executable, whatever the working
// directory. This is the one "connection string" every window opens; the engine
// needs no user or password, so it carries nothing but the file's location.
QString BuildConnectionString();

// Points BuildConnectionString at another folder; an empty text restores the
// executable's folder. Only tests call it: each runs on its own copy of the file.
void overrideDatabaseDirectory(const QString& directory);

// Makes BuildConnectionString the given file (`corvinta --database PATH`); an
// empty text restores BaseDB.mdb beside the executable.
void chooseDatabaseFile(const QString& path);

// One open database file. Every window and dialog owns one; nothing is shared.
// Opening never creates a file, checks at once that the file is a database the
// program can write, and sets WAL, synchronous=FULL, foreign keys and a busy
// timeout. Every failure throws DbError with the engine's message.
class Connection {
public:
    Connection() = default;
    explicit Connection(const QString& path) { open(path); }
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    static constexpr int DefaultBusyTimeoutMs = 5000;

    // Opens a book of the program's version; anything else (a missing, empty,
    // foreign, newer, older, damaged or locked file) is refused before anything
    // is written to it, with the message that names the file and what to do.
    void open(const QString& path);
    // Opens any database file read-write as it is, leaving its journal mode
    // alone: the upgrade of an older book, which must not touch a file it then
    // fails to upgrade.
    void openUnchecked(const QString& path);
    // Opens a book only to read it, where nothing is written (documents made
    // from the command line): read-only to the engine and query_only, its
    // journal mode left as it is, so a book the user may only read can be
    // read. The caller has checked the book (Book::inspect). A WAL book in a
    // folder that cannot be written may not be readable (the engine cannot
    // make its -shm): refused with the read-only book's message.
    void openReadOnly(const QString& path);
    // Rolls back an open transaction and closes the file. Safe to call twice.
    void close();
    bool isOpen() const { return m_db != nullptr; }
    const QString& path() const { return m_path; }
    // The engine's handle; throws DbError when the connection is not open.
    sqlite3* handle() const;

    void setBusyTimeout(int milliseconds);
    // Runs statements without parameters (pragmas, test set-up).
    void exec(const QString& sql);

    bool inTransaction() const { return !m_levels.empty(); }
    int transactionDepth() const { return int(m_levels.size()); }
    // Called once when the outermost transaction that is open now commits (true)
    // or when the transaction level it was registered in rolls back (false).
    // Without an open transaction it is called at once with true.
    void onTransactionEnd(std::function<void(bool committed)> hook);

    // Throws DbError: `doing` followed by the engine's current message.
    [[noreturn]] void fail(const QString& doing) const;

private:
    friend class Transaction;
    void beginLevel();
    void commitLevel();
    void rollbackLevel();
    enum class Mode { Book, AsItIs, ReadOnly };
    void openFile(const QString& path, Mode mode);
    void finishHooks(std::vector<std::function<void(bool)>>& hooks, bool committed);

    // The file the connection opened (device, inode): a save checks, under the
    // write lock, that the path still names it.
    bool stillTheFileOpened() const;

    sqlite3* m_db = nullptr;
    QString m_path;
    unsigned long long m_device = 0;
    unsigned long long m_inode = 0;
    std::vector<std::vector<std::function<void(bool)>>> m_levels;
};

// A write transaction, scope-guarded: it begins in its constructor and rolls back
// in its destructor unless committed. The outermost one starts with BEGIN
// IMMEDIATE, so the write lock is taken up front and a concurrent writer fails
// here (after the busy timeout) instead of half-way through; a nested one is a
// savepoint, so a failing inner step can be undone alone.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    void rollback();
    bool isActive() const { return m_active; }

private:
    Connection& m_connection;
    bool m_active = false;
};
