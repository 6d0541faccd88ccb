#include "book.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>

#include "connection.h"
#include "dberror.h"
#include "statement.h"
#include "bookcheck.h"
#include "stockbymonth.h"

namespace Book {

namespace {

// A read-only engine handle, closed on every path.
struct ReadOnlyHandle {
    sqlite3* db = nullptr;
    int rc = SQLITE_OK;
    ReadOnlyHandle(const QString& path, int busyTimeoutMs)
    {
        rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        if (db) {
            sqlite3_extended_result_codes(db, 1);
            sqlite3_busy_timeout(db, busyTimeoutMs);
        }
    }
    ~ReadOnlyHandle() { sqlite3_close_v2(db); }
    QString error() const
    {
        return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
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

State refusedBy(int rc, const QString& detail, int version = -1)
{
    State s;
    s.version = version;
    s.detail = detail;
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

// The file's first 100 bytes against what a database file must be: the magic
// text, and no shorter than its header says (while no WAL file holds pages that
// a checkpoint has not written yet).
State checkHeader(const QString& path, qint64 size)
{
    State s;
    s.kind = State::Ok;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        s.kind = State::Unreadable;
        s.detail = f.errorString();
        return s;
    }
    const QByteArray header = f.read(100);
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
    const QFileInfo wal(path + QStringLiteral("-wal"));
    const bool walHoldsPages = wal.exists() && wal.size() > 0;
    if (pagesValid && !walHoldsPages && qint64(pages) * pageSize > size) {
        s.kind = State::Damaged;
        s.detail = QStringLiteral("the file is shorter than its %1 pages: truncated").arg(pages);
    }
    return s;
}

QString stamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

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
    s = checkHeader(path, info.size());
    if (s.kind != State::Ok)
        return s;

    // A WAL book in a folder the program cannot write cannot even be read
    // (its shared-memory file cannot be made): that is a read-only folder.
    const bool writable = info.isWritable() && QFileInfo(info.absolutePath()).isWritable();
    auto unreadable = [&](int rc, const QString& detail) {
        State r = refusedBy(rc, detail);
        if (r.kind == State::Unreadable && !writable)
            r.kind = State::ReadOnly;
        return r;
    };
    ReadOnlyHandle h(path, busyTimeoutMs);
    if (h.rc != SQLITE_OK)
        return unreadable(h.rc, h.error());
    QVariant tables, appId, version, ours;
    if (!h.scalar("SELECT count(*) FROM sqlite_schema", tables) ||
        !h.scalar("PRAGMA application_id", appId) || !h.scalar("PRAGMA user_version", version))
        return unreadable(h.rc, h.error());
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
            return h.rc == SQLITE_OK ? State{State::NotBook, s.version, {}} : refusedBy(h.rc, h.error());
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
            return refusedBy(h.rc, h.error(), s.version);
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
    }
    if (state.kind != State::Locked && state.kind != State::Older && state.kind != State::ReadOnly) {
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
        copyBook(path, QStringLiteral("%1.v%2.bak").arg(path).arg(from));
        Connection c;
        c.openUnchecked(path);
        Transaction t(c);
        // Another instance may have finished the upgrade while this one waited.
        Statement current(c, QStringLiteral("PRAGMA user_version"));
        current.step();
        const int now = int(current.int64(0));
        current.reset();
        if (now >= target)
            return -1;
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
        throw DbError(
            QStringLiteral("データベース %1 を版 %2 から版 %3 に更新できませんでした。ファイルは元のまま"
                           "です。\n(%4)")
                .arg(path)
                .arg(from)
                .arg(target)
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

void copyBook(const QString& from, const QString& to)
{
    // Named for this process: two programs starting on one book never share it.
    const QString partial = QStringLiteral("%1.partial-%2").arg(to).arg(QCoreApplication::applicationPid());
    QFile::remove(partial);
    ReadOnlyHandle source(from, Connection::DefaultBusyTimeoutMs);
    if (source.rc != SQLITE_OK)
        throw DbError(QStringLiteral("バックアップ元 %1 を開けません: %2").arg(from, source.error()),
                      source.rc);
    sqlite3* dest = nullptr;
    int rc = sqlite3_open_v2(partial.toUtf8().constData(), &dest, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
    QString error;
    if (rc == SQLITE_OK) {
        sqlite3_backup* b = sqlite3_backup_init(dest, "main", source.db, "main");
        if (!b) {
            rc = sqlite3_errcode(dest);
        } else {
            // All pages in one step: the source is read in one read transaction,
            // so the copy is one consistent state even while others write.
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
    if (rc != SQLITE_OK)
        error = dest ? QString::fromUtf8(sqlite3_errmsg(dest)) : QStringLiteral("out of memory");
    if (sqlite3_close(dest) != SQLITE_OK && rc == SQLITE_OK) {
        rc = SQLITE_IOERR;
        error = QStringLiteral("cannot close the copy");
    }
    if (rc != SQLITE_OK) {
        QFile::remove(partial);
        throw DbError(QStringLiteral("%1 を %2 に複写できません: %3").arg(from, to, error), rc);
    }
    moveOver(partial, to);
}

QStringList dailyBackups(const QString& bookPath)
{
    const QFileInfo book(bookPath);
    const QDir dir(book.absoluteDir().filePath(QStringLiteral("backup")));
    const QRegularExpression name(
        QStringLiteral("^%1-\\d{8}\\.mdb$").arg(QRegularExpression::escape(book.completeBaseName())));
    QStringList found;
    for (const QString& f : dir.entryList(QDir::Files, QDir::Name))
        if (name.match(f).hasMatch())
            found << dir.filePath(f);
    return found;
}

QString newestDailyBackup(const QString& bookPath)
{
    const QStringList all = dailyBackups(bookPath);
    return all.isEmpty() ? QString() : all.last();
}

QString makeDailyBackup(const QString& bookPath, const QDate& today, int keep)
{
    const QFileInfo book(bookPath);
    QDir dir(book.absoluteDir());
    if (!dir.mkpath(QStringLiteral("backup")))
        throw DbError(QStringLiteral("バックアップ用のフォルダを作れません: %1")
                          .arg(dir.filePath(QStringLiteral("backup"))));
    const QString target =
        dir.filePath(QStringLiteral("backup/%1-%2.mdb")
                         .arg(book.completeBaseName(), today.toString(QStringLiteral("yyyyMMdd"))));
    QString written;
    if (!QFileInfo::exists(target)) {
        copyBook(bookPath, target);
        written = target;
    }
    QStringList all = dailyBackups(bookPath);
    while (all.size() > keep)
        QFile::remove(all.takeFirst());
    return written;
}

QString restore(const QString& bookPath, const QString& backupPath)
{
    const State chosen = inspect(backupPath, Depth::Integrity);
    // A backup is only read: a read-only backup is as good as any.
    if (chosen.kind != State::Ok && chosen.kind != State::Older && chosen.kind != State::ReadOnly) {
        QString why = problemMessage(backupPath, chosen).section(QLatin1Char('\n'), 0, 0);
        if (!chosen.detail.isEmpty())
            why += QStringLiteral("\n(%1)").arg(chosen.detail);
        throw DbError(QStringLiteral("%1 からは復元できません。\n%2").arg(backupPath, why));
    }
    // The current file is kept whatever it holds: through the engine where it is
    // a database, byte for byte where it is not.
    const QString aside = QStringLiteral("%1.before-restore-%2.bak").arg(bookPath, stamp());
    if (QFileInfo::exists(bookPath)) {
        try {
            copyBook(bookPath, aside);
        } catch (const DbError&) {
            if (!QFile::copy(bookPath, aside))
                throw DbError(QStringLiteral("今のデータベース %1 を %2 に残せないため、復元しませんでした。")
                                  .arg(bookPath, aside));
        }
    }
    const QString incoming = bookPath + QStringLiteral(".restoring");
    copyBook(backupPath, incoming);
    // The old file's WAL belongs to the old file (its content is in the copy aside).
    QFile::remove(bookPath + QStringLiteral("-wal"));
    QFile::remove(bookPath + QStringLiteral("-shm"));
    moveOver(incoming, bookPath);
    return aside;
}

}  // namespace Book
