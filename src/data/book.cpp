#include "book.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <sqlite3.h>

#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <memory>

#include "bookcheck.h"
#include "connection.h"
#include "dberror.h"
#include "statement.h"
#include "stockbymonth.h"

namespace Book {

namespace {

// A read-only engine handle, closed on every path.
//
// Only the engine ever opens a book's files while this process may hold a
// connection on it: closing any other descriptor of the file would drop every
// lock the process holds on it (POSIX locks belong to the process and the
// file, not the descriptor), and another program would then take this one's
// connections for none. So the header is read through the engine's own
// descriptor too (`header`).
struct EngineHandle {
    sqlite3* db = nullptr;
    int rc = SQLITE_OK;
    EngineHandle(const QString& path, int busyTimeoutMs, int flags = SQLITE_OPEN_READONLY)
    {
        rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
        if (db) {
            sqlite3_extended_result_codes(db, 1);
            sqlite3_busy_timeout(db, busyTimeoutMs);
        }
    }
    ~EngineHandle() { sqlite3_close_v2(db); }
    EngineHandle(const EngineHandle&) = delete;
    EngineHandle& operator=(const EngineHandle&) = delete;
    QString error() const
    {
        return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
    }
    int systemErrno() const { return db ? sqlite3_system_errno(db) : 0; }
    // The file's first 100 bytes (fewer when it is shorter) and its size, read
    // through the descriptor the engine opened. Reads no page into the cache and
    // makes no side file.
    bool header(QByteArray& out, qint64& size)
    {
        sqlite3_file* file = nullptr;
        rc = sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file);
        if (rc != SQLITE_OK || !file || !file->pMethods)
            return rc = rc == SQLITE_OK ? SQLITE_CANTOPEN : rc, false;
        sqlite3_int64 bytes = 0;
        rc = file->pMethods->xFileSize(file, &bytes);
        if (rc != SQLITE_OK)
            return false;
        size = bytes;
        out = QByteArray(int(std::min<sqlite3_int64>(bytes, 100)), '\0');
        rc = out.isEmpty() ? SQLITE_OK : file->pMethods->xRead(file, out.data(), int(out.size()), 0);
        return rc == SQLITE_OK;
    }
    // The first column of the first row; false with rc set when the engine refused.
    bool scalar(const char* sql, QVariant& out)
    {
        sqlite3_stmt* st = nullptr;
        rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(st);
            if (rc == SQLITE_ROW) {
                out = sqlite3_column_type(st, 0) == SQLITE_INTEGER
                          ? QVariant(qlonglong(sqlite3_column_int64(st, 0)))
                          : QVariant(
                                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))));
                rc = SQLITE_OK;
            } else if (rc == SQLITE_DONE) {
                rc = SQLITE_OK;
            }
        }
        sqlite3_finalize(st);
        return rc == SQLITE_OK;
    }
};

State refusedBy(int rc, const QString& detail, int version = -1, int systemErrno = 0)
{
    State s;
    s.version = version;
    s.detail = detail;
    if ((rc & 0xff) == SQLITE_FULL || systemErrno == ENOSPC) {
        s.kind = State::DiskFull;
        return s;
    }
    switch (rc & 0xff) {
        case SQLITE_NOTADB:
            s.kind = State::NotBook;
            break;
        case SQLITE_CORRUPT:
            s.kind = State::Damaged;
            break;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            s.kind = State::Locked;
            break;
        default:
            s.kind = State::Unreadable;
    }
    return s;
}

quint32 bigEndian(const QByteArray& b, int at, int width)
{
    quint32 v = 0;
    for (int i = 0; i < width; ++i)
        v = (v << 8) | quint8(b.at(at + i));
    return v;
}

bool holdsBytes(const QString& path)
{
    const QFileInfo f(path);
    return f.exists() && f.size() > 0;
}

