#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class Connection;

// The book: the one database file that holds the business's work. Everything
// here that only looks at a file opens it read-only, so a file that turns out
// not to be a book (or a damaged, locked or newer one) is never written to.
namespace Book {

// "CVNT": PRAGMA application_id of every book this program makes.
inline constexpr int ApplicationId = 0x43564E54;
// The schema's version (PRAGMA user_version) this program reads and writes.
// A book of version 0 is one made before books carried a version.
inline constexpr int CurrentVersion = 3;

enum class Depth {
    Quick,      // header, application id, version, schema readable: every window's open
    Full,       // and PRAGMA quick_check: the check at start
    Integrity,  // and PRAGMA integrity_check: a file chosen to restore from
};

struct State {
    enum Kind {
        Ok,          // a book of the version asked for
        Older,       // a book of an older version: upgrade it first
        Missing,     // no file at the path
        Empty,       // a zero-byte file
        NotBook,     // not a database, or a database of another program
        Newer,       // a book of a version this program does not know
        Damaged,     // truncated or failing the consistency check
        Locked,      // another program holds the file locked
        ReadOnly,    // the file or its folder cannot be written
        Unreadable,  // the file cannot be opened at all
        DiskFull,    // the disk has no room for what the engine must write to read it
    };
    Kind kind = Missing;
    int version = -1;  // the file's user_version, where it could be read
    QString detail;    // the engine's own text, where the engine refused
};

// Looks at the file without writing anything to it. `knownVersion` is the
// version the caller works with (the program's, unless an upgrade is tested).
State inspect(const QString& path, Depth depth = Depth::Quick, int knownVersion = CurrentVersion,
              int busyTimeoutMs = 5000);

// The message a clerk sees for a state that is not Ok: names the file, says what
// is wrong and what to do (choose another book, or restore the newest automatic
// backup, named when there is one). The engine's text, if any, comes last.
QString problemMessage(const QString& path, const State& state);

// One step of the upgrade path: brings a book of version `from` to `from + 1`.
// It runs inside the upgrade's transaction; it must not commit.
struct UpgradeStep {
    int from;
    std::function<void(Connection&)> run;
};
const std::vector<UpgradeStep>& upgradeSteps();

// Brings an older book to `target` in place: first a consistent copy beside it
// (`<file>.v<N>.bak`), then every step and the new version in one transaction,
// so a failure or a crash leaves the old book or the upgraded one, never a mix.
// Returns the version it upgraded from, or -1 when the book was current.
// Throws DbError (with the file's name) for anything but an older or current book.
int upgrade(const QString& path, const std::vector<UpgradeStep>& steps = upgradeSteps(),
            int target = CurrentVersion);

// A consistent copy of the file at `from` through the engine's online backup,
// safe while other connections read and write it. Written to a temporary name
// and moved into place, so `to` is a whole copy or not there.
void copyBook(const QString& from, const QString& to);

// Where the book is when none is chosen: BaseDB.mdb beside the program when
// that folder holds one (a build folder, or a copy kept with the program);
// otherwise BaseDB.mdb in the user's data folder (~/.local/share/Corvinta),
// which may not exist yet.
QString defaultBookPath();
// The empty book an installed program carries (share/corvinta/BaseDB.mdb
// under its prefix); empty when the program is not installed.
QString installedEmptyBook();
// A new book at `path`, a copy of the empty book `emptyBook` (installedEmptyBook()),
// its folder made as needed. Throws DbError, with nothing left at `path`, when
// there is no empty book or the copy cannot be written.
void createBook(const QString& path, const QString& emptyBook = installedEmptyBook());

// The automatic backups of the book: `backup/<file name>.YYYYMMDD.bak` beside
// it that the program wrote (it records their names), oldest first. A file of
// the user's that looks like one, or another book's, is never listed.
QStringList dailyBackups(const QString& bookPath);
QString newestDailyBackup(const QString& bookPath);
// Makes today's backup unless there is one and keeps the newest `keep` of those
// the program wrote. Returns the file written, empty when today's was there.
QString makeDailyBackup(const QString& bookPath, const QDate& today, int keep = 7);

// Replaces the book (the file a symbolic link names, when the path is one) by
// the book in `backupPath` after checking that it is one (integrity check,
// version not newer than the program's) and copying the current file aside.
// Holds the engine's exclusive lock on the book throughout: while any other
// program, or another window of this one, has it open, it refuses and changes
// nothing. Returns the name of the copy aside.
QString restore(const QString& bookPath, const QString& backupPath);

// Removes the half-written copies (`<file name>.….partial-<pid>`) that a
// backup or an upgrade killed half-way left beside the book or among its
// backups, of processes that no longer run. Returns what it removed.
QStringList removeLeftovers(const QString& bookPath);

}  // namespace Book
