#pragma once

#include <QString>

// Which files on disk are the book's, and where a document may be written
// without harming it. Only names and file identities are looked at: nothing
// here opens a file.
namespace Book {

// Whether `candidate` is one of the files of the book at `bookPath`: the book
// itself, its -wal, -shm and -journal, a daily backup (dailyBackups), a copy
// kept before an upgrade (<book>.v<N>.bak) or at a restore
// (<book>.before-restore-<stamp>.bak). Paths are compared where the files
// really are (symbolic links followed, folders canonical) and existing files
// also by device and inode, so another spelling of the path, a link or a hard
// link to the book is recognised; a name that does not exist yet is compared
// by the name it would get.
bool belongsToBook(const QString& bookPath, const QString& candidate);

// Why a document must not be written to `outputPath` while `bookPath` is the
// book; empty when it may. Refused: a file of the book ("出力先が帳簿そのものです")
// and a path that exists but is not a regular file, such as a folder, a
// device or a pipe, which writing would replace or never finish
// ("<path>は通常のファイルではありません").
QString outputRefusal(const QString& bookPath, const QString& outputPath);

}  // namespace Book
