#include "bookfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

#include <optional>
#include <vector>

#include "book.h"

namespace Book {

namespace {

struct FileId {
    dev_t device;
    ino_t inode;
    bool operator==(const FileId&) const = default;
};

// The identity of the file at `path` (links followed); none when there is none.
std::optional<FileId> idOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

// `path` with its folder canonical (links in the folder's path resolved) and
// its own name kept as it is.
QString placed(const QString& path)
{
    const QFileInfo info(QFileInfo(path).absoluteFilePath());
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                            : QDir(folder).filePath(info.fileName());
}

// Where writing to `path` lands: symbolic links followed to the name they
// point at (also a link to a name that does not exist yet), then placed.
QString landing(const QString& path)
{
    QString p = placed(path);
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(p);
        if (!info.isSymLink())
            break;
        const QString target = info.symLinkTarget();
        if (target.isEmpty())
            break;
        p = placed(target);
    }
    return p;
}

// The names of the book's own files beside it: the book, its engine files and
// the copies kept before an upgrade or at a restore.
QRegularExpression siblingNames(const QString& bookName)
{
    return QRegularExpression(
        QStringLiteral("^%1(-wal|-shm|-journal|\\.v\\d+\\.bak|\\.before-restore-[^/]*\\.bak)?$")
            .arg(QRegularExpression::escape(bookName)));
}

}  // namespace

bool belongsToBook(const QString& bookPath, const QString& candidate)
{
    if (bookPath.isEmpty() || candidate.isEmpty())
        return false;
    const QString where = landing(candidate);
    const std::optional<FileId> id = idOf(where);
    // The book as it was named and where its link leads: the engine keeps the
    // -wal beside the real file, the daily backups follow the name given.
    std::vector<QString> books{placed(bookPath)};
    if (const QString real = landing(bookPath); real != books.front())
        books.push_back(real);
    for (const QString& book : books) {
        const QFileInfo info(book);
        const QRegularExpression names = siblingNames(info.fileName());
        if (QFileInfo(where).absolutePath() == info.absolutePath() &&
            names.match(QFileInfo(where).fileName()).hasMatch())
            return true;
        // The daily backups and their record, also one not made yet.
        const QRegularExpression daily(
            QStringLiteral("^%1\\.(\\d{8}\\.bak|backups)$").arg(QRegularExpression::escape(info.fileName())));
        if (QFileInfo(where).absolutePath() == QDir(info.absolutePath()).filePath(QStringLiteral("backup")) &&
            daily.match(QFileInfo(where).fileName()).hasMatch())
            return true;
        QStringList files;
        const QDir folder = info.absoluteDir();
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
            if (names.match(name).hasMatch())
                files << folder.filePath(name);
        files << dailyBackups(book);
        for (const QString& file : files) {
            if (landing(file) == where)
                return true;
            if (id && idOf(file) == id)
                return true;
        }
    }
    return false;
}

QString outputRefusal(const QString& bookPath, const QString& outputPath)
{
    if (belongsToBook(bookPath, outputPath))
        return QStringLiteral("出力先が帳簿そのものです");
    struct stat st {};
    if (::stat(QFile::encodeName(outputPath).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return QStringLiteral("%1は通常のファイルではありません").arg(QDir::toNativeSeparators(outputPath));
    return {};
}

}  // namespace Book