// The file's first 100 bytes against what a database file must be: the magic
// text, and no shorter than its header says (while no WAL file holds pages that
// a checkpoint has not written yet, and no journal is waiting to put back the
// pages a killed transaction changed).
State checkHeader(const QByteArray& header, qint64 size, bool sideFilesHoldPages)
{
    State s;
    s.kind = State::Ok;
    static const QByteArray magic("SQLite format 3\0", 16);
    if (!header.startsWith(magic)) {
        s.kind = State::NotBook;
        s.detail = QStringLiteral("file is not a database");
        return s;
    }
    if (header.size() < 100) {
        s.kind = State::Damaged;
        s.detail = QStringLiteral("the file is shorter than its header");
        return s;
    }
    quint32 pageSize = bigEndian(header, 16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    const quint32 pages = bigEndian(header, 28, 4);
    const bool pagesValid = pages != 0 && bigEndian(header, 24, 4) == bigEndian(header, 92, 4);
    if (pagesValid && !sideFilesHoldPages && qint64(pages) * pageSize > size) {
        s.kind = State::Damaged;
        s.detail = QStringLiteral("the file is shorter than its %1 pages: truncated").arg(pages);
    }
    return s;
}

// A file URI for the engine: every byte outside the unreserved set escaped, so
// a name with "?", "#" or "%" stays a name.
QByteArray fileUri(const QString& path)
{
    return "file:" + QFile::encodeName(QFileInfo(path).absoluteFilePath()).toPercentEncoding("/");
}

// A rollback journal left by a writer that died mid-transaction: the engine
// puts the pages back the first time the file is opened for writing. The look
// that follows is read-only, which cannot do it, so it is done here first,
// under the engine's write lock (only when the file may be written at all).
bool rollBackHotJournal(const QString& path, int busyTimeoutMs, State& failed)
{
    EngineHandle rw(path, busyTimeoutMs, SQLITE_OPEN_READWRITE);
    if (rw.rc == SQLITE_OK)
        rw.rc = sqlite3_exec(rw.db, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
    if (rw.rc == SQLITE_OK)
        return true;
    failed = refusedBy(rw.rc, rw.error(), -1, rw.systemErrno());
    return false;
}

QString stamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

void copyFrom(sqlite3* source, const QString& from, const QString& to);

// Moves `from` over `to` in one step (rename(2) replaces atomically).
void moveOver(const QString& from, const QString& to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw DbError(QStringLiteral("ファイルを置き換えられません: %1").arg(to));
}

}  // namespace

State inspect(const QString& path, Depth depth, int knownVersion, int busyTimeoutMs)
{
    State s;
    const QFileInfo info(path);
    if (!info.exists()) {
        s.kind = State::Missing;
        return s;
    }
    if (!info.isFile()) {
        s.kind = State::NotBook;
        s.detail = QStringLiteral("not a file");
        return s;
    }
    if (info.size() == 0) {
        s.kind = State::Empty;
        return s;
    }
    // A WAL book in a folder the program cannot write cannot even be read
    // (its shared-memory file cannot be made): that is a read-only folder.
    const bool writable = info.isWritable() && QFileInfo(info.absolutePath()).isWritable();
    auto unreadable = [&](const EngineHandle& h, int rc, const QString& detail) {
        State r = refusedBy(rc, detail, -1, h.systemErrno());
        if (r.kind == State::Unreadable && !writable)
            r.kind = State::ReadOnly;
        return r;
    };

    const bool walHoldsPages = holdsBytes(path + QStringLiteral("-wal"));
    const bool journalWaits = holdsBytes(path + QStringLiteral("-journal"));
    QByteArray header;
    {
        EngineHandle h(path, busyTimeoutMs);
        qint64 size = 0;
        if (h.rc != SQLITE_OK || !h.header(header, size))
            return unreadable(h, h.rc, h.error());
        s = checkHeader(header, size, walHoldsPages || journalWaits);
        if (s.kind != State::Ok)
            return s;
    }
    // Nothing waits in a WAL file or a journal: the header's marks are the
    // file's. A file they refuse is refused from them alone, before the engine
    // reads it in WAL mode and leaves a -wal and -shm beside someone else's file.
    const bool headerIsWhole = !walHoldsPages && !journalWaits;
    const qint64 headerAppId = qint32(bigEndian(header, 68, 4));
    const int headerVersion = int(qint32(bigEndian(header, 60, 4)));
    if (headerIsWhole && headerAppId == ApplicationId && headerVersion > knownVersion)
        return State{State::Newer, headerVersion, {}};
    if (headerIsWhole && headerAppId != ApplicationId && (headerAppId != 0 || headerVersion != 0))
        return State{State::NotBook, headerVersion, {}};
    if (journalWaits && writable) {
        State failed;
        if (!rollBackHotJournal(path, busyTimeoutMs, failed))
            return failed;
    }

    // A WAL file without its -wal, unmarked: whether it is a book from before
    // books were marked or another program's database, only its tables tell.
    // That look is taken on the file as it lies (no lock, no side file): with
    // no -wal, nobody has it open in WAL mode.
    const bool walFormat = header.at(18) == 2 && header.at(19) == 2;
    if (headerIsWhole && walFormat && headerAppId == 0) {
        EngineHandle look(QString::fromUtf8(fileUri(path) + "?immutable=1"), busyTimeoutMs,
                          SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
        QVariant ours;
        if (look.rc != SQLITE_OK ||
            !look.scalar("SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name IN "
                         "('m_売上区分', 'm_商品', 't_売上', 't_売上明細', 'm_自社情報')",
                         ours))
            return refusedBy(look.rc, look.error(), 0, look.systemErrno());
        if (ours.toInt() != 5)
            return State{State::NotBook, 0, {}};
    }

    EngineHandle h(path, busyTimeoutMs);
    if (h.rc != SQLITE_OK)
        return unreadable(h, h.rc, h.error());
    QVariant tables, appId, version, ours;
    if (!h.scalar("SELECT count(*) FROM sqlite_schema", tables) ||
        !h.scalar("PRAGMA application_id", appId) || !h.scalar("PRAGMA user_version", version))
        return unreadable(h, h.rc, h.error());
    s.version = version.toInt();
    if (appId.toLongLong() == ApplicationId) {
        if (s.version > knownVersion) {
            s.kind = State::Newer;
            return s;
        }
        if (s.version < 1) {
            s.kind = State::NotBook;
            return s;
        }
        s.kind = s.version < knownVersion ? State::Older : State::Ok;
    } else {
        // A book made before books carried a version has neither mark but has
        // our tables; anything else is another program's file.
        if (appId.toLongLong() != 0 || s.version != 0 ||
            !h.scalar("SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name IN "
                      "('m_売上区分', 'm_商品', 't_売上', 't_売上明細', 'm_自社情報')",
                      ours))
            return h.rc == SQLITE_OK ? State{State::NotBook, s.version, {}}
                                     : refusedBy(h.rc, h.error(), -1, h.systemErrno());
        if (ours.toInt() != 5) {
            s.kind = State::NotBook;
            return s;
        }
        s.kind = State::Older;
    }

    if (depth != Depth::Quick) {
        QVariant verdict;
        const char* check = depth == Depth::Full ? "PRAGMA quick_check(1)" : "PRAGMA integrity_check(1)";
        if (!h.scalar(check, verdict))
            return refusedBy(h.rc, h.error(), s.version, h.systemErrno());
        if (verdict.toString() != QLatin1String("ok"))
            return State{State::Damaged, s.version, verdict.toString()};
    }

    if (!writable)
        return State{State::ReadOnly, s.version, QStringLiteral("attempt to write a readonly database")};
    return s;
}

QString problemMessage(const QString& path, const State& state)
{
    QString what;
    switch (state.kind) {
        case State::Ok:
            return {};
        case State::Older:
            what = QStringLiteral(
                       "データベース %1 は古い版 (版 %2) のままです。プログラムを起動し直すと更新されます。")
                       .arg(path)
                       .arg(state.version);
            break;
        case State::Missing:
            what = QStringLiteral("データベースファイルが見つかりません: %1").arg(path);
            break;
        case State::Empty:
            what = QStringLiteral("データベースファイル %1 は空 (0 バイト) です。").arg(path);
            break;
        case State::NotBook:
            what = QStringLiteral("%1 はこのプログラムのデータベースファイルではありません。").arg(path);
            break;
        case State::Newer:
            what = QStringLiteral(
                       "データベース %1 は新しい版 (版 %2) のプログラムで作られています。このプログラムが"
                       "扱えるのは版 %3 までです。新しい版のプログラムで開いてください。")
                       .arg(path)
                       .arg(state.version)
                       .arg(CurrentVersion);
            break;
        case State::Damaged:
            what = QStringLiteral("データベース %1 は壊れています。").arg(path);
            break;
        case State::Locked:
            what = QStringLiteral(
                       "データベース %1 は他のプログラムが使用中です。そのプログラムを終了してからやり直して"
                       "ください。")
                       .arg(path);
            break;
        case State::ReadOnly:
            what = QStringLiteral(
                       "データベース %1 に書き込めません。ファイルまたはフォルダが読み取り専用です。書き込め"
                       "る場所に置くか、権限を確かめてください。")
                       .arg(path);
            break;
        case State::Unreadable:
            what = QStringLiteral("データベース %1 を開けません。").arg(path);
            break;
        case State::DiskFull:
            what = QStringLiteral(
                       "データベース %1 のあるディスクがいっぱいです。帳簿は壊れていません。不要なファイルを"
                       "消して空きを作ってから、やり直してください。")
                       .arg(path);
            break;
    }
    if (state.kind != State::Locked && state.kind != State::Older && state.kind != State::ReadOnly &&
        state.kind != State::DiskFull) {
        const QString newest = newestDailyBackup(path);
        what += QStringLiteral("\n別のデータベースを選ぶ (corvinta --database ファイル名) か、");
        what += newest.isEmpty()
                    ? QStringLiteral("バックアップがあれば「ファイル」メニューの「復元」で戻してください。")
                    : QStringLiteral(
                          "最新の自動バックアップ %1 から「ファイル」メニューの「復元」で戻してください。")
                          .arg(QDir::toNativeSeparators(newest));
    }
    if (!state.detail.isEmpty())
        what += QStringLiteral("\n(%1)").arg(state.detail);
    return what;
}

const std::vector<UpgradeStep>& upgradeSteps()
{
    static const std::vector<UpgradeStep> steps = {
        // A book made before books carried a version has exactly the tables of
        // version 1; the upgrade marks it (application id and version).
        {0, [](Connection&) {}},
        // Version 2 keeps the stock by item and month for the stock list.
        {1, addStockByMonth},
        // Version 3: the kept figures follow the rows actually written, whatever
        // the statement's conflict clause; a line's total is whole yen.
        {2, BookCheck::upgradeToVersion3},
    };
    return steps;
}

int upgrade(const QString& path, const std::vector<UpgradeStep>& steps, int target)
{
    const State before = inspect(path, Depth::Quick, target);
    if (before.kind == State::Ok)
        return -1;
    if (before.kind != State::Older)
        throw DbError(problemMessage(path, before));
    const int from = before.version;
    for (int v = from; v < target; ++v) {
        const auto found =
            std::find_if(steps.begin(), steps.end(), [v](const UpgradeStep& s) { return s.from == v; });
        if (found == steps.end())
            throw DbError(QStringLiteral("データベース %1 を版 %2 から更新できません。").arg(path).arg(v));
    }
    try {
        Connection c;
        c.openUnchecked(path);
        // The write lock first: the copy below is then the book exactly as this
        // upgrade finds it, and another copy of the program upgrading at the
        // same moment waits here instead of copying the upgraded book over the
        // old one's copy.
        Transaction t(c);
        Statement current(c, QStringLiteral("PRAGMA user_version"));
        current.step();
        const int now = int(current.int64(0));
        current.reset();
        if (now >= target)
            return -1;
        // Read through a handle of its own (the engine copies from no
        // connection that holds a write transaction); under this lock what it
        // reads is the book as it stands.
        copyBook(path, QStringLiteral("%1.v%2.bak").arg(path).arg(now));
        for (int v = now; v < target; ++v)
            std::find_if(steps.begin(), steps.end(), [v](const UpgradeStep& s) {
                return s.from == v;
            })->run(c);
        // Constants of this program, not values from outside: pragmas take no parameters.
        c.exec(QStringLiteral("PRAGMA application_id = %1; PRAGMA user_version = %2")
                   .arg(ApplicationId)
                   .arg(target));
        t.commit();
    } catch (const DbError& e) {
        const bool full = e.engineCode() == SQLITE_FULL;
        throw DbError(
            QStringLiteral("データベース %1 を版 %2 から版 %3 に更新できませんでした。ファイルは元のまま"
                           "です。%4\n(%5)")
                .arg(path)
                .arg(from)
                .arg(target)
                .arg(full ? QStringLiteral("ディスクがいっぱいです。空きを作ってから起動し直してください。")
                          : QString())
                .arg(e.message()),
            e.extendedCode());
    }
    return from;
}

QString defaultBookPath()
{
    const QString beside =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("BaseDB.mdb"));
    if (QFileInfo::exists(beside))
        return beside;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(data).filePath(QStringLiteral("BaseDB.mdb"));
}

QString installedEmptyBook()
{
    const QString path =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/corvinta/BaseDB.mdb"));
    return QFileInfo::exists(path) ? QDir::cleanPath(path) : QString();
}

void createBook(const QString& path, const QString& emptyBook)
{
    if (emptyBook.isEmpty() || !QFileInfo::exists(emptyBook))
        throw DbError(
            QStringLiteral("新しい帳簿のもとになるファイル (share/corvinta/BaseDB.mdb) が"
                           "見つかりません。プログラムを入れ直してください。"));
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw DbError(QStringLiteral("フォルダ %1 を作成できません。").arg(folder));
    // The empty book sits in a read-only system folder and nobody writes it: a
    // plain copy of its bytes is whole. It lands under a temporary name first.
    const QString partial = path + QStringLiteral(".new");
    QFile::remove(partial);
    if (!QFile::copy(emptyBook, partial) ||
        !QFile::setPermissions(partial, QFile::ReadOwner | QFile::WriteOwner) ||
        !QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw DbError(QStringLiteral("新しい帳簿 %1 を作成できません。").arg(path));
    }
}

namespace {

// `to`, written from the open engine handle `source` through the engine's
// online backup, under a temporary name moved into place when whole. The
// source is read in one read transaction (or in the write transaction the
// handle holds), so the copy is one consistent state even while others write.
void copyFrom(sqlite3* source, const QString& from, const QString& to)
{
    // Named for this process: two programs starting on one book never share it.
    const QString partial = QStringLiteral("%1.partial-%2").arg(to).arg(QCoreApplication::applicationPid());
    QFile::remove(partial);
    sqlite3* dest = nullptr;
    int rc = sqlite3_open_v2(partial.toUtf8().constData(), &dest, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
    QString error;
    int systemErrno = 0;
    if (rc == SQLITE_OK) {
        sqlite3_backup* b = sqlite3_backup_init(dest, "main", source, "main");
        if (!b) {
            rc = sqlite3_errcode(dest);
        } else {
            for (int tries = 0; tries < 50; ++tries) {
                rc = sqlite3_backup_step(b, -1);
                if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
                    break;
                sqlite3_sleep(100);
            }
            sqlite3_backup_finish(b);
            if (rc == SQLITE_DONE)
                rc = sqlite3_errcode(dest);
        }
    }
    if (rc != SQLITE_OK) {
        error = dest ? QString::fromUtf8(sqlite3_errmsg(dest)) : QStringLiteral("out of memory");
        systemErrno = dest ? sqlite3_system_errno(dest) : 0;
    }
    if (sqlite3_close(dest) != SQLITE_OK && rc == SQLITE_OK) {
        rc = SQLITE_IOERR;
        error = QStringLiteral("cannot close the copy");
    }
    if (rc != SQLITE_OK) {
        QFile::remove(partial);
        QFile::remove(partial + QStringLiteral("-journal"));
        if (systemErrno == ENOSPC)
            rc = SQLITE_FULL;
        throw DbError(QStringLiteral("%1 を %2 に複写できません: %3").arg(from, to, error), rc);
    }
    moveOver(partial, to);
}

// The file a path names, through any symbolic links: a book opened through a
// link is backed up and restored as the file it names.
QString realFile(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

// The daily backups are `backup/<book's file name>.<yyyyMMdd>.bak`, and the
// program keeps the names of the ones it wrote in `backup/<book's file
// name>.backups`: only those are listed, named in messages and rotated, so a
// second book of the same base name, or a file of the user's that happens to
// look like a backup, is never taken for one.
QString backupFolder(const QString& bookPath)
{
    return QFileInfo(bookPath).absoluteDir().filePath(QStringLiteral("backup"));
}

QString backupRecord(const QString& bookPath)
{
    return QDir(backupFolder(bookPath)).filePath(QFileInfo(bookPath).fileName() + QStringLiteral(".backups"));
}

QRegularExpression backupName(const QString& bookPath)
{
    return QRegularExpression(QStringLiteral("^%1\\.\\d{8}\\.bak$")
                                  .arg(QRegularExpression::escape(QFileInfo(bookPath).fileName())));
}

QStringList recordedBackups(const QString& bookPath)
{
    QFile f(backupRecord(bookPath));
    QStringList names;
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return names;
    const QRegularExpression valid = backupName(bookPath);
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')))
        if (valid.match(line.trimmed()).hasMatch() && !names.contains(line.trimmed()))
            names << line.trimmed();
    names.sort();
    return names;
}

void writeBackupRecord(const QString& bookPath, const QStringList& names)
{
    QSaveFile f(backupRecord(bookPath));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text) ||
        f.write(names.join(QLatin1Char('\n')).toUtf8() + '\n') < 0 || !f.commit())
        throw DbError(
            QStringLiteral("バックアップの記録 %1 を書けません: %2").arg(f.fileName(), f.errorString()));
}

}  // namespace

void copyBook(const QString& from, const QString& to)
{
    EngineHandle source(from, Connection::DefaultBusyTimeoutMs);
    if (source.rc != SQLITE_OK)
        throw DbError(QStringLiteral("バックアップ元 %1 を開けません: %2").arg(from, source.error()),
                      source.rc);
    copyFrom(source.db, from, to);
}

QStringList dailyBackups(const QString& bookPath)
{
    const QDir dir(backupFolder(bookPath));
    QStringList found;
    for (const QString& name : recordedBackups(bookPath))
        if (QFileInfo(dir.filePath(name)).isFile())
            found << dir.filePath(name);
    return found;
}

QString newestDailyBackup(const QString& bookPath)
{
    const QStringList all = dailyBackups(bookPath);
    return all.isEmpty() ? QString() : all.last();
}

QString makeDailyBackup(const QString& bookPath, const QDate& today, int keep)
{
    const QString folder = backupFolder(bookPath);
    if (!QDir().mkpath(folder))
        throw DbError(QStringLiteral("バックアップ用のフォルダを作れません: %1").arg(folder));
    const QString name = QStringLiteral("%1.%2.bak")
                             .arg(QFileInfo(bookPath).fileName(), today.toString(QStringLiteral("yyyyMMdd")));
    const QString target = QDir(folder).filePath(name);
    QStringList recorded = recordedBackups(bookPath);
    QString written;
    // A file of that name the program did not write is the user's: left alone.
    if (!QFileInfo::exists(target)) {
        copyBook(bookPath, target);
        written = target;
        recorded << name;
        recorded.sort();
    }
    const QDir dir(folder);
    while (recorded.size() > keep) {
        const QString oldest = recorded.takeFirst();
        if (QFileInfo::exists(dir.filePath(oldest)) && !QFile::remove(dir.filePath(oldest))) {
            recorded.prepend(oldest);  // still there: still ours to rotate another day
            break;
        }
    }
    if (!written.isEmpty() || recorded != recordedBackups(bookPath))
        writeBackupRecord(bookPath, recorded);
    return written;
}

QString restore(const QString& bookPath, const QString& backupPath)
{
    const QString book = realFile(bookPath);
    if (QFileInfo::exists(backupPath) && realFile(backupPath) == book)
        throw DbError(
            QStringLiteral("%1 は復元先の帳簿そのものです。別のファイルを選んでください。").arg(backupPath));
    const State chosen = inspect(backupPath, Depth::Integrity);
    // A backup is only read: a read-only backup is as good as any.
    if (chosen.kind != State::Ok && chosen.kind != State::Older && chosen.kind != State::ReadOnly) {
        QString why = problemMessage(backupPath, chosen).section(QLatin1Char('\n'), 0, 0);
        if (!chosen.detail.isEmpty())
            why += QStringLiteral("\n(%1)").arg(chosen.detail);
        throw DbError(QStringLiteral("%1 からは復元できません。\n%2").arg(backupPath, why));
    }
    const QString aside = QStringLiteral("%1.before-restore-%2.bak").arg(book, stamp());
    const QString incoming = book + QStringLiteral(".restoring");

    // The engine's exclusive lock on the book, held until the new file is in
    // place: no other program (nor another window of this one) may have it open
    // while it is swapped, or that one's later saves would land in the old file
    // and be lost. In exclusive locking mode the lock, once taken, is never
    // given back before the handle closes, and the handle keeps its WAL in its
    // own memory and on close neither deletes nor makes a side file by name.
    std::unique_ptr<EngineHandle> hold;
    bool isDatabase = false;
    if (QFileInfo::exists(book)) {
        hold = std::make_unique<EngineHandle>(book, 1000, SQLITE_OPEN_READWRITE);
        if (hold->rc != SQLITE_OK)
            throw DbError(QStringLiteral("データベース %1 を開けません: %2").arg(book, hold->error()),
                          hold->rc);
        const int rc = sqlite3_exec(hold->db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT",
                                    nullptr, nullptr, nullptr);
        if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
            throw DbError(
                QStringLiteral("他のプログラムがこの帳簿を開いています。すべて閉じてから復元してくだ"
                               "さい。"),
                SQLITE_BUSY);
        isDatabase = rc == SQLITE_OK;
        if (isDatabase) {
            int persist = 1;
            sqlite3_file_control(hold->db, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
        } else if ((rc & 0xff) == SQLITE_NOTADB || (rc & 0xff) == SQLITE_CORRUPT) {
            // Not a database the engine can read: nobody can be using it as a book.
            hold.reset();
        } else {
            throw DbError(QStringLiteral("データベース %1 を開けません: %2").arg(book, hold->error()), rc);
        }
    }
    // The current file is kept whatever it holds: through the engine where it is
    // a database, byte for byte where it is not.
    if (isDatabase) {
        try {
            copyFrom(hold->db, book, aside);
        } catch (const DbError& e) {
            throw DbError(
                QStringLiteral("今のデータベース %1 を %2 に残せないため、復元しませんでした。\n(%3)")
                    .arg(book, aside, e.message()),
                e.extendedCode());
        }
    } else if (QFileInfo::exists(book) && !QFile::copy(book, aside)) {
        // A plain byte copy only of a file the engine could not read: no
        // connection of this process can be holding locks on it.
        throw DbError(QStringLiteral("今のデータベース %1 を %2 に残せないため、復元しませんでした。")
                          .arg(book, aside));
    }
    copyBook(backupPath, incoming);
    // The old file's WAL belongs to the old file (its content is in the copy aside).
    QFile::remove(book + QStringLiteral("-wal"));
    QFile::remove(book + QStringLiteral("-shm"));
    QFile::remove(book + QStringLiteral("-journal"));
    moveOver(incoming, book);
    return aside;
}

QStringList removeLeftovers(const QString& bookPath)
{
    // `<copy>.partial-<pid>` (and its journal) of a copy whose process is gone:
    // a backup or an upgrade's copy that was killed half-way.
    const QRegularExpression partial(QStringLiteral("^%1\\..*\\.partial-(\\d+)(-journal)?$")
                                         .arg(QRegularExpression::escape(QFileInfo(bookPath).fileName())));
    QStringList removed;
    for (const QString& folder : {QFileInfo(bookPath).absolutePath(), backupFolder(bookPath)}) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
            const auto m = partial.match(name);
            if (!m.hasMatch())
                continue;
            const qint64 pid = m.captured(1).toLongLong();
            const bool alive = pid > 0 && pid <= std::numeric_limits<pid_t>::max() &&
                               (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
            if (!alive && QFile::remove(dir.filePath(name)))
                removed << dir.filePath(name);
        }
    }
    return removed;
}

}  // namespace Book
